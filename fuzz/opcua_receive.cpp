// Fuzzes everything a connection's octets reach in the OPC UA server. The first input byte picks how deep the
// rest starts, so that mutations are not all spent on getting past the handshake:
//   0: the raw octet stream of a connection (UA-TCP framing, Hello, OpenSecureChannel, anything);
//   1: after Hello and OpenSecureChannel, records [length u16][chunk type][body] sent as MSG chunks with the
//      right channel, token and sequence number;
//   2: after an activated session, records [service u8][time step u8][length u16][fields] sent as requests of
//      one of the services with a valid request header, the clock advanced and the server ticked between them.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "opcua/server/codec.h"
#include "opcua/server/random_source.h"
#include "opcua/server/tag_model.h"
#include "opcua/server/tcp_messages.h"
#include "opcua/server/ua_server.h"

namespace {

using namespace iec::ua;

constexpr uint32_t kServices[] = {428, 422, 461, 467, 473, 527, 533, 554, 560, 566, 631, 673,
                                  787, 793, 799, 826, 832, 847, 751, 763, 769, 781, 712, 841};

struct Harness {
    TagModel model;
    TagStore tags;
    AddressSpace space;
    SequenceRandom random{42};
    ServerConfig config;

    Harness() {
        model.AddGroup(80001, "Station");
        model.AddVariable(2, "Switch", TagType::Boolean, 80001, true, tags);
        model.AddVariable(4, "Voltage", TagType::Double, 80001, false, tags);
        model.AddVariable(5, "Counter", TagType::Int32, 80001, true, tags);
        model.BuildAddressSpace(space);
        tags.SetValue(model.SlotOf(4), 10, 0, 1.5, 0, 1, 1);
        config.max_monitored_items = 1000;
        config.channel.max_message_size = 1 << 20;
    }
};

struct Connection {
    UaServer& server;
    Now now{1000, 133500000000000000LL};
    uint32_t id = 0;
    uint32_t sequence = 0;
    uint32_t request_id = 0;
    NodeId token;

    explicit Connection(UaServer& s) : server(s) { id = server.Connect(now); }

    std::vector<uint8_t> Send(std::span<const uint8_t> bytes) {
        server.Receive(id, bytes, now);
        return server.TakeOutput(id);
    }

    std::vector<uint8_t> Message(char chunk, std::span<const uint8_t> body) {
        BinaryWriter w;
        size_t start = BeginFrame(w, "MSG", chunk);
        w.U32(1);  // the first channel of a fresh server
        w.U32(1);  // its first token
        w.U32(++sequence);
        w.U32(chunk == 'C' ? request_id + 1 : ++request_id);
        w.Bytes(body);
        FinishFrame(w, start);
        return Send(w.data());
    }

    void Handshake() {
        BinaryWriter hel;
        size_t start = BeginFrame(hel, "HEL", 'F');
        for (uint32_t v : {0u, 65535u, 65535u, 0u, 0u}) hel.U32(v);
        hel.String("opc.tcp://fuzz:4840");
        FinishFrame(hel, start);
        Send(hel.data());
        BinaryWriter opn;
        start = BeginFrame(opn, "OPN", 'F');
        opn.U32(0);
        opn.String("http://opcfoundation.org/UA/SecurityPolicy#None");
        opn.NullString();
        opn.NullString();
        opn.U32(++sequence);
        opn.U32(++request_id);
        WriteRequestStart(opn, 446);
        for (uint32_t v : {0u, 0u, 1u}) opn.U32(v);
        opn.NullString();
        opn.U32(600000);
        FinishFrame(opn, start);
        Send(opn.data());
    }

    void WriteRequestStart(BinaryWriter& w, uint32_t type) {
        WriteNodeId(w, NodeId::Numeric(0, type));
        WriteNodeId(w, token);
        w.I64(0);
        w.U32(1);
        w.U32(0);
        w.NullString();
        w.U32(0);
        w.U8(0);
        w.U8(0);
        w.U8(0);
    }

    // CreateSession and ActivateSession with an anonymous token; keeps the authentication token.
    void StartSession() {
        BinaryWriter create;
        WriteRequestStart(create, 461);
        create.NullString();
        create.NullString();
        create.U8(0);
        create.U32(1);
        create.NullString();
        create.NullString();
        create.I32(0);
        create.NullString();
        create.String("opc.tcp://fuzz:4840");
        create.String("fuzz");
        create.NullString();
        create.NullString();
        create.F64(60000);
        create.U32(0);
        auto out = Message('F', create.data());
        // Response: MSG header (24), encoding id (4), response header (8+4+4+1+4+3), session id, token.
        BinaryReader r(out);
        r.Skip(24 + 4 + 24);
        ReadNodeId(r);
        token = ReadNodeId(r);
        BinaryWriter activate;
        WriteRequestStart(activate, 467);
        activate.NullString();
        activate.NullString();
        activate.I32(0);
        activate.I32(0);
        WriteExtensionObject(activate, MakeExtension(321, {}));
        activate.NullString();
        activate.NullString();
        Message('F', activate.data());
    }

    void Advance(uint8_t step) {
        now.mono_ms += step * 10;
        now.utc += int64_t{step} * 100000;
        server.Tick(now);
        server.TakeOutput(id);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness h;
    if (size == 0) return 0;
    UaServer server(h.config, h.space, h.tags, h.random, [](int32_t) {}, Now{1000, 133500000000000000LL});
    Connection c(server);
    std::span<const uint8_t> in(data + 1, size - 1);
    uint8_t mode = data[0] % 3;
    if (mode == 0) {
        c.Send(in);
        c.Advance(255);
        return 0;
    }
    c.Handshake();
    if (mode == 2) c.StartSession();
    BinaryReader r(in);
    while (r.remaining() > 0 && !server.ShouldClose(c.id)) {
        if (mode == 1) {
            uint16_t length = r.U16();
            uint8_t chunk = r.U8();
            if (!r.ok() || length > r.remaining()) break;
            auto body = r.Rest().first(length);
            r.Skip(length);
            c.Message("FCA"[chunk % 3], body);
        } else {
            uint8_t service = r.U8();
            uint8_t step = r.U8();
            uint16_t length = r.U16();
            if (!r.ok() || length > r.remaining()) break;
            BinaryWriter w;
            c.WriteRequestStart(w, kServices[service % std::size(kServices)]);
            w.Bytes(r.Rest().first(length));
            r.Skip(length);
            c.Message('F', w.data());
            c.Advance(step);
        }
    }
    return 0;
}
