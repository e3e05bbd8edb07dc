// The runtime tag table: one slot per published item; the slot number is the tag number that OPC DA, OPC UA, the
// web pages and the reserve server use. Slots 1..kMaxTags; slot 0 is not used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/date_time.h"

namespace iec {

constexpr int kMaxTags = 20000;

struct TIndent {
    std::string Name;
    std::string NamePC;
    int NomerPC = 0;
    int NomerKP_arr = 0;
    uint16_t Maska = 0;
    int Quality = 0;
    DateTime Stamp_DateTime;
    bool FirstOpros = false;
    int NomerKP_in_Thread = 0;
    uint16_t vtDataType = 0;
    uint16_t vtDataType_OPC_UA = 0;
    int Nomer_Tag = 0;
    int Nomer_Tag_OPC_UA = 0;
    int Asdu_Adr_TU = 0;
    int Obj_addr_TU = 0;
    int Type_tu_1 = 0;
    int Nomer_Th = 0;
    bool in_work = false;
};

struct TagTable {
    std::vector<TIndent> OPC_Tags = std::vector<TIndent>(kMaxTags + 1);
    std::vector<double> OPC_Values = std::vector<double>(kMaxTags + 1, 0.0);
    int Kol_OPC_Tags = 0;

    // Every slot 1..kMaxTags gets the quality.
    void SetAllQualities(int quality) {
        for (size_t i = 1; i < OPC_Tags.size(); ++i) OPC_Tags[i].Quality = quality;
    }
};

}  // namespace iec
