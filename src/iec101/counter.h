// A named event count: written by the polling thread, read by whatever shows it to the operator.
#pragma once

#include <atomic>
#include <cstdint>

namespace iec {

class Counter {
public:
    void operator++() { n_.fetch_add(1, std::memory_order_relaxed); }
    uint64_t load() const { return n_.load(std::memory_order_relaxed); }
    operator uint64_t() const { return load(); }

private:
    std::atomic<uint64_t> n_{0};
};

}  // namespace iec
