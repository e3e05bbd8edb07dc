// One monitored item: what it watches, how often it samples, and the queue of values waiting to be published.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "opcua/server/types.h"

namespace iec::ua {

enum class MonitoringMode : uint32_t { Disabled = 0, Sampling = 1, Reporting = 2 };
enum class TimestampsToReturn : uint32_t { Source = 0, Server = 1, Both = 2, Neither = 3 };
enum class DataChangeTrigger : uint32_t { Status = 0, StatusValue = 1, StatusValueTimestamp = 2 };

struct MonitoredItem {
    uint32_t id = 0;
    uint32_t client_handle = 0;
    NodeId node;
    uint32_t attribute = 13;
    int32_t tag_slot = -1;  // >= 0: the item watches one of our variables' values
    MonitoringMode mode = MonitoringMode::Reporting;
    double sampling_interval_ms = 0;
    uint32_t queue_size = 1;
    bool discard_oldest = true;
    TimestampsToReturn timestamps = TimestampsToReturn::Both;
    DataChangeTrigger trigger = DataChangeTrigger::StatusValue;
    double absolute_deadband = 0;  // 0 = none

    int64_t next_sample_ms = 0;
    uint64_t tag_version = 0;
    std::optional<DataValue> last;  // last sampled value, for change detection
    std::vector<DataValue> queue;   // oldest first

    // Offers a freshly sampled value: queued when it counts as a change under the item's filter.
    // Returns true when it was queued.
    bool Offer(const DataValue& value);
};

// The DataValue as a client asked to see it (time stamps dropped as TimestampsToReturn says).
DataValue FilterTimestamps(const DataValue& value, TimestampsToReturn timestamps);

}  // namespace iec::ua
