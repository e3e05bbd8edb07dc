// One line (a serial port, a pseudo-terminal or a converter's TCP connection) with the stations that share it:
// octets in, answers out, with the faults a test asks for applied to the answers on their way to the wire.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sim101/field_widths.h"
#include "sim101/frame.h"
#include "sim101/secondary_link.h"
#include "sim101/station.h"

namespace iec::sim {

struct LineConfig {
    FieldWidths widths;
    LinkOptions link;
    ApplicationOptions application;
    int64_t frame_gap_ms = 1000;
    std::vector<StationConfig> stations;
};

// Faults of one station's answers. garbage, bad_checksum, nack and dfc: 0 off, -1 every answer, N the next N.
struct Faults {
    bool silent = false;  // the station neither acts on nor answers anything, like a station switched off
    int garbage = 0;      // the answer is replaced by octets that form no frame
    int bad_checksum = 0; // the answer goes out with a wrong checksum
    int64_t delay_ms = 0; // the answer goes out this late
    int nack = 0;         // confirmed user data is refused with NACK (link busy) and not acted on
    int dfc = 0;          // answers carry DFC (no room for more user data); user data meanwhile gets NACK
    bool acd_held = false;  // every answer carries ACD, as a station that keeps announcing class 1 data
    bool test_bit = false;  // every ASDU the station sends carries the test bit
};

struct Transmission {
    std::vector<uint8_t> octets;
    int64_t delay_ms = 0;
};

struct LineOutput {
    std::vector<Transmission> transmissions;
    std::vector<std::string> log;  // one line per received command
};

class Line {
public:
    // The configuration must have passed ValidateLineConfig.
    explicit Line(const LineConfig& config);

    // Octets received at now; the answers and command lines are appended to out.
    void Receive(std::span<const uint8_t> octets, const SimTime& now, LineOutput& out);
    // Spontaneous changes due by now.
    void Tick(const SimTime& now);
    // The earliest monotonic time Tick has something to do, or -1.
    int64_t NextDeadline() const;

    // Link address -> station; nullptr when no station has it.
    Station* FindStation(uint32_t link_address);
    Faults* FindFaults(uint32_t link_address);
    size_t StationCount() const { return stations_.size(); }
    Station& StationAt(size_t i) { return *stations_[i].station; }
    Faults& FaultsAt(size_t i) { return stations_[i].faults; }
    const SecondaryLink& LinkAt(size_t i) const { return stations_[i].link; }
    const FrameCounters& Counters() const { return assembler_.Counters(); }
    // Confirmed user data the station refused with NACK (nack and dfc faults): never acted on.
    uint64_t Refused(size_t i) const { return stations_[i].refused; }
    const FieldWidths& Widths() const { return widths_; }

    // A one-line summary of the counters, for the operator's "status" command.
    std::string StatusText() const;

private:
    struct Slot {
        std::unique_ptr<Station> station;
        SecondaryLink link;
        Faults faults;
        uint64_t refused = 0;
    };

    // The answer of a station that refuses user data; the frame is not handed to its link, so its FCB is not
    // taken and the master's repetition is a new frame to it.
    std::vector<uint8_t> Refuse(Slot& s);
    // ACD, DFC and the test bit as the faults ask, the checksum made right again.
    void Mark(Slot& s, std::vector<uint8_t>& answer);
    void Corrupt(Slot& s, std::vector<uint8_t>& answer);

    FieldWidths widths_;
    FrameAssembler assembler_;
    std::vector<Slot> stations_;
    uint32_t garbage_state_ = 0x2545F491u;
};

// Empty when the configuration can be run, else what is wrong with it.
std::string ValidateLineConfig(const LineConfig& c);

}  // namespace iec::sim
