// Arbitrary ASDUs with arbitrary field widths into a signal list.
// Input: widths octet (link 1-2, cause 1-2, common address 1-2, object address 1-3), type, qualifier, cause,
// then the information objects.
#include <cstddef>
#include <cstdint>
#include <span>

#include "iec101/asdu.h"
#include "iec101/asdu_decode.h"
#include "model/tag_category.h"

namespace {

iec::TTagSignalList& Signals() {
    static iec::TTagSignalList list = [] {
        iec::TTagSignalList l;
        for (int a = 0; a < 600; ++a) {
            iec::TTagSignal s;
            s.SetParam_2(7, 7, 0, iec::TagCategoryList().GetPtc(0), "S" + std::to_string(a), a);
            l.AddTag(s);
        }
        return l;
    }();
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint8_t w = data[0];
    iec::TIecDevice dev;
    dev.LinkAddress = 7;
    dev.KPAddress2 = 7;
    dev.sz_LinkAddress = 1 + (w & 1);
    dev.sz_PrichinaPeredachi = 1 + ((w >> 1) & 1);
    dev.sz_ASDUAddress = 1 + ((w >> 2) & 1);
    dev.sz_InfObjAddress = 1 + ((w >> 3) & 3) % 3;
    const std::span<const uint8_t> objects(data + 4, size - 4);
    iec::TIEC_ASDU asdu(7, 7, data[1], data[2], data[3], objects);
    if (w & 0x40) asdu.lenData = static_cast<int>(size);  // a length beyond the data must stay harmless
    iec::AsduCounters counters;
    iec::ReceiveRaspak(asdu, dev, 1, Signals(),
                       iec::DateTime(45000.5), &counters);
    (void)iec::ToString(asdu);
    return 0;
}
