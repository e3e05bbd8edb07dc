// Values, statuses and time stamps of our variables. Written by the caller's thread through the entry points and
// read by the server thread: every slot is read and written as one unit under one mutex.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "opcua/server/types.h"

namespace iec::ua {

enum class TagType : uint8_t { Boolean, Int32, Double };

// The type indexes of the entry points: 0 Boolean, 5 Int32, 10 Double; anything else is not a type.
std::optional<TagType> TagTypeFromIndex(int type_index);
uint32_t DataTypeId(TagType type);

// The last value a client wrote, in the three forms the getters offer.
struct WrittenValue {
    int32_t as_int = 0;
    double as_double = 0.0;
    bool as_bool = false;
};

class TagStore {
public:
    // Appends a slot (bad status, no value yet) and returns its index.
    int32_t AddSlot(TagType type);
    void Clear();
    size_t size() const;

    // A new value converted to the slot's type; the number comes from real_value when type_index is 10, else
    // from int_value. False for an unknown slot.
    bool SetValue(int32_t slot, int type_index, int32_t int_value, double real_value, StatusCode status,
                  UaDateTime source, UaDateTime server);
    bool SetQuality(int32_t slot, StatusCode status, UaDateTime source, UaDateTime server);

    DataValue Read(int32_t slot) const;
    // Fills out and returns true when the slot changed since version (which is then updated).
    bool ReadIfChanged(int32_t slot, uint64_t& version, DataValue& out) const;
    // A client's write: the variant must be a scalar of the slot's type. Keeps the written value for the
    // getters; the published value stays what the caller last set.
    StatusCode Write(int32_t slot, const Variant& value);
    WrittenValue Written(int32_t slot) const;

    // Increases with every change of any slot: a subscription skips sampling when it has not moved.
    uint64_t generation() const { return generation_.load(std::memory_order_acquire); }

private:
    struct Slot {
        TagType type = TagType::Boolean;
        bool has_value = false;
        bool b = false;
        int32_t i = 0;
        double d = 0.0;
        StatusCode status = 0;
        UaDateTime source = 0;
        UaDateTime server = 0;
        uint64_t version = 1;
        WrittenValue written;
    };

    DataValue ToDataValue(const Slot& s) const;
    void Touch(Slot& s);

    mutable std::mutex mutex_;
    std::vector<Slot> slots_;
    std::atomic<uint64_t> generation_{1};
};

}  // namespace iec::ua
