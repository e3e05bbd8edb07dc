// What the secondary link layer needs from the application above it: hand over user data, and take the data
// waiting in class 1 (events, confirmations) and class 2 (background). Narrow, so the link is tested alone.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim101/sim_time.h"

namespace iec::sim {

class Application {
public:
    virtual ~Application() = default;

    // The ASDU of a new (not repeated) user-data frame.
    virtual void OnUserData(std::span<const uint8_t> asdu, const SimTime& now) = 0;
    // False when the station cannot take more user data now; the link then answers NACK.
    virtual bool CanAcceptUserData() const = 0;
    virtual bool HasClass1() const = 0;
    virtual std::optional<std::vector<uint8_t>> TakeClass1() = 0;
    virtual std::optional<std::vector<uint8_t>> TakeClass2() = 0;
    virtual void OnResetRemoteLink(const SimTime& now) = 0;
    virtual void OnResetUserProcess(const SimTime& now) = 0;
};

}  // namespace iec::sim
