#include "iec101/asdu_build.h"

#include <cstdint>
#include <initializer_list>

namespace iec {

namespace {

constexpr int kActivation = 6;

void Build(const TIecDevice& station, NameTypeIdent name, std::initializer_list<uint8_t> element, int blockAddress,
           AsduPtr& slot) {
    const TTypeIdent* t = TypeIdentList().FindTypeIdent(name);
    const int code = t != nullptr ? t->Code : 0;
    slot = std::make_shared<TIEC_ASDU>(station, code, 1, kActivation,
                                       std::span<const uint8_t>(element.begin(), element.size()), blockAddress);
}

}  // namespace

void CreateAsduGI(const TIecDevice& station, AsduPtr& slot) { Build(station, C_IC_NA, {20}, 0, slot); }

void CreateAsduCI(const TIecDevice& station, AsduPtr& slot) { Build(station, C_CI_NA, {5}, 0, slot); }

void CreateAsduRead(const TIecDevice& station, int objAddress, AsduPtr& slot) {
    Build(station, C_RD_NA, {}, objAddress, slot);
}

void CreateAsduTU(const TIecDevice& station, AsduPtr& slot) {
    const bool dbl = station.tek_type_tu_t == 2 || station.tek_type_tu_t == 3;
    Build(station, dbl ? C_DC_NA : C_SC_NA, {0}, 0, slot);
}

}  // namespace iec
