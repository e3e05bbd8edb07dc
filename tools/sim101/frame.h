// FT1.2 frames as a controlled station sees them (IEC 60870-5-1 and -2): the assembler turns the octets of the
// line into checked frames from the primary (controlling) station, and the builders make the station's answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace iec::sim {

constexpr uint8_t kStartFixed = 0x10;
constexpr uint8_t kStartVariable = 0x68;
constexpr uint8_t kEnd = 0x16;
constexpr uint8_t kSingleCharAck = 0xE5;
// The length octet L counts control, address and user data; it is one octet, so a frame has at most 261 octets.
constexpr size_t kMaxFrameOctets = 255 + 6;

// Control field bits. PRM marks a frame of the primary station; FCB/FCV are its frame count bit and its validity;
// ACD and DFC are the secondary's "class 1 data waiting" and "data flow control".
constexpr uint8_t kPrm = 0x40;
constexpr uint8_t kFcb = 0x20;
constexpr uint8_t kFcv = 0x10;
constexpr uint8_t kAcd = 0x20;
constexpr uint8_t kDfc = 0x10;

struct PrimaryFrame {
    uint8_t control = 0;
    uint32_t address = 0;
    bool variable = false;
    std::vector<uint8_t> user_data;  // the ASDU of a variable frame; empty for a fixed frame

    int Function() const { return control & 0x0F; }
    bool Fcb() const { return (control & kFcb) != 0; }
    bool Fcv() const { return (control & kFcv) != 0; }
};

// Every rejected or skipped input has its own counter, so that a bad line can be told apart in the field.
struct FrameCounters {
    uint64_t frames = 0;            // checked primary frames handed out
    uint64_t skipped_octets = 0;    // octets before a start octet, or dropped while resynchronising
    uint64_t bad_checksum = 0;
    uint64_t bad_end = 0;           // no 0x16 where the frame ends
    uint64_t bad_header = 0;        // 0x68 L L 0x68 with unequal L, a missing second 0x68, or L too small
    uint64_t secondary_frames = 0;  // frames with PRM = 0 (another station's answers on a shared line)
    uint64_t broken_by_gap = 0;     // partial frames discarded after the line was idle too long
};

class FrameAssembler {
public:
    // link_octets: 1 or 2. gap_ms: a partial frame older than this is discarded when more octets arrive,
    // as a receiver must after an idle line (FT1.2 forbids pauses inside a frame); 0 never discards.
    FrameAssembler(int link_octets, int64_t gap_ms);

    // Takes the octets received at now_ms and appends every complete, checked primary frame to out, in order.
    void Feed(std::span<const uint8_t> octets, int64_t now_ms, std::vector<PrimaryFrame>& out);

    const FrameCounters& Counters() const { return counters_; }
    size_t Pending() const { return buffer_.size(); }

private:
    // Examines the front of the buffer: takes a frame, drops octets, or returns false when more are needed.
    bool Step(std::vector<PrimaryFrame>& out);
    void Drop(size_t n);

    int link_octets_;
    int64_t gap_ms_;
    int64_t last_octet_ms_ = 0;
    std::vector<uint8_t> buffer_;
    FrameCounters counters_;
};

uint8_t Checksum(std::span<const uint8_t> octets);

// Answers of the secondary station. The address is written in link_octets octets, low octet first.
std::vector<uint8_t> BuildFixedFrame(uint8_t control, uint32_t address, int link_octets);
std::vector<uint8_t> BuildVariableFrame(uint8_t control, uint32_t address, int link_octets,
                                        std::span<const uint8_t> asdu);

// The largest ASDU a variable frame can carry with this link address size.
constexpr size_t MaxAsduOctets(int link_octets) { return 255 - 1 - static_cast<size_t>(link_octets); }

}  // namespace iec::sim
