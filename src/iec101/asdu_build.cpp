#include "iec101/asdu_build.h"

#include <cstdint>
#include <initializer_list>

namespace iec {

namespace {

constexpr int kRequest = 5;
constexpr int kActivation = 6;

void Build(const TIecDevice& station, NameTypeIdent name, int cause, std::initializer_list<uint8_t> element,
           int blockAddress, AsduPtr& slot, int commonAddress = 0) {
    const TTypeIdent* t = TypeIdentList().FindTypeIdent(name);
    const int code = t != nullptr ? t->Code : 0;
    slot = std::make_shared<TIEC_ASDU>(station, code, 1, cause,
                                       std::span<const uint8_t>(element.begin(), element.size()), blockAddress,
                                       TypeIdentList(), commonAddress);
}

}  // namespace

void CreateAsduGI(const TIecDevice& station, AsduPtr& slot) { Build(station, C_IC_NA, kActivation, {20}, 0, slot); }

void CreateAsduCI(const TIecDevice& station, AsduPtr& slot) { Build(station, C_CI_NA, kActivation, {5}, 0, slot); }

void CreateAsduRead(const TIecDevice& station, int objAddress, AsduPtr& slot, int commonAddress) {
    // IEC 60870-5-101 sends the read command with cause 5 (request), not 6.
    Build(station, C_RD_NA, kRequest, {}, objAddress, slot, commonAddress);
}

void CreateAsduTU(const TIecDevice& station, AsduPtr& slot) {
    const bool dbl = station.tek_type_tu_t == 2 || station.tek_type_tu_t == 3;
    Build(station, dbl ? C_DC_NA : C_SC_NA, kActivation, {0}, 0, slot);
}

}  // namespace iec
