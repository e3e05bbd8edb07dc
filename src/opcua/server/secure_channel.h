// One TCP connection seen as UA-TCP and a secure channel with SecurityPolicy None: it takes the octets the peer
// sent and the current time, answers HEL/OPN/CLO itself, hands complete service requests up, splits responses
// into chunks, and queues the octets to send. Any protocol violation queues an ERR and marks the channel closed;
// no other channel is affected.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "opcua/server/now.h"
#include "opcua/server/types.h"

namespace iec::ua {

struct ChannelLimits {
    uint32_t receive_buffer_size = 65535;
    uint32_t send_buffer_size = 65535;
    uint32_t max_message_size = 4 * 1024 * 1024;  // largest request we accept
    uint32_t max_chunk_count = 1024;  // max_message_size in chunks of the smallest buffer, with room
    uint32_t min_token_lifetime_ms = 1000;
    uint32_t max_token_lifetime_ms = 3600000;
};

// Named rejections, so that a misbehaving peer can be diagnosed from the counters alone.
struct ChannelCounters {
    uint64_t malformed = 0;           // undecodable frame or header
    uint64_t unexpected_message = 0;  // message type wrong for the state
    uint64_t chunk_too_large = 0;     // frame above the negotiated receive buffer
    uint64_t request_too_large = 0;   // message above max size or chunk count (answered with a fault)
    uint64_t sequence_errors = 0;
    uint64_t unknown_token = 0;
    uint64_t policy_rejected = 0;
    uint64_t token_expired = 0;
    uint64_t renewals = 0;
};

struct IncomingRequest {
    uint32_t request_id = 0;
    std::vector<uint8_t> body;  // encoding NodeId, request header and fields
    // Set when the message exceeded our limits: the body holds only its first chunk and must be answered with
    // BadRequestTooLarge.
    bool too_large = false;
};

class SecureChannel {
public:
    SecureChannel(uint32_t channel_id, const ChannelLimits& limits, ChannelCounters& counters);

    // Consumes octets from the peer; complete service requests are appended to requests.
    void Receive(std::span<const uint8_t> data, const Now& now, std::vector<IncomingRequest>& requests);
    // Queues a response (or any service message body) in chunks. Returns false and queues nothing when the body
    // is beyond the peer's message size or chunk count.
    bool Send(uint32_t request_id, std::span<const uint8_t> body);
    // Sends ERR and closes: the layer above found the peer's message unusable.
    void Abort(StatusCode error, const char* reason);
    // Closes the channel when its security token has run out without renewal.
    void CheckTimeout(const Now& now);

    std::vector<uint8_t> TakeOutput();
    bool HasOutput() const { return !output_.empty(); }
    bool closed() const { return closed_; }
    bool open() const { return state_ == State::Open && !closed_; }
    uint32_t id() const { return channel_id_; }
    const std::string& endpoint_url() const { return endpoint_url_; }

private:
    enum class State { AwaitHello, AwaitOpen, Open };

    struct Partial {
        std::vector<uint8_t> first_chunk;
        std::vector<uint8_t> body;
        uint32_t chunks = 0;
        bool too_large = false;
    };

    void ProcessFrame(std::span<const uint8_t> frame, const Now& now, std::vector<IncomingRequest>& requests);
    void OnHello(std::span<const uint8_t> frame);
    void OnOpen(std::span<const uint8_t> frame, const Now& now);
    void OnMessage(std::span<const uint8_t> frame, char chunk, const Now& now,
                   std::vector<IncomingRequest>& requests);
    bool AcceptSequenceNumber(uint32_t sequence_number);
    bool AcceptToken(uint32_t token_id, const Now& now);
    void Fail(StatusCode error, const char* reason, uint64_t& counter);
    uint32_t NextSequenceNumber();

    uint32_t channel_id_;
    ChannelLimits limits_;
    ChannelCounters& counters_;
    State state_ = State::AwaitHello;
    bool closed_ = false;
    bool started_ = false;
    int64_t started_ms_ = 0;
    std::vector<uint8_t> input_;
    std::vector<uint8_t> output_;
    std::string endpoint_url_;

    // Negotiated with the peer's Hello.
    uint32_t send_chunk_size_ = 0;
    uint32_t peer_max_message_ = 0;  // 0 = no limit
    uint32_t peer_max_chunks_ = 0;   // 0 = no limit

    uint32_t token_id_ = 0;
    uint32_t previous_token_id_ = 0;  // still accepted until the peer uses the renewed one
    int64_t token_created_ms_ = 0;
    uint32_t token_lifetime_ms_ = 0;

    bool have_received_sequence_ = false;
    uint32_t last_received_sequence_ = 0;
    uint32_t last_sent_sequence_ = 0;

    std::map<uint32_t, Partial> partials_;
};

}  // namespace iec::ua
