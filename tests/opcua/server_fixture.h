// A server with a small address space (one group, a writable Boolean, a read-only Double, an Int32), driven
// through TestClient with a manual clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "opcua/server/random_source.h"
#include "opcua/server/tag_model.h"
#include "opcua/server/ua_server.h"
#include "ua_test_client.h"

namespace iec::ua::test {

class ServerFixture : public ::testing::Test {
protected:
    static constexpr int32_t kGroup = 80001;
    static constexpr int32_t kSwitch = 2;   // writable Boolean
    static constexpr int32_t kVoltage = 4;  // read-only Double
    static constexpr int32_t kCounter = 5;  // writable Int32

    void SetUp() override { Build(); }

    void Build() {
        model.Clear();
        tags.Clear();
        model.AddGroup(kGroup, "Station");
        model.AddVariable(kSwitch, "Switch", TagType::Boolean, kGroup, true, tags);
        model.AddVariable(kVoltage, "Voltage", TagType::Double, kGroup, false, tags);
        model.AddVariable(kCounter, "Counter", TagType::Int32, kGroup, true, tags);
        space = AddressSpace();
        model.BuildAddressSpace(space);
        server = std::make_unique<UaServer>(config, space, tags, random, [this](int32_t n) { written.push_back(n); },
                                            Now{1000, 133500000000000000LL});
    }

    std::unique_ptr<TestClient> Connected(bool session = true) {
        auto c = std::make_unique<TestClient>(*server);
        EXPECT_TRUE(c->Open());
        if (session) {
            EXPECT_TRUE(c->StartSession());
        }
        return c;
    }

    void Set(int32_t number, double v, UaDateTime source = 133500000010000000LL) {
        tags.SetValue(model.SlotOf(number), 10, 0, v, 0, source, source);
    }

    ServerConfig config;
    TagModel model;
    TagStore tags;
    AddressSpace space;
    SequenceRandom random;
    std::vector<int32_t> written;
    std::unique_ptr<UaServer> server;
};

// Read request for one attribute of each node.
inline BinaryWriter ReadRequest(const NodeId& token, const std::vector<std::pair<NodeId, uint32_t>>& items,
                                uint32_t timestamps = 2) {
    BinaryWriter w = Request(631, token);
    w.F64(0);
    w.U32(timestamps);
    w.ArrayLength(items.size());
    for (const auto& [node, attribute] : items) {
        WriteNodeId(w, node);
        w.U32(attribute);
        w.NullString();
        WriteQualifiedName(w, {});
    }
    return w;
}

inline std::vector<DataValue> ReadResults(const Response& r) {
    BinaryReader b = r.Fields();
    std::vector<DataValue> out(b.ArrayLength(1));
    for (auto& dv : out) dv = ReadDataValue(b);
    return out;
}

inline NodeId Ours(int32_t number) { return NodeId::Numeric(1, static_cast<uint32_t>(number)); }

}  // namespace iec::ua::test
