// The monitored-information types a simulated point can have. This table is the only place that knows their
// codes, names, element sizes and time tags; everything else looks them up here.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace iec::sim {

enum class PointKind : uint8_t {
    Single,      // SIQ
    Double,      // DIQ
    Step,        // VTI + QDS
    Bitstring,   // BSI (32 bits) + QDS
    Normalized,  // NVA + QDS
    NormalizedNoQuality,
    Scaled,      // SVA + QDS
    Float,       // IEEE STD 754 + QDS
    Counter,     // BCR
    Packed,      // SCD (16 states, 16 change bits) + QDS
};

struct TypeInfo {
    uint8_t code;
    std::string_view name;
    PointKind kind;
    uint8_t element_octets;  // value and quality, without address and time tag
    uint8_t time_octets;     // 0, 3 (CP24Time2a) or 7 (CP56Time2a)
    uint8_t untimed_code;    // the type that carries the same element without time tag
};

const TypeInfo* FindType(uint8_t code);
const TypeInfo* FindType(std::string_view name);
std::span<const TypeInfo> AllTypes();

// Application types the station receives or sends besides monitored information.
constexpr uint8_t kSingleCommand = 45;      // C_SC_NA
constexpr uint8_t kDoubleCommand = 46;      // C_DC_NA
constexpr uint8_t kEndOfInit = 70;          // M_EI_NA
constexpr uint8_t kInterrogation = 100;     // C_IC_NA
constexpr uint8_t kCounterInterrogation = 101;  // C_CI_NA
constexpr uint8_t kRead = 102;              // C_RD_NA

// Causes of transmission (the low six bits of the cause octet); bit 6 is P/N, the negative confirmation.
namespace cause {
constexpr uint8_t kPeriodic = 1;
constexpr uint8_t kSpontaneous = 3;
constexpr uint8_t kInitialised = 4;
constexpr uint8_t kRequest = 5;
constexpr uint8_t kActivation = 6;
constexpr uint8_t kActivationCon = 7;
constexpr uint8_t kDeactivation = 8;
constexpr uint8_t kDeactivationCon = 9;
constexpr uint8_t kActivationTerm = 10;
constexpr uint8_t kReturnRemote = 11;
constexpr uint8_t kInterrogated = 20;
constexpr uint8_t kCounterRequest = 37;
constexpr uint8_t kUnknownType = 44;
constexpr uint8_t kUnknownCause = 45;
constexpr uint8_t kUnknownCommonAddress = 46;
constexpr uint8_t kUnknownObject = 47;
constexpr uint8_t kNegative = 0x40;
constexpr uint8_t kTest = 0x80;
}  // namespace cause

// A printable name for any type code the station may receive ("C_SC_NA", or the number when unknown).
std::string_view CommandName(uint8_t code);

}  // namespace iec::sim
