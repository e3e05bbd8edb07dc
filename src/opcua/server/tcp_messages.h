// UA-TCP connection messages (Hello, Acknowledge, Error) and the 8-octet header every frame starts with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "opcua/server/binary_reader.h"
#include "opcua/server/binary_writer.h"
#include "opcua/server/types.h"

namespace iec::ua {

constexpr size_t kFrameHeaderSize = 8;
// The smallest buffers a peer may offer: any conforming stack must accept chunks of this size.
constexpr uint32_t kMinBufferSize = 8192;
constexpr size_t kMaxEndpointUrlLength = 4096;

struct FrameHeader {
    char type[3] = {};
    char chunk = 0;  // 'F' final, 'C' continued, 'A' abort
    uint32_t size = 0;

    bool Is(const char* t) const { return type[0] == t[0] && type[1] == t[1] && type[2] == t[2]; }
};

FrameHeader ReadFrameHeader(BinaryReader& r);
// Starts a frame; the size is patched in by FinishFrame.
size_t BeginFrame(BinaryWriter& w, const char* type, char chunk);
void FinishFrame(BinaryWriter& w, size_t frame_start);

struct HelloMessage {
    uint32_t protocol_version = 0;
    uint32_t receive_buffer_size = 0;
    uint32_t send_buffer_size = 0;
    uint32_t max_message_size = 0;
    uint32_t max_chunk_count = 0;
    std::string endpoint_url;
};

struct AcknowledgeMessage {
    uint32_t protocol_version = 0;
    uint32_t receive_buffer_size = 0;
    uint32_t send_buffer_size = 0;
    uint32_t max_message_size = 0;
    uint32_t max_chunk_count = 0;
};

// Decodes the body of a HEL frame (after the header); the reader fails on malformed input.
HelloMessage ReadHello(BinaryReader& r);
std::vector<uint8_t> EncodeAcknowledge(const AcknowledgeMessage& ack);
std::vector<uint8_t> EncodeError(StatusCode error, const std::string& reason);

}  // namespace iec::ua
