#include "opcua/server/tag_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "opcua/server/status_codes.h"
#include "opcua/server/tag_model.h"

namespace iec::ua {
namespace {

template <class T>
T Value(const DataValue& dv) {
    return std::get<T>(dv.value->values.at(0));
}

TEST(TagStore, ValuesAreConvertedToTheDeclaredType) {
    TagStore store;
    int32_t b = store.AddSlot(TagType::Boolean);
    int32_t i = store.AddSlot(TagType::Int32);
    int32_t d = store.AddSlot(TagType::Double);
    // A double-point TS is declared Int32 but updated with type index 0 and its integer value.
    ASSERT_TRUE(store.SetValue(i, 0, 2, 2.0, 0, 10, 11));
    EXPECT_EQ(Value<int64_t>(store.Read(i)), 2);
    EXPECT_EQ(store.Read(i).value->type, BuiltinType::Int32);
    ASSERT_TRUE(store.SetValue(b, 10, 0, 0.0, 0, 10, 11));
    EXPECT_FALSE(Value<bool>(store.Read(b)));
    ASSERT_TRUE(store.SetValue(b, 0, 5, 0.0, 0, 10, 11));  // any non-zero integer is true
    EXPECT_TRUE(Value<bool>(store.Read(b)));
    ASSERT_TRUE(store.SetValue(d, 10, 0, 231.25, 0, 10, 11));
    EXPECT_EQ(Value<double>(store.Read(d)), 231.25);
    ASSERT_TRUE(store.SetValue(i, 10, 0, std::nan(""), 0, 10, 11));
    EXPECT_EQ(Value<int64_t>(store.Read(i)), 0);
    ASSERT_TRUE(store.SetValue(i, 10, 0, 1e12, 0, 10, 11));
    EXPECT_EQ(Value<int64_t>(store.Read(i)), std::numeric_limits<int32_t>::max());
    DataValue dv = store.Read(d);
    EXPECT_EQ(dv.source_timestamp, 10);
    EXPECT_EQ(dv.server_timestamp, 11);
    EXPECT_FALSE(store.SetValue(3, 0, 1, 1, 0, 1, 1));
    EXPECT_FALSE(store.SetValue(-1, 0, 1, 1, 0, 1, 1));
}

TEST(TagStore, QualityKeepsTheValueAndBadStatusIsPassedOn) {
    TagStore store;
    int32_t d = store.AddSlot(TagType::Double);
    EXPECT_EQ(store.Read(d).status, kBadWaitingForInitialData);
    EXPECT_FALSE(store.Read(d).value.has_value());
    store.SetValue(d, 10, 0, 5.5, 0, 1, 1);
    uint64_t generation = store.generation();
    ASSERT_TRUE(store.SetQuality(d, 0x80000000u, 20, 21));
    EXPECT_GT(store.generation(), generation);
    DataValue dv = store.Read(d);
    EXPECT_EQ(dv.status, 0x80000000u);
    EXPECT_EQ(Value<double>(dv), 5.5);
    EXPECT_EQ(dv.source_timestamp, 20);
}

TEST(TagStore, ReadIfChangedSeesEveryUpdateOnce) {
    TagStore store;
    int32_t d = store.AddSlot(TagType::Double);
    uint64_t version = 0;
    DataValue out;
    EXPECT_TRUE(store.ReadIfChanged(d, version, out));
    EXPECT_FALSE(store.ReadIfChanged(d, version, out));
    store.SetValue(d, 10, 0, 1.0, 0, 1, 1);
    EXPECT_TRUE(store.ReadIfChanged(d, version, out));
    EXPECT_EQ(Value<double>(out), 1.0);
    EXPECT_FALSE(store.ReadIfChanged(d, version, out));
}

TEST(TagStore, WritesAreTypeCheckedAndKeptInThreeForms) {
    TagStore store;
    int32_t b = store.AddSlot(TagType::Boolean);
    int32_t d = store.AddSlot(TagType::Double);
    EXPECT_EQ(store.Write(b, Variant::Int32(1)), kBadTypeMismatch);
    Variant array = Variant::Boolean(true);
    array.is_array = true;
    EXPECT_EQ(store.Write(b, array), kBadTypeMismatch);
    EXPECT_EQ(store.Write(b, Variant{}), kBadTypeMismatch);
    EXPECT_EQ(store.Write(b, Variant::Boolean(true)), kGood);
    EXPECT_EQ(store.Written(b).as_int, 1);
    EXPECT_EQ(store.Written(b).as_double, 1.0);
    EXPECT_EQ(store.Write(d, Variant::Double(-2.6)), kGood);
    EXPECT_EQ(store.Written(d).as_int, -3);
    EXPECT_TRUE(store.Written(d).as_bool);
    EXPECT_EQ(store.Write(7, Variant::Double(1)), kBadNodeIdUnknown);
    EXPECT_EQ(store.Written(7).as_int, 0);
}

TEST(TagModel, NumbersAreUniqueAcrossGroupsAndVariables) {
    TagModel model;
    TagStore store;
    EXPECT_EQ(model.AddGroup(80001, "A"), kDeclared);
    EXPECT_EQ(model.AddGroup(80001, "B"), kRefusedDuplicate);
    EXPECT_EQ(model.AddGroup(0, "C"), kRefusedArgument);
    EXPECT_EQ(model.AddVariable(2, "v", TagType::Boolean, 80001, true, store), kDeclared);
    EXPECT_EQ(model.AddVariable(80001, "v", TagType::Boolean, 80001, true, store), kRefusedDuplicate);
    EXPECT_EQ(model.AddGroup(2, "D"), kRefusedDuplicate);
    EXPECT_EQ(model.AddVariable(3, "v", TagType::Boolean, 80002, true, store), kRefusedNoGroup);
    EXPECT_EQ(model.AddVariable(4, "", TagType::Boolean, 80001, true, store), kRefusedArgument);
    EXPECT_EQ(model.SlotOf(2), 0);
    EXPECT_EQ(model.SlotOf(3), -1);
    EXPECT_EQ(store.size(), 1u);
}

TEST(TagModel, AddressSpaceHasAFolderPerGroupAndAVariablePerDeclaration) {
    TagModel model;
    TagStore store;
    model.AddGroup(80001, "Podstancia_1");
    model.AddVariable(2, "nQ_ON", TagType::Boolean, 80001, true, store);
    model.AddVariable(4, "U_ab", TagType::Double, 80001, false, store);
    AddressSpace space;
    model.BuildAddressSpace(space);
    const Node* group = space.Find(NodeId::Numeric(1, 80001));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->browse_name, (QualifiedName{1, "Podstancia_1"}));
    const Node* objects = space.Find(NodeId::Numeric(0, 85));
    ASSERT_NE(objects, nullptr);
    bool organized = false;
    for (const Reference& r : objects->references) organized = organized || r.target == group->id;
    EXPECT_TRUE(organized);
    const Node* ts = space.Find(NodeId::Numeric(1, 2));
    ASSERT_NE(ts, nullptr);
    EXPECT_EQ(ts->access_level, kAccessRead | kAccessWrite);
    EXPECT_EQ(ts->data_type, NodeId::Numeric(0, 1));
    const Node* tit = space.Find(NodeId::Numeric(1, 4));
    ASSERT_NE(tit, nullptr);
    EXPECT_EQ(tit->access_level, kAccessRead);
    EXPECT_EQ(tit->data_type, NodeId::Numeric(0, 11));
    // The standard nodes clients read are there, with the reference type hierarchy.
    for (uint32_t id : {2253u, 2255u, 2256u, 2259u, 2267u, 11704u, 93u, 852u, 862u, 338u}) {
        EXPECT_NE(space.Find(NodeId::Numeric(0, id)), nullptr) << id;
    }
    EXPECT_TRUE(space.IsSubtypeOf(NodeId::Numeric(0, 47), NodeId::Numeric(0, 33)));
    EXPECT_TRUE(space.IsSubtypeOf(NodeId::Numeric(0, 35), NodeId::Numeric(0, 31)));
    EXPECT_FALSE(space.IsSubtypeOf(NodeId::Numeric(0, 40), NodeId::Numeric(0, 33)));
}

}  // namespace
}  // namespace iec::ua
