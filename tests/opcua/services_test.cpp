#include <gtest/gtest.h>
#include <set>

#include "opcua/server/status_codes.h"
#include "server_fixture.h"

namespace iec::ua {
namespace {

using test::Ours;
using test::ReadRequest;
using test::ReadResults;
using test::Request;

class Services : public test::ServerFixture {};

TEST_F(Services, UnsupportedServiceGetsAFaultAndTheChannelStays) {
    auto c = Connected();
    BinaryWriter call = Request(712, c->token(), 42);  // Call
    call.I32(0);
    auto r = c->Call(call);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->type_id, 397u);
    EXPECT_EQ(r->request_handle, 42u);
    EXPECT_EQ(r->service_result, kBadServiceUnsupported);
    EXPECT_EQ(server->counters().unsupported_services, 1u);
    EXPECT_FALSE(c->closed());
    // The counter is visible to any client under Server/Diagnostics.
    auto diag = ReadResults(*c->Call(ReadRequest(
        c->token(), {{NodeId::String(1, "Diagnostics.UnsupportedServices"), 13},
                     {NodeId::String(1, "Diagnostics.Sessions"), 13}})));
    ASSERT_EQ(diag.size(), 2u);
    EXPECT_EQ(std::get<uint64_t>(diag[0].value->values.at(0)), 1u);
    EXPECT_EQ(std::get<uint64_t>(diag[1].value->values.at(0)), 1u);
    auto read = c->Call(ReadRequest(c->token(), {{Ours(kVoltage), 4}}));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->service_result, kGood);
}

TEST_F(Services, SessionIsRequiredAndMustBeActivated) {
    auto c = Connected(false);
    auto r = c->Call(ReadRequest({}, {{Ours(kVoltage), 13}}));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->service_result, kBadSessionIdInvalid);

    BinaryWriter create = Request(461);
    for (int i = 0; i < 2; ++i) create.NullString();
    create.U8(0);
    create.U32(1);
    create.NullString();
    create.NullString();
    create.I32(0);
    create.NullString();
    create.String("opc.tcp://localhost:4840");
    create.String("s");
    create.NullString();
    create.NullString();
    create.F64(1);  // revised up to the minimum
    create.U32(0);
    auto created = c->Call(create);
    ASSERT_TRUE(created);
    ASSERT_EQ(created->service_result, kGood);
    BinaryReader b = created->Fields();
    ReadNodeId(b);
    NodeId token = ReadNodeId(b);
    EXPECT_EQ(b.F64(), config.min_session_timeout_ms);
    EXPECT_EQ(b.String().size(), 32u);  // server nonce
    r = c->Call(ReadRequest(token, {{Ours(kVoltage), 13}}));
    EXPECT_EQ(r->service_result, kBadSessionNotActivated);

    // Another channel cannot use the session.
    auto other = Connected(false);
    auto stolen = other->Call(ReadRequest(token, {{Ours(kVoltage), 13}}));
    EXPECT_EQ(stolen->service_result, kBadSecureChannelIdInvalid);
}

TEST_F(Services, PasswordLoginRefusesAnonymousAndWrongCredentials) {
    config.password_login = true;
    config.user_name = "op";
    config.password = "secret";
    Build();
    auto c = Connected(false);
    StatusCode result = 0;
    EXPECT_FALSE(c->StartSession("", "", &result));
    EXPECT_EQ(result, kBadIdentityTokenRejected);
    auto c2 = Connected(false);
    EXPECT_FALSE(c2->StartSession("op", "secreT", &result));
    EXPECT_EQ(result, kBadIdentityTokenRejected);
    auto c3 = Connected(false);
    EXPECT_FALSE(c3->StartSession("op", "secret2", &result));
    auto c4 = Connected(false);
    EXPECT_TRUE(c4->StartSession("op", "secret", &result));
    EXPECT_EQ(server->counters().identity_rejected, 3u);
}

TEST_F(Services, AnonymousModeRefusesUserNameTokens) {
    auto c = Connected(false);
    StatusCode result = 0;
    EXPECT_FALSE(c->StartSession("op", "secret", &result));
    EXPECT_EQ(result, kBadIdentityTokenInvalid);
}

TEST_F(Services, SessionLimit) {
    config.max_sessions = 2;
    Build();
    auto a = Connected();
    auto b = Connected();
    auto c = Connected(false);
    EXPECT_FALSE(c->StartSession());
    EXPECT_EQ(server->counters().sessions_refused, 1u);
}

TEST_F(Services, ConnectionLimit) {
    config.max_channels = 1;
    Build();
    auto a = Connected(false);
    EXPECT_EQ(server->Connect(Now{}), 0u);
    EXPECT_EQ(server->counters().connections_refused, 1u);
}

TEST_F(Services, ReadGivesValueStatusAndTimeStamps) {
    auto c = Connected();
    auto r = c->Call(ReadRequest(c->token(), {{Ours(kVoltage), 13}}));
    auto values = ReadResults(*r);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].status, kBadWaitingForInitialData);  // bad until a first value
    EXPECT_FALSE(values[0].value.has_value());

    Set(kVoltage, 231.5, 133500000020000000LL);
    r = c->Call(ReadRequest(c->token(), {{Ours(kVoltage), 13}, {Ours(kVoltage), 14}, {Ours(kVoltage), 3},
                                         {Ours(kGroup), 13}, {Ours(999), 13}, {Ours(kSwitch), 17}}));
    values = ReadResults(*r);
    ASSERT_EQ(values.size(), 6u);
    EXPECT_EQ(values[0].status, kGood);
    EXPECT_EQ(std::get<double>(values[0].value->values[0]), 231.5);
    EXPECT_EQ(values[0].source_timestamp, 133500000020000000LL);
    EXPECT_EQ(values[0].server_timestamp, 133500000020000000LL);
    EXPECT_EQ(std::get<NodeId>(values[1].value->values[0]), NodeId::Numeric(0, 11));  // Double
    EXPECT_EQ(std::get<QualifiedName>(values[2].value->values[0]), (QualifiedName{1, "Voltage"}));
    EXPECT_EQ(values[3].status, kBadAttributeIdInvalid);  // a folder has no Value
    EXPECT_EQ(values[4].status, kBadNodeIdUnknown);
    EXPECT_EQ(std::get<uint64_t>(values[5].value->values[0]), 3u);  // read and write

    // TimestampsToReturn Neither drops both time stamps.
    r = c->Call(ReadRequest(c->token(), {{Ours(kVoltage), 13}}, 3));
    values = ReadResults(*r);
    EXPECT_EQ(values[0].source_timestamp, 0);
    EXPECT_EQ(values[0].server_timestamp, 0);
}

TEST_F(Services, OperationCountsAreLimited) {
    config.max_nodes_per_call = 2;
    Build();
    auto c = Connected();
    auto r = c->Call(ReadRequest(c->token(), {{Ours(2), 13}, {Ours(4), 13}, {Ours(5), 13}}));
    EXPECT_EQ(r->service_result, kBadTooManyOperations);
    r = c->Call(ReadRequest(c->token(), {}));
    EXPECT_EQ(r->service_result, kBadNothingToDo);
}

BinaryWriter WriteRequest(const NodeId& token, const NodeId& node, const Variant& value, uint32_t attribute = 13) {
    BinaryWriter w = Request(673, token);
    w.I32(1);
    WriteNodeId(w, node);
    w.U32(attribute);
    w.NullString();
    DataValue dv;
    dv.value = value;
    WriteDataValue(w, dv);
    return w;
}

StatusCode WriteResult(const test::Response& r) {
    BinaryReader b = r.Fields();
    b.ArrayLength(4);
    return b.U32();
}

TEST_F(Services, WriteReachesTheCallbackOnlyForWritableValuesOfTheRightType) {
    auto c = Connected();
    EXPECT_EQ(WriteResult(*c->Call(WriteRequest(c->token(), Ours(kSwitch), Variant::Boolean(true)))), kGood);
    EXPECT_EQ(written, std::vector<int32_t>{kSwitch});
    WrittenValue w = tags.Written(model.SlotOf(kSwitch));
    EXPECT_TRUE(w.as_bool);
    EXPECT_EQ(w.as_int, 1);
    EXPECT_EQ(WriteResult(*c->Call(WriteRequest(c->token(), Ours(kCounter), Variant::Int32(2)))), kGood);
    EXPECT_EQ(tags.Written(model.SlotOf(kCounter)).as_int, 2);

    EXPECT_EQ(WriteResult(*c->Call(WriteRequest(c->token(), Ours(kVoltage), Variant::Double(1)))), kBadNotWritable);
    EXPECT_EQ(WriteResult(*c->Call(WriteRequest(c->token(), Ours(kSwitch), Variant::Int32(1)))), kBadTypeMismatch);
    EXPECT_EQ(WriteResult(*c->Call(WriteRequest(c->token(), Ours(kSwitch), Variant::String("x"), 4))),
              kBadNotWritable);
    EXPECT_EQ(WriteResult(*c->Call(WriteRequest(c->token(), Ours(999), Variant::Boolean(true)))), kBadNodeIdUnknown);
    EXPECT_EQ(WriteResult(*c->Call(WriteRequest(c->token(), NodeId::Numeric(0, 2259), Variant::Int32(1)))),
              kBadNotWritable);
    EXPECT_EQ(written.size(), 2u);
    // The published value stays what the owner set: a write is a command, not a new measurement.
    auto values = ReadResults(*c->Call(ReadRequest(c->token(), {{Ours(kSwitch), 13}})));
    EXPECT_EQ(values[0].status, kBadWaitingForInitialData);
}

BinaryWriter BrowseRequest(const NodeId& token, const NodeId& node, uint32_t max_refs) {
    BinaryWriter w = Request(527, token);
    w.U8(0);
    w.U8(0);  // null view
    w.I64(0);
    w.U32(0);
    w.U32(max_refs);
    w.I32(1);
    WriteNodeId(w, node);
    w.U32(0);                         // forward
    WriteNodeId(w, NodeId::Numeric(0, 33));  // hierarchical
    w.Boolean(true);
    w.U32(0);
    w.U32(63);
    return w;
}

struct BrowsePage {
    StatusCode status = 0;
    std::string continuation;
    std::vector<std::pair<NodeId, std::string>> refs;
};

BrowsePage ReadBrowseResult(BinaryReader& b) {
    BrowsePage page;
    page.status = b.U32();
    page.continuation = b.String();
    size_t n = b.ArrayLength(1);
    for (size_t i = 0; i < n; ++i) {
        ReadNodeId(b);
        b.Boolean();
        NodeId target = ReadExpandedNodeId(b).id;
        QualifiedName name = ReadQualifiedName(b);
        ReadLocalizedText(b);
        b.U32();
        ReadExpandedNodeId(b);
        page.refs.emplace_back(target, name.name);
    }
    return page;
}

TEST_F(Services, BrowsePagesWithContinuationPoints) {
    auto c = Connected();
    auto r = c->Call(BrowseRequest(c->token(), NodeId::Numeric(0, 85), 0));
    BinaryReader b = r->Fields();
    ASSERT_EQ(b.ArrayLength(1), 1u);
    BrowsePage objects = ReadBrowseResult(b);
    bool found = false;
    for (const auto& [id, name] : objects.refs) found = found || (id == Ours(kGroup) && name == "Station");
    EXPECT_TRUE(found);

    r = c->Call(BrowseRequest(c->token(), Ours(kGroup), 2));
    b = r->Fields();
    b.ArrayLength(1);
    BrowsePage first = ReadBrowseResult(b);
    ASSERT_EQ(first.refs.size(), 2u);
    ASSERT_FALSE(first.continuation.empty());

    BinaryWriter next = Request(533, c->token());
    next.Boolean(false);
    next.I32(2);
    next.String(first.continuation);
    next.String("nonsense");
    r = c->Call(next);
    b = r->Fields();
    ASSERT_EQ(b.ArrayLength(1), 2u);
    BrowsePage second = ReadBrowseResult(b);
    BrowsePage invalid = ReadBrowseResult(b);
    EXPECT_EQ(second.refs.size(), 1u);
    EXPECT_TRUE(second.continuation.empty());
    EXPECT_EQ(invalid.status, kBadContinuationPointInvalid);
    std::set<uint32_t> all;
    for (auto& p : {first, second}) {
        for (auto& [id, name] : p.refs) all.insert(id.numeric);
    }
    EXPECT_EQ(all, (std::set<uint32_t>{2, 4, 5}));
}

TEST_F(Services, TranslateBrowsePathFindsTheVariable) {
    auto c = Connected();
    BinaryWriter w = Request(554, c->token());
    w.I32(2);
    for (const char* leaf : {"Voltage", "Nothing"}) {
        WriteNodeId(w, NodeId::Numeric(0, 85));
        w.I32(2);
        for (QualifiedName name : {QualifiedName{1, "Station"}, QualifiedName{1, leaf}}) {
            WriteNodeId(w, NodeId::Numeric(0, 33));
            w.Boolean(false);
            w.Boolean(true);
            WriteQualifiedName(w, name);
        }
    }
    auto r = c->Call(w);
    BinaryReader b = r->Fields();
    ASSERT_EQ(b.ArrayLength(1), 2u);
    EXPECT_EQ(b.U32(), kGood);
    ASSERT_EQ(b.ArrayLength(1), 1u);
    EXPECT_EQ(ReadExpandedNodeId(b).id, Ours(kVoltage));
    EXPECT_EQ(b.U32(), 0xFFFFFFFFu);
    EXPECT_EQ(b.U32(), kBadNoMatch);
}

TEST_F(Services, GetEndpointsMirrorsTheUrlAndOffersTheLoginMode) {
    auto c = Connected(false);
    BinaryWriter w = Request(428);
    w.String("opc.tcp://Substation:4840");
    w.I32(0);
    w.I32(0);
    auto r = c->Call(w);
    BinaryReader b = r->Fields();
    ASSERT_EQ(b.ArrayLength(1), 1u);
    EXPECT_EQ(b.String(), "opc.tcp://Substation:4840");
    b.String();
    b.String();
    ReadLocalizedText(b);
    EXPECT_EQ(b.U32(), 0u);  // server
    b.String();
    b.String();
    b.ArrayLength(4);
    b.String();
    b.String();  // certificate
    EXPECT_EQ(b.U32(), 1u);  // security mode None
    EXPECT_EQ(b.String(), test::kPolicyNone);
    ASSERT_EQ(b.ArrayLength(1), 1u);
    EXPECT_EQ(b.String(), "anonymous");
    EXPECT_EQ(b.U32(), 0u);
}

TEST_F(Services, UndecodableFieldsGetAFaultButAnUndecodableHeaderClosesOnlyThatChannel) {
    auto c = Connected();
    auto bystander = Connected();
    BinaryWriter truncated = Request(631, c->token());
    truncated.F64(0);  // the rest of the Read request is missing
    auto r = c->Call(truncated);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->service_result, kBadDecodingError);
    EXPECT_FALSE(c->closed());

    BinaryWriter garbage;
    garbage.U8(0x01);
    garbage.U8(0x00);
    garbage.U16(631);
    garbage.U8(0x09);  // not a NodeId form
    auto none = c->Call(garbage);
    EXPECT_FALSE(none);
    EXPECT_TRUE(c->closed());
    EXPECT_EQ(server->counters().undecodable_requests, 2u);
    auto still = bystander->Call(ReadRequest(bystander->token(), {{Ours(kVoltage), 4}}));
    ASSERT_TRUE(still);
    EXPECT_EQ(still->service_result, kGood);
}

TEST_F(Services, ChunkedRequestsAndTooLargeRequests) {
    auto c = Connected();
    std::vector<std::pair<NodeId, uint32_t>> many(3000, {Ours(kVoltage), 3});
    auto r = c->Call(ReadRequest(c->token(), many), 1000);  // 48 kB in 1000-octet chunks
    ASSERT_TRUE(r);
    EXPECT_EQ(ReadResults(*r).size(), 3000u);

    config.channel.max_message_size = 10000;
    Build();
    auto small = Connected();
    r = small->Call(ReadRequest(small->token(), many), 4000);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->service_result, kBadRequestTooLarge);
    EXPECT_EQ(r->request_handle, 7u);
    EXPECT_FALSE(small->closed());
}

TEST_F(Services, CloseSessionEndsIt) {
    auto c = Connected();
    BinaryWriter close = Request(473, c->token());
    close.Boolean(true);
    auto r = c->Call(close);
    EXPECT_EQ(r->service_result, kGood);
    EXPECT_EQ(server->session_count(), 0u);
    r = c->Call(ReadRequest(c->token(), {{Ours(kVoltage), 4}}));
    EXPECT_EQ(r->service_result, kBadSessionIdInvalid);
}

TEST_F(Services, IdleSessionTimesOut) {
    auto c = Connected();
    c->now().mono_ms += 60001;  // the requested 60 s
    server->Tick(c->now());
    EXPECT_EQ(server->session_count(), 0u);
}

}  // namespace
}  // namespace iec::ua
