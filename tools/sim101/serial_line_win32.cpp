// The simulator's serial line on Windows: a COM port through the platform's serial port, read without waiting
// (the event loop comes back every few milliseconds).
#include "sim101/serial_line.h"

#include <stdexcept>

#include "platform/serial_port.h"

namespace iec::sim {
namespace {

class ComLine final : public Endpoint {
public:
    explicit ComLine(const std::string& name) : name_(name) {}

    void Open(int baud, char parity) {
        if (const std::string why = port_.Open(name_); !why.empty()) throw std::runtime_error(why);
        if (baud > 0) {
            if (const std::string why = port_.ApplyLine({baud, parity}); !why.empty()) throw std::runtime_error(why);
        }
        port_.SetTimeouts({});  // no time at all: a read returns what is there
    }

    std::string ReadyText() const override { return "ready serial " + name_; }
    void AddPollFds(std::vector<pollfd>&) const override {}

    bool Service(const std::vector<pollfd>&, std::vector<uint8_t>& received, int64_t, const PrintLine&) override {
        const std::string got = port_.Read(4096);
        received.insert(received.end(), got.begin(), got.end());
        return true;
    }

    void Write(std::span<const uint8_t> octets, const PrintLine& print) override {
        if (!port_.Write(std::string_view(reinterpret_cast<const char*>(octets.data()), octets.size()))) {
            print("error write failed");
        }
    }

    bool Drop(int64_t, int64_t, const PrintLine&) override { return false; }

private:
    std::string name_;
    SerialPort port_;
};

}  // namespace

std::unique_ptr<Endpoint> OpenSerialDevice(const std::string& path, int baud, char parity) {
    auto line = std::make_unique<ComLine>(path);
    line->Open(baud, parity);
    return line;
}

std::unique_ptr<Endpoint> CreatePty() {
    throw std::runtime_error("pseudo-terminals exist on Linux only: name a COM port (COM3) or --tcp PORT");
}

}  // namespace iec::sim
