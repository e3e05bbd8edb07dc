// Behaviour where this link layer deliberately differs from a literal reading of the frame rules: single control
// character, frame checks, answers from another station, and responses evaluated once.
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

TEST(SingleCharacter, AcknowledgesTheResetOfTheLink) {
    LinkUnderTest t;
    t.link.Work(t.dev, t.rx, false, t.tx);
    EXPECT_EQ(Sent(t), "10 40 05 45 16");
    EXPECT_TRUE(t.Answer(Hex("E5")));
    EXPECT_TRUE(t.link.fl101 & fl_ResetOk);
    EXPECT_EQ(Sent(t), "10 49 05 4E 16");
    EXPECT_EQ(t.link.counters.singleCharacters, 1u);
    EXPECT_EQ(ToHex(t.link.RxFrame()), "E5");
}

TEST(SingleCharacter, IsNoDataAfterAClassRequest) {
    LinkUnderTest t;
    t.Establish();
    t.Send();
    t.Answer(Hex("10 28 05 2D 16"));  // ACD: class 1 next
    EXPECT_EQ(Sent(t), "10 5A 05 5F 16");
    EXPECT_TRUE(t.Answer(Hex("E5")));
    EXPECT_FALSE(t.link.acd);
    EXPECT_EQ(Sent(t), "10 7B 05 80 16");
    EXPECT_TRUE(t.rx.Empty());  // nothing extracted from a single character
    EXPECT_EQ(t.link.counters.asduExtracted, 0u);
}

TEST(SingleCharacter, AcknowledgesConfirmedUserData) {
    LinkUnderTest t;
    t.Establish();
    AsduPtr gi;
    CreateAsduGI(t.dev, gi);
    t.tx.Put(gi);
    t.Send();
    t.Answer(Hex("10 09 05 0E 16"));
    EXPECT_EQ(Sent(t).substr(0, 2), "68");
    EXPECT_TRUE(t.Answer(Hex("E5")));
    EXPECT_EQ(t.link.counters.unexpectedResponse, 0u);
    EXPECT_EQ(Sent(t), "10 7B 05 80 16");
}

TEST(SingleCharacter, IsNoAnswerToTheLinkStatusRequest) {
    LinkUnderTest t;
    t.link.Work(t.dev, t.rx, false, t.tx);
    t.Send();
    t.Answer(Hex("10 00 05 05 16"));
    EXPECT_EQ(Sent(t), "10 49 05 4E 16");
    t.Answer(Hex("E5"));
    EXPECT_FALSE(t.link.fl101 & fl_StatusOk);
    EXPECT_EQ(t.link.counters.unexpectedResponse, 1u);
    EXPECT_EQ(Sent(t), "10 49 05 4E 16");
}

TEST(SingleCharacter, InsideAFrameIsOrdinaryData) {
    LinkUnderTest t;
    t.link.ReceivePut(Hex("68 04 04 68 08 05 E5 01 F3 16"));
    EXPECT_TRUE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_EQ(t.link.RxLenkd2, 10);
    EXPECT_EQ(t.link.counters.singleCharacters, 0u);
    // After noise outside a frame it still counts.
    t.link.ReceivePut(Hex("FF 00 E5"));
    EXPECT_TRUE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_EQ(t.link.RxLenkd2, 1);
}

TEST(FrameChecks, MalformedFramesAreRejectedLikeAWrongChecksum) {
    struct Case { const char* frame; Counter LinkCounters::*counter; };
    const Case cases[] = {
        {"10 0B 05 10 17", &LinkCounters::badEndOctet},
        {"68 09 08 68 08 05 64 01 07 05 00 00 14 92 16", &LinkCounters::badLengthOctets},
        {"68 09 09 69 08 05 64 01 07 05 00 00 14 92 16", &LinkCounters::badSecondStart},
        {"68 09 09 68 08 05 64 01 07 05 00 00 14 92 00", &LinkCounters::badEndOctet},
        {"68 01 01 68 08 08 16", &LinkCounters::shortFrame},
        {"68 09 09 68 08 05 64 01 07 05 00 00 14 93 16", &LinkCounters::badChecksum},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        LinkUnderTest t;
        t.Establish();
        EXPECT_EQ(Sent(t), "10 7B 05 80 16");
        EXPECT_FALSE(t.Answer(Hex(c.frame)));
        EXPECT_EQ((t.link.counters.*c.counter).load(), 1u);
        EXPECT_TRUE(t.rx.Empty());
        // The request goes out again unchanged, so the station repeats its answer.
        EXPECT_EQ(Sent(t), "10 7B 05 80 16");
    }
}

TEST(ForeignAddress, AnswerOfAnotherStationIsNotTakenOnASharedLine) {
    LinkUnderTest b(6);
    b.Establish();
    EXPECT_EQ(Sent(b), "10 7B 06 81 16");
    // Station 5's late confirmation of an interrogation arrives while 6 is polled.
    EXPECT_FALSE(b.Answer(Hex("68 09 09 68 28 05 64 01 07 05 00 00 14 B2 16")));
    EXPECT_EQ(b.link.counters.foreignAddress, 1u);
    EXPECT_TRUE(b.rx.Empty());
    EXPECT_FALSE(b.link.acd);
    EXPECT_EQ(Sent(b), "10 7B 06 81 16");  // asked again, same FCB
    EXPECT_TRUE(b.Answer(Hex("10 09 06 0F 16")));
    EXPECT_EQ(Sent(b), "10 5B 06 61 16");
}

TEST(ForeignAddress, AloneOnItsLineTheStationIsTakenAndCounted) {
    LinkUnderTest t(6);
    t.link.CheckLinkAddress = false;
    t.Establish();
    t.Send();
    EXPECT_TRUE(t.Answer(Hex("68 09 09 68 08 05 64 01 07 05 00 00 14 92 16")));
    EXPECT_EQ(t.link.counters.foreignAddress, 1u);
    AsduPtr a;
    ASSERT_TRUE(t.rx.Get(a));
    EXPECT_EQ(a->KpAddress1, 5);
}

TEST(ForeignAddress, TwoOctetAddressesCompareBothOctets) {
    LinkUnderTest t(0x0102, 2);
    t.link.ReceivePut(Hex("10 00 02 02 04 16"));
    EXPECT_FALSE(t.link.ReceiveGetKadr(t.dev));
    EXPECT_EQ(t.link.counters.foreignAddress, 1u);
    t.link.ReceivePut(Hex("10 00 02 01 03 16"));
    EXPECT_TRUE(t.link.ReceiveGetKadr(t.dev));
}

TEST(EvaluatedOnce, AStaleResponseIsNotEvaluatedAgain) {
    LinkUnderTest t;
    t.link.Work(t.dev, t.rx, false, t.tx);
    t.Send();
    t.Answer(Hex("10 00 05 05 16"));
    EXPECT_FALSE(t.link.fl101 & fl_RxKadr);
    EXPECT_EQ(Sent(t), "10 49 05 4E 16");
    // The status request is never answered: the acknowledgement of the reset is not taken for its answer; the
    // request goes out 1 + Retries times, then the layer waits for the link to be restarted.
    int sent = 1;
    for (int exchange = 0; exchange < 10; ++exchange) {
        t.Answer({});
        if (!t.Send().empty()) ++sent;
    }
    EXPECT_EQ(sent, 4);
    EXPECT_EQ(t.link.counters.repetitions, 3u);
    EXPECT_EQ(t.link.counters.responsesMissing, 10u);
    EXPECT_FALSE(t.link.fl101 & fl_StatusOk);
    // An answer at last is evaluated.
    t.link.fl101 |= fl_WaitSend;
    t.Send();
    EXPECT_TRUE(t.Answer(Hex("10 0B 05 10 16")));
    EXPECT_TRUE(t.link.fl101 & fl_StatusOk);
}

TEST(EvaluatedOnce, AnAsduIsExtractedOnce) {
    LinkUnderTest t;
    t.Establish();
    t.Send();
    t.Answer(Hex("68 09 09 68 08 05 64 01 07 05 00 00 14 92 16"));
    AsduPtr a;
    ASSERT_TRUE(t.rx.Get(a));
    t.Send();
    t.Answer({});
    EXPECT_FALSE(t.rx.Get(a));
    EXPECT_EQ(t.link.counters.asduExtracted, 1u);
}

}  // namespace
}  // namespace iec
