// The runtime signals of one polling thread, indexed by their addresses so that decoding an element costs one hash
// look-up whatever the number of signals. The list is filled at polling start and its structure is not changed
// while the polling thread runs; the signals' values are guarded by the signals themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/tag_signal.h"

namespace iec {

class TTagSignalList {
public:
    // Appends a copy of the signal unless CheckAdd objects; returns whether it was added.
    bool AddTag(const TTagSignal& signal);
    // "" when the signal may be added; "Не задано имя тега" for an empty name; "Повтор имени или адреса тега" when
    // a signal with the same name, object, ASDU and link address is already in the list.
    std::string CheckAdd(const TTagSignal& signal) const;
    // Index (0-based) of the first signal with these addresses, or -1; signal receives it (nullptr when absent).
    int FindTag(int kpAddress, int asduAddress, int objAddress, TTagSignal*& signal) const;
    TTagSignal* FindTag(int kpAddress, int asduAddress, int objAddress) const;
    // Signal at index (0-based), or nullptr.
    TTagSignal* GetTag(int index) const;
    int FCount() const { return static_cast<int>(List.size()); }
    void Clear();

private:
    struct Key {
        int kp, asdu, obj;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const noexcept;
    };

    std::vector<std::unique_ptr<TTagSignal>> List;
    // Every index of each address triple, in list order; the first one answers FindTag.
    std::unordered_map<Key, std::vector<int>, KeyHash> index_;
};

}  // namespace iec
