// A subscription: its publishing timer (driven by the `now` passed in), its monitored items, the counters of the
// keep-alive and lifetime rules, and the retransmission queue for Republish.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "opcua/server/monitored_item.h"
#include "opcua/server/now.h"

namespace iec::ua {

struct SubscriptionParameters {
    double publishing_interval_ms = 1000;
    uint32_t lifetime_count = 60;
    uint32_t max_keepalive_count = 10;
    uint32_t max_notifications_per_publish = 0;  // 0 = the server's limit
    bool publishing_enabled = true;
    uint8_t priority = 0;
};

// Reads the current value of an item that does not watch one of our variables.
using AttributeSampler = std::function<DataValue(const MonitoredItem&, const Now&)>;

class TagStore;

class Subscription {
public:
    Subscription(uint32_t id, const SubscriptionParameters& p, const Now& now);

    uint32_t id() const { return id_; }
    const SubscriptionParameters& parameters() const { return params_; }
    void Modify(const SubscriptionParameters& p);
    void SetPublishingEnabled(bool enabled) { params_.publishing_enabled = enabled; }

    std::map<uint32_t, MonitoredItem>& items() { return items_; }
    const std::map<uint32_t, MonitoredItem>& items() const { return items_; }

    // Samples every item that is due. Cheap when nothing changed in the tag store since the last pass.
    void Sample(const Now& now, const TagStore& tags, const AttributeSampler& sampler);

    // What the publishing timer asks for when it fires.
    enum class Due { Nothing, Notifications, KeepAlive };
    // Advances the publishing timer; returns what should be sent now if a Publish request is waiting.
    // publish_available says whether one is waiting (the lifetime counter runs out otherwise).
    Due OnTimer(const Now& now, bool publish_available);
    bool TimerDue(const Now& now) const { return now.mono_ms >= next_publish_ms_; }
    int64_t next_publish_ms() const { return next_publish_ms_; }
    // True while a message is owed to the client (late): sent as soon as a Publish request arrives.
    bool late() const { return late_ != Due::Nothing; }
    Due owed() const { return late_; }
    bool expired() const { return expired_; }
    bool HasNotifications() const;

    // Builds the next NotificationMessage body (sequence number, publish time, notification data) from the
    // queued values, at most max_notifications of them; more is set when values are left over. The message is
    // kept for Republish.
    std::vector<uint8_t> TakeNotificationMessage(const Now& now, uint32_t max_notifications, bool& more);
    // A keep-alive: no data, carrying the next sequence number without consuming it.
    std::vector<uint8_t> KeepAliveMessage(const Now& now) const;
    // The final message of an expired subscription (StatusChangeNotification BadTimeout).
    std::vector<uint8_t> StatusChangeMessage(const Now& now, StatusCode status);
    void MessageSent();

    // Retransmission queue.
    StatusCode Acknowledge(uint32_t sequence_number);
    const std::vector<uint8_t>* FindRetransmission(uint32_t sequence_number) const;
    std::vector<uint32_t> AvailableSequenceNumbers() const;
    void set_max_retransmissions(size_t n) { max_retransmissions_ = n; }

private:
    uint32_t NextSequenceNumber();

    uint32_t id_;
    SubscriptionParameters params_;
    std::map<uint32_t, MonitoredItem> items_;
    int64_t next_publish_ms_;
    uint32_t keepalive_counter_ = 0;
    uint32_t lifetime_counter_ = 0;
    Due late_ = Due::Nothing;
    bool expired_ = false;
    bool first_message_sent_ = false;
    uint32_t sequence_number_ = 1;  // the next to send
    uint64_t sampled_generation_ = 0;
    std::deque<std::pair<uint32_t, std::vector<uint8_t>>> retransmissions_;
    size_t max_retransmissions_ = 16;
};

}  // namespace iec::ua
