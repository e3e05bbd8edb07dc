#include "opcua/server/codec.h"

namespace iec::ua {

namespace {

// Bits of the NodeId encoding byte that only ExpandedNodeId may carry.
constexpr uint8_t kNamespaceUriFlag = 0x80;
constexpr uint8_t kServerIndexFlag = 0x40;

NodeId ReadNodeIdBody(BinaryReader& r, uint8_t form) {
    NodeId n;
    switch (form) {
        case 0x00: n.numeric = r.U8(); break;
        case 0x01:
            n.ns = r.U8();
            n.numeric = r.U16();
            break;
        case 0x02:
            n.ns = r.U16();
            n.numeric = r.U32();
            break;
        case 0x03:
            n.ns = r.U16();
            n.kind = NodeId::Kind::String;
            n.text = r.String();
            break;
        case 0x04:
            n.ns = r.U16();
            n.kind = NodeId::Kind::Guid;
            n.guid = r.Guid();
            break;
        case 0x05:
            n.ns = r.U16();
            n.kind = NodeId::Kind::Opaque;
            n.text = r.String();
            break;
        default: r.Fail(); return {};
    }
    return r.ok() ? n : NodeId{};
}

Scalar ReadScalar(BinaryReader& r, BuiltinType t) {
    switch (t) {
        case BuiltinType::Null: return std::monostate{};
        case BuiltinType::Boolean: return r.Boolean();
        case BuiltinType::SByte: return int64_t{static_cast<int8_t>(r.U8())};
        case BuiltinType::Byte: return uint64_t{r.U8()};
        case BuiltinType::Int16: return int64_t{r.I16()};
        case BuiltinType::UInt16: return uint64_t{r.U16()};
        case BuiltinType::Int32: return int64_t{r.I32()};
        case BuiltinType::UInt32: return uint64_t{r.U32()};
        case BuiltinType::Int64: return r.I64();
        case BuiltinType::UInt64: return r.U64();
        case BuiltinType::Float: return double{r.F32()};
        case BuiltinType::Double: return r.F64();
        case BuiltinType::String:
        case BuiltinType::ByteString:
        case BuiltinType::XmlElement: return r.String();
        case BuiltinType::DateTime: return r.I64();
        case BuiltinType::Guid: return r.Guid();
        case BuiltinType::NodeId: return ReadNodeId(r);
        case BuiltinType::ExpandedNodeId: return ReadExpandedNodeId(r);
        case BuiltinType::StatusCode: return uint64_t{r.U32()};
        case BuiltinType::QualifiedName: return ReadQualifiedName(r);
        case BuiltinType::LocalizedText: return ReadLocalizedText(r);
        case BuiltinType::ExtensionObject: return ReadExtensionObject(r);
        case BuiltinType::DataValue: ReadDataValue(r); return std::monostate{};
        case BuiltinType::Variant: ReadVariant(r); return std::monostate{};
        case BuiltinType::DiagnosticInfo: SkipDiagnosticInfo(r); return std::monostate{};
    }
    r.Fail();
    return std::monostate{};
}

template <class T>
T Get(const Scalar& s) {
    if (auto p = std::get_if<T>(&s)) return *p;
    return T{};
}

void WriteScalar(BinaryWriter& w, BuiltinType t, const Scalar& s) {
    switch (t) {
        case BuiltinType::Null: return;
        case BuiltinType::Boolean: w.Boolean(Get<bool>(s)); return;
        case BuiltinType::SByte: w.U8(static_cast<uint8_t>(Get<int64_t>(s))); return;
        case BuiltinType::Byte: w.U8(static_cast<uint8_t>(Get<uint64_t>(s))); return;
        case BuiltinType::Int16: w.U16(static_cast<uint16_t>(Get<int64_t>(s))); return;
        case BuiltinType::UInt16: w.U16(static_cast<uint16_t>(Get<uint64_t>(s))); return;
        case BuiltinType::Int32: w.I32(static_cast<int32_t>(Get<int64_t>(s))); return;
        case BuiltinType::UInt32:
        case BuiltinType::StatusCode: w.U32(static_cast<uint32_t>(Get<uint64_t>(s))); return;
        case BuiltinType::Int64:
        case BuiltinType::DateTime: w.I64(Get<int64_t>(s)); return;
        case BuiltinType::UInt64: w.U64(Get<uint64_t>(s)); return;
        case BuiltinType::Float: w.F32(static_cast<float>(Get<double>(s))); return;
        case BuiltinType::Double: w.F64(Get<double>(s)); return;
        case BuiltinType::String:
        case BuiltinType::ByteString:
        case BuiltinType::XmlElement: w.String(Get<std::string>(s)); return;
        case BuiltinType::Guid: w.Guid(Get<Guid>(s)); return;
        case BuiltinType::NodeId: WriteNodeId(w, Get<NodeId>(s)); return;
        case BuiltinType::ExpandedNodeId: WriteExpandedNodeId(w, Get<ExpandedNodeId>(s)); return;
        case BuiltinType::QualifiedName: WriteQualifiedName(w, Get<QualifiedName>(s)); return;
        case BuiltinType::LocalizedText: WriteLocalizedText(w, Get<LocalizedText>(s)); return;
        case BuiltinType::ExtensionObject: WriteExtensionObject(w, Get<ExtensionObject>(s)); return;
        // The server never produces nested values; an empty one keeps the encoding well-formed.
        case BuiltinType::DataValue:
        case BuiltinType::Variant:
        case BuiltinType::DiagnosticInfo: w.U8(0); return;
    }
}

// Smallest encoded size of one element, so that an array count can be checked against what is left.
size_t MinScalarSize(BuiltinType t) {
    switch (t) {
        case BuiltinType::Null:
        case BuiltinType::Boolean:
        case BuiltinType::SByte:
        case BuiltinType::Byte:
        case BuiltinType::DataValue:
        case BuiltinType::Variant:
        case BuiltinType::DiagnosticInfo:
        case BuiltinType::LocalizedText: return 1;
        case BuiltinType::Int16:
        case BuiltinType::UInt16:
        case BuiltinType::NodeId:
        case BuiltinType::ExpandedNodeId: return 2;
        case BuiltinType::ExtensionObject: return 3;
        case BuiltinType::Int64:
        case BuiltinType::UInt64:
        case BuiltinType::Double:
        case BuiltinType::DateTime: return 8;
        case BuiltinType::Guid: return 16;
        case BuiltinType::QualifiedName: return 6;
        default: return 4;
    }
}

}  // namespace

Variant Variant::StringArray(const std::vector<std::string>& items) {
    Variant v;
    v.type = BuiltinType::String;
    v.is_array = true;
    for (const auto& s : items) v.values.emplace_back(s);
    return v;
}

NodeId ReadNodeId(BinaryReader& r) {
    uint8_t form = r.U8();
    if (form & (kNamespaceUriFlag | kServerIndexFlag)) {
        r.Fail();
        return {};
    }
    return ReadNodeIdBody(r, form);
}

ExpandedNodeId ReadExpandedNodeId(BinaryReader& r) {
    ExpandedNodeId e;
    uint8_t form = r.U8();
    e.id = ReadNodeIdBody(r, form & 0x3F);
    if (form & kNamespaceUriFlag) e.namespace_uri = r.String();
    if (form & kServerIndexFlag) e.server_index = r.U32();
    return e;
}

QualifiedName ReadQualifiedName(BinaryReader& r) {
    QualifiedName q;
    q.ns = r.U16();
    q.name = r.String();
    return q;
}

LocalizedText ReadLocalizedText(BinaryReader& r) {
    LocalizedText t;
    uint8_t mask = r.U8();
    if (mask & 0x01) t.locale = r.String();
    if (mask & 0x02) t.text = r.String();
    return t;
}

ExtensionObject ReadExtensionObject(BinaryReader& r) {
    ExtensionObject e;
    e.type_id = ReadNodeId(r);
    e.encoding = r.U8();
    if (e.encoding == 1 || e.encoding == 2) {
        e.body = r.String();
    } else if (e.encoding != 0) {
        r.Fail();
    }
    return e;
}

Variant ReadVariant(BinaryReader& r) {
    Variant v;
    if (!r.Enter()) return v;
    uint8_t mask = r.U8();
    uint8_t type = mask & 0x3F;
    if (type > kLastBuiltinType) {
        r.Fail();
        r.Leave();
        return {};
    }
    v.type = static_cast<BuiltinType>(type);
    if (mask & 0x80) {
        v.is_array = true;
        size_t n = r.ArrayLength(MinScalarSize(v.type));
        v.values.reserve(n);
        for (size_t i = 0; i < n && r.ok(); ++i) v.values.push_back(ReadScalar(r, v.type));
        if (mask & 0x40) {
            size_t d = r.ArrayLength(4);
            for (size_t i = 0; i < d && r.ok(); ++i) v.dimensions.push_back(r.I32());
        }
    } else if (v.type != BuiltinType::Null) {
        v.values.push_back(ReadScalar(r, v.type));
    }
    r.Leave();
    return r.ok() ? v : Variant{};
}

DataValue ReadDataValue(BinaryReader& r) {
    DataValue d;
    if (!r.Enter()) return d;
    uint8_t mask = r.U8();
    if (mask & 0x01) d.value = ReadVariant(r);
    if (mask & 0x02) d.status = r.U32();
    if (mask & 0x04) d.source_timestamp = r.I64();
    if (mask & 0x10) r.U16();
    if (mask & 0x08) d.server_timestamp = r.I64();
    if (mask & 0x20) r.U16();
    r.Leave();
    return d;
}

void SkipDiagnosticInfo(BinaryReader& r) {
    if (!r.Enter()) return;
    uint8_t mask = r.U8();
    if (mask & 0x01) r.I32();
    if (mask & 0x02) r.I32();
    if (mask & 0x08) r.I32();
    if (mask & 0x04) r.I32();
    if (mask & 0x10) r.String();
    if (mask & 0x20) r.U32();
    if (mask & 0x40) SkipDiagnosticInfo(r);
    r.Leave();
}

namespace {

// flags are the ExpandedNodeId bits, or-ed into the encoding byte.
void WriteNodeIdWithFlags(BinaryWriter& w, const NodeId& n, uint8_t flags) {
    switch (n.kind) {
        case NodeId::Kind::Numeric:
            if (n.ns == 0 && n.numeric <= 0xFF) {
                w.U8(static_cast<uint8_t>(0x00 | flags));
                w.U8(static_cast<uint8_t>(n.numeric));
            } else if (n.ns <= 0xFF && n.numeric <= 0xFFFF) {
                w.U8(static_cast<uint8_t>(0x01 | flags));
                w.U8(static_cast<uint8_t>(n.ns));
                w.U16(static_cast<uint16_t>(n.numeric));
            } else {
                w.U8(static_cast<uint8_t>(0x02 | flags));
                w.U16(n.ns);
                w.U32(n.numeric);
            }
            return;
        case NodeId::Kind::String:
            w.U8(static_cast<uint8_t>(0x03 | flags));
            w.U16(n.ns);
            w.String(n.text);
            return;
        case NodeId::Kind::Guid:
            w.U8(static_cast<uint8_t>(0x04 | flags));
            w.U16(n.ns);
            w.Guid(n.guid);
            return;
        case NodeId::Kind::Opaque:
            w.U8(static_cast<uint8_t>(0x05 | flags));
            w.U16(n.ns);
            w.String(n.text);
            return;
    }
}

}  // namespace

void WriteNodeId(BinaryWriter& w, const NodeId& n) { WriteNodeIdWithFlags(w, n, 0); }

void WriteExpandedNodeId(BinaryWriter& w, const ExpandedNodeId& e) {
    uint8_t flags = static_cast<uint8_t>((e.namespace_uri.empty() ? 0 : kNamespaceUriFlag) |
                                         (e.server_index ? kServerIndexFlag : 0));
    WriteNodeIdWithFlags(w, e.id, flags);
    if (!e.namespace_uri.empty()) w.String(e.namespace_uri);
    if (e.server_index) w.U32(e.server_index);
}

void WriteQualifiedName(BinaryWriter& w, const QualifiedName& q) {
    w.U16(q.ns);
    w.String(q.name);
}

void WriteLocalizedText(BinaryWriter& w, const LocalizedText& t) {
    uint8_t mask = static_cast<uint8_t>((t.locale.empty() ? 0 : 0x01) | (t.text.empty() ? 0 : 0x02));
    w.U8(mask);
    if (mask & 0x01) w.String(t.locale);
    if (mask & 0x02) w.String(t.text);
}

void WriteExtensionObject(BinaryWriter& w, const ExtensionObject& e) {
    WriteNodeId(w, e.type_id);
    if (e.encoding == 0) {
        w.U8(0);
        return;
    }
    w.U8(e.encoding);
    w.String(e.body);
}

void WriteVariant(BinaryWriter& w, const Variant& v) {
    auto type = static_cast<uint8_t>(v.type);
    if (v.is_array) {
        w.U8(static_cast<uint8_t>(type | 0x80 | (v.dimensions.empty() ? 0 : 0x40)));
        w.ArrayLength(v.values.size());
        for (const auto& s : v.values) WriteScalar(w, v.type, s);
        if (!v.dimensions.empty()) {
            w.ArrayLength(v.dimensions.size());
            for (int32_t d : v.dimensions) w.I32(d);
        }
        return;
    }
    w.U8(type);
    if (v.type != BuiltinType::Null) WriteScalar(w, v.type, v.values.empty() ? Scalar{} : v.values.front());
}

void WriteDataValue(BinaryWriter& w, const DataValue& d) {
    uint8_t mask = static_cast<uint8_t>((d.value ? 0x01 : 0) | (d.status ? 0x02 : 0) |
                                        (d.source_timestamp ? 0x04 : 0) | (d.server_timestamp ? 0x08 : 0));
    w.U8(mask);
    if (d.value) WriteVariant(w, *d.value);
    if (d.status) w.U32(d.status);
    if (d.source_timestamp) w.I64(d.source_timestamp);
    if (d.server_timestamp) w.I64(d.server_timestamp);
}

ExtensionObject MakeExtension(uint32_t encoding_id, const std::vector<uint8_t>& body) {
    ExtensionObject e;
    e.type_id = NodeId::Numeric(0, encoding_id);
    e.encoding = 1;
    e.body.assign(body.begin(), body.end());
    return e;
}

}  // namespace iec::ua
