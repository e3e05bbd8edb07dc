// Single and double commands: select before operate, direct execute, deactivation, and the point that shows the
// commanded state.
#include <algorithm>

#include "sim101/asdu.h"
#include "sim101/station.h"

namespace iec::sim {
namespace {

constexpr uint8_t kSelect = 0x80;

std::string StateText(uint8_t type, uint8_t state) {
    if (type == kSingleCommand) return state ? "on" : "off";
    switch (state) {
        case 1: return "off";
        case 2: return "on";
        default: return "invalid" + std::to_string(state);
    }
}

}  // namespace

std::optional<CommandObject> Station::FindCommand(uint32_t address, uint8_t type) const {
    for (const auto& c : config_.commands) {
        if (c.address == address && c.type == type) return c;
    }
    // Without a configured command object, a command to a single (double) point's own address switches it.
    for (const auto& p : config_.points) {
        if (p.address != address) continue;
        const bool fits = (type == kSingleCommand && p.type->kind == PointKind::Single) ||
                          (type == kDoubleCommand && p.type->kind == PointKind::Double);
        if (!fits) continue;
        CommandObject c;
        c.address = address;
        c.type = type;
        c.reflect = address;
        c.refuse = std::find(refused_points_.begin(), refused_points_.end(), address) != refused_points_.end();
        return c;
    }
    return std::nullopt;
}

bool Station::SetRefuse(uint32_t address, bool refuse) {
    bool found = false;
    for (auto& c : config_.commands) {
        if (c.address == address) {
            c.refuse = refuse;
            found = true;
        }
    }
    if (FindPoint(address) != nullptr) {
        std::erase(refused_points_, address);
        if (refuse) refused_points_.push_back(address);
        found = true;
    }
    return found;
}

void Station::Reflect(const CommandObject& c, uint8_t state, const SimTime& now) {
    if (!c.reflect) return;
    Point* p = FindPoint(*c.reflect);
    if (p == nullptr) return;
    const bool on = c.type == kSingleCommand ? state == 1 : state == 2;
    if (p->type->kind == PointKind::Single) {
        p->value = on ? 1 : 0;
    } else if (p->type->kind == PointKind::Double) {
        p->value = on ? 2 : 1;
    } else {
        return;
    }
    p->changed = now.wall;
    ReportChange(*p, cause::kReturnRemote);
}

void Station::HandleCommand(std::span<const uint8_t> asdu, const AsduHeader& h, uint32_t ioa, uint8_t octet,
                            const SimTime& now) {
    const uint8_t state = h.type == kSingleCommand ? (octet & 0x01) : (octet & 0x03);
    const bool select = (octet & kSelect) != 0;
    const int qu = (octet >> 2) & 0x1F;
    const std::string head = "ca=" + std::to_string(h.common) + " type=" + std::string(CommandName(h.type)) +
                             " cause=" + std::to_string(h.Cause());
    const std::string detail = "ioa=" + std::to_string(ioa) + " " + (select ? "select " : "execute ") +
                               StateText(h.type, state) + " qu=" + std::to_string(qu);
    auto answer_with = [&](uint8_t answer) {
        Mirror(asdu, answer, config_.common_address);
        Log(head, detail, answer);
    };

    const std::optional<CommandObject> c = FindCommand(ioa, h.type);
    if (h.Cause() != cause::kActivation && h.Cause() != cause::kDeactivation) {
        answer_with(cause::kUnknownCause | cause::kNegative);
        return;
    }
    if (!c) {
        answer_with(options_.unknown_object_cause | cause::kNegative);
        return;
    }
    if (h.Cause() == cause::kDeactivation) {
        selection_.reset();
        answer_with(cause::kDeactivationCon);
        return;
    }
    const bool valid_state = h.type == kSingleCommand || state == 1 || state == 2;
    if (c->refuse || !valid_state) {
        selection_.reset();
        answer_with(cause::kActivationCon | cause::kNegative);
        return;
    }
    if (select) {
        selection_ = Selection{ioa, h.type, state, now.ms};
        answer_with(cause::kActivationCon);
        return;
    }
    const bool selected = selection_ && selection_->address == ioa && selection_->type == h.type &&
                          selection_->state == state && now.ms - selection_->at_ms <= options_.select_timeout_ms;
    selection_.reset();
    if (c->select_required && !selected) {
        answer_with(cause::kActivationCon | cause::kNegative);
        return;
    }
    // The order of IEC 60870-5-101: confirmation, the changed state as return information, termination.
    answer_with(cause::kActivationCon);
    Reflect(*c, state, now);
    Mirror(asdu, cause::kActivationTerm, config_.common_address);
}

}  // namespace iec::sim
