// Errors that reach the window's event loop: each one is appended as a line to error_iec104.log in the program
// folder (the date and time, ": ", the message, " . Class Name = " and the error's type), and nothing is shown.
// A log that cannot be written is let be: the program goes on either way.
#pragma once

#include <exception>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/clock.h"

namespace iec {

inline constexpr const char* kErrorLogName = "error_iec104.log";

class ErrorLog {
public:
    ErrorLog(const Clock& clock, std::filesystem::path folder) : clock_(clock), folder_(std::move(folder)) {}

    void Append(const std::string& message, const std::string& class_name) const;
    // The error being handled (call inside a catch block, or with a caught exception_ptr).
    void Append(const std::exception_ptr& error) const;

    // Runs an action or a timer's work; whatever it throws goes into the log.
    void Guard(const std::function<void()>& work) const;

    std::filesystem::path File() const { return folder_ / kErrorLogName; }

private:
    const Clock& clock_;
    std::filesystem::path folder_;
};

}  // namespace iec
