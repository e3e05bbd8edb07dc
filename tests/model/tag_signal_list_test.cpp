#include <gtest/gtest.h>

#include "model/tag_category.h"
#include "model/tag_signal_list.h"

namespace iec {
namespace {

TTagSignal Make(const std::string& name, int kp, int asdu, int obj) {
    TTagSignal s;
    s.SetParam_2(kp, asdu, 3, TagCategoryList().GetPtc(0), name, obj);
    return s;
}

TEST(TagCategory, BothVariants) {
    EXPECT_EQ(TagCategoryList().Count(), 4);
    EXPECT_EQ(TagCategoryList2().Count(), 10);
    EXPECT_EQ(TagCategoryList().GetPtc(1)->FDescr, "ТИТ");
    EXPECT_EQ(TagCategoryList().GetPtc(3)->FDescr, "Телеуправление");
    EXPECT_EQ(TagCategoryList2().GetPtc(14)->valuelen, 4);
    EXPECT_EQ(TagCategoryList2().GetPtc(19)->FDescr, "16 ТС с изм.(4 байта)");
    EXPECT_EQ(TagCategoryList2().GetPtc(16)->FDescr, "Дискретная(-64..63)");
    EXPECT_EQ(TagCategoryList().GetPtc(10), nullptr);
    EXPECT_EQ(TagCategoryList2().GetPtc(0), nullptr);
}

TEST(TagSignalList, AddChecksNameAndRepeats) {
    TTagSignalList list;
    EXPECT_EQ(list.CheckAdd(Make("", 1, 1, 1)), "Не задано имя тега");
    EXPECT_FALSE(list.AddTag(Make("", 1, 1, 1)));
    EXPECT_TRUE(list.AddTag(Make("A", 5, 5, 100)));
    // A repeat of the tag added just before is refused too.
    EXPECT_EQ(list.CheckAdd(Make("A", 5, 5, 100)), "Повтор имени или адреса тега");
    EXPECT_FALSE(list.AddTag(Make("A", 5, 5, 100)));
    EXPECT_TRUE(list.AddTag(Make("B", 5, 5, 100)));  // same addresses, other name
    EXPECT_TRUE(list.AddTag(Make("A", 6, 5, 100)));  // same name, other station
    EXPECT_EQ(list.FCount(), 3);
    EXPECT_EQ(list.GetTag(0)->FIndArm, 3);
    EXPECT_EQ(list.GetTag(0)->Address, 100);
    EXPECT_EQ(list.GetTag(3), nullptr);
    EXPECT_EQ(list.GetTag(-1), nullptr);
}

TEST(TagSignalList, FindReturnsTheFirstMatchOfAllThreeAddresses) {
    TTagSignalList list;
    list.AddTag(Make("A", 5, 5, 100));
    list.AddTag(Make("B", 5, 5, 100));
    list.AddTag(Make("C", 5, 6, 100));
    list.AddTag(Make("D", 7, 5, 100));
    TTagSignal* s = nullptr;
    EXPECT_EQ(list.FindTag(5, 5, 100, s), 0);
    EXPECT_EQ(s->Name, "A");
    EXPECT_EQ(list.FindTag(5, 6, 100, s), 2);
    EXPECT_EQ(list.FindTag(7, 5, 100, s), 3);
    EXPECT_EQ(list.FindTag(5, 5, 101, s), -1);
    EXPECT_EQ(s, nullptr);
    list.Clear();
    EXPECT_EQ(list.FCount(), 0);
    EXPECT_EQ(list.FindTag(5, 5, 100), nullptr);
}

TEST(TagSignalList, AddKeepsTheValueAndScalesToManySignals) {
    TTagSignalList list;
    for (int i = 0; i < 10000; ++i) ASSERT_TRUE(list.AddTag(Make("S" + std::to_string(i), 1, 1, i)));
    EXPECT_EQ(list.FindTag(1, 1, 9999)->Name, "S9999");
    EXPECT_EQ(list.GetTag(1234)->Value().ptc, TagCategoryList().GetPtc(0));
}

}  // namespace
}  // namespace iec
