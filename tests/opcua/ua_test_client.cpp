#include "ua_test_client.h"

#include "opcua/server/message_headers.h"
#include "opcua/server/tcp_messages.h"

namespace iec::ua::test {

std::vector<uint8_t> HelloFrame(uint32_t receive, uint32_t send, uint32_t max_message, uint32_t max_chunks,
                                const std::string& url) {
    BinaryWriter w;
    size_t start = BeginFrame(w, "HEL", 'F');
    w.U32(0);
    w.U32(receive);
    w.U32(send);
    w.U32(max_message);
    w.U32(max_chunks);
    w.String(url);
    FinishFrame(w, start);
    return w.Take();
}

std::vector<uint8_t> OpenFrame(uint32_t channel, uint32_t sequence, uint32_t request_id, uint32_t request_type,
                               uint32_t lifetime_ms, const std::string& policy) {
    BinaryWriter w;
    size_t start = BeginFrame(w, "OPN", 'F');
    w.U32(channel);
    w.String(policy);
    w.NullString();
    w.NullString();
    w.U32(sequence);
    w.U32(request_id);
    BinaryWriter body = Request(446);
    w.Bytes(body.data());
    w.U32(0);             // client protocol version
    w.U32(request_type);  // issue or renew
    w.U32(1);             // security mode None
    w.NullString();       // client nonce
    w.U32(lifetime_ms);
    FinishFrame(w, start);
    return w.Take();
}

std::vector<uint8_t> MessageFrame(char chunk, uint32_t channel, uint32_t token, uint32_t sequence,
                                  uint32_t request_id, std::span<const uint8_t> body) {
    BinaryWriter w;
    size_t start = BeginFrame(w, "MSG", chunk);
    w.U32(channel);
    w.U32(token);
    w.U32(sequence);
    w.U32(request_id);
    w.Bytes(body);
    FinishFrame(w, start);
    return w.Take();
}

std::vector<uint8_t> CloseFrame(uint32_t channel, uint32_t token, uint32_t sequence, uint32_t request_id) {
    BinaryWriter w;
    size_t start = BeginFrame(w, "CLO", 'F');
    w.U32(channel);
    w.U32(token);
    w.U32(sequence);
    w.U32(request_id);
    BinaryWriter body = Request(452);
    w.Bytes(body.data());
    FinishFrame(w, start);
    return w.Take();
}

BinaryWriter Request(uint32_t type_id, const NodeId& authentication_token, uint32_t handle) {
    BinaryWriter w;
    WriteNodeId(w, NodeId::Numeric(0, type_id));
    WriteNodeId(w, authentication_token);
    w.I64(0);       // timestamp
    w.U32(handle);  // request handle
    w.U32(0);       // return diagnostics
    w.NullString();
    w.U32(0);  // timeout hint
    w.U8(0);
    w.U8(0);
    w.U8(0);
    return w;
}

std::vector<Frame> SplitFrames(std::span<const uint8_t> data) {
    std::vector<Frame> frames;
    size_t at = 0;
    while (data.size() - at >= 8) {
        BinaryReader r(data.subspan(at, 8));
        FrameHeader h = ReadFrameHeader(r);
        if (h.size < 8 || h.size > data.size() - at) break;
        Frame f;
        f.type.assign(h.type, 3);
        f.chunk = h.chunk;
        f.bytes.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + h.size));
        frames.push_back(std::move(f));
        at += h.size;
    }
    return frames;
}

TestClient::TestClient(UaServer& server, Now now) : server_(server), now_(now) {
    connection_ = server_.Connect(now_);
}

std::vector<Frame> TestClient::Exchange(std::span<const uint8_t> data) {
    server_.Receive(connection_, data, now_);
    auto out = server_.TakeOutput(connection_);
    return SplitFrames(out);
}

bool TestClient::Open(uint32_t lifetime_ms, uint32_t receive_buffer) {
    auto ack = Exchange(HelloFrame(receive_buffer, 65535));
    if (ack.size() != 1 || ack[0].type != "ACK") return false;
    auto opn = Exchange(OpenFrame(0, ++sequence_, next_request_id(), 0, lifetime_ms));
    if (opn.size() != 1 || opn[0].type != "OPN") return false;
    BinaryReader r(opn[0].bytes);
    r.Skip(8);
    channel_id_ = r.U32();
    r.String();
    r.String();
    r.String();
    r.U32();
    r.U32();
    ReadNodeId(r);
    r.Skip(8 + 4 + 4);  // response header: timestamp, handle, result
    r.U8();
    r.ArrayLength(4);
    ReadExtensionObject(r);
    r.U32();  // server protocol version
    r.U32();  // channel id
    token_id_ = r.U32();
    return r.ok();
}

std::vector<Response> TestClient::Decode(const std::vector<Frame>& frames) {
    std::vector<Response> responses;
    for (const Frame& f : frames) {
        if (f.type != "MSG") continue;
        BinaryReader r(f.bytes);
        r.Skip(8 + 16);
        auto rest = r.Rest();
        partial_.insert(partial_.end(), rest.begin(), rest.end());
        if (f.chunk != 'F') continue;
        BinaryReader b(partial_);
        Response resp;
        resp.type_id = ReadNodeId(b).numeric;
        b.I64();
        resp.request_handle = b.U32();
        resp.service_result = b.U32();
        SkipDiagnosticInfo(b);
        size_t strings = b.ArrayLength(4);
        for (size_t i = 0; i < strings; ++i) b.String();
        ReadExtensionObject(b);
        auto fields = b.Rest();
        resp.body.assign(fields.begin(), fields.end());
        responses.push_back(std::move(resp));
        partial_.clear();
    }
    return responses;
}

std::optional<Response> TestClient::Call(const BinaryWriter& request, size_t chunk_body) {
    uint32_t id = next_request_id();
    std::span<const uint8_t> body(request.data());
    std::vector<uint8_t> out;
    // Without a chunk size, chunks fill the server's default receive buffer.
    size_t step = chunk_body == 0 ? 65535 - 24 : chunk_body;
    size_t at = 0;
    do {
        size_t n = std::min(step, body.size() - at);
        bool last = at + n >= body.size();
        auto frame = MessageFrame(last ? 'F' : 'C', channel_id_, token_id_, ++sequence_, id, body.subspan(at, n));
        out.insert(out.end(), frame.begin(), frame.end());
        at += n;
    } while (at < body.size());
    last_responses_ = Decode(Exchange(out));
    if (last_responses_.empty()) return std::nullopt;
    return last_responses_.back();
}

std::vector<Response> TestClient::TakeResponses() {
    auto out = server_.TakeOutput(connection_);
    return Decode(SplitFrames(out));
}

bool TestClient::StartSession(const std::string& user, const std::string& password, StatusCode* activate_result) {
    BinaryWriter create = Request(461);
    create.NullString();  // client description: application uri
    create.NullString();  // product uri
    create.U8(0);         // application name
    create.U32(1);        // client
    create.NullString();
    create.NullString();
    create.I32(0);
    create.NullString();  // server uri
    create.String("opc.tcp://localhost:4840");
    create.String("test session");
    create.NullString();  // client nonce
    create.NullString();  // client certificate
    create.F64(60000);
    create.U32(0);
    auto created = Call(create);
    if (!created || created->service_result != 0) return false;
    BinaryReader r = created->Fields();
    ReadNodeId(r);
    authentication_token_ = ReadNodeId(r);

    BinaryWriter activate = Request(467, authentication_token_);
    activate.NullString();
    activate.NullString();
    activate.I32(0);  // software certificates
    activate.I32(0);  // locales
    if (user.empty()) {
        BinaryWriter token;
        token.String("anonymous");
        WriteExtensionObject(activate, MakeExtension(321, token.data()));
    } else {
        BinaryWriter token;
        token.String("username");
        token.String(user);
        token.String(password);
        token.NullString();
        WriteExtensionObject(activate, MakeExtension(324, token.data()));
    }
    activate.NullString();
    activate.NullString();
    auto activated = Call(activate);
    if (activate_result) *activate_result = activated ? activated->service_result : 0xFFFFFFFF;
    return activated && activated->service_result == 0;
}

bool TestClient::closed() const { return server_.ShouldClose(connection_); }

}  // namespace iec::ua::test
