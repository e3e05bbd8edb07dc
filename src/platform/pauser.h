// Pauses of the polling threads. A pause ends early when its owner is stopped, so that stopping a thread never
// waits out a long pause; tests replace it so that no test waits for a real period.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/clock.h"

namespace iec {

class Pauser {
public:
    virtual ~Pauser() = default;
    // Waits ms milliseconds; returns false (at once, or as soon as it happens) when Stop was called.
    virtual bool Pause(int ms) = 0;
    // Ends every current and future pause of this object. Safe from any thread.
    virtual void Stop() = 0;
    virtual bool Stopped() const = 0;
};

// Real time, ended early by Stop.
class SleepPauser final : public Pauser {
public:
    bool Pause(int ms) override;
    void Stop() override;
    bool Stopped() const override { return stopped_.load(); }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::atomic<bool> stopped_{false};
};

// Pauses that take no real time: each advances the manual clock by its length.
class ClockPauser final : public Pauser {
public:
    explicit ClockPauser(ManualClock& clock) : clock_(clock) {}
    bool Pause(int ms) override {
        if (stopped_) return false;
        clock_.AdvanceMs(ms);
        return !stopped_;
    }
    void Stop() override { stopped_ = true; }
    bool Stopped() const override { return stopped_.load(); }

private:
    ManualClock& clock_;
    std::atomic<bool> stopped_{false};
};

}  // namespace iec
