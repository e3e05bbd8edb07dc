#include "opcua/server/secure_channel.h"

#include <gtest/gtest.h>

#include "hex.h"
#include "opcua/server/message_headers.h"
#include "opcua/server/status_codes.h"
#include "opcua/server/tcp_messages.h"
#include "ua_test_client.h"

namespace iec::ua {
namespace {

using test::Hex;
using test::ToHex;

class SecureChannelTest : public ::testing::Test {
protected:
    std::vector<test::Frame> Feed(std::span<const uint8_t> bytes) {
        channel.Receive(bytes, now, requests);
        auto out = channel.TakeOutput();
        return test::SplitFrames(out);
    }
    void OpenChannel(uint32_t lifetime = 10000) {
        ASSERT_EQ(Feed(test::HelloFrame()).at(0).type, "ACK");
        auto opn = Feed(test::OpenFrame(0, 1, 1, 0, lifetime));
        ASSERT_EQ(opn.size(), 1u);
        ASSERT_EQ(opn[0].type, "OPN");
        sequence = 1;
    }
    std::vector<test::Frame> Message(char chunk, uint32_t request_id, const std::string& body_hex,
                                     uint32_t token = 1) {
        auto body = Hex(body_hex);
        return Feed(test::MessageFrame(chunk, 7, token, ++sequence, request_id, body));
    }
    StatusCode ErrorOf(const test::Frame& f) {
        BinaryReader r(f.bytes);
        r.Skip(8);
        return r.U32();
    }

    ChannelCounters counters;
    ChannelLimits limits;
    SecureChannel channel{7, limits, counters};
    Now now{1000, 133500000000000000LL};
    std::vector<IncomingRequest> requests;
    uint32_t sequence = 0;
};

TEST_F(SecureChannelTest, HelloIsAcknowledgedWithinThePeersLimits) {
    auto frames = Feed(Hex("48 45 4c 46 33 00 00 00  00 00 00 00  00 20 00 00  00 00 01 00  00 00 00 00  00 00 00 00"
                           "13 00 00 00 6f 70 63 2e 74 63 70 3a 2f 2f 68 6f 73 74 3a 34 38 34 30"));
    ASSERT_EQ(frames.size(), 1u);
    // Receive = min(ours, peer's send 65536) = 65535; send = min(ours, peer's receive 8192) = 8192.
    EXPECT_EQ(ToHex(frames[0].bytes),
              "41 43 4b 46 1c 00 00 00 00 00 00 00 ff ff 00 00 00 20 00 00 00 00 40 00 00 04 00 00");
    EXPECT_EQ(channel.endpoint_url(), "opc.tcp://host:4840");
}

TEST_F(SecureChannelTest, HelloWithBuffersBelowTheMinimumIsRefused) {
    auto frames = Feed(test::HelloFrame(4096, 65535));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].type, "ERR");
    EXPECT_EQ(ErrorOf(frames[0]), kBadConnectionRejected);
    EXPECT_TRUE(channel.closed());
}

TEST_F(SecureChannelTest, AnythingButHelloFirstClosesTheConnection) {
    auto frames = Feed(test::OpenFrame(0, 1, 1, 0, 1000));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(ErrorOf(frames[0]), kBadTcpMessageTypeInvalid);
    EXPECT_EQ(counters.unexpected_message, 1u);
    EXPECT_TRUE(channel.closed());
}

TEST_F(SecureChannelTest, OpenReturnsTheTokenWithRevisedLifetime) {
    Feed(test::HelloFrame());
    auto frames = Feed(test::OpenFrame(0, 51, 9, 0, 10));  // 10 ms is revised up to the minimum
    ASSERT_EQ(frames.size(), 1u);
    BinaryReader r(frames[0].bytes);
    r.Skip(8);
    EXPECT_EQ(r.U32(), 7u);  // channel id
    EXPECT_EQ(r.String(), test::kPolicyNone);
    r.String();
    r.String();
    EXPECT_EQ(r.U32(), 1u);  // our first sequence number
    EXPECT_EQ(r.U32(), 9u);  // the client's request id
    EXPECT_EQ(ReadNodeId(r), NodeId::Numeric(0, 449));
    r.Skip(8 + 4);
    EXPECT_EQ(r.U32(), kGood);
    r.Skip(1 + 4 + 3 + 4);
    EXPECT_EQ(r.U32(), 7u);     // token: channel id
    EXPECT_EQ(r.U32(), 1u);     // token id
    EXPECT_EQ(r.I64(), now.utc);
    EXPECT_EQ(r.U32(), 1000u);  // revised lifetime
    EXPECT_TRUE(channel.open());
}

TEST_F(SecureChannelTest, OnlySecurityPolicyNoneIsAccepted) {
    Feed(test::HelloFrame());
    auto frames = Feed(test::OpenFrame(0, 1, 1, 0, 1000, "http://opcfoundation.org/UA/SecurityPolicy#Basic256Sha256"));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(ErrorOf(frames[0]), kBadSecurityPolicyRejected);
    EXPECT_EQ(counters.policy_rejected, 1u);
}

TEST_F(SecureChannelTest, ChunksAreAssembledIntoOneRequest) {
    OpenChannel();
    EXPECT_TRUE(Message('C', 5, "01 02").empty());
    EXPECT_TRUE(Message('C', 5, "03").empty());
    EXPECT_TRUE(requests.empty());
    Message('F', 5, "04 05");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].request_id, 5u);
    EXPECT_EQ(ToHex(requests[0].body), "01 02 03 04 05");
    EXPECT_FALSE(requests[0].too_large);
}

TEST_F(SecureChannelTest, AbortChunkDiscardsThePartialMessage) {
    OpenChannel();
    Message('C', 5, "01 02");
    Message('A', 5, "00 00 00 80 ff ff ff ff");
    Message('F', 6, "09");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].request_id, 6u);
    EXPECT_EQ(ToHex(requests[0].body), "09");
}

TEST_F(SecureChannelTest, FramesSplitAcrossReadsAreReassembled) {
    OpenChannel();
    auto frame = test::MessageFrame('F', 7, 1, ++sequence, 3, Hex("aa bb cc"));
    for (uint8_t b : frame) channel.Receive(std::span<const uint8_t>(&b, 1), now, requests);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(ToHex(requests[0].body), "aa bb cc");
}

TEST_F(SecureChannelTest, SequenceGapClosesTheChannel) {
    OpenChannel();
    sequence += 1;  // skip one
    auto frames = Message('F', 2, "00");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(ErrorOf(frames[0]), kBadSequenceNumberInvalid);
    EXPECT_EQ(counters.sequence_errors, 1u);
    EXPECT_TRUE(channel.closed());
    EXPECT_TRUE(requests.empty());
}

TEST_F(SecureChannelTest, SequenceNumbersMayWrapBelow1024) {
    Feed(test::HelloFrame());
    Feed(test::OpenFrame(0, 4294966300u, 1, 0, 10000));
    Feed(test::MessageFrame('F', 7, 1, 1, 2, Hex("00")));
    EXPECT_FALSE(channel.closed());
    EXPECT_EQ(requests.size(), 1u);
}

TEST_F(SecureChannelTest, UnknownTokenClosesTheChannel) {
    OpenChannel();
    auto frames = Message('F', 2, "00", 99);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(ErrorOf(frames[0]), kBadSecureChannelTokenUnknown);
    EXPECT_EQ(counters.unknown_token, 1u);
}

TEST_F(SecureChannelTest, RenewalKeepsTheOldTokenUntilTheNewOneIsUsed) {
    OpenChannel(2000);
    now.mono_ms += 1500;
    auto renewed = Feed(test::OpenFrame(7, ++sequence, 2, 1, 2000));
    ASSERT_EQ(renewed.size(), 1u);
    ASSERT_EQ(renewed[0].type, "OPN");
    EXPECT_EQ(counters.renewals, 1u);
    Message('F', 3, "01", 1);  // the old token is still good
    EXPECT_FALSE(channel.closed());
    Message('F', 4, "02", 2);  // the client switches
    EXPECT_EQ(requests.size(), 2u);
    auto frames = Message('F', 5, "03", 1);  // the old token is gone now
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(ErrorOf(frames[0]), kBadSecureChannelTokenUnknown);
}

TEST_F(SecureChannelTest, TokenNotRenewedInTimeClosesTheChannel) {
    OpenChannel(2000);
    now.mono_ms += 2400;  // within the 25 % grace
    channel.CheckTimeout(now);
    EXPECT_FALSE(channel.closed());
    now.mono_ms += 200;
    channel.CheckTimeout(now);
    EXPECT_TRUE(channel.closed());
    EXPECT_EQ(counters.token_expired, 1u);
}

TEST_F(SecureChannelTest, HandshakeMustFinishInTime) {
    channel.CheckTimeout(now);
    Feed(test::HelloFrame());
    now.mono_ms += 10001;
    channel.CheckTimeout(now);
    EXPECT_TRUE(channel.closed());
}

TEST_F(SecureChannelTest, ChunkAboveTheReceiveBufferIsRefused) {
    OpenChannel();
    std::vector<uint8_t> big(70000, 0);
    auto frames = Feed(test::MessageFrame('F', 7, 1, ++sequence, 2, big));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(ErrorOf(frames[0]), kBadTcpMessageTooLarge);
    EXPECT_EQ(counters.chunk_too_large, 1u);
}

TEST_F(SecureChannelTest, MessageAboveTheLimitIsFlaggedAndTheStreamStaysInStep) {
    limits.max_message_size = 100;
    SecureChannel small{7, limits, counters};
    small.Receive(test::HelloFrame(), now, requests);
    small.Receive(test::OpenFrame(0, 1, 1, 0, 10000), now, requests);
    std::vector<uint8_t> part(60, 0xAB);
    small.Receive(test::MessageFrame('C', 7, 1, 2, 5, part), now, requests);
    small.Receive(test::MessageFrame('F', 7, 1, 3, 5, part), now, requests);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].too_large);
    EXPECT_EQ(requests[0].body.size(), 60u);  // the first chunk, to answer with its request handle
    EXPECT_EQ(counters.request_too_large, 1u);
    small.Receive(test::MessageFrame('F', 7, 1, 4, 6, Hex("01")), now, requests);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[1].too_large);
}

TEST_F(SecureChannelTest, ResponsesAreChunkedToThePeersBuffer) {
    Feed(test::HelloFrame(8192, 8192));
    Feed(test::OpenFrame(0, 1, 1, 0, 10000));
    std::vector<uint8_t> body(20000);
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(channel.Send(4, body));
    auto frames = test::SplitFrames(channel.TakeOutput());
    ASSERT_EQ(frames.size(), 3u);  // 8168 + 8168 + 3664 octets of body
    std::vector<uint8_t> joined;
    uint32_t expected_sequence = 2;  // 1 went with the OPN response
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_LE(frames[i].bytes.size(), 8192u);
        EXPECT_EQ(frames[i].chunk, i + 1 == frames.size() ? 'F' : 'C');
        BinaryReader r(frames[i].bytes);
        r.Skip(16);
        EXPECT_EQ(r.U32(), expected_sequence++);
        EXPECT_EQ(r.U32(), 4u);
        auto rest = r.Rest();
        joined.insert(joined.end(), rest.begin(), rest.end());
    }
    EXPECT_EQ(joined, body);
}

TEST_F(SecureChannelTest, ResponseBeyondThePeersLimitsIsNotSent) {
    Feed(test::HelloFrame(8192, 8192, 10000, 0));
    Feed(test::OpenFrame(0, 1, 1, 0, 10000));
    std::vector<uint8_t> body(10001);
    EXPECT_FALSE(channel.Send(4, body));
    EXPECT_FALSE(channel.HasOutput());
    SecureChannel few{8, limits, counters};
    few.Receive(test::HelloFrame(8192, 8192, 0, 2), now, requests);
    few.Receive(test::OpenFrame(0, 1, 1, 0, 10000), now, requests);
    few.TakeOutput();
    EXPECT_FALSE(few.Send(4, std::vector<uint8_t>(3 * 8168)));
    EXPECT_TRUE(few.Send(4, std::vector<uint8_t>(2 * 8168)));
}

TEST_F(SecureChannelTest, CloseEndsTheChannelWithoutAnswer) {
    OpenChannel();
    auto frames = Feed(test::CloseFrame(7, 1, ++sequence, 9));
    EXPECT_TRUE(frames.empty());
    EXPECT_TRUE(channel.closed());
}

TEST_F(SecureChannelTest, UnknownMessageTypeIsRefused) {
    OpenChannel();
    auto frames = Feed(Hex("58 59 5a 46 08 00 00 00"));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(ErrorOf(frames[0]), kBadTcpMessageTypeInvalid);
}

}  // namespace
}  // namespace iec::ua
