#include <gtest/gtest.h>

#include "hex.h"
#include "iec101/asdu_build.h"
#include "link_fixture.h"

namespace iec {
namespace {

using test::Hex;
using test::LinkUnderTest;
using test::ToHex;

std::string Sent(LinkUnderTest& t) { return ToHex(t.Send()); }

TEST(LinkStartUp, ResetStatusThenClassTwoRequests) {
    LinkUnderTest t;
    t.link.Work(t.dev, t.rx, false, t.tx);
    EXPECT_TRUE(t.link.fl101 & fl_WaitAnswer);
    EXPECT_EQ(Sent(t), "10 40 05 45 16");
    EXPECT_TRUE(t.Answer(Hex("10 00 05 05 16")));
    EXPECT_TRUE(t.link.fl101 & fl_ResetOk);
    EXPECT_EQ(Sent(t), "10 49 05 4E 16");
    EXPECT_TRUE(t.Answer(Hex("10 0B 05 10 16")));
    EXPECT_TRUE(t.link.fl101 & fl_StatusOk);
    EXPECT_TRUE(t.dev.flASDU2 & fl_LinkOk);
    EXPECT_EQ(Sent(t), "10 7B 05 80 16");
    EXPECT_TRUE(t.Answer(Hex("10 09 05 0E 16")));  // no data
    EXPECT_EQ(Sent(t), "10 5B 05 60 16");          // FCB alternates
}

TEST(LinkStartUp, NackOrUnexpectedCodeLeavesTheStateAlone) {
    LinkUnderTest t;
    t.link.Work(t.dev, t.rx, false, t.tx);
    t.Send();
    t.Answer(Hex("10 01 05 06 16"));  // NACK to the reset
    EXPECT_FALSE(t.link.fl101 & fl_ResetOk);
    EXPECT_EQ(Sent(t), "10 40 05 45 16");
    t.Answer(Hex("10 00 05 05 16"));
    t.Send();
    t.Answer(Hex("10 00 05 05 16"));  // ACK where the link status was asked for
    EXPECT_FALSE(t.link.fl101 & fl_StatusOk);
    EXPECT_EQ(t.link.counters.unexpectedResponse, 1u);
    EXPECT_EQ(Sent(t), "10 49 05 4E 16");
}

TEST(LinkFcb, ARequestBuiltAfterAFailedReceptionKeepsTheFcb) {
    LinkUnderTest t;
    t.Establish();
    EXPECT_EQ(ToHex(t.link.TxFrame()), "10 7B 05 80 16");
    t.link.last_good_crc = false;
    t.link.FormKadr1(11, t.dev);
    EXPECT_EQ(ToHex(t.link.TxFrame()), "10 7B 05 80 16");
    t.link.last_good_crc = true;
    t.link.FormKadr1(11, t.dev);
    EXPECT_EQ(ToHex(t.link.TxFrame()), "10 5B 05 60 16");
    // Reset and status requests carry FCB 0 and restart the alternation.
    t.link.FormKadr1(9, t.dev);
    EXPECT_EQ(ToHex(t.link.TxFrame()), "10 49 05 4E 16");
    t.link.FormKadr1(11, t.dev);
    EXPECT_EQ(ToHex(t.link.TxFrame()), "10 7B 05 80 16");
}

TEST(LinkFcb, AMissingAnswerRepeatsTheSameFrame) {
    LinkUnderTest t;
    t.Establish();
    EXPECT_EQ(Sent(t), "10 7B 05 80 16");
    EXPECT_FALSE(t.Answer(Hex("10 09 05 0F 16")));  // checksum wrong
    EXPECT_EQ(Sent(t), "10 7B 05 80 16");
    EXPECT_EQ(t.link.counters.badChecksum, 1u);
    EXPECT_EQ(t.link.counters.repetitions, 1u);
    EXPECT_TRUE(t.Answer(Hex("10 09 05 0E 16")));
    EXPECT_EQ(Sent(t), "10 5B 05 60 16");
}

TEST(LinkAcd, ClassOneWhileTheStationHasClassOneData) {
    LinkUnderTest t;
    t.Establish();
    t.Send();
    t.Answer(Hex("10 28 05 2D 16"));  // ACK with ACD
    EXPECT_TRUE(t.link.acd);
    EXPECT_EQ(Sent(t), "10 5A 05 5F 16");
    t.Answer(Hex("10 08 05 0D 16"));
    EXPECT_FALSE(t.link.acd);
    EXPECT_EQ(Sent(t), "10 7B 05 80 16");
}

TEST(LinkFrames, TwoOctetLinkAddress) {
    LinkUnderTest t(0x0102, 2);
    t.link.Work(t.dev, t.rx, false, t.tx);
    EXPECT_EQ(Sent(t), "10 40 02 01 43 16");
    EXPECT_TRUE(t.Answer(Hex("10 00 02 01 03 16")));
    EXPECT_EQ(Sent(t), "10 49 02 01 4C 16");
}

TEST(LinkFrames, CommandsAsUserData) {
    LinkUnderTest t;
    t.Establish();
    t.Send();
    t.Answer(Hex("10 09 05 0E 16"));
    AsduPtr slot;
    CreateAsduGI(t.dev, slot);
    t.tx.Put(slot);
    EXPECT_EQ(Sent(t), "10 5B 05 60 16");
    t.Answer(Hex("10 09 05 0E 16"));
    EXPECT_EQ(Sent(t), "68 09 09 68 73 05 64 01 06 05 00 00 14 FC 16");
    EXPECT_TRUE(t.link.fl101 & fl_WaitAnswer);

    CreateAsduCI(t.dev, slot);
    t.link.last_good_crc = true;
    t.link.FormKadr2(*slot, t.dev);
    EXPECT_EQ(ToHex(t.link.TxFrame()), "68 09 09 68 53 05 65 01 06 05 00 00 05 CE 16");

    // A read is a request (cause 5), to the object it was built for and the common address of its signal.
    CreateAsduRead(t.dev, 0x1234, slot);
    EXPECT_EQ(slot->BlockAddress, 0x1234);
    t.link.FormKadr2(*slot, t.dev);
    EXPECT_EQ(ToHex(t.link.TxFrame()), "68 08 08 68 73 05 66 01 05 05 34 12 2F 16");
    CreateAsduRead(t.dev, 0x1234, slot, 9);
    t.link.FormKadr2(*slot, t.dev);
    EXPECT_EQ(ToHex(t.link.TxFrame()), "68 08 08 68 53 05 66 01 05 09 34 12 13 16");
    // Interrogations go to the common address of the station's signals when it differs from the link address.
    t.dev.CommonAddress = 7;
    CreateAsduGI(t.dev, slot);
    t.link.FormKadr2(*slot, t.dev);
    EXPECT_EQ(ToHex(t.link.TxFrame()), "68 09 09 68 73 05 64 01 06 07 00 00 14 FE 16");
}

TEST(LinkFrames, FieldWidthsOfTheStation) {
    LinkUnderTest t(0x0102, 2);
    t.dev.sz_PrichinaPeredachi = 2;
    t.dev.sz_ASDUAddress = 2;
    t.dev.sz_InfObjAddress = 3;
    AsduPtr slot;
    CreateAsduGI(t.dev, slot);
    t.link.FormKadr2(*slot, t.dev);
    EXPECT_EQ(ToHex(t.link.TxFrame()), "68 0D 0D 68 53 02 01 64 01 06 00 02 01 00 00 00 14 D8 16");
}

TEST(LinkReceive, VariableFrameGivesItsAsdu) {
    LinkUnderTest t;
    t.Establish();
    t.Send();
    EXPECT_TRUE(t.Answer(Hex("68 09 09 68 08 05 64 01 07 05 00 00 14 92 16")));
    AsduPtr a;
    ASSERT_TRUE(t.rx.Get(a));
    EXPECT_EQ(a->ptid->Name, C_IC_NA);
    EXPECT_EQ(a->COT, 7);
    EXPECT_EQ(a->KpAddress1, 5);
    EXPECT_EQ(a->LinkAddress, 5);
    EXPECT_EQ(test::ToHex(a->Data1), "00 00 14");
    EXPECT_EQ(t.link.counters.asduExtracted, 1u);
}

TEST(LinkReceive, OriginatorAndTwoOctetCommonAddressAreRead) {
    LinkUnderTest t;
    t.dev.sz_PrichinaPeredachi = 2;
    t.dev.sz_ASDUAddress = 2;
    t.Establish();
    t.Send();
    EXPECT_TRUE(t.Answer(Hex("68 0B 0B 68 08 05 01 01 03 07 05 01 01 00 01 21 16")));
    AsduPtr a;
    ASSERT_TRUE(t.rx.Get(a));
    EXPECT_EQ(a->LinkAddress, 261);
    EXPECT_EQ(a->lenData, 3);
    EXPECT_EQ(ToHex(a->Data1), "01 00 01");
}

TEST(LinkReceive, WrongChecksumLeavesTheFlagAsItWas) {
    LinkUnderTest t;
    t.link.ReceivePut(Hex("10 0B 05 11 16"));
    EXPECT_FALSE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_FALSE(t.link.fl101 & fl_RxKadr);
    t.link.SetReseiveKadr();
    t.link.ReceivePut(Hex("10 0B 05 11 16"));
    EXPECT_FALSE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_TRUE(t.link.fl101 & fl_RxKadr);
    EXPECT_EQ(t.link.counters.badChecksum, 2u);
}

TEST(LinkReceive, OctetsAfterAFrameWaitAndAreDroppedByTheNextStart) {
    LinkUnderTest t;
    t.link.ReceivePut(Hex("10 0B 05 10 16 10"));
    EXPECT_TRUE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_EQ(t.link.RxLenkd1(), 1);
    EXPECT_FALSE(t.link.ReceiveGetKadr(t.dev));
    t.link.ReceivePut(Hex("10 09 05 0E 16"));
    EXPECT_TRUE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_EQ(ToHex(t.link.RxFrame()), "10 09 05 0E 16");
}

TEST(LinkReceive, FrameInPiecesAndGarbageBeforeIt) {
    LinkUnderTest t;
    t.link.ReceivePut(Hex("FF 00 68 09 09 68 08"));
    EXPECT_FALSE(t.link.ReceiveGetKadr(t.dev));
    t.link.ReceivePut(Hex("05 64 01 07 05 00 00 14 92 16"));
    EXPECT_TRUE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_EQ(t.link.RxLenkd2, 15);
}

TEST(LinkReceive, MoreThanFiveHundredTwelveOctetsEmptyTheAssembler) {
    LinkUnderTest t;
    std::vector<uint8_t> junk(600, 0x00);
    junk[0] = 0x68;
    junk[1] = 0xFF;
    t.link.ReceivePut(junk);
    EXPECT_FALSE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_EQ(t.link.RxLenkd1(), 0);
    EXPECT_EQ(t.link.counters.oversize, 1u);
    std::vector<uint8_t> flood(20000, 0x10);
    t.link.ReceivePut(flood);
    EXPECT_EQ(t.link.RxLenkd1(), static_cast<int>(PROT_BUF_SIZE));
}

TEST(LinkReceive, LeftoverGarbageAndShortAsdusAreCounted) {
    LinkUnderTest t;
    t.link.ReceivePut(Hex("10 0B 05 10 16 FF FF FF FF FF"));
    EXPECT_TRUE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_FALSE(t.link.ReceiveGetKadr(t.dev));  // the rest begins with no start octet
    EXPECT_EQ(t.link.counters.garbageDiscarded, 1u);
    EXPECT_EQ(t.link.RxLenkd1(), 0);

    t.Establish();
    t.Send();
    EXPECT_TRUE(t.Answer(Hex("68 03 03 68 08 05 01 0E 16")));  // a frame, but no whole ASDU header
    EXPECT_EQ(t.link.counters.shortAsdu, 1u);
    EXPECT_TRUE(t.rx.Empty());
}

TEST(LinkFrames, AnAsduTooLongForOneFrameIsNotBuilt) {
    LinkUnderTest t;
    t.Establish();
    const std::vector<uint8_t> data(250, 0);
    const TIEC_ASDU big(t.dev, 100, 1, 6, data, 0);
    t.tx.Put(std::make_shared<TIEC_ASDU>(big));
    t.Send();
    t.Answer(Hex("10 09 05 0E 16"));
    EXPECT_EQ(t.link.counters.oversizeCommand, 1u);
    EXPECT_EQ(ToHex(t.Send()), "10 5B 05 60 16");  // the class 2 request goes instead
}

TEST(LinkRetries, NeverAnsweredFrameGoesOutOncePlusRetries) {
    LinkUnderTest t;
    t.link.Work(t.dev, t.rx, false, t.tx);
    int sent = 0;
    for (int exchange = 0; exchange < 8; ++exchange) {
        if (!t.Send().empty()) ++sent;
        t.Answer(Hex("10 00"));  // never a whole frame
    }
    EXPECT_EQ(sent, 4);
    EXPECT_EQ(t.link.counters.repetitions, 3u);
}

TEST(LinkDiagnostics, KadrToStr1) {
    LinkUnderTest t;
    t.link.Work(t.dev, t.rx, false, t.tx);
    EXPECT_EQ(t.link.KadrToStr1(KadrDir::Send, kDumpFixed | kSummary),
              "$TX:  10 40 05 45 16\n$TX: [ADDR=5,FCV=0,FCB=0,PRM=1]");
    EXPECT_EQ(t.link.KadrToStr1(KadrDir::Send, kDumpVariable), "");
    t.link.ReceivePut(Hex("68 09 09 68 28 05 64 01 07 05 00 00 14 B2 16"));
    ASSERT_TRUE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_EQ(t.link.KadrToStr1(KadrDir::Receive, kSummary), "#RX: [ADDR=5,DFC=0,ACD=1,PRM=0]");
    EXPECT_EQ(t.link.KadrToStr1(KadrDir::Receive, kDumpVariable),
              "#RX:  68 09 09 68 28 05 64 01 07 05 00 00 14 B2 16");
}

}  // namespace
}  // namespace iec
