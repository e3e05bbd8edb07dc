// The exchange log of a polling thread, "Thread<N>.txt" in the program folder: one line per event, opened and
// closed for each line so that it can be read, moved or deleted while the server runs; errors are ignored.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace iec {

// Two upper-case hex digits and one space per octet: "10 7B 05 80 16 ".
std::string BytesToHex(std::string_view octets);

class ExchangeLog {
public:
    // An empty path writes no file. Lines reach the tap (when set) as well as the file.
    // `live_switch`, when given, decides instead of `enabled` at every line (the switch can change at run time).
    ExchangeLog(std::filesystem::path file, const Clock& clock, bool enabled,
                const std::atomic<bool>* live_switch = nullptr)
        : file_(std::move(file)), clock_(clock), enabled_(enabled), live_switch_(live_switch) {}

    bool enabled() const { return live_switch_ ? live_switch_->load() : enabled_; }
    void SetTap(std::function<void(const std::string&)> tap) { tap_ = std::move(tap); }

    // "dd-mm-yyyy hh:nn:ss.zzz"
    std::string Time() const { return clock_.Now().FormatLog(); }
    // The time of day as the system shows it: "hh:nn:ss".
    std::string TimeOfDay() const;

    // Appends one line (Windows-1251, CR LF) when logging is on.
    void Write(const std::string& line) const;
    // Builds the line only when logging is on: the hex dumps and time texts cost more than the exchange itself.
    template <class MakeLine>
    void Lazy(MakeLine&& make) const {
        if (enabled()) Write(make());
    }

private:
    std::filesystem::path file_;
    const Clock& clock_;
    bool enabled_;
    const std::atomic<bool>* live_switch_;
    std::function<void(const std::string&)> tap_;
};

}  // namespace iec
