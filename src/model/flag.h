// A word of bit flags, and the flags of a configured signal record.
#pragma once

#include <cstdint>

namespace iec {

enum TFlagOperation { FSet = 0, FClear = 1, FYes = 2, FNo = 3, FClearAll = 4 };

class TFLAG {
public:
    explicit TFLAG(int32_t Afln = 0) : fln(Afln) {}

    // The bit index is taken modulo 32. FSet, FClear and FClearAll change the word and return false; FYes and
    // FNo test the bit.
    bool Operation(TFlagOperation OpName, int bit);

    int32_t fln;
};

// Names of the bits of a configured signal record's flag word.
enum TBitFlagArm {
    bfl_ArmNew = 0,
    bfl_TxtAdd = 1,
    bfl_MstAdd = 2,
    bfl_CsvAdd = 3,
    bfl_CifAdd = 4,
    bfl_Invers = 5,
    bfl_PrDisp = 6,
    bfl_PrRZA = 7,
    bfl_PrRaw = 8,
    bfl_RepAddr = 9,
    bfl_RepCtrAddr = 10,
    bfl_RepName = 11,
    bfl_RepCCS = 12,
    bfl_TxtAbsent = 13,
    bfl_CifAbsent = 14,
    bfl_KpAbsent = 15,
};

using TFlagArm = TFLAG;

// The flag words written in every TS and TIT line of the station file.
constexpr int32_t kFlagsTS = (1 << bfl_CifAdd) | (1 << bfl_PrDisp) | (1 << bfl_TxtAbsent);  // 8272
constexpr int32_t kFlagsTIT = kFlagsTS | (1 << bfl_CsvAdd);                                 // 8280

bool Flag_Any(int32_t a, int32_t b);
bool Flag_None(int32_t a, int32_t b);

}  // namespace iec
