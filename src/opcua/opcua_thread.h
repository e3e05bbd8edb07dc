// The server runner: the library's server loop in a thread of its own, one step below normal priority, from
// Start until Stop (setrunning_bool(0)) or until the loop gives up by itself (its port cannot be opened).
#pragma once

#include <array>
#include <functional>
#include <thread>

#include "opcua/ua_library.h"

namespace iec {

class TOPCUAThread {
public:
    static constexpr int kBufferSize = 100;
    struct Arguments {
        int port = 0;
        int password_login = 0;
        int user_name_length = 0;
        int password_length = 0;
        std::array<char, kBufferSize> credentials{};  // the user name's octets, the password's right after them
    };
    // ended(result) runs in the server thread when the loop has returned (0 after Stop, -1 when it never served).
    TOPCUAThread(const UaEntryPoints& api, const Arguments& arguments, void (*write_callback)(int),
                 std::function<void(int result)> ended);
    ~TOPCUAThread();
    TOPCUAThread(const TOPCUAThread&) = delete;
    TOPCUAThread& operator=(const TOPCUAThread&) = delete;

    void Start();
    // Asks the loop to end and waits for it; safe to call again.
    void Stop();

private:
    void Execute();

    const UaEntryPoints& api_;
    const Arguments arguments_;
    void (*const write_callback_)(int);
    const std::function<void(int)> ended_;
    std::thread thread_;
};

}  // namespace iec
