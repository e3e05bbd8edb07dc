// A StationLine whose far end is the simulator's protocol core: what the polling writes goes to the simulated
// stations at the manual clock's time, their answers come back on the next reads. No input/output, no waiting.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "hex.h"
#include "iec101/station_line.h"
#include "platform/clock.h"
#include "sim101/line.h"
#include "sim101/options.h"

namespace iec::test {

inline sim::LineConfig SimConfig(const std::string& text) {
    sim::ProgramOptions o;
    const std::string e = sim::ParseConfigText(text, o);
    if (!e.empty()) throw std::runtime_error("sim config: " + e);
    const std::string v = sim::ValidateLineConfig(o.line);
    if (!v.empty()) throw std::runtime_error("sim config: " + v);
    return o.line;
}

class SimLine : public StationLine {
public:
    SimLine(const std::string& config_text, ManualClock& clock) : line(SimConfig(config_text)), clock_(clock) {}

    void WritePort(std::string_view octets) override {
        writes.push_back(ToHex({reinterpret_cast<const uint8_t*>(octets.data()), octets.size()}));
        sim::LineOutput out;
        line.Tick({clock_.MonotonicMs(), clock_.Now()});
        line.Receive({reinterpret_cast<const uint8_t*>(octets.data()), octets.size()},
                     {clock_.MonotonicMs(), clock_.Now()}, out);
        for (auto& t : out.transmissions) pending_.emplace_back(t.octets.begin(), t.octets.end());
        for (auto& l : out.log) commands.push_back(l);
    }
    std::string ReadPort() override {
        ++reads;
        if (pending_.empty()) return {};
        std::string s = pending_.front();
        pending_.pop_front();
        if (split_next_.empty()) return s;
        // Deliver this answer in the pieces the test asked for.
        std::vector<std::string> parts;
        size_t at = 0;
        for (size_t len : split_next_) {
            if (at >= s.size()) break;
            parts.push_back(s.substr(at, len));
            at += len;
        }
        if (at < s.size()) parts.push_back(s.substr(at));
        split_next_.clear();
        for (size_t k = parts.size(); k-- > 1;) pending_.push_front(parts[k]);
        return parts.front();
    }
    // The next answer arrives in pieces of these lengths (and the rest).
    void SplitNextAnswer(std::vector<size_t> lengths) { split_next_ = std::move(lengths); }
    // The next read returns these octets instead of whatever the station sent.
    void InjectReply(const std::string& octets) { pending_.push_front(octets); }
    void DropPending() { pending_.clear(); }

    sim::Line line;
    std::vector<std::string> writes;    // hex of every frame written
    std::vector<std::string> commands;  // the simulator's command lines
    int reads = 0;

private:
    ManualClock& clock_;
    std::deque<std::string> pending_;
    std::vector<size_t> split_next_;
};

}  // namespace iec::test
