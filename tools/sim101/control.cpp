#include "sim101/control.h"

#include <optional>
#include <vector>

#include "platform/number_text.h"
#include "sim101/point_entry.h"

namespace iec::sim {
namespace {

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    for (std::string_view w : Split(text, ' ')) {
        while (!w.empty() && (w.back() == '\r' || w.back() == '\t')) w.remove_suffix(1);
        if (!w.empty()) words.push_back(w);
    }
    return words;
}

ControlResult Error(std::string text) { return ControlResult{"error " + std::move(text)}; }

// "[LINK/]ADDR": the station (the first when LINK is left out) and the object address.
bool ParseTarget(Line& line, std::string_view text, Station*& station, uint32_t& address) {
    std::string_view addr = text;
    station = line.StationCount() > 0 ? &line.StationAt(0) : nullptr;
    if (const size_t slash = text.find('/'); slash != std::string_view::npos) {
        const auto link = ParseInt(text.substr(0, slash));
        station = link && *link >= 0 ? line.FindStation(static_cast<uint32_t>(*link)) : nullptr;
        addr = text.substr(slash + 1);
    }
    const auto a = ParseInt(addr);
    if (station == nullptr || !a || *a < 0) return false;
    address = static_cast<uint32_t>(*a);
    return true;
}

// on/off/N as a fault count: -1 every answer, 0 off, N the next N answers.
std::optional<int> ParseCount(std::string_view w) {
    if (w == "on") return -1;
    if (w == "off") return 0;
    const auto n = ParseInt(w);
    if (!n || *n < 0) return std::nullopt;
    return *n;
}

// Applies a change to the faults of one station (the word after the value) or of all.
template <typename F>
bool ForFaults(Line& line, const std::vector<std::string_view>& words, size_t station_word, F change) {
    if (words.size() > station_word + 1) return false;
    if (words.size() == station_word + 1) {
        const auto link = ParseInt(words[station_word]);
        Faults* f = link && *link >= 0 ? line.FindFaults(static_cast<uint32_t>(*link)) : nullptr;
        if (f == nullptr) return false;
        change(*f);
        return true;
    }
    for (size_t i = 0; i < line.StationCount(); ++i) change(line.FaultsAt(i));
    return true;
}

}  // namespace

ControlResult ApplyControl(Line& line, std::string_view text, const SimTime& now) {
    const auto w = Words(text);
    if (w.empty()) return Error("empty command");
    const std::string echo(text.substr(0, text.find_last_not_of(" \r\t") + 1));
    const std::string_view cmd = w[0];
    if (cmd == "set") {
        Station* s = nullptr;
        uint32_t address = 0;
        if (w.size() < 3 || !ParseTarget(line, w[1], s, address)) return Error("usage: set [LINK/]ADDR VALUE [FLAG...]");
        Point* p = s->FindPoint(address);
        if (p == nullptr) return Error("no point " + std::string(w[1]));
        const auto value = ParsePointValue(w[2], p->type->kind);
        if (!value) return Error("bad value " + std::string(w[2]));
        uint8_t q = 0;
        for (size_t i = 3; i < w.size(); ++i) {
            const auto flag = ParseQualityFlag(w[i]);
            if (!flag) return Error("bad quality flag " + std::string(w[i]));
            q |= *flag;
        }
        s->SetPoint(address, *value, q, now);
        return ControlResult{"ok " + echo};
    }
    if (cmd == "silence") {
        if (w.size() < 2 || (w[1] != "on" && w[1] != "off")) return Error("usage: silence on|off [LINK]");
        const bool on = w[1] == "on";
        if (!ForFaults(line, w, 2, [on](Faults& f) { f.silent = on; })) return Error("no such station");
        return ControlResult{"ok " + echo};
    }
    if (cmd == "garbage" || cmd == "badcrc") {
        const auto n = w.size() >= 2 ? ParseCount(w[1]) : std::nullopt;
        if (!n) return Error("usage: " + std::string(cmd) + " on|off|N [LINK]");
        const bool garbage = cmd == "garbage";
        if (!ForFaults(line, w, 2, [&](Faults& f) { (garbage ? f.garbage : f.bad_checksum) = *n; }))
            return Error("no such station");
        return ControlResult{"ok " + echo};
    }
    if (cmd == "nack" || cmd == "dfc") {
        const auto n = w.size() >= 2 ? ParseCount(w[1]) : std::nullopt;
        if (!n) return Error("usage: " + std::string(cmd) + " on|off|N [LINK]");
        const bool nack = cmd == "nack";
        if (!ForFaults(line, w, 2, [&](Faults& f) { (nack ? f.nack : f.dfc) = *n; })) return Error("no such station");
        return ControlResult{"ok " + echo};
    }
    if (cmd == "acd" || cmd == "test") {
        if (w.size() < 2 || (w[1] != "on" && w[1] != "off")) return Error("usage: " + std::string(cmd) + " on|off [LINK]");
        const bool on = w[1] == "on";
        const bool acd = cmd == "acd";
        if (!ForFaults(line, w, 2, [&](Faults& f) { (acd ? f.acd_held : f.test_bit) = on; }))
            return Error("no such station");
        return ControlResult{"ok " + echo};
    }
    if (cmd == "timetag") {
        std::optional<TimeTagFault> fault;
        if (w.size() >= 2 && w[1] == "ok") fault = TimeTagFault::None;
        if (w.size() >= 2 && w[1] == "iv") fault = TimeTagFault::Invalid;
        if (w.size() >= 2 && w[1] == "nodate") fault = TimeTagFault::NoDate;
        if (!fault || w.size() > 3) return Error("usage: timetag ok|iv|nodate [LINK]");
        if (w.size() == 3) {
            const auto link = ParseInt(w[2]);
            Station* st = link && *link >= 0 ? line.FindStation(static_cast<uint32_t>(*link)) : nullptr;
            if (st == nullptr) return Error("no such station");
            st->SetTimeTagFault(*fault);
        } else {
            for (size_t i = 0; i < line.StationCount(); ++i) line.StationAt(i).SetTimeTagFault(*fault);
        }
        return ControlResult{"ok " + echo};
    }
    if (cmd == "delay") {
        const auto ms = w.size() >= 2 ? ParseInt(w[1]) : std::nullopt;
        if (!ms || *ms < 0 || *ms > 600000) return Error("usage: delay MS [LINK]");
        if (!ForFaults(line, w, 2, [&](Faults& f) { f.delay_ms = *ms; })) return Error("no such station");
        return ControlResult{"ok " + echo};
    }
    if (cmd == "refuse") {
        Station* s = nullptr;
        uint32_t address = 0;
        if (w.size() != 3 || (w[2] != "on" && w[2] != "off") || !ParseTarget(line, w[1], s, address))
            return Error("usage: refuse [LINK/]ADDR on|off");
        if (!s->SetRefuse(address, w[2] == "on")) return Error("no command object " + std::string(w[1]));
        return ControlResult{"ok " + echo};
    }
    if (cmd == "drop") {
        ControlResult r{"ok " + echo, true};
        if (w.size() == 2) {
            const auto ms = ParseInt(w[1]);
            if (!ms || *ms < 0) return Error("usage: drop [MS]");
            r.refuse_ms = *ms;
        } else if (w.size() > 2) {
            return Error("usage: drop [MS]");
        }
        return r;
    }
    if (cmd == "status") return ControlResult{line.StatusText()};
    if (cmd == "quit") {
        ControlResult r{"ok quit"};
        r.quit = true;
        return r;
    }
    return Error("unknown command " + std::string(cmd));
}

}  // namespace iec::sim
