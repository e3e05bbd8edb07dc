// A minimal client side for driving UaServer and SecureChannel in tests and the fuzzer: builds UA-TCP frames and
// requests, and splits and decodes what comes back. Time is whatever the test says it is.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "opcua/server/codec.h"
#include "opcua/server/now.h"
#include "opcua/server/ua_server.h"

namespace iec::ua::test {

inline constexpr char kPolicyNone[] = "http://opcfoundation.org/UA/SecurityPolicy#None";

std::vector<uint8_t> HelloFrame(uint32_t receive = 65535, uint32_t send = 65535, uint32_t max_message = 0,
                                uint32_t max_chunks = 0, const std::string& url = "opc.tcp://localhost:4840");
std::vector<uint8_t> OpenFrame(uint32_t channel, uint32_t sequence, uint32_t request_id, uint32_t request_type,
                               uint32_t lifetime_ms, const std::string& policy = kPolicyNone);
std::vector<uint8_t> MessageFrame(char chunk, uint32_t channel, uint32_t token, uint32_t sequence,
                                  uint32_t request_id, std::span<const uint8_t> body);
std::vector<uint8_t> CloseFrame(uint32_t channel, uint32_t token, uint32_t sequence, uint32_t request_id);

// The start of a request body: encoding id and request header.
BinaryWriter Request(uint32_t type_id, const NodeId& authentication_token = {}, uint32_t handle = 7);

struct Frame {
    std::string type;
    char chunk = 0;
    std::vector<uint8_t> bytes;  // the whole frame
};
std::vector<Frame> SplitFrames(std::span<const uint8_t> data);

struct Response {
    uint32_t type_id = 0;
    uint32_t request_handle = 0;
    StatusCode service_result = 0;
    std::vector<uint8_t> body;  // the fields after the response header
    BinaryReader Fields() const { return BinaryReader(body); }
};

// One client connection to a UaServer, with a secure channel opened and, optionally, an activated session.
class TestClient {
public:
    explicit TestClient(UaServer& server, Now now = {1000, 133500000000000000LL});

    Now& now() { return now_; }
    uint32_t connection() const { return connection_; }
    uint32_t channel_id() const { return channel_id_; }
    uint32_t token_id() const { return token_id_; }

    // Sends octets and returns the frames the server answered with.
    std::vector<Frame> Exchange(std::span<const uint8_t> data);
    // Hello and OpenSecureChannel; false if the server refused.
    bool Open(uint32_t lifetime_ms = 600000, uint32_t receive_buffer = 65535);
    // One request (in chunks of chunk_body octets, by default as large as the server takes) and its response,
    // if one came.
    std::optional<Response> Call(const BinaryWriter& request, size_t chunk_body = 0);
    // Responses that arrive later (Publish): collects MSG responses from the server's output after a Tick.
    std::vector<Response> TakeResponses();
    // CreateSession + ActivateSession with an anonymous token or a user name token.
    bool StartSession(const std::string& user = "", const std::string& password = "",
                      StatusCode* activate_result = nullptr);
    const NodeId& token() const { return authentication_token_; }
    // Every response of the last Call, in order (a Call can release earlier waiting requests too).
    const std::vector<Response>& last_responses() const { return last_responses_; }
    bool closed() const;
    uint32_t next_request_id() { return ++request_id_; }

private:
    std::vector<Response> Decode(const std::vector<Frame>& frames);

    UaServer& server_;
    Now now_;
    uint32_t connection_ = 0;
    uint32_t channel_id_ = 0;
    uint32_t token_id_ = 0;
    uint32_t sequence_ = 0;
    uint32_t request_id_ = 0;
    NodeId authentication_token_;
    std::vector<uint8_t> partial_;
    std::vector<Response> last_responses_;
};

}  // namespace iec::ua::test
