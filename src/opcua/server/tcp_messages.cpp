#include "opcua/server/tcp_messages.h"

namespace iec::ua {

FrameHeader ReadFrameHeader(BinaryReader& r) {
    FrameHeader h;
    h.type[0] = static_cast<char>(r.U8());
    h.type[1] = static_cast<char>(r.U8());
    h.type[2] = static_cast<char>(r.U8());
    h.chunk = static_cast<char>(r.U8());
    h.size = r.U32();
    return h;
}

size_t BeginFrame(BinaryWriter& w, const char* type, char chunk) {
    size_t start = w.size();
    w.U8(static_cast<uint8_t>(type[0]));
    w.U8(static_cast<uint8_t>(type[1]));
    w.U8(static_cast<uint8_t>(type[2]));
    w.U8(static_cast<uint8_t>(chunk));
    w.U32(0);
    return start;
}

void FinishFrame(BinaryWriter& w, size_t frame_start) {
    w.PatchU32(frame_start + 4, static_cast<uint32_t>(w.size() - frame_start));
}

HelloMessage ReadHello(BinaryReader& r) {
    HelloMessage h;
    h.protocol_version = r.U32();
    h.receive_buffer_size = r.U32();
    h.send_buffer_size = r.U32();
    h.max_message_size = r.U32();
    h.max_chunk_count = r.U32();
    h.endpoint_url = r.String();
    if (h.endpoint_url.size() > kMaxEndpointUrlLength) r.Fail();
    return h;
}

std::vector<uint8_t> EncodeAcknowledge(const AcknowledgeMessage& ack) {
    BinaryWriter w;
    size_t start = BeginFrame(w, "ACK", 'F');
    w.U32(ack.protocol_version);
    w.U32(ack.receive_buffer_size);
    w.U32(ack.send_buffer_size);
    w.U32(ack.max_message_size);
    w.U32(ack.max_chunk_count);
    FinishFrame(w, start);
    return w.Take();
}

std::vector<uint8_t> EncodeError(StatusCode error, const std::string& reason) {
    BinaryWriter w;
    size_t start = BeginFrame(w, "ERR", 'F');
    w.U32(error);
    w.String(reason);
    FinishFrame(w, start);
    return w.Take();
}

}  // namespace iec::ua
