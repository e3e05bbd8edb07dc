#include "sim101/point_entry.h"

#include "platform/number_text.h"

namespace iec::sim {
namespace {

constexpr uint32_t kMaxRange = 10000;     // points per entry, so a typing error cannot exhaust memory
constexpr size_t kMaxStationPoints = 65536;  // and per station, whatever a file holds

std::optional<uint32_t> ParseAddress(std::string_view text) {
    const auto v = ParseInt(text);
    if (!v || *v < 0) return std::nullopt;
    return static_cast<uint32_t>(*v);
}

std::optional<uint32_t> ParseHex32(std::string_view text) {
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return std::nullopt;
    uint32_t v = 0;
    for (char ch : text.substr(2)) {
        int d = 0;
        if (ch >= '0' && ch <= '9') d = ch - '0';
        else if (ch >= 'a' && ch <= 'f') d = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F') d = ch - 'A' + 10;
        else return std::nullopt;
        v = (v << 4) | static_cast<uint32_t>(d);
    }
    return v;
}

}  // namespace

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (true) {
        const size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::optional<double> ParsePointValue(std::string_view text, PointKind kind) {
    std::optional<double> v;
    if (text == "on") v = kind == PointKind::Double ? 2 : 1;
    else if (text == "off") v = kind == PointKind::Double ? 1 : 0;
    else if (auto hex = ParseHex32(text)) v = static_cast<double>(*hex);
    else v = ParseReal(text);
    if (!v || !ValueFits(kind, *v)) return std::nullopt;
    return v;
}

std::optional<uint8_t> ParseQualityFlag(std::string_view word) {
    if (word == "iv") return quality::kInvalid;
    if (word == "nt") return quality::kNotTopical;
    if (word == "sb") return quality::kSubstituted;
    if (word == "bl") return quality::kBlocked;
    if (word == "ov") return quality::kOverflow;
    return std::nullopt;
}

std::string AddPointEntry(std::string_view entry, StationConfig& station) {
    const auto parts = Split(entry, ',');
    const std::string_view head = parts[0];
    const size_t colon = head.find(':');
    if (colon == std::string_view::npos) return "expected TYPE:ADDRESS in '" + std::string(entry) + "'";
    const std::string_view type_text = head.substr(0, colon);
    std::string_view rest = head.substr(colon + 1);

    uint8_t code = 0;
    if (const auto n = ParseInt(type_text); n && *n >= 0 && *n <= 255) {
        code = static_cast<uint8_t>(*n);
    } else if (type_text == "C_SC_NA") {
        code = kSingleCommand;
    } else if (type_text == "C_DC_NA") {
        code = kDoubleCommand;
    } else if (const TypeInfo* t = FindType(type_text)) {
        code = t->code;
    } else {
        return "unknown type '" + std::string(type_text) + "'";
    }

    if (code == kSingleCommand || code == kDoubleCommand) {
        CommandObject c;
        c.type = code;
        std::string_view addr = rest;
        if (const size_t gt = rest.find('>'); gt != std::string_view::npos) {
            addr = rest.substr(0, gt);
            const auto target = ParseAddress(rest.substr(gt + 1));
            if (!target) return "bad point address in '" + std::string(entry) + "'";
            c.reflect = *target;
        }
        const auto a = ParseAddress(addr);
        if (!a) return "bad command address in '" + std::string(entry) + "'";
        c.address = *a;
        for (size_t i = 1; i < parts.size(); ++i) {
            if (parts[i] == "sbo") c.select_required = true;
            else if (parts[i] == "refuse") c.refuse = true;
            else return "unknown command flag '" + std::string(parts[i]) + "'";
        }
        if (station.commands.size() >= kMaxStationPoints) return "more than 65536 commands in a station";
        station.commands.push_back(c);
        return {};
    }

    const TypeInfo* type = FindType(code);
    if (type == nullptr) return "type " + std::to_string(code) + " cannot be simulated";
    Point p;
    p.type = type;
    std::string_view range = rest;
    if (const size_t eq = rest.find('='); eq != std::string_view::npos) {
        range = rest.substr(0, eq);
        const auto v = ParsePointValue(rest.substr(eq + 1), type->kind);
        if (!v) return "bad value in '" + std::string(entry) + "'";
        p.value = *v;
    } else if (type->kind == PointKind::Double) {
        p.value = 1;  // a double point starts "off", not in the indeterminate state 0
    }
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i] == "t" && type->kind == PointKind::Step) {
            p.transient = true;
        } else if (const auto q = ParseQualityFlag(parts[i])) {
            p.quality |= *q;
        } else {
            return "unknown point flag '" + std::string(parts[i]) + "'";
        }
    }
    std::string_view first_text = range;
    std::string_view last_text = range;
    if (const size_t dash = range.find('-'); dash != std::string_view::npos) {
        first_text = range.substr(0, dash);
        last_text = range.substr(dash + 1);
    }
    const auto first = ParseAddress(first_text);
    const auto last = ParseAddress(last_text);
    if (!first || !last || *last < *first) return "bad address in '" + std::string(entry) + "'";
    if (*last - *first >= kMaxRange) return "more than 10000 points in '" + std::string(entry) + "'";
    if (station.points.size() + (*last - *first) >= kMaxStationPoints) return "more than 65536 points in a station";
    for (uint32_t a = *first;; ++a) {
        p.address = a;
        station.points.push_back(p);
        if (a == *last) break;
    }
    return {};
}

}  // namespace iec::sim
