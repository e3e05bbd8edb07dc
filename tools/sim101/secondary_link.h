// The link procedure of an unbalanced secondary station (IEC 60870-5-2): reset, status of link, user data with
// confirmation, class 1 and class 2 requests with ACD, and the frame count bit that makes a repeated request
// get the same answer again.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim101/application.h"
#include "sim101/frame.h"

namespace iec::sim {

struct LinkOptions {
    // Answer with the single character 0xE5 instead of a fixed ACK or "no data" frame when ACD would be 0
    // (the single character cannot carry ACD, so it is never used while class 1 data waits).
    bool single_char = false;
};

struct LinkCounters {
    uint64_t resets = 0;
    uint64_t repetitions = 0;   // requests with FCB not toggled, answered with the previous response again
    uint64_t nacks = 0;         // user data refused because the station could not take it
    uint64_t not_implemented = 0;
};

// Function codes of the primary station (control field bits 0..3, PRM = 1).
namespace primary {
constexpr int kResetRemoteLink = 0;
constexpr int kResetUserProcess = 1;
constexpr int kTestLink = 2;
constexpr int kUserDataConfirmed = 3;
constexpr int kUserDataNoReply = 4;
constexpr int kAccessDemand = 8;
constexpr int kRequestStatus = 9;
constexpr int kRequestClass1 = 10;
constexpr int kRequestClass2 = 11;
}  // namespace primary

// Function codes of the secondary station's answers.
namespace secondary {
constexpr uint8_t kAck = 0;
constexpr uint8_t kNack = 1;
constexpr uint8_t kUserData = 8;
constexpr uint8_t kNoData = 9;
constexpr uint8_t kStatus = 11;
constexpr uint8_t kNotImplemented = 15;
}  // namespace secondary

class SecondaryLink {
public:
    SecondaryLink(uint32_t address, int link_octets, LinkOptions options);

    // Handles one frame addressed to this station and returns the answer (empty: none, as for user data without
    // reply).
    std::vector<uint8_t> Handle(const PrimaryFrame& f, Application& app, const SimTime& now);

    uint32_t Address() const { return address_; }
    const LinkCounters& Counters() const { return counters_; }

private:
    std::vector<uint8_t> Answer(const PrimaryFrame& f, Application& app, const SimTime& now);
    std::vector<uint8_t> Fixed(uint8_t function, const Application& app) const;
    std::vector<uint8_t> AckOrE5(uint8_t function, const Application& app) const;

    uint32_t address_;
    int link_octets_;
    LinkOptions options_;
    // The FCB of the last accepted FCV frame; unknown until the first reset or FCV frame.
    std::optional<bool> last_fcb_;
    std::vector<uint8_t> last_response_;  // the answer to that frame, kept for a repetition
    LinkCounters counters_;
};

}  // namespace iec::sim
