#include "platform/pauser.h"

#include <chrono>

namespace iec {

bool SleepPauser::Pause(int ms) {
    std::unique_lock lock(mutex_);
    if (ms > 0) cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopped_.load(); });
    return !stopped_;
}

void SleepPauser::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    cv_.notify_all();
}

}  // namespace iec
