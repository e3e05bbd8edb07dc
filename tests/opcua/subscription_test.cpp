#include <gtest/gtest.h>

#include "opcua/server/status_codes.h"
#include "server_fixture.h"

namespace iec::ua {
namespace {

using test::Ours;
using test::Request;

struct Notification {
    uint32_t client_handle = 0;
    DataValue value;
};

struct PublishResult {
    StatusCode service_result = 0;
    uint32_t subscription = 0;
    std::vector<uint32_t> available;
    bool more = false;
    uint32_t sequence_number = 0;
    uint32_t notification_type = 0;  // 0 for a keep-alive
    std::vector<Notification> data;
    StatusCode status_change = 0;
    std::vector<StatusCode> ack_results;
};

PublishResult DecodeNotificationMessage(BinaryReader& b, PublishResult p) {
    p.sequence_number = b.U32();
    b.I64();
    size_t n = b.ArrayLength(3);
    for (size_t i = 0; i < n; ++i) {
        ExtensionObject e = ReadExtensionObject(b);
        p.notification_type = e.type_id.numeric;
        BinaryReader body(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(e.body.data()), e.body.size()));
        if (p.notification_type == 811) {
            size_t items = body.ArrayLength(5);
            for (size_t k = 0; k < items; ++k) {
                Notification note;
                note.client_handle = body.U32();
                note.value = ReadDataValue(body);
                p.data.push_back(note);
            }
        } else if (p.notification_type == 820) {
            p.status_change = body.U32();
        }
    }
    return p;
}

PublishResult DecodePublish(const test::Response& r) {
    PublishResult p;
    p.service_result = r.service_result;
    if (r.service_result != kGood) return p;
    BinaryReader b = r.Fields();
    p.subscription = b.U32();
    size_t n = b.ArrayLength(4);
    for (size_t i = 0; i < n; ++i) p.available.push_back(b.U32());
    p.more = b.Boolean();
    p = DecodeNotificationMessage(b, p);
    size_t acks = b.ArrayLength(4);
    for (size_t i = 0; i < acks; ++i) p.ack_results.push_back(b.U32());
    return p;
}

class Subscriptions : public test::ServerFixture {
protected:
    void SetUp() override {
        Build();
        client = Connected();
    }

    uint32_t CreateSubscription(double interval = 100, uint32_t lifetime = 30, uint32_t keepalive = 3) {
        BinaryWriter w = Request(787, client->token());
        w.F64(interval);
        w.U32(lifetime);
        w.U32(keepalive);
        w.U32(0);
        w.Boolean(true);
        w.U8(0);
        auto r = client->Call(w);
        EXPECT_EQ(r->service_result, kGood);
        BinaryReader b = r->Fields();
        return b.U32();
    }

    // Returns the item's status and id.
    std::pair<StatusCode, uint32_t> Monitor(uint32_t sub, const NodeId& node, uint32_t handle,
                                            const ExtensionObject& filter = {}, uint32_t queue = 10,
                                            uint32_t attribute = 13) {
        BinaryWriter w = Request(751, client->token());
        w.U32(sub);
        w.U32(2);  // both time stamps
        w.I32(1);
        WriteNodeId(w, node);
        w.U32(attribute);
        w.NullString();
        WriteQualifiedName(w, {});
        w.U32(2);  // reporting
        w.U32(handle);
        w.F64(0);
        WriteExtensionObject(w, filter);
        w.U32(queue);
        w.Boolean(true);
        auto r = client->Call(w);
        EXPECT_EQ(r->service_result, kGood);
        BinaryReader b = r->Fields();
        b.ArrayLength(1);
        StatusCode s = b.U32();
        return {s, b.U32()};
    }

    // Sends a Publish; returns its immediate answer if there was one.
    std::optional<PublishResult> Publish(std::vector<std::pair<uint32_t, uint32_t>> acks = {}) {
        BinaryWriter w = Request(826, client->token());
        w.ArrayLength(acks.size());
        for (auto [s, n] : acks) {
            w.U32(s);
            w.U32(n);
        }
        auto r = client->Call(w);
        if (!r) return std::nullopt;
        return DecodePublish(*r);
    }

    // Advances time in 10 ms ticks and returns the Publish answers that came.
    std::vector<PublishResult> Advance(int64_t ms) {
        std::vector<PublishResult> out;
        for (int64_t t = 0; t < ms; t += 10) {
            client->now().mono_ms += 10;
            client->now().utc += 100000;
            server->Tick(client->now());
            for (auto& r : client->TakeResponses()) out.push_back(DecodePublish(r));
        }
        return out;
    }

    std::unique_ptr<test::TestClient> client;
};

TEST_F(Subscriptions, DataChangesArriveAtThePublishingInterval) {
    Set(kVoltage, 10.0, 133500000010000000LL);
    uint32_t sub = CreateSubscription(100);
    auto [status, item] = Monitor(sub, Ours(kVoltage), 77);
    EXPECT_EQ(status, kGood);
    EXPECT_NE(item, 0u);
    EXPECT_FALSE(Publish());  // held until the subscription has something
    EXPECT_TRUE(Advance(90).empty());
    auto got = Advance(20);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].subscription, sub);
    EXPECT_EQ(got[0].notification_type, 811u);
    ASSERT_EQ(got[0].data.size(), 1u);
    EXPECT_EQ(got[0].data[0].client_handle, 77u);
    EXPECT_EQ(std::get<double>(got[0].data[0].value.value->values[0]), 10.0);
    EXPECT_EQ(got[0].sequence_number, 1u);

    // Two changes within one interval both arrive (queue size 10), with the source time given.
    Set(kVoltage, 11.0, 133500000020000000LL);
    Advance(50);
    Set(kVoltage, 12.0, 133500000030000000LL);
    EXPECT_FALSE(Publish({{sub, 1}}));
    got = Advance(100);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].data.size(), 2u);
    EXPECT_EQ(std::get<double>(got[0].data[1].value.value->values[0]), 12.0);
    EXPECT_EQ(got[0].data[1].value.source_timestamp, 133500000030000000LL);
    EXPECT_EQ(got[0].ack_results, std::vector<StatusCode>{kGood});
    EXPECT_EQ(got[0].sequence_number, 2u);
}

TEST_F(Subscriptions, BadStatusIsAChangeButTheSameValueAgainIsNot) {
    Set(kVoltage, 10.0);
    uint32_t sub = CreateSubscription(100);
    Monitor(sub, Ours(kVoltage), 1);
    Publish();
    ASSERT_EQ(Advance(110).size(), 1u);
    Set(kVoltage, 10.0);  // same value, same status: no notification under the default trigger
    tags.SetQuality(model.SlotOf(kVoltage), 0x80000000u, 5, 5);
    Publish();
    auto got = Advance(100);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].data.size(), 1u);
    EXPECT_EQ(got[0].data[0].value.status, 0x80000000u);
}

TEST_F(Subscriptions, KeepAlivesCarryTheNextSequenceNumber) {
    uint32_t sub = CreateSubscription(100, 30, 3);
    EXPECT_NE(sub, 0u);
    Publish();
    auto got = Advance(110);  // the first timer tells the client the subscription works
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].notification_type, 0u);
    EXPECT_EQ(got[0].sequence_number, 1u);
    Publish();
    EXPECT_TRUE(Advance(250).empty());  // nothing until max keep-alive count (3) intervals pass
    got = Advance(60);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].notification_type, 0u);
    EXPECT_EQ(got[0].sequence_number, 1u);  // still unused
}

TEST_F(Subscriptions, PublishQueueLimitsAndNoSubscription) {
    auto r = Publish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->service_result, kBadNoSubscription);
    config.max_publish_requests_per_session = 2;
    Build();
    client = Connected();
    CreateSubscription(1000);
    EXPECT_FALSE(Publish());
    EXPECT_FALSE(Publish());
    r = Publish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->service_result, kBadTooManyPublishRequests);
}

TEST_F(Subscriptions, RepublishFromTheRetransmissionQueueUntilAcknowledged) {
    Set(kVoltage, 1.0);
    uint32_t sub = CreateSubscription(100);
    Monitor(sub, Ours(kVoltage), 5);
    Publish();
    auto got = Advance(110);
    ASSERT_EQ(got.size(), 1u);
    uint32_t seq = got[0].sequence_number;

    auto republish = [&](uint32_t n) {
        BinaryWriter w = Request(832, client->token());
        w.U32(sub);
        w.U32(n);
        return client->Call(w);
    };
    auto r = republish(seq);
    ASSERT_EQ(r->service_result, kGood);
    BinaryReader b = r->Fields();
    PublishResult again = DecodeNotificationMessage(b, {});
    EXPECT_EQ(again.sequence_number, seq);
    ASSERT_EQ(again.data.size(), 1u);
    EXPECT_EQ(again.data[0].client_handle, 5u);

    Publish({{sub, seq}, {sub, 999}, {12345, 1}});
    Set(kVoltage, 2.0);
    got = Advance(110);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].ack_results,
              (std::vector<StatusCode>{kGood, kBadSequenceNumberUnknown, kBadSubscriptionIdInvalid}));
    EXPECT_EQ(republish(seq)->service_result, kBadMessageNotAvailable);
}

TEST_F(Subscriptions, ExpiredSubscriptionEndsWithStatusChange) {
    uint32_t sub = CreateSubscription(100, 9, 3);
    Advance(950);  // lifetime 9 intervals without a Publish request
    EXPECT_TRUE(client->TakeResponses().empty());
    auto expired = Publish();  // answered at once with the final message
    ASSERT_TRUE(expired);
    EXPECT_EQ(expired->subscription, sub);
    EXPECT_EQ(expired->notification_type, 820u);
    EXPECT_EQ(expired->status_change, kBadTimeout);
    auto r = Publish();
    ASSERT_TRUE(r);
    EXPECT_EQ(r->service_result, kBadNoSubscription);
}

TEST_F(Subscriptions, MonitoredItemLimitsAndFilters) {
    config.max_monitored_items = 2;
    Build();
    client = Connected();
    uint32_t sub = CreateSubscription(100);
    EXPECT_EQ(Monitor(sub, Ours(kVoltage), 1).first, kGood);
    EXPECT_EQ(Monitor(sub, Ours(999), 2).first, kBadNodeIdUnknown);
    EXPECT_EQ(Monitor(sub, Ours(kGroup), 3).first, kBadAttributeIdInvalid);
    BinaryWriter percent;
    percent.U32(1);
    percent.U32(2);  // percent deadband: needs a range we do not have
    percent.F64(5);
    EXPECT_EQ(Monitor(sub, Ours(kVoltage), 4, MakeExtension(724, percent.data())).first,
              kBadMonitoredItemFilterUnsupported);
    EXPECT_EQ(Monitor(sub, NodeId::Numeric(0, 2253), 5, MakeExtension(727, {}), 10, 12).first,
              kBadFilterNotAllowed);
    EXPECT_EQ(Monitor(sub, Ours(kSwitch), 6).first, kGood);
    EXPECT_EQ(Monitor(sub, Ours(kCounter), 7).first, kBadTooManyMonitoredItems);
}

TEST_F(Subscriptions, AbsoluteDeadbandSuppressesSmallChanges) {
    Set(kVoltage, 100.0);
    uint32_t sub = CreateSubscription(100);
    BinaryWriter deadband;
    deadband.U32(1);
    deadband.U32(1);  // absolute
    deadband.F64(1.0);
    ASSERT_EQ(Monitor(sub, Ours(kVoltage), 1, MakeExtension(724, deadband.data())).first, kGood);
    Publish();
    ASSERT_EQ(Advance(110).size(), 1u);
    Set(kVoltage, 100.5);
    Publish();
    Advance(100);
    Set(kVoltage, 102.0);
    auto got = Advance(300);
    std::vector<double> seen;
    for (auto& p : got) {
        for (auto& n : p.data) seen.push_back(std::get<double>(n.value.value->values[0]));
    }
    EXPECT_EQ(seen, std::vector<double>{102.0});
}

TEST_F(Subscriptions, DisabledItemsReportNothingAndDeletedItemsAreGone) {
    Set(kVoltage, 1.0);
    uint32_t sub = CreateSubscription(100);
    uint32_t item = Monitor(sub, Ours(kVoltage), 1).second;
    BinaryWriter mode = Request(769, client->token());
    mode.U32(sub);
    mode.U32(0);  // disabled
    mode.I32(2);
    mode.U32(item);
    mode.U32(424242);
    auto r = client->Call(mode);
    BinaryReader b = r->Fields();
    ASSERT_EQ(b.ArrayLength(4), 2u);
    EXPECT_EQ(b.U32(), kGood);
    EXPECT_EQ(b.U32(), kBadMonitoredItemIdInvalid);
    Publish();
    auto got = Advance(110);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].notification_type, 0u);  // keep-alive only

    BinaryWriter del = Request(781, client->token());
    del.U32(sub);
    del.I32(1);
    del.U32(item);
    r = client->Call(del);
    b = r->Fields();
    b.ArrayLength(4);
    EXPECT_EQ(b.U32(), kGood);
    EXPECT_EQ(server->state().monitored_item_count, 0u);
}

TEST_F(Subscriptions, ServerStatusCanBeMonitoredToo) {
    uint32_t sub = CreateSubscription(100);
    EXPECT_EQ(Monitor(sub, NodeId::Numeric(0, 2259), 9).first, kGood);
    Publish();
    auto got = Advance(110);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].data.size(), 1u);
    EXPECT_EQ(std::get<int64_t>(got[0].data[0].value.value->values[0]), 0);  // Running
}

TEST_F(Subscriptions, DeleteSubscriptionsAnswersWaitingPublishRequests) {
    uint32_t sub = CreateSubscription(1000);
    Publish();
    BinaryWriter w = Request(847, client->token());
    w.I32(2);
    w.U32(sub);
    w.U32(sub + 100);
    client->Call(w);
    EXPECT_EQ(server->state().subscription_count, 0u);
    const auto& answers = client->last_responses();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].service_result, kBadNoSubscription);  // the waiting Publish
    BinaryReader b = answers[1].Fields();
    ASSERT_EQ(b.ArrayLength(4), 2u);
    EXPECT_EQ(b.U32(), kGood);
    EXPECT_EQ(b.U32(), kBadSubscriptionIdInvalid);
}


TEST_F(Subscriptions, ModifyAndPublishingModeRevisedAndApplied) {
    Set(kVoltage, 1.0);
    uint32_t sub = CreateSubscription(100);
    uint32_t item = Monitor(sub, Ours(kVoltage), 3).second;

    BinaryWriter modify = Request(793, client->token());
    modify.U32(sub);
    modify.F64(1.0);  // below the minimum
    modify.U32(1);    // below three keep-alive periods
    modify.U32(0);    // default keep-alive count
    modify.U32(0);
    modify.U8(1);
    auto r = client->Call(modify);
    ASSERT_EQ(r->service_result, kGood);
    BinaryReader b = r->Fields();
    EXPECT_EQ(b.F64(), config.min_publishing_interval_ms);
    EXPECT_EQ(b.U32(), 30u);
    EXPECT_EQ(b.U32(), 10u);

    BinaryWriter items = Request(763, client->token());
    items.U32(sub);
    items.U32(2);
    items.I32(2);
    for (uint32_t id : {item, 999u}) {
        items.U32(id);
        items.U32(3);
        items.F64(0);
        items.U8(0);
        items.U8(0);
        items.U8(0);
        items.U32(100000);  // revised to the server's maximum
        items.Boolean(true);
    }
    r = client->Call(items);
    b = r->Fields();
    ASSERT_EQ(b.ArrayLength(1), 2u);
    EXPECT_EQ(b.U32(), kGood);
    EXPECT_EQ(b.F64(), config.min_sampling_interval_ms);
    EXPECT_EQ(b.U32(), config.max_queue_size);
    ReadExtensionObject(b);
    EXPECT_EQ(b.U32(), kBadMonitoredItemIdInvalid);

    BinaryWriter mode = Request(799, client->token());
    mode.Boolean(false);
    mode.I32(1);
    mode.U32(sub);
    r = client->Call(mode);
    b = r->Fields();
    b.ArrayLength(4);
    EXPECT_EQ(b.U32(), kGood);
    Publish();
    auto got = Advance(110);  // disabled: a keep-alive instead of the data
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].notification_type, 0u);

    mode = Request(799, client->token());
    mode.Boolean(true);
    mode.I32(1);
    mode.U32(sub);
    client->Call(mode);
    Publish();
    got = Advance(60);
    ASSERT_EQ(got.size(), 1u);
    ASSERT_EQ(got[0].data.size(), 1u);
    EXPECT_EQ(got[0].data[0].client_handle, 3u);
}

TEST_F(Subscriptions, SubscriptionLimit) {
    config.max_subscriptions = 1;
    Build();
    client = Connected();
    CreateSubscription();
    BinaryWriter w = Request(787, client->token());
    w.F64(100);
    w.U32(30);
    w.U32(3);
    w.U32(0);
    w.Boolean(true);
    w.U8(0);
    EXPECT_EQ(client->Call(w)->service_result, kBadTooManySubscriptions);
}

}  // namespace
}  // namespace iec::ua
