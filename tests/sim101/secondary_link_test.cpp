#include "sim101/secondary_link.h"

#include <gtest/gtest.h>

#include <deque>

#include "hex.h"

namespace iec::sim {
namespace {

using test::Hex;
using test::ToHex;

// An application whose queues the test fills and whose received user data it inspects.
class FakeApplication final : public Application {
public:
    void OnUserData(std::span<const uint8_t> asdu, const SimTime&) override {
        received.emplace_back(asdu.begin(), asdu.end());
    }
    bool CanAcceptUserData() const override { return accept; }
    bool HasClass1() const override { return !class1.empty(); }
    std::optional<std::vector<uint8_t>> TakeClass1() override { return Take(class1); }
    std::optional<std::vector<uint8_t>> TakeClass2() override { return Take(class2); }
    void OnResetRemoteLink(const SimTime&) override { ++link_resets; }
    void OnResetUserProcess(const SimTime&) override { ++process_resets; }

    std::deque<std::vector<uint8_t>> class1, class2;
    std::vector<std::vector<uint8_t>> received;
    bool accept = true;
    int link_resets = 0;
    int process_resets = 0;

private:
    static std::optional<std::vector<uint8_t>> Take(std::deque<std::vector<uint8_t>>& q) {
        if (q.empty()) return std::nullopt;
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

PrimaryFrame Frame(uint8_t control, std::string_view asdu = {}) {
    PrimaryFrame f;
    f.control = control;
    f.address = 5;
    f.variable = !asdu.empty();
    f.user_data = Hex(asdu);
    return f;
}

class SecondaryLinkTest : public ::testing::Test {
protected:
    std::string Send(uint8_t control, std::string_view asdu = {}) {
        return ToHex(link.Handle(Frame(control, asdu), app, SimTime{}));
    }
    FakeApplication app;
    SecondaryLink link{5, 1, LinkOptions{}};
};

TEST_F(SecondaryLinkTest, StartUpSequence) {
    EXPECT_EQ(Send(0x40), "10 00 05 05 16");  // reset of remote link -> ACK
    EXPECT_EQ(app.link_resets, 1);
    EXPECT_EQ(Send(0x49), "10 0B 05 10 16");  // request status -> status of link
    EXPECT_EQ(Send(0x7B), "10 09 05 0E 16");  // class 2, FCB 1 -> no data
}

TEST_F(SecondaryLinkTest, AcdShowsWaitingClass1Data) {
    Send(0x40);
    app.class1.push_back(Hex("64 01 07 05 00 00 14"));
    app.class1.push_back(Hex("64 01 0A 05 00 00 14"));
    EXPECT_EQ(Send(0x49), "10 2B 05 30 16");
    EXPECT_EQ(Send(0x7B), "10 29 05 2E 16");  // class 2: no data, but ACD
    // Class 1 with more waiting keeps ACD; the last one clears it.
    EXPECT_EQ(Send(0x5A), "68 09 09 68 28 05 64 01 07 05 00 00 14 B2 16");
    EXPECT_EQ(Send(0x7A), "68 09 09 68 08 05 64 01 0A 05 00 00 14 95 16");
    EXPECT_EQ(Send(0x5A), "10 09 05 0E 16");
}

TEST_F(SecondaryLinkTest, RepeatsTheLastAnswerWhenFcbIsNotToggled) {
    Send(0x40);
    app.class1.push_back(Hex("64 01 07 05 00 00 14"));
    app.class1.push_back(Hex("64 01 0A 05 00 00 14"));
    const std::string first = Send(0x7A);
    // The master lost our answer and asks again with the same FCB: the same octets, no second item taken.
    EXPECT_EQ(Send(0x7A), first);
    EXPECT_EQ(Send(0x7B), first);  // even if it now asks for class 2
    EXPECT_EQ(link.Counters().repetitions, 2u);
    EXPECT_EQ(app.class1.size(), 1u);
    EXPECT_EQ(Send(0x5A), "68 09 09 68 08 05 64 01 0A 05 00 00 14 95 16");
}

TEST_F(SecondaryLinkTest, DiscardsTheUserDataOfARepeatedFrame) {
    Send(0x40);
    EXPECT_EQ(Send(0x73, "2D 01 06 05 01 40 81"), "10 00 05 05 16");
    EXPECT_EQ(Send(0x73, "2D 01 06 05 01 40 81"), "10 00 05 05 16");
    EXPECT_EQ(app.received.size(), 1u);
    Send(0x53, "2D 01 06 05 01 40 01");
    EXPECT_EQ(app.received.size(), 2u);
}

TEST_F(SecondaryLinkTest, ResetMakesFcbOneTheNextNewFrame) {
    Send(0x40);
    Send(0x7B);  // FCB 1
    Send(0x40);  // a new reset: an FCB of 1 is new again, not a repetition
    app.class1.push_back(Hex("64 01 07 05 00 00 14"));
    EXPECT_EQ(Send(0x7A), "68 09 09 68 08 05 64 01 07 05 00 00 14 92 16");
    EXPECT_EQ(link.Counters().repetitions, 0u);
}

TEST_F(SecondaryLinkTest, FramesWithoutFcvAreNeverRepetitions) {
    Send(0x40);
    app.class1.push_back(Hex("64 01 07 05 00 00 14"));
    EXPECT_EQ(Send(0x49), "10 2B 05 30 16");
    EXPECT_EQ(Send(0x49), "10 2B 05 30 16");
    EXPECT_EQ(link.Counters().repetitions, 0u);
}

TEST_F(SecondaryLinkTest, RefusesUserDataItCannotTake) {
    Send(0x40);
    app.accept = false;
    EXPECT_EQ(Send(0x73, "64 01 06 05 00 00 14"), "10 01 05 06 16");
    EXPECT_TRUE(app.received.empty());
    EXPECT_EQ(link.Counters().nacks, 1u);
    // User data in a fixed frame is nonsense and refused alike.
    EXPECT_EQ(Send(0x53), "10 01 05 06 16");
}

TEST_F(SecondaryLinkTest, OtherFunctions) {
    EXPECT_EQ(Send(0x41), "10 00 05 05 16");  // reset of user process
    EXPECT_EQ(app.process_resets, 1);
    EXPECT_EQ(Send(0x72), "10 00 05 05 16");  // test function of link
    EXPECT_EQ(Send(0x48), "10 0B 05 10 16");  // request for access demand
    EXPECT_EQ(Send(0x44, "64 01 06 05 00 00 14"), "");  // user data without reply
    EXPECT_EQ(app.received.size(), 1u);
    EXPECT_EQ(Send(0x4E), "10 0F 05 14 16");  // function 14: not implemented
    EXPECT_EQ(link.Counters().not_implemented, 1u);
}

TEST(SecondaryLinkSingleChar, E5OnlyWhereAcdWouldBeZero) {
    FakeApplication app;
    SecondaryLink link(5, 1, LinkOptions{true});
    auto send = [&](uint8_t control, std::string_view asdu = {}) {
        return ToHex(link.Handle(Frame(control, asdu), app, SimTime{}));
    };
    EXPECT_EQ(send(0x40), "E5");
    EXPECT_EQ(send(0x49), "10 0B 05 10 16");  // status has no single-character form
    EXPECT_EQ(send(0x7B), "E5");              // no data
    app.class1.push_back(Hex("64 01 07 05 00 00 14"));
    EXPECT_EQ(send(0x5B), "10 29 05 2E 16");  // no data but ACD: must be a fixed frame
    EXPECT_EQ(send(0x73, "64 01 06 05 00 00 14"), "10 20 05 25 16");
}

TEST(SecondaryLinkWidths, TwoOctetAddress) {
    FakeApplication app;
    SecondaryLink link(0x0102, 2, LinkOptions{});
    PrimaryFrame f = Frame(0x40);
    f.address = 0x0102;
    EXPECT_EQ(ToHex(link.Handle(f, app, SimTime{})), "10 00 02 01 03 16");
}

}  // namespace
}  // namespace iec::sim
