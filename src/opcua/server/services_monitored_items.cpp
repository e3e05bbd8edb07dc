// CreateMonitoredItems, ModifyMonitoredItems, SetMonitoringMode, DeleteMonitoredItems.
#include <algorithm>
#include <cmath>

#include "opcua/server/attribute_read.h"
#include "opcua/server/node_ids.h"
#include "opcua/server/services.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

constexpr double kMaxSamplingIntervalMs = 3600000;
constexpr uint32_t kDeadbandNone = 0;
constexpr uint32_t kDeadbandAbsolute = 1;

struct MonitoringParameters {
    uint32_t client_handle = 0;
    double sampling_interval = 0;
    ExtensionObject filter;
    uint32_t queue_size = 0;
    bool discard_oldest = true;
};

MonitoringParameters ReadMonitoringParameters(BinaryReader& r) {
    MonitoringParameters p;
    p.client_handle = r.U32();
    p.sampling_interval = r.F64();
    p.filter = ReadExtensionObject(r);
    p.queue_size = r.U32();
    p.discard_oldest = r.Boolean();
    return p;
}

// Applies the parameters to the item; returns the item's status.
StatusCode Apply(const ServerConfig& c, const Subscription& sub, const MonitoringParameters& p, MonitoredItem& item) {
    if (!p.filter.type_id.IsNull()) {
        if (item.attribute != kAttrValue) return kBadFilterNotAllowed;
        if (!p.filter.type_id.Is(id::kDataChangeFilter) || p.filter.encoding != 1) {
            return kBadMonitoredItemFilterUnsupported;
        }
        BinaryReader fr(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(p.filter.body.data()),
                                                 p.filter.body.size()));
        uint32_t trigger = fr.U32();
        uint32_t deadband_type = fr.U32();
        double deadband = fr.F64();
        if (!fr.ok() || trigger > static_cast<uint32_t>(DataChangeTrigger::StatusValueTimestamp)) {
            return kBadMonitoredItemFilterUnsupported;
        }
        // A percent deadband needs an engineering range, which our variables do not have.
        if (deadband_type != kDeadbandNone && deadband_type != kDeadbandAbsolute) {
            return kBadMonitoredItemFilterUnsupported;
        }
        if (deadband_type == kDeadbandAbsolute && (std::isnan(deadband) || deadband < 0)) {
            return kBadMonitoredItemFilterUnsupported;
        }
        item.trigger = static_cast<DataChangeTrigger>(trigger);
        item.absolute_deadband = deadband_type == kDeadbandAbsolute ? deadband : 0;
    } else {
        item.trigger = DataChangeTrigger::StatusValue;
        item.absolute_deadband = 0;
    }
    item.client_handle = p.client_handle;
    double interval = p.sampling_interval;
    if (std::isnan(interval) || interval < 0) interval = sub.parameters().publishing_interval_ms;
    item.sampling_interval_ms = std::clamp(interval, c.min_sampling_interval_ms, kMaxSamplingIntervalMs);
    item.queue_size = std::clamp(p.queue_size, 1u, c.max_queue_size);
    item.discard_oldest = p.discard_oldest;
    if (item.queue.size() > item.queue_size) {
        item.queue.erase(item.queue.begin(), item.queue.end() - static_cast<std::ptrdiff_t>(item.queue_size));
    }
    return kGood;
}

void WriteItemResult(BinaryWriter& w, StatusCode status, const MonitoredItem* item, bool with_id) {
    w.U32(status);
    if (with_id) w.U32(status == kGood && item ? item->id : 0);
    w.F64(status == kGood && item ? item->sampling_interval_ms : 0.0);
    w.U32(status == kGood && item ? item->queue_size : 0);
    w.U8(0);  // no filter result: null ExtensionObject
    w.U8(0);
    w.U8(0);
}

Subscription* FindSubscription(ServiceContext& ctx, uint32_t id) {
    auto it = ctx.session->subscriptions.find(id);
    return it == ctx.session->subscriptions.end() ? nullptr : it->second.get();
}

}  // namespace

StatusCode CreateMonitoredItems(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    uint32_t sub_id = r.U32();
    uint32_t timestamps = r.U32();
    // ReadValueId (16) + mode (4) + parameters (20): at least 40 octets per item.
    size_t count = r.ArrayLength(40);
    ServerState& s = ctx.server;
    if (StatusCode st = CheckOperationCount(r, count, s.config.max_monitored_items_per_call); IsBad(st)) return st;
    Subscription* sub = FindSubscription(ctx, sub_id);
    if (!sub) return kBadSubscriptionIdInvalid;
    if (timestamps > static_cast<uint32_t>(TimestampsToReturn::Neither)) return kBadTimestampsToReturnInvalid;

    BinaryWriter results;
    for (size_t i = 0; i < count && r.ok(); ++i) {
        MonitoredItem item;
        item.node = ReadNodeId(r);
        item.attribute = r.U32();
        std::string index_range = r.String();
        QualifiedName encoding = ReadQualifiedName(r);
        uint32_t mode = r.U32();
        MonitoringParameters p = ReadMonitoringParameters(r);
        if (!r.ok()) break;
        item.timestamps = static_cast<TimestampsToReturn>(timestamps);
        StatusCode status = kGood;
        const Node* node = s.space.Find(item.node);
        if (!node) {
            status = kBadNodeIdUnknown;
        } else if (ReadAttribute(s, item.node, item.attribute, ctx.now).status == kBadAttributeIdInvalid) {
            status = kBadAttributeIdInvalid;
        } else if (!index_range.empty()) {
            status = kBadIndexRangeInvalid;
        } else if (!encoding.name.empty()) {
            status = kBadDataEncodingInvalid;
        } else if (mode > static_cast<uint32_t>(MonitoringMode::Reporting)) {
            status = kBadMonitoringModeInvalid;
        } else if (s.monitored_item_count >= s.config.max_monitored_items) {
            status = kBadTooManyMonitoredItems;
        } else {
            item.mode = static_cast<MonitoringMode>(mode);
            item.tag_slot = item.attribute == kAttrValue ? node->tag_slot : -1;
            status = Apply(s.config, *sub, p, item);
        }
        if (status != kGood) {
            WriteItemResult(results, status, nullptr, true);
            continue;
        }
        item.id = s.next_monitored_item_id++;
        item.next_sample_ms = ctx.now.mono_ms;  // the first value goes out with the next publish
        auto placed = sub->items().emplace(item.id, std::move(item)).first;
        ++s.monitored_item_count;
        WriteItemResult(results, kGood, &placed->second, true);
    }
    if (!r.ok()) return kBadDecodingError;
    w.ArrayLength(count);
    w.Bytes(results.data());
    w.I32(0);
    return kGood;
}

StatusCode ModifyMonitoredItems(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    uint32_t sub_id = r.U32();
    uint32_t timestamps = r.U32();
    // Item id (4) + parameters (20).
    size_t count = r.ArrayLength(24);
    ServerState& s = ctx.server;
    if (StatusCode st = CheckOperationCount(r, count, s.config.max_monitored_items_per_call); IsBad(st)) return st;
    Subscription* sub = FindSubscription(ctx, sub_id);
    if (!sub) return kBadSubscriptionIdInvalid;
    if (timestamps > static_cast<uint32_t>(TimestampsToReturn::Neither)) return kBadTimestampsToReturnInvalid;
    BinaryWriter results;
    for (size_t i = 0; i < count && r.ok(); ++i) {
        uint32_t item_id = r.U32();
        MonitoringParameters p = ReadMonitoringParameters(r);
        if (!r.ok()) break;
        auto it = sub->items().find(item_id);
        if (it == sub->items().end()) {
            WriteItemResult(results, kBadMonitoredItemIdInvalid, nullptr, false);
            continue;
        }
        MonitoredItem copy = it->second;
        StatusCode status = Apply(s.config, *sub, p, copy);
        if (status == kGood) {
            copy.timestamps = static_cast<TimestampsToReturn>(timestamps);
            it->second = std::move(copy);
        }
        WriteItemResult(results, status, &it->second, false);
    }
    if (!r.ok()) return kBadDecodingError;
    w.ArrayLength(count);
    w.Bytes(results.data());
    w.I32(0);
    return kGood;
}

StatusCode SetMonitoringMode(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    uint32_t sub_id = r.U32();
    uint32_t mode = r.U32();
    size_t count = r.ArrayLength(4);
    if (StatusCode st = CheckOperationCount(r, count, ctx.server.config.max_monitored_items_per_call); IsBad(st)) {
        return st;
    }
    Subscription* sub = FindSubscription(ctx, sub_id);
    if (!sub) return kBadSubscriptionIdInvalid;
    if (mode > static_cast<uint32_t>(MonitoringMode::Reporting)) return kBadMonitoringModeInvalid;
    BinaryWriter results;
    for (size_t i = 0; i < count && r.ok(); ++i) {
        auto it = sub->items().find(r.U32());
        if (it == sub->items().end()) {
            results.U32(kBadMonitoredItemIdInvalid);
            continue;
        }
        MonitoredItem& item = it->second;
        item.mode = static_cast<MonitoringMode>(mode);
        if (item.mode == MonitoringMode::Disabled) {
            // Enabled again later, the item reports its current value first, as after creation.
            item.queue.clear();
            item.last.reset();
            item.tag_version = 0;
        }
        results.U32(kGood);
    }
    if (!r.ok()) return kBadDecodingError;
    w.ArrayLength(count);
    w.Bytes(results.data());
    w.I32(0);
    return kGood;
}

StatusCode DeleteMonitoredItems(ServiceContext& ctx, BinaryReader& r, BinaryWriter& w) {
    uint32_t sub_id = r.U32();
    size_t count = r.ArrayLength(4);
    ServerState& s = ctx.server;
    if (StatusCode st = CheckOperationCount(r, count, s.config.max_monitored_items_per_call); IsBad(st)) return st;
    Subscription* sub = FindSubscription(ctx, sub_id);
    if (!sub) return kBadSubscriptionIdInvalid;
    BinaryWriter results;
    for (size_t i = 0; i < count && r.ok(); ++i) {
        bool erased = sub->items().erase(r.U32()) != 0;
        if (erased && s.monitored_item_count > 0) --s.monitored_item_count;
        results.U32(erased ? kGood : kBadMonitoredItemIdInvalid);
    }
    if (!r.ok()) return kBadDecodingError;
    w.ArrayLength(count);
    w.Bytes(results.data());
    w.I32(0);
    return kGood;
}

}  // namespace iec::ua
