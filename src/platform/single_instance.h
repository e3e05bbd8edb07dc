// Windows only: the system-wide named lock that lets one copy of the program run per machine.
#pragma once

#include <string>

namespace iec {

class SingleInstance {
public:
    // Takes the lock of that name (a named mutex in the global namespace, seen from every session).
    explicit SingleInstance(const std::string& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another process holds the lock, or when it cannot be taken (a lock of another user that this one
    // may not open counts as a running copy).
    bool First() const { return first_; }

private:
    void* handle_ = nullptr;
    bool first_ = false;
};

}  // namespace iec
