#include "sim101/loop_core.h"

#include <algorithm>

#include "platform/clock.h"
#include "sim101/control.h"

namespace iec::sim {
namespace {

// The earlier of two deadlines, where -1 means none.
int64_t Earlier(int64_t a, int64_t b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return std::min(a, b);
}

}  // namespace

SimTime SystemNow() {
    const Clock& c = SystemClock::Instance();
    return SimTime{c.MonotonicMs(), c.Now()};
}

int LoopCore::Due(const SimTime& now) {
    line_.Tick(now);
    while (!pending_.empty() && pending_.begin()->first <= now.ms) {
        endpoint_.Write(pending_.begin()->second, print_);
        pending_.erase(pending_.begin());
    }
    int64_t deadline = Earlier(line_.NextDeadline(), endpoint_.NextDeadline());
    if (!pending_.empty()) deadline = Earlier(deadline, pending_.begin()->first);
    if (deadline < 0) return 1000;
    return static_cast<int>(std::clamp<int64_t>(deadline - now.ms, 0, 1000));
}

bool LoopCore::ControlText(std::string_view chunk, const SimTime& now) {
    control_text_.append(chunk);
    size_t eol = 0;
    while ((eol = control_text_.find('\n')) != std::string::npos) {
        const std::string command = control_text_.substr(0, eol);
        control_text_.erase(0, eol + 1);
        if (command.find_first_not_of(" \t\r") == std::string::npos) continue;
        const ControlResult r = ApplyControl(line_, command, now);
        if (r.drop) {
            endpoint_.Drop(r.refuse_ms, now.ms, print_);
            pending_.clear();
        }
        print_(r.reply);
        if (r.quit) return true;
    }
    if (control_text_.size() > 4096) control_text_.clear();
    return false;
}

void LoopCore::Received(const std::vector<uint8_t>& octets, const SimTime& now) {
    // Answers meant for a connection that is gone are gone with it.
    if (was_connected_ && !endpoint_.Connected()) pending_.clear();
    was_connected_ = endpoint_.Connected();
    if (octets.empty()) return;
    LineOutput out;
    line_.Receive(octets, now, out);
    for (const auto& l : out.log) print_(l);
    for (auto& t : out.transmissions) {
        if (t.delay_ms <= 0 && pending_.empty()) {
            endpoint_.Write(t.octets, print_);
        } else {
            pending_.emplace(now.ms + t.delay_ms, std::move(t.octets));
        }
    }
}

}  // namespace iec::sim
