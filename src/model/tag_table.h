// The runtime tag table: one slot per published item; the slot number is the tag number that OPC DA, OPC UA, the
// web pages and the reserve server use. Slots 1..kMaxTags; slot 0 is not used.
// The publication pass writes slots while OPC, web and redundancy threads read them: every access goes through
// the table's lock, so a reader sees a slot's value, quality, time and first-read flag as one unit.
#pragma once

#include <cstdint>
#include <mutex>
#include <shared_mutex>
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
    int Stamp_Bias = kBiasUnknown;  // UTC = Stamp_DateTime + Stamp_Bias minutes (ResolveBias when unknown)
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

// A slot with its value, as one reader sees it.
struct TagSlot {
    TIndent tag;
    double value = 0.0;
};

class TagTable {
public:
    TagTable() : OPC_Tags(kMaxTags + 1), OPC_Values(kMaxTags + 1, 0.0) {}

    static bool Valid(int tag) { return tag >= 1 && tag <= kMaxTags; }

    // A copy of slot `tag`, or nothing outside 1..kMaxTags.
    bool Read(int tag, TagSlot& out) const {
        if (!Valid(tag)) return false;
        std::shared_lock lock(mutex_);
        out.tag = OPC_Tags[static_cast<size_t>(tag)];
        out.value = OPC_Values[static_cast<size_t>(tag)];
        return true;
    }
    int Kol_OPC_Tags() const {
        std::shared_lock lock(mutex_);
        return kol_;
    }

    // Runs f(OPC_Tags, OPC_Values, Kol_OPC_Tags) under the writer's lock: the publication pass, the numbering
    // at polling start, the redundancy's copies.
    template <class F>
    auto Write(F&& f) {
        std::unique_lock lock(mutex_);
        return f(OPC_Tags, OPC_Values, kol_);
    }
    // Runs f with the same arguments under the readers' lock (pages and grids that read many slots at once).
    template <class F>
    auto ReadAll(F&& f) const {
        std::shared_lock lock(mutex_);
        return f(OPC_Tags, OPC_Values, kol_);
    }

    // Every slot 1..kMaxTags gets the quality.
    void SetAllQualities(int quality) {
        Write([&](std::vector<TIndent>& tags, std::vector<double>&, int&) {
            for (size_t i = 1; i < tags.size(); ++i) tags[i].Quality = quality;
        });
    }

private:
    mutable std::shared_mutex mutex_;
    std::vector<TIndent> OPC_Tags;
    std::vector<double> OPC_Values;
    int kol_ = 0;  // Kol_OPC_Tags: last tag number of the last station + 1
};

}  // namespace iec
