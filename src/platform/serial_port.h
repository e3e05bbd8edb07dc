// A serial line with the read semantics of the Windows communications API that the polling relies on: a read waits
// up to the total time for the first octet, then ends when the line stays silent for the interval (or the total
// time is used up, or the buffer is full).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/wake_signal.h"

namespace iec {

struct SerialLineSettings {
    int baud = 9600;
    char parity = 'N';  // E, O, N, M (mark) or S (space); 8 data bits, 1 stop bit
};

struct SerialReadTimeouts {
    int interval_ms = 0;        // silence after an octet that ends a read; 0: no interval limit
    int total_constant_ms = 0;  // bound of the whole read
    // Bound of a write, per octet and in all; 0 and 0: none. Only the Windows communications API applies them (on
    // Linux a write is bounded by a second plus a millisecond per octet).
    int write_multiplier_ms = 0;
    int write_constant_ms = 0;
};

// The device a port name opens. On Linux "\\.\COMn" and "COMn" (as Windows installations name ports) open
// /dev/ttyS(n-1), as Wine maps them; on Windows "COMn" opens "\\.\COMn" (the only form that reaches COM10 and
// above). Any other name is a device path.
std::string SerialDevicePath(const std::string& name);

class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens an existing device for reading and writing. Octets that were waiting on the line before the open are
    // discarded (a pseudo-terminal keeps what was written while nobody listened). Returns an empty string on
    // success, else the reason.
    std::string Open(const std::string& name);
    void Close();
    bool IsOpen() const;

    // Speed and parity; returns an empty string on success, else the reason (the port keeps its old settings).
    std::string ApplyLine(const SerialLineSettings& s);
    // Applies at once to an open port, else when it opens.
    void SetTimeouts(const SerialReadTimeouts& t);
    // A raised wake signal ends a read or a write at once (the polling thread is being stopped).
    void SetWake(const WakeSignal* wake) { wake_ = wake; }
    const SerialReadTimeouts& timeouts() const { return timeouts_; }

    // Writes every octet; false when the port is closed or the write fails.
    bool Write(std::string_view bytes);
    // Reads up to max octets under the time-outs; an empty result when nothing came or the port is closed.
    // `failed` (when given) tells a dead device from silence: an error or hang-up (an adapter unplugged, the other
    // side of a pseudo-terminal closed). Such a port stays dead: the caller closes it and opens it again.
    std::string Read(size_t max = 4096, bool* failed = nullptr);

private:
#ifdef _WIN32
    void* handle_ = nullptr;  // HANDLE of the communications device
#else
    int fd_ = -1;
#endif
    SerialReadTimeouts timeouts_;
    const WakeSignal* wake_ = nullptr;
};

}  // namespace iec
