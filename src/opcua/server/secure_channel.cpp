#include "opcua/server/secure_channel.h"

#include <algorithm>

#include "opcua/server/codec.h"
#include "opcua/server/message_headers.h"
#include "opcua/server/node_ids.h"
#include "opcua/server/status_codes.h"
#include "opcua/server/tcp_messages.h"

namespace iec::ua {

namespace {

constexpr char kPolicyNone[] = "http://opcfoundation.org/UA/SecurityPolicy#None";
// Header, channel id, token id, sequence number and request id of a symmetric chunk.
constexpr size_t kSymmetricOverhead = 24;
// Sequence numbers may wrap to a small value once they pass this (legacy rule kept by all stacks).
constexpr uint32_t kSequenceWrapAbove = 4294966271u;
// A peer may have a few messages in flight at once; more partial messages than this is abuse.
constexpr size_t kMaxPartialMessages = 8;
// A connection must finish Hello and OpenSecureChannel in this time, or it only holds a socket.
constexpr int64_t kHandshakeTimeoutMs = 10000;

constexpr uint32_t kRequestIssue = 0;
constexpr uint32_t kRequestRenew = 1;
constexpr uint32_t kSecurityModeNone = 1;

}  // namespace

SecureChannel::SecureChannel(uint32_t channel_id, const ChannelLimits& limits, ChannelCounters& counters)
    : channel_id_(channel_id), limits_(limits), counters_(counters) {}

void SecureChannel::Fail(StatusCode error, const char* reason, uint64_t& counter) {
    ++counter;
    if (closed_) return;
    auto err = EncodeError(error, reason);
    output_.insert(output_.end(), err.begin(), err.end());
    closed_ = true;
}

void SecureChannel::Abort(StatusCode error, const char* reason) { Fail(error, reason, counters_.malformed); }

std::vector<uint8_t> SecureChannel::TakeOutput() {
    std::vector<uint8_t> out;
    out.swap(output_);
    return out;
}

void SecureChannel::Receive(std::span<const uint8_t> data, const Now& now, std::vector<IncomingRequest>& requests) {
    if (closed_) return;
    if (!started_) {
        started_ = true;
        started_ms_ = now.mono_ms;
    }
    input_.insert(input_.end(), data.begin(), data.end());
    size_t offset = 0;
    while (!closed_ && input_.size() - offset >= kFrameHeaderSize) {
        BinaryReader r(std::span<const uint8_t>(input_).subspan(offset, kFrameHeaderSize));
        FrameHeader h = ReadFrameHeader(r);
        if (h.size < kFrameHeaderSize) {
            Fail(kBadTcpMessageTypeInvalid, "frame size below header size", counters_.malformed);
            break;
        }
        if (h.size > limits_.receive_buffer_size) {
            Fail(kBadTcpMessageTooLarge, "chunk larger than the receive buffer", counters_.chunk_too_large);
            break;
        }
        if (input_.size() - offset < h.size) break;
        ProcessFrame(std::span<const uint8_t>(input_).subspan(offset, h.size), now, requests);
        offset += h.size;
    }
    if (closed_) {
        input_.clear();
    } else {
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(offset));
    }
}

void SecureChannel::ProcessFrame(std::span<const uint8_t> frame, const Now& now,
                                 std::vector<IncomingRequest>& requests) {
    BinaryReader r(frame);
    FrameHeader h = ReadFrameHeader(r);
    if (h.Is("HEL") && state_ == State::AwaitHello && h.chunk == 'F') {
        OnHello(frame);
    } else if (h.Is("OPN") && state_ != State::AwaitHello && h.chunk == 'F') {
        OnOpen(frame, now);
    } else if (h.Is("MSG") && state_ == State::Open && (h.chunk == 'F' || h.chunk == 'C' || h.chunk == 'A')) {
        OnMessage(frame, h.chunk, now, requests);
    } else if (h.Is("CLO") && state_ == State::Open && h.chunk == 'F') {
        uint32_t channel = r.U32();
        uint32_t token = r.U32();
        if (!r.ok() || channel != channel_id_) {
            Fail(kBadSecureChannelIdInvalid, "close of another channel", counters_.malformed);
            return;
        }
        if (!AcceptToken(token, now)) return;
        // CloseSecureChannel has no response: the socket is closed.
        closed_ = true;
    } else {
        Fail(kBadTcpMessageTypeInvalid, "unexpected message type", counters_.unexpected_message);
    }
}

void SecureChannel::OnHello(std::span<const uint8_t> frame) {
    BinaryReader r(frame.subspan(kFrameHeaderSize));
    HelloMessage hello = ReadHello(r);
    if (!r.ok()) {
        Fail(kBadTcpMessageTypeInvalid, "malformed Hello", counters_.malformed);
        return;
    }
    if (hello.receive_buffer_size < kMinBufferSize || hello.send_buffer_size < kMinBufferSize) {
        Fail(kBadConnectionRejected, "buffers below 8192 octets", counters_.malformed);
        return;
    }
    AcknowledgeMessage ack;
    ack.protocol_version = 0;
    // Never offer more than the peer said it can take, and never less than the minimum.
    ack.receive_buffer_size = std::max(kMinBufferSize, std::min(limits_.receive_buffer_size, hello.send_buffer_size));
    ack.send_buffer_size = std::max(kMinBufferSize, std::min(limits_.send_buffer_size, hello.receive_buffer_size));
    ack.max_message_size = limits_.max_message_size;
    ack.max_chunk_count = limits_.max_chunk_count;
    limits_.receive_buffer_size = ack.receive_buffer_size;
    send_chunk_size_ = ack.send_buffer_size;
    peer_max_message_ = hello.max_message_size;
    peer_max_chunks_ = hello.max_chunk_count;
    endpoint_url_ = hello.endpoint_url;
    auto out = EncodeAcknowledge(ack);
    output_.insert(output_.end(), out.begin(), out.end());
    state_ = State::AwaitOpen;
}

bool SecureChannel::AcceptSequenceNumber(uint32_t sequence_number) {
    bool ok = !have_received_sequence_ || sequence_number == last_received_sequence_ + 1 ||
              (last_received_sequence_ >= kSequenceWrapAbove && sequence_number < 1024);
    if (!ok) {
        Fail(kBadSequenceNumberInvalid, "sequence number out of order", counters_.sequence_errors);
        return false;
    }
    have_received_sequence_ = true;
    last_received_sequence_ = sequence_number;
    return true;
}

bool SecureChannel::AcceptToken(uint32_t token_id, const Now& now) {
    if (token_id == token_id_) {
        previous_token_id_ = 0;  // the peer has switched to the renewed token
    } else if (previous_token_id_ == 0 || token_id != previous_token_id_) {
        Fail(kBadSecureChannelTokenUnknown, "unknown security token", counters_.unknown_token);
        return false;
    }
    if (now.mono_ms - token_created_ms_ > int64_t{token_lifetime_ms_} * 5 / 4) {
        Fail(kBadSecureChannelTokenUnknown, "security token expired", counters_.token_expired);
        return false;
    }
    return true;
}

uint32_t SecureChannel::NextSequenceNumber() {
    last_sent_sequence_ = last_sent_sequence_ >= kSequenceWrapAbove ? 1 : last_sent_sequence_ + 1;
    return last_sent_sequence_;
}

void SecureChannel::OnOpen(std::span<const uint8_t> frame, const Now& now) {
    BinaryReader r(frame.subspan(kFrameHeaderSize));
    uint32_t channel = r.U32();
    std::string policy = r.String();
    r.String();  // sender certificate
    r.String();  // receiver certificate thumbprint
    uint32_t sequence_number = r.U32();
    uint32_t request_id = r.U32();
    NodeId type = ReadNodeId(r);
    RequestHeader header = ReadRequestHeader(r);
    r.U32();  // client protocol version
    uint32_t request_type = r.U32();
    uint32_t security_mode = r.U32();
    r.String();  // client nonce
    uint32_t requested_lifetime = r.U32();
    if (!r.ok() || !type.Is(id::kOpenSecureChannelRequest)) {
        Fail(kBadDecodingError, "malformed OpenSecureChannel", counters_.malformed);
        return;
    }
    if (policy != kPolicyNone || security_mode != kSecurityModeNone) {
        Fail(kBadSecurityPolicyRejected, "only SecurityPolicy None is offered", counters_.policy_rejected);
        return;
    }
    bool renew = state_ == State::Open;
    if ((renew && (request_type != kRequestRenew || channel != channel_id_)) ||
        (!renew && request_type != kRequestIssue)) {
        Fail(kBadTcpSecureChannelUnknown, "OpenSecureChannel request type or channel wrong",
             counters_.unexpected_message);
        return;
    }
    if (!AcceptSequenceNumber(sequence_number)) return;

    if (renew) {
        ++counters_.renewals;
        previous_token_id_ = token_id_;
    }
    ++token_id_;
    token_created_ms_ = now.mono_ms;
    token_lifetime_ms_ = std::clamp(requested_lifetime, limits_.min_token_lifetime_ms, limits_.max_token_lifetime_ms);
    state_ = State::Open;

    BinaryWriter w;
    size_t start = BeginFrame(w, "OPN", 'F');
    w.U32(channel_id_);
    w.String(kPolicyNone);
    w.NullString();  // no certificate ...
    w.NullString();  // ... and no thumbprint with SecurityPolicy None
    w.U32(NextSequenceNumber());
    w.U32(request_id);
    WriteNodeId(w, NodeId::Numeric(0, id::kOpenSecureChannelResponse));
    WriteResponseHeader(w, now.utc, header.request_handle, kGood);
    w.U32(0);  // server protocol version
    w.U32(channel_id_);
    w.U32(token_id_);
    w.I64(now.utc);
    w.U32(token_lifetime_ms_);
    w.String("");  // server nonce: none with SecurityPolicy None
    FinishFrame(w, start);
    output_.insert(output_.end(), w.data().begin(), w.data().end());
}

void SecureChannel::OnMessage(std::span<const uint8_t> frame, char chunk, const Now& now,
                              std::vector<IncomingRequest>& requests) {
    BinaryReader r(frame.subspan(kFrameHeaderSize));
    uint32_t channel = r.U32();
    uint32_t token = r.U32();
    uint32_t sequence_number = r.U32();
    uint32_t request_id = r.U32();
    if (!r.ok()) {
        Fail(kBadTcpMessageTypeInvalid, "truncated message chunk", counters_.malformed);
        return;
    }
    if (channel != channel_id_) {
        Fail(kBadSecureChannelIdInvalid, "message for another channel", counters_.malformed);
        return;
    }
    if (!AcceptToken(token, now) || !AcceptSequenceNumber(sequence_number)) return;
    std::span<const uint8_t> payload = r.Rest();

    if (chunk == 'A') {
        partials_.erase(request_id);
        return;
    }
    auto found = partials_.find(request_id);
    if (chunk == 'F' && found == partials_.end()) {
        IncomingRequest req;
        req.request_id = request_id;
        req.body.assign(payload.begin(), payload.end());
        if (req.body.size() > limits_.max_message_size) {
            ++counters_.request_too_large;
            req.too_large = true;
        }
        requests.push_back(std::move(req));
        return;
    }
    if (found == partials_.end()) {
        if (partials_.size() >= kMaxPartialMessages) {
            Fail(kBadTcpNotEnoughResources, "too many partial messages", counters_.request_too_large);
            return;
        }
        found = partials_.emplace(request_id, Partial{}).first;
        found->second.first_chunk.assign(payload.begin(), payload.end());
    }
    Partial& p = found->second;
    ++p.chunks;
    if (!p.too_large) {
        if (p.body.size() + payload.size() > limits_.max_message_size || p.chunks > limits_.max_chunk_count) {
            // Keep reading the chunks so the stream stays in step; the request gets a fault at its final chunk.
            ++counters_.request_too_large;
            p.too_large = true;
            p.body.clear();
            p.body.shrink_to_fit();
        } else {
            p.body.insert(p.body.end(), payload.begin(), payload.end());
        }
    }
    if (chunk == 'F') {
        IncomingRequest req;
        req.request_id = request_id;
        req.too_large = p.too_large;
        req.body = p.too_large ? std::move(p.first_chunk) : std::move(p.body);
        partials_.erase(found);
        requests.push_back(std::move(req));
    }
}

bool SecureChannel::Send(uint32_t request_id, std::span<const uint8_t> body) {
    if (state_ != State::Open || closed_) return false;
    size_t per_chunk = send_chunk_size_ - kSymmetricOverhead;
    size_t chunks = std::max<size_t>(1, (body.size() + per_chunk - 1) / per_chunk);
    if ((peer_max_message_ != 0 && body.size() > peer_max_message_) ||
        (peer_max_chunks_ != 0 && chunks > peer_max_chunks_)) {
        return false;
    }
    BinaryWriter w;
    for (size_t i = 0; i < chunks; ++i) {
        size_t from = i * per_chunk;
        size_t length = std::min(per_chunk, body.size() - from);
        size_t start = BeginFrame(w, "MSG", i + 1 == chunks ? 'F' : 'C');
        w.U32(channel_id_);
        w.U32(token_id_);
        w.U32(NextSequenceNumber());
        w.U32(request_id);
        w.Bytes(body.subspan(from, length));
        FinishFrame(w, start);
    }
    output_.insert(output_.end(), w.data().begin(), w.data().end());
    return true;
}

void SecureChannel::CheckTimeout(const Now& now) {
    if (closed_) return;
    if (!started_) {
        started_ = true;
        started_ms_ = now.mono_ms;
    }
    if (state_ != State::Open) {
        if (now.mono_ms - started_ms_ > kHandshakeTimeoutMs) closed_ = true;
        return;
    }
    if (now.mono_ms - token_created_ms_ > int64_t{token_lifetime_ms_} * 5 / 4) {
        ++counters_.token_expired;
        closed_ = true;
    }
}

}  // namespace iec::ua
