#include "sim101/type_table.h"

#include <array>

namespace iec::sim {
namespace {

using K = PointKind;

constexpr std::array<TypeInfo, 26> kTypes{{
    {1, "M_SP_NA", K::Single, 1, 0, 1},
    {2, "M_SP_TA", K::Single, 1, 3, 1},
    {30, "M_SP_TB", K::Single, 1, 7, 1},
    {3, "M_DP_NA", K::Double, 1, 0, 3},
    {4, "M_DP_TA", K::Double, 1, 3, 3},
    {31, "M_DP_TB", K::Double, 1, 7, 3},
    {5, "M_ST_NA", K::Step, 2, 0, 5},
    {6, "M_ST_TA", K::Step, 2, 3, 5},
    {32, "M_ST_TB", K::Step, 2, 7, 5},
    {7, "M_BO_NA", K::Bitstring, 5, 0, 7},
    {8, "M_BO_TA", K::Bitstring, 5, 3, 7},
    {33, "M_BO_TB", K::Bitstring, 5, 7, 7},
    {9, "M_ME_NA", K::Normalized, 3, 0, 9},
    {10, "M_ME_TA", K::Normalized, 3, 3, 9},
    {34, "M_ME_TD", K::Normalized, 3, 7, 9},
    {21, "M_ME_ND", K::NormalizedNoQuality, 2, 0, 21},
    {11, "M_ME_NB", K::Scaled, 3, 0, 11},
    {12, "M_ME_TB", K::Scaled, 3, 3, 11},
    {35, "M_ME_TE", K::Scaled, 3, 7, 11},
    {13, "M_ME_NC", K::Float, 5, 0, 13},
    {14, "M_ME_TC", K::Float, 5, 3, 13},
    {36, "M_ME_TF", K::Float, 5, 7, 13},
    {15, "M_IT_NA", K::Counter, 5, 0, 15},
    {16, "M_IT_TA", K::Counter, 5, 3, 15},
    {37, "M_IT_TB", K::Counter, 5, 7, 15},
    {20, "M_PS_NA", K::Packed, 5, 0, 20},
}};

}  // namespace

const TypeInfo* FindType(uint8_t code) {
    for (const auto& t : kTypes) {
        if (t.code == code) return &t;
    }
    return nullptr;
}

const TypeInfo* FindType(std::string_view name) {
    for (const auto& t : kTypes) {
        if (t.name == name) return &t;
    }
    return nullptr;
}

std::span<const TypeInfo> AllTypes() { return kTypes; }

std::string_view CommandName(uint8_t code) {
    switch (code) {
        case kSingleCommand: return "C_SC_NA";
        case kDoubleCommand: return "C_DC_NA";
        case kInterrogation: return "C_IC_NA";
        case kCounterInterrogation: return "C_CI_NA";
        case kRead: return "C_RD_NA";
        default: break;
    }
    if (const TypeInfo* t = FindType(code)) return t->name;
    return {};
}

}  // namespace iec::sim
