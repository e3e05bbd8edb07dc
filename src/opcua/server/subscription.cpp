#include "opcua/server/subscription.h"

#include <algorithm>

#include "opcua/server/codec.h"
#include "opcua/server/node_ids.h"
#include "opcua/server/status_codes.h"
#include "opcua/server/tag_store.h"

namespace iec::ua {

Subscription::Subscription(uint32_t id, const SubscriptionParameters& p, const Now& now)
    : id_(id), params_(p), next_publish_ms_(now.mono_ms + static_cast<int64_t>(p.publishing_interval_ms)) {}

void Subscription::Modify(const SubscriptionParameters& p) {
    bool enabled = params_.publishing_enabled;
    params_ = p;
    params_.publishing_enabled = enabled;
}

void Subscription::Sample(const Now& now, const TagStore& tags, const AttributeSampler& sampler) {
    if (expired_) return;
    // When the store has not moved since a pass that brought every tag item up to date, no tag item can have
    // anything new: 10 000 idle items then cost one comparison.
    uint64_t generation = tags.generation();
    bool nothing_new = generation == sampled_generation_;
    bool all_tag_items_sampled = true;
    for (auto& [item_id, item] : items_) {
        if (item.mode == MonitoringMode::Disabled) continue;
        if (item.tag_slot >= 0 && nothing_new && item.last) continue;
        if (now.mono_ms < item.next_sample_ms) {
            if (item.tag_slot >= 0) all_tag_items_sampled = false;
            continue;
        }
        if (item.tag_slot >= 0) {
            DataValue value;
            if (tags.ReadIfChanged(item.tag_slot, item.tag_version, value)) {
                item.Offer(FilterTimestamps(value, item.timestamps));
            }
        } else {
            item.Offer(FilterTimestamps(sampler(item, now), item.timestamps));
        }
        item.next_sample_ms = now.mono_ms + static_cast<int64_t>(item.sampling_interval_ms);
    }
    sampled_generation_ = all_tag_items_sampled ? generation : 0;
}

bool Subscription::HasNotifications() const {
    for (const auto& [item_id, item] : items_) {
        if (item.mode == MonitoringMode::Reporting && !item.queue.empty()) return true;
    }
    return false;
}

Subscription::Due Subscription::OnTimer(const Now& now, bool publish_available) {
    if (expired_) return Due::Nothing;
    auto interval = static_cast<int64_t>(params_.publishing_interval_ms);
    next_publish_ms_ += interval;
    if (next_publish_ms_ <= now.mono_ms) next_publish_ms_ = now.mono_ms + interval;  // fell behind: no burst

    if (params_.publishing_enabled && HasNotifications()) {
        late_ = Due::Notifications;
    } else if (late_ == Due::Nothing) {
        // The first keep-alive goes out at the first timer so that the client learns the subscription works.
        if (!first_message_sent_ || ++keepalive_counter_ >= params_.max_keepalive_count) late_ = Due::KeepAlive;
    }
    if (publish_available) {
        lifetime_counter_ = 0;
    } else if (++lifetime_counter_ >= params_.lifetime_count) {
        expired_ = true;
        return Due::Nothing;
    }
    return publish_available ? late_ : Due::Nothing;
}

void Subscription::MessageSent() {
    late_ = Due::Nothing;
    keepalive_counter_ = 0;
    lifetime_counter_ = 0;
    first_message_sent_ = true;
}

uint32_t Subscription::NextSequenceNumber() {
    uint32_t n = sequence_number_;
    // Sequence number 0 is never used; the count wraps to 1.
    sequence_number_ = sequence_number_ == UINT32_MAX ? 1 : sequence_number_ + 1;
    return n;
}

std::vector<uint8_t> Subscription::TakeNotificationMessage(const Now& now, uint32_t max_notifications, bool& more) {
    BinaryWriter data;
    size_t count_at = data.size();
    data.I32(0);
    uint32_t count = 0;
    more = false;
    for (auto& [item_id, item] : items_) {
        if (item.mode != MonitoringMode::Reporting) continue;
        size_t taken = 0;
        for (const DataValue& v : item.queue) {
            if (max_notifications != 0 && count >= max_notifications) break;
            data.U32(item.client_handle);
            WriteDataValue(data, v);
            ++count;
            ++taken;
        }
        item.queue.erase(item.queue.begin(), item.queue.begin() + static_cast<std::ptrdiff_t>(taken));
        if (!item.queue.empty()) more = true;
    }
    data.PatchU32(count_at, count);
    data.I32(0);  // no diagnostic infos

    BinaryWriter w;
    uint32_t sequence_number = NextSequenceNumber();
    w.U32(sequence_number);
    w.I64(now.utc);
    w.I32(1);
    WriteExtensionObject(w, MakeExtension(id::kDataChangeNotification, data.data()));
    std::vector<uint8_t> message = w.Take();
    retransmissions_.emplace_back(sequence_number, message);
    while (retransmissions_.size() > max_retransmissions_) retransmissions_.pop_front();
    if (more) late_ = Due::Notifications;
    return message;
}

std::vector<uint8_t> Subscription::KeepAliveMessage(const Now& now) const {
    BinaryWriter w;
    w.U32(sequence_number_);
    w.I64(now.utc);
    w.I32(0);
    return w.Take();
}

std::vector<uint8_t> Subscription::StatusChangeMessage(const Now& now, StatusCode status) {
    BinaryWriter data;
    data.U32(status);
    data.U8(0);  // no diagnostic info
    BinaryWriter w;
    w.U32(NextSequenceNumber());
    w.I64(now.utc);
    w.I32(1);
    WriteExtensionObject(w, MakeExtension(id::kStatusChangeNotification, data.data()));
    return w.Take();
}

StatusCode Subscription::Acknowledge(uint32_t sequence_number) {
    auto it = std::find_if(retransmissions_.begin(), retransmissions_.end(),
                           [&](const auto& e) { return e.first == sequence_number; });
    if (it == retransmissions_.end()) return kBadSequenceNumberUnknown;
    retransmissions_.erase(it);
    return kGood;
}

const std::vector<uint8_t>* Subscription::FindRetransmission(uint32_t sequence_number) const {
    for (const auto& e : retransmissions_) {
        if (e.first == sequence_number) return &e.second;
    }
    return nullptr;
}

std::vector<uint32_t> Subscription::AvailableSequenceNumbers() const {
    std::vector<uint32_t> out;
    for (const auto& e : retransmissions_) out.push_back(e.first);
    return out;
}

}  // namespace iec::ua
