#include "sim101/station.h"

#include <algorithm>
#include <map>

#include "sim101/asdu.h"
#include "sim101/frame.h"
#include "sim101/packing.h"

namespace iec::sim {

Station::Station(StationConfig config, const FieldWidths& widths, const ApplicationOptions& options)
    : config_(std::move(config)),
      widths_(widths),
      options_(options),
      spontaneous_(options.spontaneous_per_second, options.seed ^ config_.link_address) {}

Point* Station::FindPoint(uint32_t address) {
    for (auto& p : config_.points) {
        if (p.address == address) return &p;
    }
    return nullptr;
}

std::optional<std::vector<uint8_t>> Station::TakeClass1() {
    if (class1_.empty()) return std::nullopt;
    auto asdu = std::move(class1_.front());
    class1_.pop_front();
    return asdu;
}

std::optional<std::vector<uint8_t>> Station::TakeClass2() {
    if (class2_.empty()) return std::nullopt;
    auto asdu = std::move(class2_.front());
    class2_.pop_front();
    return asdu;
}

std::vector<std::string> Station::TakeLog() {
    std::vector<std::string> out;
    out.swap(log_);
    return out;
}

void Station::Queue(std::vector<uint8_t> asdu) {
    // The oldest waiting item is dropped rather than the newest, so the master sees the present state.
    if (class1_.size() >= options_.class1_capacity) {
        class1_.pop_front();
        ++counters_.class1_overflow;
    }
    class1_.push_back(std::move(asdu));
}

void Station::Mirror(std::span<const uint8_t> asdu, uint8_t cause, uint32_t common) {
    std::vector<uint8_t> out(asdu.begin(), asdu.end());
    // The caller has read the whole header, so the cause and common address lie inside.
    out[kCauseOffset] = static_cast<uint8_t>((out[kCauseOffset] & cause::kTest) | cause);
    const size_t ca = kCauseOffset + static_cast<size_t>(widths_.cause);
    for (int i = 0; i < widths_.common; ++i) out[ca + static_cast<size_t>(i)] = static_cast<uint8_t>(common >> (8 * i));
    Queue(std::move(out));
}

std::vector<std::vector<uint8_t>> Station::PointAsdus(const std::vector<const Point*>& points, uint8_t cause,
                                                     bool with_time, uint8_t originator) const {
    // Types keep the order in which they first appear among the points.
    std::vector<uint8_t> order;
    std::map<uint8_t, std::vector<const Point*>> by_type;
    for (const Point* p : points) {
        const uint8_t code = with_time ? p->type->code : p->type->untimed_code;
        if (!by_type.contains(code)) order.push_back(code);
        by_type[code].push_back(p);
    }
    std::vector<std::vector<uint8_t>> asdus;
    for (uint8_t code : order) {
        PackPoints(*FindType(code), by_type[code], AsduHeader{0, 0, cause, originator, config_.common_address},
                   widths_, options_.sequence, asdus, time_fault_);
    }
    return asdus;
}

void Station::QueuePoints(const std::vector<const Point*>& points, uint8_t cause, bool with_time,
                          uint8_t originator) {
    for (auto& a : PointAsdus(points, cause, with_time, originator)) Queue(std::move(a));
}

void Station::QueueCyclic() {
    // A new cycle starts only when the master has fetched the last one, so a station nobody polls does not
    // pile up old values.
    if (!class2_.empty()) return;
    std::vector<const Point*> measured;
    for (const auto& p : config_.points) {
        const PointKind k = p.type->kind;
        if (k == PointKind::Normalized || k == PointKind::NormalizedNoQuality || k == PointKind::Scaled ||
            k == PointKind::Float) {
            measured.push_back(&p);
        }
    }
    for (auto& a : PointAsdus(measured, cause::kPeriodic, false, 0)) class2_.push_back(std::move(a));
}

void Station::ReportChange(const Point& p, uint8_t cause) { QueuePoints({&p}, cause, true, 0); }

void Station::Log(const std::string& head, const std::string& detail, uint8_t answer_cause) {
    std::string line = "command link=" + std::to_string(config_.link_address) + " " + head;
    if (!detail.empty()) line += " " + detail;
    if (answer_cause == 0) {
        line += " -> none";
    } else if (answer_cause & cause::kNegative) {
        line += " -> negative cause=" + std::to_string(answer_cause & 0x3F);
        ++counters_.negative;
    } else {
        line += " -> positive";
    }
    log_.push_back(std::move(line));
}

void Station::OnUserData(std::span<const uint8_t> asdu, const SimTime& now) {
    ++counters_.commands;
    ByteReader r(asdu);
    AsduHeader h;
    if (!ReadAsduHeader(r, widths_, h)) {
        ++counters_.malformed;
        log_.push_back("command link=" + std::to_string(config_.link_address) +
                       " malformed octets=" + std::to_string(asdu.size()));
        return;
    }
    std::string name(CommandName(h.type));
    if (name.empty()) name = std::to_string(h.type);
    const std::string head = "ca=" + std::to_string(h.common) + " type=" + name + " cause=" +
                             std::to_string(h.Cause());
    const bool broadcast = h.common == MaxForOctets(widths_.common);
    if (h.common != config_.common_address && !broadcast) {
        const uint8_t answer = cause::kUnknownCommonAddress | cause::kNegative;
        Mirror(asdu, answer, h.common);
        Log(head, "", answer);
        return;
    }

    // Every command this station takes carries exactly one object: address and, except for read, one octet.
    uint32_t ioa = 0;
    uint8_t octet = 0;
    const bool known = h.type == kInterrogation || h.type == kCounterInterrogation || h.type == kRead ||
                       h.type == kSingleCommand || h.type == kDoubleCommand;
    if (!known) {
        const uint8_t answer = cause::kUnknownType | cause::kNegative;
        Mirror(asdu, answer, config_.common_address);
        Log(head, "", answer);
        return;
    }
    const bool element = h.type != kRead;
    if (h.qualifier != 1 || !r.ReadLe(widths_.object, ioa) || (element && !r.ReadU8(octet)) ||
        r.Remaining() != 0) {
        ++counters_.malformed;
        Log(head, "malformed octets=" + std::to_string(asdu.size()), 0);
        return;
    }
    switch (h.type) {
        case kInterrogation: HandleInterrogation(asdu, h, ioa, octet); break;
        case kCounterInterrogation: HandleCounterInterrogation(asdu, h, ioa, octet); break;
        case kRead: HandleRead(asdu, h, ioa); break;
        default: HandleCommand(asdu, h, ioa, octet, now); break;
    }
}

void Station::HandleInterrogation(std::span<const uint8_t> asdu, const AsduHeader& h, uint32_t ioa,
                                  uint8_t qoi) {
    const std::string head = "ca=" + std::to_string(h.common) + " type=C_IC_NA cause=" + std::to_string(h.Cause());
    const std::string detail = "ioa=" + std::to_string(ioa) + " qoi=" + std::to_string(qoi);
    if (h.Cause() == cause::kDeactivation) {
        Mirror(asdu, cause::kDeactivationCon, config_.common_address);
        Log(head, detail, cause::kDeactivationCon);
        return;
    }
    if (h.Cause() != cause::kActivation) {
        const uint8_t answer = cause::kUnknownCause | cause::kNegative;
        Mirror(asdu, answer, config_.common_address);
        Log(head, detail, answer);
        return;
    }
    if (ioa != 0) {
        const uint8_t answer = options_.unknown_object_cause | cause::kNegative;
        Mirror(asdu, answer, config_.common_address);
        Log(head, detail, answer);
        return;
    }
    // QOI 20 is the station interrogation, 21..36 the groups 1..16; this station has no groups, so a group
    // interrogation is confirmed and terminated without data.
    if (qoi < 20 || qoi > 36) {
        const uint8_t answer = cause::kActivationCon | cause::kNegative;
        Mirror(asdu, answer, config_.common_address);
        Log(head, detail, answer);
        return;
    }
    Mirror(asdu, cause::kActivationCon, config_.common_address);
    if (qoi == 20) {
        std::vector<const Point*> points;
        for (const auto& p : config_.points) {
            if (p.type->kind != PointKind::Counter) points.push_back(&p);
        }
        QueuePoints(points, cause::kInterrogated, options_.interrogation_with_time, h.originator);
    }
    Mirror(asdu, cause::kActivationTerm, config_.common_address);
    Log(head, detail, cause::kActivationCon);
}

void Station::HandleCounterInterrogation(std::span<const uint8_t> asdu, const AsduHeader& h, uint32_t ioa,
                                         uint8_t qcc) {
    const std::string head = "ca=" + std::to_string(h.common) + " type=C_CI_NA cause=" + std::to_string(h.Cause());
    const std::string detail = "ioa=" + std::to_string(ioa) + " qcc=" + std::to_string(qcc);
    const int request = qcc & 0x3F;
    uint8_t answer = cause::kActivationCon;
    if (h.Cause() != cause::kActivation) {
        answer = cause::kUnknownCause | cause::kNegative;
    } else if (ioa != 0) {
        answer = options_.unknown_object_cause | cause::kNegative;
    } else if (request < 1 || request > 5) {
        answer = cause::kActivationCon | cause::kNegative;
    }
    Mirror(asdu, answer, config_.common_address);
    Log(head, detail, answer);
    if (answer != cause::kActivationCon) return;
    // RQT 5 is the general request (cause 37); groups 1..4 (causes 38..41) hold no counters here.
    if (request == 5) {
        std::vector<const Point*> counters;
        for (auto& p : config_.points) {
            if (p.type->kind == PointKind::Counter) {
                counters.push_back(&p);
            }
        }
        QueuePoints(counters, cause::kCounterRequest, true, h.originator);
        for (auto& p : config_.points) {
            if (p.type->kind == PointKind::Counter) p.counter_sequence = static_cast<uint8_t>((p.counter_sequence + 1) & 0x1F);
        }
    }
    Mirror(asdu, cause::kActivationTerm, config_.common_address);
}

void Station::HandleRead(std::span<const uint8_t> asdu, const AsduHeader& h, uint32_t ioa) {
    const std::string head = "ca=" + std::to_string(h.common) + " type=C_RD_NA cause=" + std::to_string(h.Cause());
    const std::string detail = "ioa=" + std::to_string(ioa);
    // The standard's cause for a read is 5 (request); masters that send 6 (activation) are served alike.
    if (h.Cause() != cause::kRequest && h.Cause() != cause::kActivation) {
        const uint8_t answer = cause::kUnknownCause | cause::kNegative;
        Mirror(asdu, answer, config_.common_address);
        Log(head, detail, answer);
        return;
    }
    const Point* p = FindPoint(ioa);
    if (p == nullptr) {
        const uint8_t answer = options_.unknown_object_cause | cause::kNegative;
        Mirror(asdu, answer, config_.common_address);
        Log(head, detail, answer);
        return;
    }
    QueuePoints({p}, cause::kRequest, true, h.originator);
    Log(head, detail, cause::kRequest);
}

void Station::OnResetRemoteLink(const SimTime& now) {
    (void)now;
    if (options_.end_of_init && !initialised_) {
        // COI 0: local power switch on, the station's first start.
        std::vector<uint8_t> asdu;
        AppendAsduHeader(asdu, widths_, {kEndOfInit, 1, cause::kInitialised, 0, config_.common_address});
        AppendLe(asdu, 0, widths_.object);
        asdu.push_back(0);
        Queue(std::move(asdu));
    }
    initialised_ = true;
}

void Station::OnResetUserProcess(const SimTime& now) {
    (void)now;
    class1_.clear();
    class2_.clear();
    selection_.reset();
}

bool Station::SetPoint(uint32_t address, double value, std::optional<uint8_t> q, const SimTime& now) {
    Point* p = FindPoint(address);
    if (p == nullptr || !ValueFits(p->type->kind, value)) return false;
    p->value = value;
    if (q) p->quality = *q;
    p->changed = now.wall;
    ReportChange(*p, cause::kSpontaneous);
    return true;
}

void Station::Tick(const SimTime& now) {
    if (options_.cyclic_ms > 0) {
        if (next_cyclic_ms_ < 0) next_cyclic_ms_ = now.ms;
        if (now.ms >= next_cyclic_ms_) {
            QueueCyclic();
            next_cyclic_ms_ = now.ms + options_.cyclic_ms;
        }
    }
    while (spontaneous_.TakeDue(now.ms)) {
        if (config_.points.empty()) return;
        Point& p = config_.points[spontaneous_.NextIndex(config_.points.size())];
        spontaneous_.Mutate(p);
        p.changed = now.wall;
        ++counters_.spontaneous;
        ReportChange(p, cause::kSpontaneous);
    }
}

int64_t Station::NextDeadline() const {
    const int64_t spontaneous = spontaneous_.NextDue();
    if (options_.cyclic_ms <= 0) return spontaneous;
    const int64_t cyclic = next_cyclic_ms_ < 0 ? 0 : next_cyclic_ms_;
    return spontaneous < 0 ? cyclic : std::min(spontaneous, cyclic);
}

}  // namespace iec::sim
