// The serial line through the Windows communications API. The read time-outs are the driver's own: a read ends
// when the line stays silent for the interval after an octet, or when the total time has passed.
#include "platform/serial_port.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

#include "platform/wide_text.h"

namespace iec {
namespace {

HANDLE AsHandle(void* h) { return static_cast<HANDLE>(h); }

DWORD NonNegative(int ms) { return static_cast<DWORD>(std::max(ms, 0)); }

BYTE ParityOf(char letter) {
    switch (letter) {
        case 'E': return EVENPARITY;
        case 'O': return ODDPARITY;
        case 'M': return MARKPARITY;
        case 'S': return SPACEPARITY;
        default: return NOPARITY;
    }
}

}  // namespace

std::string SerialDevicePath(const std::string& name) {
    if (name.rfind("\\\\.\\", 0) == 0) return name;
    if (name.size() > 3 && name.size() <= 6 && std::toupper(static_cast<unsigned char>(name[0])) == 'C' &&
        std::toupper(static_cast<unsigned char>(name[1])) == 'O' &&
        std::toupper(static_cast<unsigned char>(name[2])) == 'M' &&
        std::all_of(name.begin() + 3, name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        return "\\\\.\\" + name;
    }
    return name;
}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::IsOpen() const { return handle_ != nullptr; }

std::string SerialPort::Open(const std::string& name) {
    Close();
    const std::string path = SerialDevicePath(name);
    const HANDLE h = ::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                   nullptr);
    if (h == INVALID_HANDLE_VALUE) return "cannot open " + path + ": " + SystemErrorText(::GetLastError());
    ::SetupComm(h, 1024, 1024);
    // What arrived before the open belongs to nobody.
    ::PurgeComm(h, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    handle_ = h;
    SetTimeouts(timeouts_);
    return {};
}

void SerialPort::Close() {
    if (handle_ != nullptr) ::CloseHandle(AsHandle(handle_));
    handle_ = nullptr;
}

std::string SerialPort::ApplyLine(const SerialLineSettings& s) {
    if (handle_ == nullptr) return "port not open";
    if (s.baud <= 0) return "unsupported speed " + std::to_string(s.baud);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(AsHandle(handle_), &dcb)) {
        return "cannot read the line settings: " + SystemErrorText(::GetLastError());
    }
    dcb.BaudRate = static_cast<DWORD>(s.baud);
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    dcb.Parity = ParityOf(s.parity);
    dcb.fParity = dcb.Parity != NOPARITY;
    dcb.fBinary = TRUE;
    // No flow control, and the modem lines up, as a line description like "baud=9600 parity=E data=8 stop=1" sets
    // them; no aborted reads after a line error (they would need clearing before the next read).
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(AsHandle(handle_), &dcb)) {
        return "cannot set the line: " + SystemErrorText(::GetLastError());
    }
    return {};
}

void SerialPort::SetTimeouts(const SerialReadTimeouts& t) {
    timeouts_ = t;
    if (handle_ == nullptr) return;
    COMMTIMEOUTS c{};
    if (t.total_constant_ms <= 0) {
        // No time at all for the read: return at once with what is there, as the Linux side does.
        c.ReadIntervalTimeout = MAXDWORD;
    } else {
        c.ReadIntervalTimeout = NonNegative(t.interval_ms);
        c.ReadTotalTimeoutConstant = NonNegative(t.total_constant_ms);
    }
    c.WriteTotalTimeoutMultiplier = NonNegative(t.write_multiplier_ms);
    c.WriteTotalTimeoutConstant = NonNegative(t.write_constant_ms);
    ::SetCommTimeouts(AsHandle(handle_), &c);
}

bool SerialPort::Write(std::string_view bytes) {
    if (handle_ == nullptr) return false;
    DWORD written = 0;
    if (!::WriteFile(AsHandle(handle_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        return false;
    }
    return written == bytes.size();
}

std::string SerialPort::Read(size_t max, bool* failed) {
    std::string out;
    if (failed != nullptr) *failed = false;
    if (handle_ == nullptr || max == 0) return out;
    out.resize(std::min<size_t>(max, 65536));
    DWORD got = 0;
    if (!::ReadFile(AsHandle(handle_), out.data(), static_cast<DWORD>(out.size()), &got, nullptr)) {
        const DWORD why = ::GetLastError();
        // An unplugged adapter fails every read at once with one of these; a line error (framing, parity,
        // overrun) is cleared so that the next read works.
        const bool gone = why == ERROR_DEVICE_REMOVED || why == ERROR_ACCESS_DENIED || why == ERROR_GEN_FAILURE ||
                          why == ERROR_BAD_COMMAND || why == ERROR_OPERATION_ABORTED ||
                          why == ERROR_DEVICE_NOT_CONNECTED;
        if (gone && failed != nullptr) *failed = true;
        if (!gone) {
            DWORD errors = 0;
            ::ClearCommError(AsHandle(handle_), &errors, nullptr);
        }
        got = 0;
    }
    out.resize(got);
    return out;
}

}  // namespace iec
