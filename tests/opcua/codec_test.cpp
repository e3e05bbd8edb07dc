#include "opcua/server/codec.h"

#include <gtest/gtest.h>

#include "hex.h"

namespace iec::ua {
namespace {

using test::Hex;
using test::ToHex;

template <class F>
std::string Encode(F f) {
    BinaryWriter w;
    f(w);
    return ToHex(w.data());
}

TEST(BinaryEncoding, PrimitivesAreLittleEndian) {
    EXPECT_EQ(Encode([](BinaryWriter& w) { w.U32(0x01020304); }), "04 03 02 01");
    EXPECT_EQ(Encode([](BinaryWriter& w) { w.I32(-2); }), "fe ff ff ff");
    EXPECT_EQ(Encode([](BinaryWriter& w) { w.F64(1.0); }), "00 00 00 00 00 00 f0 3f");
    EXPECT_EQ(Encode([](BinaryWriter& w) { w.I64(116444736000000000LL); }), "00 80 3e d5 de b1 9d 01");
    EXPECT_EQ(Encode([](BinaryWriter& w) { w.String("ab"); }), "02 00 00 00 61 62");
    EXPECT_EQ(Encode([](BinaryWriter& w) { w.NullString(); }), "ff ff ff ff");

    auto bytes = Hex("04 03 02 01 ff ff ff ff 00 00 00 00 00 00 f0 3f");
    BinaryReader r(bytes);
    EXPECT_EQ(r.U32(), 0x01020304u);
    EXPECT_EQ(r.String(), "");  // null string
    EXPECT_EQ(r.F64(), 1.0);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(BinaryEncoding, ReaderFailsInsteadOfReadingPastTheEnd) {
    auto bytes = Hex("01 02 03");
    BinaryReader r(bytes);
    EXPECT_EQ(r.U32(), 0u);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.U8(), 0u);  // poisoned: later reads yield zero
    // A string whose length exceeds what is left.
    auto s = Hex("05 00 00 00 61 62");
    BinaryReader rs(s);
    EXPECT_EQ(rs.String(), "");
    EXPECT_FALSE(rs.ok());
}

TEST(BinaryEncoding, ArrayCountsAreCheckedAgainstWhatIsLeft) {
    auto huge = Hex("ff ff ff 7f 00 00 00 00");  // 2^31-1 elements announced, 4 octets follow
    BinaryReader r(huge);
    EXPECT_EQ(r.ArrayLength(4), 0u);
    EXPECT_FALSE(r.ok());
    auto fits = Hex("02 00 00 00 01 00 00 00 02 00 00 00");
    BinaryReader r2(fits);
    EXPECT_EQ(r2.ArrayLength(4), 2u);
    EXPECT_TRUE(r2.ok());
    auto null_array = Hex("ff ff ff ff");
    BinaryReader r3(null_array);
    EXPECT_EQ(r3.ArrayLength(4), 0u);
    EXPECT_TRUE(r3.ok());
}

TEST(BinaryEncoding, NodeIdFormsDecodeAndTheSmallestFormIsWritten) {
    struct Case {
        const char* hex;
        NodeId id;
    };
    NodeId guid;
    guid.ns = 1;
    guid.kind = NodeId::Kind::Guid;
    for (int i = 0; i < 16; ++i) guid.guid[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    NodeId opaque = NodeId::String(2, "\x01\x02");
    opaque.kind = NodeId::Kind::Opaque;
    const Case cases[] = {
        {"00 55", NodeId::Numeric(0, 85)},
        {"01 01 d2 04", NodeId::Numeric(1, 1234)},
        {"01 00 cd 08", NodeId::Numeric(0, 2253)},
        {"02 01 00 81 38 01 00", NodeId::Numeric(1, 80001)},
        {"03 01 00 04 00 00 00 44 62 6c 31", NodeId::String(1, "Dbl1")},
        {"04 01 00 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f", guid},
        {"05 02 00 02 00 00 00 01 02", opaque},
    };
    for (const Case& c : cases) {
        auto bytes = Hex(c.hex);
        BinaryReader r(bytes);
        EXPECT_EQ(ReadNodeId(r), c.id) << c.hex;
        EXPECT_TRUE(r.ok()) << c.hex;
        EXPECT_EQ(Encode([&](BinaryWriter& w) { WriteNodeId(w, c.id); }), c.hex);
    }
    // Four-byte and numeric forms of the same id decode equal.
    auto wide = Hex("02 00 00 55 00 00 00");
    BinaryReader rw(wide);
    EXPECT_EQ(ReadNodeId(rw), NodeId::Numeric(0, 85));
    // An unknown form, and the ExpandedNodeId flags in a plain NodeId, are errors.
    for (const char* bad : {"06 00", "80 55", "03 01 00 ff"}) {
        auto bytes = Hex(bad);
        BinaryReader r(bytes);
        ReadNodeId(r);
        EXPECT_FALSE(r.ok()) << bad;
    }
}

TEST(BinaryEncoding, ExpandedNodeIdCarriesUriAndServerIndex) {
    ExpandedNodeId e{NodeId::Numeric(0, 85), "urn:x", 2};
    std::string hex = Encode([&](BinaryWriter& w) { WriteExpandedNodeId(w, e); });
    EXPECT_EQ(hex, "c0 55 05 00 00 00 75 72 6e 3a 78 02 00 00 00");
    auto bytes = Hex(hex);
    BinaryReader r(bytes);
    ExpandedNodeId back = ReadExpandedNodeId(r);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(back.id, e.id);
    EXPECT_EQ(back.namespace_uri, "urn:x");
    EXPECT_EQ(back.server_index, 2u);
}

TEST(BinaryEncoding, TextsAndNames) {
    EXPECT_EQ(Encode([](BinaryWriter& w) { WriteQualifiedName(w, {1, "U"}); }), "01 00 01 00 00 00 55");
    EXPECT_EQ(Encode([](BinaryWriter& w) { WriteLocalizedText(w, {"", "U"}); }), "02 01 00 00 00 55");
    EXPECT_EQ(Encode([](BinaryWriter& w) { WriteLocalizedText(w, {}); }), "00");
    auto bytes = Hex("03 02 00 00 00 65 6e 01 00 00 00 55");
    BinaryReader r(bytes);
    LocalizedText t = ReadLocalizedText(r);
    EXPECT_EQ(t.locale, "en");
    EXPECT_EQ(t.text, "U");
}

TEST(BinaryEncoding, ExtensionObjectKeepsItsBody) {
    auto bytes = Hex("01 00 41 01 01 0d 00 00 00 ff ff ff ff 02 00 00 00 6f 70 ff ff ff");
    BinaryReader r(bytes);
    ExtensionObject e = ReadExtensionObject(r);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(e.type_id, NodeId::Numeric(0, 321));
    EXPECT_EQ(e.encoding, 1);
    EXPECT_EQ(e.body.size(), 13u);
    EXPECT_EQ(Encode([&](BinaryWriter& w) { WriteExtensionObject(w, e); }), ToHex(bytes));
    auto empty = Hex("00 00 00");
    BinaryReader re(empty);
    EXPECT_TRUE(ReadExtensionObject(re).type_id.IsNull());
    EXPECT_TRUE(re.ok());
    auto bad = Hex("00 00 03");
    BinaryReader rb(bad);
    ReadExtensionObject(rb);
    EXPECT_FALSE(rb.ok());
}

TEST(BinaryEncoding, VariantScalarsArraysAndDimensions) {
    EXPECT_EQ(Encode([](BinaryWriter& w) { WriteVariant(w, Variant::Boolean(true)); }), "01 01");
    EXPECT_EQ(Encode([](BinaryWriter& w) { WriteVariant(w, Variant::Int32(-1)); }), "06 ff ff ff ff");
    EXPECT_EQ(Encode([](BinaryWriter& w) { WriteVariant(w, Variant::Double(0.5)); }), "0b 00 00 00 00 00 00 e0 3f");
    EXPECT_EQ(Encode([](BinaryWriter& w) { WriteVariant(w, Variant::StringArray({"a", "b"})); }),
              "8c 02 00 00 00 01 00 00 00 61 01 00 00 00 62");
    EXPECT_EQ(Encode([](BinaryWriter& w) { WriteVariant(w, Variant{}); }), "00");

    auto matrix = Hex("c6 02 00 00 00 01 00 00 00 02 00 00 00 02 00 00 00 01 00 00 00 02 00 00 00");
    BinaryReader r(matrix);
    Variant v = ReadVariant(r);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(v.type, BuiltinType::Int32);
    EXPECT_TRUE(v.is_array);
    ASSERT_EQ(v.values.size(), 2u);
    EXPECT_EQ(std::get<int64_t>(v.values[1]), 2);
    EXPECT_EQ(v.dimensions, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(Encode([&](BinaryWriter& w) { WriteVariant(w, v); }), ToHex(matrix));

    auto bad_type = Hex("1a");
    BinaryReader rb(bad_type);
    ReadVariant(rb);
    EXPECT_FALSE(rb.ok());
}

TEST(BinaryEncoding, NestingIsCapped) {
    // Variants of Variants, 50 deep: beyond the reader's depth cap.
    std::vector<uint8_t> deep(50, 0x18);
    deep.push_back(0x00);
    BinaryReader r(deep);
    ReadVariant(r);
    EXPECT_FALSE(r.ok());
    // A few levels are fine.
    auto shallow = Hex("18 18 01 01");
    BinaryReader rs(shallow);
    ReadVariant(rs);
    EXPECT_TRUE(rs.ok());
    std::vector<uint8_t> deep_diag(40, 0x40);
    deep_diag.push_back(0x00);
    BinaryReader rd(deep_diag);
    SkipDiagnosticInfo(rd);
    EXPECT_FALSE(rd.ok());
}

TEST(BinaryEncoding, DataValueMaskSelectsFields) {
    DataValue dv;
    dv.value = Variant::Double(1.0);
    dv.status = 0x80000000;
    dv.source_timestamp = 1;
    EXPECT_EQ(Encode([&](BinaryWriter& w) { WriteDataValue(w, dv); }),
              "07 0b 00 00 00 00 00 00 f0 3f 00 00 00 80 01 00 00 00 00 00 00 00");
    // Picoseconds fields are read and dropped.
    auto bytes = Hex("3d 01 01 02 00 00 00 00 00 00 00 07 00 03 00 00 00 00 00 00 00 09 00");
    BinaryReader r(bytes);
    DataValue back = ReadDataValue(r);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_EQ(back.source_timestamp, 2);
    EXPECT_EQ(back.server_timestamp, 3);
    EXPECT_TRUE(std::get<bool>(back.value->values[0]));
}

}  // namespace
}  // namespace iec::ua
