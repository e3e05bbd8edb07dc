#include "model/tag_signal_list.h"

namespace iec {

size_t TTagSignalList::KeyHash::operator()(const Key& k) const noexcept {
    uint64_t h = static_cast<uint32_t>(k.obj);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.asdu);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.kp);
    return static_cast<size_t>(h ^ (h >> 29));
}

std::string TTagSignalList::CheckAdd(const TTagSignal& s) const {
    if (s.Name.empty()) return "Не задано имя тега";
    const auto it = index_.find(Key{s.FKPAddress, s.FAsduAddress, s.FObjAddress});
    if (it != index_.end()) {
        for (int i : it->second) {
            if (List[static_cast<size_t>(i)]->Name == s.Name) return "Повтор имени или адреса тега";
        }
    }
    return {};
}

bool TTagSignalList::AddTag(const TTagSignal& signal) {
    if (!CheckAdd(signal).empty()) return false;
    const int index = FCount();
    List.push_back(std::make_unique<TTagSignal>(signal));
    index_[Key{signal.FKPAddress, signal.FAsduAddress, signal.FObjAddress}].push_back(index);
    return true;
}

int TTagSignalList::FindTag(int kpAddress, int asduAddress, int objAddress, TTagSignal*& signal) const {
    signal = nullptr;
    const auto it = index_.find(Key{kpAddress, asduAddress, objAddress});
    if (it == index_.end() || it->second.empty()) return -1;
    const int i = it->second.front();
    signal = List[static_cast<size_t>(i)].get();
    return i;
}

TTagSignal* TTagSignalList::FindTag(int kpAddress, int asduAddress, int objAddress) const {
    TTagSignal* s = nullptr;
    FindTag(kpAddress, asduAddress, objAddress, s);
    return s;
}

TTagSignal* TTagSignalList::GetTag(int index) const {
    return index >= 0 && index < FCount() ? List[static_cast<size_t>(index)].get() : nullptr;
}

void TTagSignalList::Clear() {
    List.clear();
    index_.clear();
}

}  // namespace iec
