#include "opcua/server/monitored_item.h"

#include <cmath>
#include <cstring>

#include "opcua/server/codec.h"

namespace iec::ua {

namespace {

bool SameValue(const std::optional<Variant>& a, const std::optional<Variant>& b, double deadband) {
    if (a.has_value() != b.has_value()) return false;
    if (!a) return true;
    if (deadband > 0 && a->type == BuiltinType::Double && b->type == BuiltinType::Double && !a->is_array &&
        !b->is_array && a->values.size() == 1 && b->values.size() == 1) {
        const double* x = std::get_if<double>(&a->values[0]);
        const double* y = std::get_if<double>(&b->values[0]);
        if (x && y) return std::fabs(*x - *y) <= deadband;
    }
    if (a->type == b->type && !a->is_array && !b->is_array && a->values.size() == 1 && b->values.size() == 1) {
        const Scalar& x = a->values[0];
        const Scalar& y = b->values[0];
        if (auto p = std::get_if<bool>(&x)) return std::get_if<bool>(&y) && *p == std::get<bool>(y);
        if (auto p = std::get_if<int64_t>(&x)) return std::get_if<int64_t>(&y) && *p == std::get<int64_t>(y);
        if (auto p = std::get_if<uint64_t>(&x)) return std::get_if<uint64_t>(&y) && *p == std::get<uint64_t>(y);
        if (auto p = std::get_if<double>(&x)) {
            // Bitwise, so that NaN to NaN is no change and 0.0 to -0.0 is one.
            auto q = std::get_if<double>(&y);
            return q && std::memcmp(p, q, sizeof(double)) == 0;
        }
    }
    // Comparing encodings covers every type, arrays and structures alike.
    BinaryWriter wa, wb;
    WriteVariant(wa, *a);
    WriteVariant(wb, *b);
    return wa.data() == wb.data();
}

}  // namespace

bool MonitoredItem::Offer(const DataValue& value) {
    if (mode == MonitoringMode::Disabled) return false;
    if (last) {
        bool changed = value.status != last->status;
        if (!changed && trigger != DataChangeTrigger::Status) {
            changed = !SameValue(value.value, last->value, absolute_deadband);
        }
        if (!changed && trigger == DataChangeTrigger::StatusValueTimestamp) {
            changed = value.source_timestamp != last->source_timestamp;
        }
        if (!changed) return false;
    }
    last = value;
    if (queue.size() >= queue_size) {
        if (discard_oldest) {
            queue.erase(queue.begin());
        } else {
            queue.back() = value;  // the newest replaces the last kept value
            return true;
        }
    }
    queue.push_back(value);
    return true;
}

DataValue FilterTimestamps(const DataValue& value, TimestampsToReturn timestamps) {
    DataValue out = value;
    if (timestamps == TimestampsToReturn::Server || timestamps == TimestampsToReturn::Neither) {
        out.source_timestamp = 0;
    }
    if (timestamps == TimestampsToReturn::Source || timestamps == TimestampsToReturn::Neither) {
        out.server_timestamp = 0;
    }
    return out;
}

}  // namespace iec::ua
