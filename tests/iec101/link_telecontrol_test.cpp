#include <gtest/gtest.h>

#include "hex.h"
#include "iec101/asdu_build.h"
#include "link_fixture.h"

namespace iec {
namespace {

using test::Hex;
using test::LinkUnderTest;
using test::ToHex;

// Link up and FCB at 0, so the next frame built after a good answer carries FCB 1.
void Ready(LinkUnderTest& t, int qu = 0) {
    t.dev.tu_bit_QU = qu;
    t.Establish();
    t.Send();
    t.Answer(Hex("10 09 05 0E 16"));
}

void Queue(LinkUnderTest& t) {
    t.dev.tek_type_tu_t = t.link.TU().Type_TU_45_46;
    AsduPtr slot;
    CreateAsduTU(t.dev, slot);
    t.tx.Put(slot);
}

TEST(Telecontrol, SingleCommandSelectThenExecute) {
    LinkUnderTest t;
    Ready(t);
    t.link.ArmCommand(5, 16385, 0, true);
    Queue(t);
    t.Send();
    t.Answer(Hex("10 09 05 0E 16"));
    EXPECT_EQ(ToHex(t.Send()), "68 09 09 68 73 05 2D 01 06 05 01 40 81 73 16");
    TuState tu = t.link.TU();
    EXPECT_FALSE(tu.select_tu);
    EXPECT_TRUE(tu.exec_tu);
    EXPECT_FALSE(t.dev.error_tu);

    t.Answer(Hex("10 00 05 05 16"));  // the station acknowledges the frame
    t.dev.select_get = true;          // its activation confirmation arrived
    Queue(t);
    t.Send();
    t.Answer(Hex("10 09 05 0E 16"));
    const auto frame = t.Send();
    ASSERT_EQ(frame.size(), 15u);
    EXPECT_EQ(frame[6], 45);
    EXPECT_EQ(frame[12], 0x01);
    tu = t.link.TU();
    EXPECT_FALSE(tu.exec_tu);
    EXPECT_FALSE(t.dev.select_get);
    EXPECT_TRUE(t.dev.error_tu);  // until the station confirms the execute
}

TEST(Telecontrol, CommandOctets) {
    struct Case { int kind; bool on; int qu; int type; uint8_t first; };
    const Case cases[] = {
        {3, false, 2, 46, 0x09},  // double, direct, off, long pulse
        {2, true, 1, 46, 0x86},   // double, select, on, short pulse
        {1, false, 0, 45, 0x00},  // single, direct, off
        {0, false, 3, 45, 0x8C},  // single, select, off, persistent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        LinkUnderTest t;
        Ready(t, c.qu);
        t.link.ArmCommand(5, 100, c.kind, c.on);
        Queue(t);
        t.Send();
        t.Answer(Hex("10 09 05 0E 16"));
        const auto frame = t.Send();
        ASSERT_EQ(frame.size(), 15u);
        EXPECT_EQ(frame[6], c.type);
        EXPECT_EQ(frame[12], c.first);
    }
    LinkUnderTest t;
    Ready(t, 1);
    t.link.ArmCommand(5, 100, 2, true);
    t.link.WithTU([](TuState& tu) {
        tu.select_tu = false;
        tu.exec_tu = true;
    });
    Queue(t);
    t.Send();
    t.Answer(Hex("10 09 05 0E 16"));
    EXPECT_EQ(t.Send()[12], 0x06);
}

TEST(Telecontrol, EndedCommandWaitingInTheMailboxIsNotSent) {
    LinkUnderTest t;
    Ready(t);
    t.link.ArmCommand(5, 100, 1, true);
    Queue(t);
    t.link.WithTU([](TuState& tu) {  // supervision ends it before it went out
        tu.exec_tu = false;
        tu.Asdu_Adr_TU = 0;
        tu.Obj_addr_TU = 0;
    });
    t.Send();
    t.Answer(Hex("10 09 05 0E 16"));
    EXPECT_EQ(ToHex(t.Send()), "10 7B 05 80 16");
    EXPECT_EQ(t.link.counters.staleCommand, 1u);
}

TEST(Telecontrol, WaitsForTheLinkThenGoesBeforeClassOneData) {
    LinkUnderTest t;
    t.link.ArmCommand(5, 100, 1, true);
    Queue(t);
    t.link.Work(t.dev, t.rx, false, t.tx);
    EXPECT_EQ(ToHex(t.Send()), "10 40 05 45 16");
    t.Answer(Hex("10 00 05 05 16"));
    EXPECT_EQ(ToHex(t.Send()), "10 49 05 4E 16");
    t.Answer(Hex("10 2B 05 30 16"));  // link status with ACD: user data may still follow at once
    EXPECT_EQ(t.Send()[6], 45);
    EXPECT_TRUE(t.tx.Empty());
    t.Answer(Hex("10 20 05 25 16"));  // ACK with ACD: now the class 1 data
    EXPECT_EQ(ToHex(t.Send()), "10 5A 05 5F 16");
}

TEST(Telecontrol, UserDataIsNotStarvedByAStationThatKeepsAcdSet) {
    LinkUnderTest t;
    t.Establish();
    t.Send();
    for (int round = 0; round < 3; ++round) {
        t.Answer(Hex("10 28 05 2D 16"));  // no data, ACD still set
        EXPECT_EQ(t.Send()[1] & 0x0F, 10);  // class 1 requests while nothing else waits
    }
    AsduPtr gi;
    CreateAsduGI(t.dev, gi);
    t.tx.Put(gi);
    t.Answer(Hex("10 28 05 2D 16"));
    EXPECT_EQ(t.Send()[6], 100);
    t.Answer(Hex("10 20 05 25 16"));
    EXPECT_EQ(t.Send()[1] & 0x0F, 10);  // then the class 1 requests again
}

TEST(Telecontrol, FirstPollSendsAWaitingAsduBeforeTheLinkIsUpOnce) {
    LinkUnderTest t;
    t.dev.First_opros = true;
    t.link.Work(t.dev, t.rx, t.dev.First_opros, t.tx);
    t.Send();
    AsduPtr gi;
    CreateAsduGI(t.dev, gi);
    t.tx.Put(gi);
    t.Answer(t.Fixed(0x00));  // reset acknowledged, status not yet asked
    EXPECT_EQ(t.Send()[6], 100);
    EXPECT_FALSE(t.dev.First_opros);
    CreateAsduGI(t.dev, gi);
    t.tx.Put(gi);
    t.Answer(t.Fixed(0x00));
    EXPECT_EQ(ToHex(t.Send()), "10 49 05 4E 16");  // now it waits for the link
}

}  // namespace
}  // namespace iec
