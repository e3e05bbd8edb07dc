// The application side of one controlled station: its points and command objects, the answers to interrogation,
// counter interrogation, read and commands, and the class 1 queue those answers and the changes wait in.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim101/application.h"
#include "sim101/field_widths.h"
#include "sim101/point.h"
#include "sim101/spontaneous.h"

namespace iec::sim {

struct CommandObject {
    uint32_t address = 0;
    uint8_t type = 0;                      // kSingleCommand or kDoubleCommand
    std::optional<uint32_t> reflect;       // the point that shows the commanded state
    bool select_required = false;          // an execute without a matching select is refused
    bool refuse = false;                   // every select and execute is confirmed negatively
};

struct StationConfig {
    uint32_t link_address = 1;
    uint32_t common_address = 1;
    std::vector<Point> points;
    std::vector<CommandObject> commands;
};

struct ApplicationOptions {
    bool interrogation_with_time = false;  // answer interrogations with the configured (time-tagged) types
    bool end_of_init = false;              // queue M_EI_NA after the first reset of the remote link
    bool sequence = false;                 // consecutive addresses as SQ = 1 sequences (types without time tag)
    int64_t select_timeout_ms = 30000;
    // Cause of the answer to a command, read or interrogation of an unknown object, always with P/N = 1:
    // 47 (unknown information object address) or 7 (a negative activation confirmation).
    uint8_t unknown_object_cause = 47;
    size_t class1_capacity = 4096;
    double spontaneous_per_second = 0;
    // Every this many ms the measured values are offered as class 2 data with cause 1 (periodic); 0: never.
    int64_t cyclic_ms = 0;
    uint32_t seed = 1;
};

struct StationCounters {
    uint64_t commands = 0;
    uint64_t negative = 0;
    uint64_t malformed = 0;
    uint64_t class1_overflow = 0;
    uint64_t spontaneous = 0;
};

class Station final : public Application {
public:
    Station(StationConfig config, const FieldWidths& widths, const ApplicationOptions& options);

    void OnUserData(std::span<const uint8_t> asdu, const SimTime& now) override;
    bool CanAcceptUserData() const override { return class1_.size() < options_.class1_capacity; }
    bool HasClass1() const override { return !class1_.empty(); }
    std::optional<std::vector<uint8_t>> TakeClass1() override;
    std::optional<std::vector<uint8_t>> TakeClass2() override;
    void OnResetRemoteLink(const SimTime& now) override;
    void OnResetUserProcess(const SimTime& now) override;

    // Changes a point and queues it as spontaneous data (cause 3). False when the address or value is not valid.
    bool SetPoint(uint32_t address, double value, std::optional<uint8_t> quality, const SimTime& now);
    bool SetRefuse(uint32_t address, bool refuse);
    // Time tags from now on are marked invalid, carry no real date, or are sound again.
    void SetTimeTagFault(TimeTagFault fault) { time_fault_ = fault; }
    // Generates the spontaneous changes due by now.
    void Tick(const SimTime& now);
    // The monotonic time of the next spontaneous change, or -1 when none is configured.
    int64_t NextDeadline() const;

    // One line per received command, taken by the caller and printed.
    std::vector<std::string> TakeLog();

    const StationConfig& Config() const { return config_; }
    const StationCounters& Counters() const { return counters_; }
    size_t Class1Size() const { return class1_.size(); }
    Point* FindPoint(uint32_t address);

private:
    void Queue(std::vector<uint8_t> asdu);
    void QueueCyclic();
    void Mirror(std::span<const uint8_t> asdu, uint8_t cause, uint32_t common);
    // The ASDUs that report the points, grouped by type; with_time keeps the time-tagged types.
    std::vector<std::vector<uint8_t>> PointAsdus(const std::vector<const Point*>& points, uint8_t cause,
                                                 bool with_time, uint8_t originator) const;
    void QueuePoints(const std::vector<const Point*>& points, uint8_t cause, bool with_time, uint8_t originator);
    void ReportChange(const Point& p, uint8_t cause);
    void Log(const std::string& head, const std::string& detail, uint8_t answer_cause);

    void HandleInterrogation(std::span<const uint8_t> asdu, const struct AsduHeader& h, uint32_t ioa,
                             uint8_t qualifier);
    void HandleCounterInterrogation(std::span<const uint8_t> asdu, const AsduHeader& h, uint32_t ioa,
                                    uint8_t qualifier);
    void HandleRead(std::span<const uint8_t> asdu, const AsduHeader& h, uint32_t ioa);
    void HandleCommand(std::span<const uint8_t> asdu, const AsduHeader& h, uint32_t ioa, uint8_t octet,
                       const SimTime& now);
    std::optional<CommandObject> FindCommand(uint32_t address, uint8_t type) const;
    void Reflect(const CommandObject& c, uint8_t state, const SimTime& now);

    struct Selection {
        uint32_t address = 0;
        uint8_t type = 0;
        uint8_t state = 0;
        int64_t at_ms = 0;
    };

    StationConfig config_;
    FieldWidths widths_;
    ApplicationOptions options_;
    std::deque<std::vector<uint8_t>> class1_;
    std::deque<std::vector<uint8_t>> class2_;
    int64_t next_cyclic_ms_ = -1;
    std::optional<Selection> selection_;
    std::vector<uint32_t> refused_points_;  // points commanded directly whose commands are refused
    SpontaneousSource spontaneous_;
    bool initialised_ = false;
    TimeTagFault time_fault_ = TimeTagFault::None;
    std::vector<std::string> log_;
    StationCounters counters_;
};

}  // namespace iec::sim
