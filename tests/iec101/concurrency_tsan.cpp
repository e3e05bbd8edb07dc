// Values and commands that cross threads: run by the ordinary test run and under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "iec101/link_layer.h"
#include "model/tag_signal.h"

namespace iec {
namespace {

using Bytes = std::vector<uint8_t>;
const TTypeIdent kStNa{5, 2, 0, BS8, Q1, M_ST_NA, "(M_ST_NA)"};

ArmValue Read(TTagSignal& s) { return s.GetArmValue(); }

TEST(TagSignal, ReadersSeeValueQualityAndTimeOfOneElement) {
    // Each element's value octet, quality and time are derived from one number; a torn read would mix two.
    TTagSignal s;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 1; i < 20000; ++i) {
            const uint8_t v = static_cast<uint8_t>(i & 0x7F);
            s.ChangeVal(kStNa, Bytes{v, static_cast<uint8_t>(v & 0x30)}, 0, DateTime(45000.0 + v));
        }
        stop = true;
    });
    int mismatches = 0;
    while (!stop) {
        const ArmValue a = Read(s);
        if (!a.hasTime) continue;
        const int raw = static_cast<int>(a.time.days() - 45000.0);
        const int v = (raw & 0x40) ? (raw & 0x7F) - 128 : (raw & 0x3F);
        if (a.value != v || a.quality != (raw & 0x30)) ++mismatches;
    }
    writer.join();
    EXPECT_EQ(mismatches, 0);
}

TEST(Telecontrol, ArmingFromAnotherThreadIsSeenWhole) {
    TIEC101 link;
    std::atomic<bool> stop{false};
    std::thread arming([&] {
        for (int i = 1; i < 20000; ++i) link.ArmCommand(i, i, i % 4, (i & 1) != 0);
        stop = true;
    });
    int torn = 0;
    while (!stop) {
        const TuState tu = link.TU();
        const int i = tu.Asdu_Adr_TU;
        if (tu.Obj_addr_TU != i || (i != 0 && tu.Type_TU_45_46 != i % 4) || (i != 0 && tu.tuCommand != ((i & 1) != 0))) {
            ++torn;
        }
    }
    arming.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace iec
