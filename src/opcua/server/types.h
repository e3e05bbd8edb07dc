// The OPC UA built-in types this server exchanges, as plain values.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace iec::ua {

using StatusCode = uint32_t;
// 100-ns intervals since 1601-01-01 UTC.
using UaDateTime = int64_t;
using Guid = std::array<uint8_t, 16>;

enum class BuiltinType : uint8_t {
    Null = 0, Boolean = 1, SByte = 2, Byte = 3, Int16 = 4, UInt16 = 5, Int32 = 6, UInt32 = 7, Int64 = 8,
    UInt64 = 9, Float = 10, Double = 11, String = 12, DateTime = 13, Guid = 14, ByteString = 15,
    XmlElement = 16, NodeId = 17, ExpandedNodeId = 18, StatusCode = 19, QualifiedName = 20,
    LocalizedText = 21, ExtensionObject = 22, DataValue = 23, Variant = 24, DiagnosticInfo = 25,
};
constexpr uint8_t kLastBuiltinType = 25;

struct NodeId {
    enum class Kind : uint8_t { Numeric, String, Guid, Opaque };
    uint16_t ns = 0;
    Kind kind = Kind::Numeric;
    uint32_t numeric = 0;
    std::string text;  // String and Opaque identifiers
    Guid guid{};

    static NodeId Numeric(uint16_t ns, uint32_t id) {
        NodeId n;
        n.ns = ns;
        n.numeric = id;
        return n;
    }
    static NodeId String(uint16_t ns, std::string s) {
        NodeId n;
        n.ns = ns;
        n.kind = Kind::String;
        n.text = std::move(s);
        return n;
    }
    bool IsNull() const { return ns == 0 && kind == Kind::Numeric && numeric == 0; }
    bool Is(uint32_t ns0_id) const { return ns == 0 && kind == Kind::Numeric && numeric == ns0_id; }
    friend bool operator==(const NodeId&, const NodeId&) = default;
};

struct NodeIdHash {
    size_t operator()(const NodeId& n) const {
        size_t h = std::hash<uint32_t>()(n.numeric) ^ (size_t{n.ns} << 20) ^ (size_t(n.kind) << 28);
        if (!n.text.empty()) h ^= std::hash<std::string>()(n.text);
        return h;
    }
};

struct ExpandedNodeId {
    NodeId id;
    std::string namespace_uri;
    uint32_t server_index = 0;
};

struct QualifiedName {
    uint16_t ns = 0;
    std::string name;
    friend bool operator==(const QualifiedName&, const QualifiedName&) = default;
};

struct LocalizedText {
    std::string locale;
    std::string text;
};

// Body kept encoded: the server decodes only the few structures it understands (identity tokens, filters).
struct ExtensionObject {
    NodeId type_id;
    uint8_t encoding = 0;  // 0 no body, 1 binary, 2 XML
    std::string body;
};

// One element of a Variant. Integers of every width are widened; nested DataValue, Variant and DiagnosticInfo
// elements are decoded for validation and kept as monostate (the server never needs them).
using Scalar = std::variant<std::monostate, bool, int64_t, uint64_t, double, std::string, Guid, NodeId,
                            ExpandedNodeId, QualifiedName, LocalizedText, ExtensionObject>;

struct Variant {
    BuiltinType type = BuiltinType::Null;
    bool is_array = false;
    std::vector<Scalar> values;  // exactly one element for a scalar
    std::vector<int32_t> dimensions;

    bool IsNull() const { return type == BuiltinType::Null; }
    static Variant Of(BuiltinType t, Scalar s) {
        Variant v;
        v.type = t;
        v.values.push_back(std::move(s));
        return v;
    }
    static Variant Boolean(bool b) { return Of(BuiltinType::Boolean, b); }
    static Variant Int32(int32_t i) { return Of(BuiltinType::Int32, int64_t{i}); }
    static Variant UInt32(uint32_t i) { return Of(BuiltinType::UInt32, uint64_t{i}); }
    static Variant UInt16(uint16_t i) { return Of(BuiltinType::UInt16, uint64_t{i}); }
    static Variant Byte(uint8_t i) { return Of(BuiltinType::Byte, uint64_t{i}); }
    static Variant Double(double d) { return Of(BuiltinType::Double, d); }
    static Variant DateTime(UaDateTime t) { return Of(BuiltinType::DateTime, int64_t{t}); }
    static Variant String(std::string s) { return Of(BuiltinType::String, std::move(s)); }
    static Variant NodeIdValue(NodeId n) { return Of(BuiltinType::NodeId, std::move(n)); }
    static Variant Qualified(QualifiedName q) { return Of(BuiltinType::QualifiedName, std::move(q)); }
    static Variant Localized(LocalizedText t) { return Of(BuiltinType::LocalizedText, std::move(t)); }
    static Variant Extension(ExtensionObject e) { return Of(BuiltinType::ExtensionObject, std::move(e)); }
    static Variant StringArray(const std::vector<std::string>& items);
};

struct DataValue {
    std::optional<Variant> value;
    StatusCode status = 0;
    UaDateTime source_timestamp = 0;  // 0 = absent
    UaDateTime server_timestamp = 0;  // 0 = absent
};

}  // namespace iec::ua
