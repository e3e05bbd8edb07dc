#include "model/flag.h"

namespace iec {

bool TFLAG::Operation(TFlagOperation OpName, int bit) {
    const auto shift = static_cast<unsigned>(((bit % 32) + 32) % 32);
    const int32_t mask = static_cast<int32_t>(uint32_t{1} << shift);
    switch (OpName) {
        case FSet:
            fln |= mask;
            return false;
        case FClear:
            fln &= ~mask;
            return false;
        case FYes:
            return (fln & mask) != 0;
        case FNo:
            return (fln & mask) == 0;
        case FClearAll:
            fln = 0;
            return false;
    }
    return false;
}

bool Flag_Any(int32_t a, int32_t b) { return (a & b) != 0; }
bool Flag_None(int32_t a, int32_t b) { return (a & b) == 0; }

}  // namespace iec
