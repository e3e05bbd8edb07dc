#include "sim101/line.h"

#include <algorithm>
#include <set>

namespace iec::sim {

Line::Line(const LineConfig& config)
    : widths_(config.widths), assembler_(config.widths.link, config.frame_gap_ms) {
    for (const auto& sc : config.stations) {
        stations_.push_back(Slot{std::make_unique<Station>(sc, config.widths, config.application),
                                 SecondaryLink(sc.link_address, config.widths.link, config.link), Faults{}});
    }
}

Station* Line::FindStation(uint32_t link_address) {
    for (auto& s : stations_) {
        if (s.link.Address() == link_address) return s.station.get();
    }
    return nullptr;
}

Faults* Line::FindFaults(uint32_t link_address) {
    for (auto& s : stations_) {
        if (s.link.Address() == link_address) return &s.faults;
    }
    return nullptr;
}

namespace {

// Counts one use of a fault given as 0 off, -1 always, N the next N times; true when it applies now.
bool Take(int& fault) {
    if (fault == 0) return false;
    if (fault > 0) --fault;
    return true;
}

}  // namespace

std::vector<uint8_t> Line::Refuse(Slot& s) {
    ++s.refused;
    const uint8_t control = static_cast<uint8_t>(secondary::kNack | (s.station->HasClass1() ? kAcd : 0));
    return BuildFixedFrame(control, s.link.Address(), widths_.link);
}

void Line::Mark(Slot& s, std::vector<uint8_t>& answer) {
    const bool fixed = answer.size() >= 5 && answer[0] == kStartFixed;
    const bool variable = answer.size() >= 9 && answer[0] == kStartVariable;
    if (!fixed && !variable) return;  // the single character carries no control field
    const size_t control = fixed ? 1 : 4;
    if (s.faults.acd_held) answer[control] |= kAcd;
    if (Take(s.faults.dfc)) answer[control] |= kDfc;
    const size_t cot_at = control + 1 + static_cast<size_t>(widths_.link) + 2;
    if (variable && s.faults.test_bit && cot_at < answer.size() - 2) answer[cot_at] |= cause::kTest;
    answer[answer.size() - 2] =
        Checksum(std::span<const uint8_t>(answer).subspan(control, answer.size() - 2 - control));
}

void Line::Corrupt(Slot& s, std::vector<uint8_t>& answer) {
    if (s.faults.garbage != 0) {
        if (s.faults.garbage > 0) --s.faults.garbage;
        // Starts with 0xFF and holds no start octet, so no receiver can take any of it for a frame.
        answer.assign(6, 0xFF);
        for (size_t i = 1; i < answer.size(); ++i) {
            garbage_state_ = garbage_state_ * 1103515245u + 12345u;
            uint8_t b = static_cast<uint8_t>(garbage_state_ >> 16);
            if (b == kStartFixed || b == kStartVariable || b == kSingleCharAck || b == kEnd) b = 0xFF;
            answer[i] = b;
        }
        return;
    }
    if (s.faults.bad_checksum != 0 && answer.size() >= 5) {
        if (s.faults.bad_checksum > 0) --s.faults.bad_checksum;
        answer[answer.size() - 2] = static_cast<uint8_t>(answer[answer.size() - 2] + 1);
    }
}

void Line::Receive(std::span<const uint8_t> octets, const SimTime& now, LineOutput& out) {
    std::vector<PrimaryFrame> frames;
    assembler_.Feed(octets, now.ms, frames);
    const uint32_t broadcast = MaxForOctets(widths_.link);
    for (const auto& f : frames) {
        for (auto& s : stations_) {
            // The broadcast address reaches every station; only user data without reply may use it.
            const bool to_all = f.address == broadcast && f.Function() == primary::kUserDataNoReply;
            if (s.link.Address() != f.address && !to_all) continue;
            if (s.faults.silent) continue;
            const bool refuse = f.Function() == primary::kUserDataConfirmed &&
                                (s.faults.dfc != 0 || Take(s.faults.nack));
            std::vector<uint8_t> answer = refuse ? Refuse(s) : s.link.Handle(f, *s.station, now);
            for (auto& line : s.station->TakeLog()) out.log.push_back(std::move(line));
            if (answer.empty()) continue;
            Mark(s, answer);
            Corrupt(s, answer);
            out.transmissions.push_back(Transmission{std::move(answer), s.faults.delay_ms});
        }
    }
}

void Line::Tick(const SimTime& now) {
    for (auto& s : stations_) s.station->Tick(now);
}

int64_t Line::NextDeadline() const {
    int64_t next = -1;
    for (const auto& s : stations_) {
        const int64_t d = s.station->NextDeadline();
        if (d >= 0 && (next < 0 || d < next)) next = d;
    }
    return next;
}

std::string Line::StatusText() const {
    const FrameCounters& c = assembler_.Counters();
    std::string t = "status frames=" + std::to_string(c.frames) + " skipped=" + std::to_string(c.skipped_octets) +
                    " bad_checksum=" + std::to_string(c.bad_checksum) + " bad_end=" + std::to_string(c.bad_end) +
                    " bad_header=" + std::to_string(c.bad_header) +
                    " secondary=" + std::to_string(c.secondary_frames) + " gap=" + std::to_string(c.broken_by_gap);
    for (const auto& s : stations_) {
        const LinkCounters& l = s.link.Counters();
        const StationCounters& a = s.station->Counters();
        t += " | link=" + std::to_string(s.link.Address()) + " resets=" + std::to_string(l.resets) +
             " repetitions=" + std::to_string(l.repetitions) + " commands=" + std::to_string(a.commands) +
             " negative=" + std::to_string(a.negative) + " malformed=" + std::to_string(a.malformed) +
             " class1=" + std::to_string(s.station->Class1Size()) +
             " overflow=" + std::to_string(a.class1_overflow);
    }
    return t;
}

std::string ValidateLineConfig(const LineConfig& c) {
    if (std::string e = ValidateWidths(c.widths); !e.empty()) return e;
    if (c.stations.empty()) return "no station configured";
    std::set<uint32_t> links;
    const uint32_t max_link = MaxForOctets(c.widths.link);
    for (const auto& s : c.stations) {
        const std::string who = "station " + std::to_string(s.link_address);
        if (s.link_address >= max_link) return who + ": link address does not fit (the largest is broadcast)";
        if (!links.insert(s.link_address).second) return who + ": link address used twice";
        if (s.common_address == 0 || s.common_address >= MaxForOctets(c.widths.common))
            return who + ": common address must be 1.." + std::to_string(MaxForOctets(c.widths.common) - 1);
        std::set<uint32_t> addresses;
        for (const auto& p : s.points) {
            if (p.address > MaxForOctets(c.widths.object))
                return who + ": object address " + std::to_string(p.address) + " does not fit";
            if (!addresses.insert(p.address).second)
                return who + ": object address " + std::to_string(p.address) + " used twice";
            if (!ValueFits(p.type->kind, p.value))
                return who + ": value out of range at object address " + std::to_string(p.address);
        }
        for (const auto& cmd : s.commands) {
            if (cmd.address > MaxForOctets(c.widths.object))
                return who + ": command address " + std::to_string(cmd.address) + " does not fit";
        }
    }
    return {};
}

}  // namespace iec::sim
