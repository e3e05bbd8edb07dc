#include "opcua/server/publisher.h"

#include <algorithm>

#include "opcua/server/attribute_read.h"
#include "opcua/server/binary_writer.h"
#include "opcua/server/responder.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

constexpr uint32_t kPublishResponse = 829;

// Takes the oldest Publish request whose channel can still carry the answer; requests of lost channels go.
bool TakePublishRequest(ServerState& server, Session& session, PendingPublish& out, SecureChannel*& channel) {
    while (!session.publish_queue.empty()) {
        out = std::move(session.publish_queue.front());
        session.publish_queue.pop_front();
        channel = server.FindChannel(out.channel_id);
        if (channel && channel->open()) return true;
    }
    return false;
}

Subscription* NextOwing(Session& session) {
    Subscription* best = nullptr;
    for (auto& [id, sub] : session.subscriptions) {
        if (sub->expired()) return sub.get();
        if (!sub->late()) continue;
        // Data before keep-alives, then the higher priority.
        if (!best || (sub->owed() == Subscription::Due::Notifications &&
                      best->owed() != Subscription::Due::Notifications) ||
            (sub->owed() == best->owed() && sub->parameters().priority > best->parameters().priority)) {
            best = sub.get();
        }
    }
    return best;
}

}  // namespace

void DeleteSubscription(ServerState& server, Session& session, uint32_t subscription_id) {
    auto it = session.subscriptions.find(subscription_id);
    if (it == session.subscriptions.end()) return;
    server.monitored_item_count -= std::min(server.monitored_item_count, it->second->items().size());
    server.subscription_count -= std::min<size_t>(server.subscription_count, 1);
    session.subscriptions.erase(it);
}

void ServeSession(ServerState& server, Session& session, const Now& now) {
    while (!session.publish_queue.empty()) {
        Subscription* sub = NextOwing(session);
        if (!sub) return;
        PendingPublish request;
        SecureChannel* channel = nullptr;
        if (!TakePublishRequest(server, session, request, channel)) return;

        bool more = false;
        std::vector<uint8_t> message;
        bool expired = sub->expired();
        if (expired) {
            message = sub->StatusChangeMessage(now, kBadTimeout);
        } else if (sub->owed() == Subscription::Due::Notifications) {
            uint32_t limit = sub->parameters().max_notifications_per_publish;
            if (limit == 0 || limit > server.config.max_notifications_per_publish) {
                limit = server.config.max_notifications_per_publish;
            }
            message = sub->TakeNotificationMessage(now, limit, more);
        } else {
            message = sub->KeepAliveMessage(now);
        }
        BinaryWriter w;
        w.U32(sub->id());
        auto available = sub->AvailableSequenceNumbers();
        w.ArrayLength(available.size());
        for (uint32_t n : available) w.U32(n);
        w.Boolean(more);
        w.Bytes(message);
        w.ArrayLength(request.ack_results.size());
        for (StatusCode s : request.ack_results) w.U32(s);
        w.I32(0);
        SendServiceResponse(*channel, request.request_id, kPublishResponse, request.request_handle, w.data(), now.utc,
                            server.counters);
        if (expired) {
            DeleteSubscription(server, session, sub->id());
        } else if (!more) {
            sub->MessageSent();
        }
    }
}

void TickSessions(ServerState& server, const Now& now) {
    AttributeSampler sampler = [&server](const MonitoredItem& item, const Now& t) {
        return ReadAttribute(server, item.node, item.attribute, t);
    };
    std::vector<Session*> timed_out;
    for (auto& session_ptr : server.sessions) {
        Session& session = *session_ptr;
        // A queued Publish whose time-out hint has passed is answered so the client does not wait in vain.
        auto& queue = session.publish_queue;
        for (auto it = queue.begin(); it != queue.end();) {
            SecureChannel* ch = server.FindChannel(it->channel_id);
            bool lost = !ch || !ch->open();
            bool late = it->timeout_hint_ms != 0 && now.mono_ms - it->received_ms > int64_t{it->timeout_hint_ms};
            if (!lost && late) {
                SendServiceFault(*ch, it->request_id, it->request_handle, kBadTimeout, now.utc, server.counters);
            }
            it = (lost || late) ? queue.erase(it) : std::next(it);
        }
        if (!queue.empty()) session.last_activity_ms = now.mono_ms;
        if (now.mono_ms - session.last_activity_ms > static_cast<int64_t>(session.timeout_ms)) {
            timed_out.push_back(&session);
            continue;
        }
        for (auto& [id, sub] : session.subscriptions) {
            sub->Sample(now, server.tags, sampler);
            if (sub->TimerDue(now)) sub->OnTimer(now, !queue.empty());
        }
        ServeSession(server, session, now);
    }
    for (Session* s : timed_out) server.RemoveSession(s);
}

}  // namespace iec::ua
