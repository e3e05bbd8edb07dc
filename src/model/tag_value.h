// The state of one runtime signal: raw element octets, quality descriptor and time tag of the last element
// received. A plain value: the owning signal guards it so that the three are always read and written together.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "iec101/type_ident.h"
#include "model/tag_category.h"
#include "platform/date_time.h"

namespace iec {

using TByteVal = std::array<uint8_t, 8>;

// Quality octet of a signal that has not received a quality yet.
constexpr uint8_t kNoQuality = 255;

struct TValue {
    const TTagCategory* ptc = nullptr;   // configured category (variant 1)
    const TTagCategory* pdc = nullptr;   // detailed category (variant 2), none until a known kind arrived
    const TTypeIdent* ptid = nullptr;    // type identification of the last element
    TByteVal bv{};                       // value octets, least significant first
    uint8_t Quality = kNoQuality;
    DateTime dt;                         // time tag of the last element that carried one; 0 until then
    int dt_bias = kBiasUnknown;          // UTC = dt + dt_bias minutes, as known where the time was taken
    TQualityType qtype = Q0;
    TByteVal bout1{};                    // not used
    bool prQualit = false;               // a quality octet has been stored

    // ptid := type; Quality := quality unless 255; bv[0] := value; dt := time unless 0.
    void SetParam_2(const TTypeIdent* type, uint8_t value, DateTime time, uint8_t quality);
    // qtype and pdc set; with the flag, Quality := quality; bv[0] := value; dt := time unless 0.
    void SetParam1_2(uint8_t value, uint8_t quality, const TTagCategory* category, TQualityType qt, DateTime time,
                     bool qualityFlag);
    // As SetParam1_2, but copies the category's valuelen octets from data at pos into bv. Returns false and
    // changes nothing when those octets are not all inside data or the category is none.
    bool SetParam1(std::span<const uint8_t> data, size_t pos, uint8_t quality, bool qualityFlag, DateTime time,
                   TQualityType qt, const TTagCategory* category);
};

}  // namespace iec
