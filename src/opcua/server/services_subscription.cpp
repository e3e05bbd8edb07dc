// CreateSubscription, ModifySubscription, SetPublishingMode, Publish, Republish, DeleteSubscriptions.
#include <algorithm>
#include <cmath>

#include "opcua/server/publisher.h"
#include "opcua/server/responder.h"
#include "opcua/server/services.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

constexpr double kMaxPublishingIntervalMs = 3600000;
constexpr uint32_t kDefaultKeepAliveCount = 10;
constexpr uint32_t kMaxKeepAliveCount = 10000;
constexpr uint32_t kMaxLifetimeCount = 100000;

SubscriptionParameters Revise(const ServerConfig& c, double interval, uint32_t lifetime, uint32_t keepalive,
                              uint32_t max_notifications) {
    SubscriptionParameters p;
    if (std::isnan(interval) || interval < c.min_publishing_interval_ms) interval = c.min_publishing_interval_ms;
    p.publishing_interval_ms = std::min(interval, kMaxPublishingIntervalMs);
    p.max_keepalive_count = std::clamp(keepalive == 0 ? kDefaultKeepAliveCount : keepalive, 1u, kMaxKeepAliveCount);
    // The lifetime must cover at least three keep-alive periods.
    p.lifetime_count = std::clamp(lifetime, 3 * p.max_keepalive_count, kMaxLifetimeCount);
    p.max_notifications_per_publish =
        max_notifications == 0 ? c.max_notifications_per_publish
                               : std::min(max_notifications, c.max_notifications_per_publish);
    return p;
}

void WriteRevised(BinaryWriter& w, const SubscriptionParameters& p) {
    w.F64(p.publishing_interval_ms);
    w.U32(p.lifetime_count);
    w.U32(p.max_keepalive_count);
}

}  // namespace

StatusCode CreateSubscription(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    double interval = r.F64();
    uint32_t lifetime = r.U32();
    uint32_t keepalive = r.U32();
    uint32_t max_notifications = r.U32();
    bool enabled = r.Boolean();
    uint8_t priority = r.U8();
    if (!r.ok()) return kBadDecodingError;
    ServerState& s = ctx.server;
    if (s.subscription_count >= s.config.max_subscriptions) return kBadTooManySubscriptions;
    SubscriptionParameters p = Revise(s.config, interval, lifetime, keepalive, max_notifications);
    p.publishing_enabled = enabled;
    p.priority = priority;
    uint32_t id = s.next_subscription_id++;
    auto sub = std::make_unique<Subscription>(id, p, ctx.now);
    sub->set_max_retransmissions(s.config.max_retransmission_queue);
    ctx.session->subscriptions.emplace(id, std::move(sub));
    ++s.subscription_count;
    w.U32(id);
    WriteRevised(w, p);
    return kGood;
}

StatusCode ModifySubscription(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    uint32_t id = r.U32();
    double interval = r.F64();
    uint32_t lifetime = r.U32();
    uint32_t keepalive = r.U32();
    uint32_t max_notifications = r.U32();
    uint8_t priority = r.U8();
    if (!r.ok()) return kBadDecodingError;
    auto it = ctx.session->subscriptions.find(id);
    if (it == ctx.session->subscriptions.end()) return kBadSubscriptionIdInvalid;
    SubscriptionParameters p = Revise(ctx.server.config, interval, lifetime, keepalive, max_notifications);
    p.priority = priority;
    it->second->Modify(p);
    WriteRevised(w, p);
    return kGood;
}

StatusCode SetPublishingMode(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    bool enabled = r.Boolean();
    size_t count = r.ArrayLength(4);
    if (StatusCode s = CheckOperationCount(r, count, ctx.server.config.max_nodes_per_call); IsBad(s)) return s;
    BinaryWriter results;
    for (size_t i = 0; i < count && r.ok(); ++i) {
        auto it = ctx.session->subscriptions.find(r.U32());
        if (it == ctx.session->subscriptions.end()) {
            results.U32(kBadSubscriptionIdInvalid);
        } else {
            it->second->SetPublishingEnabled(enabled);
            results.U32(kGood);
        }
    }
    if (!r.ok()) return kBadDecodingError;
    w.ArrayLength(count);
    w.Bytes(results.data());
    w.I32(0);
    return kGood;
}

StatusCode Publish(ServiceContext& ctx, BinaryReader& r, BinaryWriter&) {
    size_t count = r.ArrayLength(8);
    std::vector<std::pair<uint32_t, uint32_t>> acks;
    for (size_t i = 0; i < count && r.ok(); ++i) {
        uint32_t sub = r.U32();
        uint32_t seq = r.U32();
        acks.emplace_back(sub, seq);
    }
    if (!r.ok()) return kBadDecodingError;
    Session& session = *ctx.session;
    if (session.subscriptions.empty()) return kBadNoSubscription;
    if (session.publish_queue.size() >= ctx.server.config.max_publish_requests_per_session) {
        return kBadTooManyPublishRequests;
    }
    PendingPublish p;
    p.channel_id = ctx.channel.id();
    p.request_id = ctx.request_id;
    p.request_handle = ctx.header.request_handle;
    p.received_ms = ctx.now.mono_ms;
    p.timeout_hint_ms = ctx.header.timeout_hint;
    for (const auto& [sub_id, seq] : acks) {
        auto it = session.subscriptions.find(sub_id);
        p.ack_results.push_back(it == session.subscriptions.end() ? kBadSubscriptionIdInvalid
                                                                  : it->second->Acknowledge(seq));
    }
    session.publish_queue.push_back(std::move(p));
    ctx.deferred = true;
    ServeSession(ctx.server, session, ctx.now);
    return kGood;
}

StatusCode Republish(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    uint32_t id = r.U32();
    uint32_t seq = r.U32();
    if (!r.ok()) return kBadDecodingError;
    auto it = ctx.session->subscriptions.find(id);
    if (it == ctx.session->subscriptions.end()) return kBadSubscriptionIdInvalid;
    const std::vector<uint8_t>* message = it->second->FindRetransmission(seq);
    if (!message) return kBadMessageNotAvailable;
    w.Bytes(*message);
    return kGood;
}

StatusCode DeleteSubscriptions(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    size_t count = r.ArrayLength(4);
    if (StatusCode s = CheckOperationCount(r, count, ctx.server.config.max_nodes_per_call); IsBad(s)) return s;
    BinaryWriter results;
    for (size_t i = 0; i < count && r.ok(); ++i) {
        uint32_t id = r.U32();
        bool known = ctx.session->subscriptions.count(id) != 0;
        if (known) DeleteSubscription(ctx.server, *ctx.session, id);
        results.U32(known ? kGood : kBadSubscriptionIdInvalid);
    }
    if (!r.ok()) return kBadDecodingError;
    w.ArrayLength(count);
    w.Bytes(results.data());
    w.I32(0);
    // Requests queued for subscriptions that are all gone would otherwise wait for their time-out.
    if (ctx.session->subscriptions.empty()) {
        for (const PendingPublish& p : ctx.session->publish_queue) {
            if (SecureChannel* ch = ctx.server.FindChannel(p.channel_id)) {
                SendServiceFault(*ch, p.request_id, p.request_handle, kBadNoSubscription, ctx.now.utc,
                                 ctx.server.counters);
            }
        }
        ctx.session->publish_queue.clear();
    }
    return kGood;
}

}  // namespace iec::ua
