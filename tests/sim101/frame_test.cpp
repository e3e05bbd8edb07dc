#include "sim101/frame.h"

#include <gtest/gtest.h>

#include "hex.h"

namespace iec::sim {
namespace {

using test::Hex;
using test::ToHex;

std::vector<PrimaryFrame> FeedAll(FrameAssembler& a, std::string_view hex, int64_t now = 0) {
    std::vector<PrimaryFrame> out;
    a.Feed(Hex(hex), now, out);
    return out;
}

TEST(FrameAssembler, TakesFixedAndVariableFrames) {
    FrameAssembler a(1, 0);
    auto frames = FeedAll(a, "10 40 05 45 16  68 09 09 68 73 05 64 01 06 05 00 00 14 FC 16");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].Function(), 0);
    EXPECT_EQ(frames[0].address, 5u);
    EXPECT_FALSE(frames[0].variable);
    EXPECT_TRUE(frames[0].user_data.empty());
    EXPECT_EQ(frames[1].control, 0x73);
    EXPECT_TRUE(frames[1].Fcb());
    EXPECT_TRUE(frames[1].Fcv());
    EXPECT_EQ(frames[1].Function(), 3);
    EXPECT_EQ(ToHex(frames[1].user_data), "64 01 06 05 00 00 14");
    EXPECT_EQ(a.Counters().frames, 2u);
    EXPECT_EQ(a.Pending(), 0u);
}

TEST(FrameAssembler, JoinsAFrameSplitOverReads) {
    FrameAssembler a(1, 0);
    EXPECT_TRUE(FeedAll(a, "68 09 09 68 73").empty());
    EXPECT_TRUE(FeedAll(a, "05 64 01 06 05 00").empty());
    auto frames = FeedAll(a, "00 14 FC 16");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].user_data.size(), 7u);
}

TEST(FrameAssembler, TwoOctetLinkAddress) {
    FrameAssembler a(2, 0);
    auto frames = FeedAll(a, "10 40 02 01 43 16");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].address, 0x0102u);
}

TEST(FrameAssembler, CountsEveryKindOfRejection) {
    FrameAssembler a(1, 0);
    EXPECT_TRUE(FeedAll(a, "10 40 05 46 16").empty());  // checksum
    EXPECT_EQ(a.Counters().bad_checksum, 1u);
    EXPECT_TRUE(FeedAll(a, "10 40 05 45 17").empty());  // end octet
    EXPECT_EQ(a.Counters().bad_end, 1u);
    EXPECT_TRUE(FeedAll(a, "68 09 08 68").empty());  // unequal lengths
    EXPECT_EQ(a.Counters().bad_header, 1u);
    // The last 0x68 of the broken header waits as a possible start: with the next octets it is a broken
    // header again, and then L is shorter than control and address.
    EXPECT_TRUE(FeedAll(a, "68 01 01 68").empty());
    EXPECT_EQ(a.Counters().bad_header, 3u);
    EXPECT_TRUE(FeedAll(a, "10 00 05 05 16").empty());  // PRM = 0: another station's answer
    EXPECT_EQ(a.Counters().secondary_frames, 1u);
    EXPECT_EQ(a.Counters().frames, 0u);
    // After all this the assembler still takes a good frame.
    EXPECT_EQ(FeedAll(a, "10 49 05 4E 16").size(), 1u);
}

TEST(FrameAssembler, SkipsGarbageAndFindsTheNextFrame) {
    FrameAssembler a(1, 0);
    auto frames = FeedAll(a, "FF 00 E5 12 10 49 05 4E 16");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].Function(), 9);
    EXPECT_EQ(a.Counters().skipped_octets, 4u);
}

TEST(FrameAssembler, ResynchronisesInsideABrokenFrame) {
    FrameAssembler a(1, 0);
    // A start octet with a wrong frame behind it, then a good frame: the good one must not be lost.
    auto frames = FeedAll(a, "10 10 49 05 4E 16");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].control, 0x49);
}

TEST(FrameAssembler, DiscardsAPartialFrameAfterAnIdleGap) {
    FrameAssembler a(1, 500);
    EXPECT_TRUE(FeedAll(a, "68 09 09 68 73 05", 1000).empty());
    // The rest of the frame comes too late: it is garbage now, and only the next whole frame counts.
    EXPECT_TRUE(FeedAll(a, "64 01 06 05 00 00 14 FC 16", 1600).empty());
    EXPECT_EQ(a.Counters().broken_by_gap, 1u);
    EXPECT_EQ(FeedAll(a, "10 49 05 4E 16", 1700).size(), 1u);
}

TEST(FrameAssembler, MaximumLengthFrame) {
    FrameAssembler a(1, 0);
    std::vector<uint8_t> f{0x68, 0xFF, 0xFF, 0x68, 0x53, 0x05};
    uint8_t sum = 0x53 + 0x05;
    for (int i = 0; i < 253; ++i) {
        f.push_back(static_cast<uint8_t>(i));
        sum = static_cast<uint8_t>(sum + i);
    }
    f.push_back(sum);
    f.push_back(0x16);
    ASSERT_EQ(f.size(), kMaxFrameOctets);
    std::vector<PrimaryFrame> out;
    a.Feed(f, 0, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].user_data.size(), 253u);
}

TEST(FrameBuilders, ByteExact) {
    EXPECT_EQ(ToHex(BuildFixedFrame(0x0B, 5, 1)), "10 0B 05 10 16");
    EXPECT_EQ(ToHex(BuildFixedFrame(0x20, 0x0102, 2)), "10 20 02 01 23 16");
    const auto asdu = Hex("64 01 07 05 00 00 14");
    EXPECT_EQ(ToHex(BuildVariableFrame(0x08, 5, 1, asdu)), "68 09 09 68 08 05 64 01 07 05 00 00 14 92 16");
    EXPECT_EQ(MaxAsduOctets(1), 253u);
    EXPECT_EQ(MaxAsduOctets(2), 252u);
}

}  // namespace
}  // namespace iec::sim
