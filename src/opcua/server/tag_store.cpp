#include "opcua/server/tag_store.h"

#include <cmath>
#include <limits>

#include "opcua/server/node_ids.h"
#include "opcua/server/status_codes.h"

namespace iec::ua {

namespace {

int32_t ToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::lround(v));
}

}  // namespace

std::optional<TagType> TagTypeFromIndex(int type_index) {
    switch (type_index) {
        case 0: return TagType::Boolean;
        case 5: return TagType::Int32;
        case 10: return TagType::Double;
        default: return std::nullopt;
    }
}

uint32_t DataTypeId(TagType type) {
    switch (type) {
        case TagType::Boolean: return id::kBoolean;
        case TagType::Int32: return id::kInt32;
        case TagType::Double: return id::kDouble;
    }
    return id::kBaseDataType;
}

int32_t TagStore::AddSlot(TagType type) {
    std::lock_guard lock(mutex_);
    Slot s;
    s.type = type;
    s.status = kBadWaitingForInitialData;
    slots_.push_back(s);
    return static_cast<int32_t>(slots_.size() - 1);
}

void TagStore::Clear() {
    std::lock_guard lock(mutex_);
    slots_.clear();
    generation_.fetch_add(1, std::memory_order_acq_rel);
}

size_t TagStore::size() const {
    std::lock_guard lock(mutex_);
    return slots_.size();
}

void TagStore::Touch(Slot& s) {
    ++s.version;
    generation_.fetch_add(1, std::memory_order_acq_rel);
}

bool TagStore::SetValue(int32_t slot, int type_index, int32_t int_value, double real_value, StatusCode status,
                        UaDateTime source, UaDateTime server) {
    std::lock_guard lock(mutex_);
    if (slot < 0 || static_cast<size_t>(slot) >= slots_.size()) return false;
    Slot& s = slots_[static_cast<size_t>(slot)];
    double number = type_index == 10 ? real_value : static_cast<double>(int_value);
    s.b = number != 0.0;
    s.i = type_index == 10 ? ToInt32(real_value) : int_value;
    s.d = number;
    s.has_value = true;
    s.status = status;
    s.source = source;
    s.server = server;
    Touch(s);
    return true;
}

bool TagStore::SetQuality(int32_t slot, StatusCode status, UaDateTime source, UaDateTime server) {
    std::lock_guard lock(mutex_);
    if (slot < 0 || static_cast<size_t>(slot) >= slots_.size()) return false;
    Slot& s = slots_[static_cast<size_t>(slot)];
    s.status = status;
    s.source = source;
    s.server = server;
    Touch(s);
    return true;
}

DataValue TagStore::ToDataValue(const Slot& s) const {
    DataValue dv;
    if (s.has_value) {
        switch (s.type) {
            case TagType::Boolean: dv.value = Variant::Boolean(s.b); break;
            case TagType::Int32: dv.value = Variant::Int32(s.i); break;
            case TagType::Double: dv.value = Variant::Double(s.d); break;
        }
    }
    dv.status = s.status;
    dv.source_timestamp = s.source;
    dv.server_timestamp = s.server;
    return dv;
}

DataValue TagStore::Read(int32_t slot) const {
    std::lock_guard lock(mutex_);
    if (slot < 0 || static_cast<size_t>(slot) >= slots_.size()) {
        DataValue dv;
        dv.status = kBadNodeIdUnknown;
        return dv;
    }
    return ToDataValue(slots_[static_cast<size_t>(slot)]);
}

bool TagStore::ReadIfChanged(int32_t slot, uint64_t& version, DataValue& out) const {
    std::lock_guard lock(mutex_);
    if (slot < 0 || static_cast<size_t>(slot) >= slots_.size()) return false;
    const Slot& s = slots_[static_cast<size_t>(slot)];
    if (s.version == version) return false;
    version = s.version;
    out = ToDataValue(s);
    return true;
}

StatusCode TagStore::Write(int32_t slot, const Variant& value) {
    std::lock_guard lock(mutex_);
    if (slot < 0 || static_cast<size_t>(slot) >= slots_.size()) return kBadNodeIdUnknown;
    Slot& s = slots_[static_cast<size_t>(slot)];
    if (value.is_array || value.values.size() != 1) return kBadTypeMismatch;
    WrittenValue w;
    const Scalar& v = value.values.front();
    switch (s.type) {
        case TagType::Boolean:
            if (value.type != BuiltinType::Boolean || !std::holds_alternative<bool>(v)) return kBadTypeMismatch;
            w.as_bool = std::get<bool>(v);
            w.as_int = w.as_bool ? 1 : 0;
            w.as_double = w.as_int;
            break;
        case TagType::Int32:
            if (value.type != BuiltinType::Int32 || !std::holds_alternative<int64_t>(v)) return kBadTypeMismatch;
            w.as_int = static_cast<int32_t>(std::get<int64_t>(v));
            w.as_double = w.as_int;
            w.as_bool = w.as_int != 0;
            break;
        case TagType::Double:
            if (value.type != BuiltinType::Double || !std::holds_alternative<double>(v)) return kBadTypeMismatch;
            w.as_double = std::get<double>(v);
            w.as_int = ToInt32(w.as_double);
            w.as_bool = w.as_double != 0.0;
            break;
    }
    s.written = w;
    return kGood;
}

WrittenValue TagStore::Written(int32_t slot) const {
    std::lock_guard lock(mutex_);
    if (slot < 0 || static_cast<size_t>(slot) >= slots_.size()) return {};
    return slots_[static_cast<size_t>(slot)].written;
}

}  // namespace iec::ua
