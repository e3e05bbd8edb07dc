// Arbitrary octets from the line through the link layer as the polling procedure drives it: each chunk of the
// input is one reception, followed by frame selection and decoding of whatever ASDU came out.
// Input: one octet of settings, then chunks of (length octet, octets).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "../tests/iec101/link_fixture.h"
#include "iec101/asdu_build.h"
#include "iec101/asdu_decode.h"
#include "model/tag_category.h"

namespace {

iec::TTagSignalList& Signals() {
    static iec::TTagSignalList list = [] {
        iec::TTagSignalList l;
        for (int a = 0; a < 80; ++a) {
            iec::TTagSignal s;
            s.SetParam_2(5, 5, 0, iec::TagCategoryList().GetPtc(0), "S" + std::to_string(a), a);
            l.AddTag(s);
        }
        return l;
    }();
    return list;
}

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t settings = data[0];
    iec::test::LinkUnderTest t(5, (settings & 1) ? 2 : 1);
    t.link.CheckLinkAddress = (settings & 2) != 0;
    t.dev.Retries = (settings >> 2) & 3;
    t.dev.First_opros = (settings & 0x10) != 0;
    t.dev.sz_PrichinaPeredachi = (settings & 0x20) ? 2 : 1;
    t.dev.sz_ASDUAddress = (settings & 0x40) ? 2 : 1;
    t.dev.sz_InfObjAddress = (settings & 0x80) ? 3 : 2;
    t.link.Work(t.dev, t.rx, t.dev.First_opros, t.tx);

    const iec::DateTime now(45000.5);
    iec::AsduCounters counters;
    size_t pos = 1;
    int exchange = 0;
    while (pos < size) {
        const size_t len = data[pos++];
        const size_t n = len < size - pos ? len : size - pos;
        t.Send();
        // Every few exchanges something waits to be sent, so command frames are built too.
        if (++exchange % 3 == 0) {
            iec::AsduPtr slot;
            t.link.ArmCommand(5, exchange, exchange % 4, (exchange & 4) != 0);
            t.dev.tek_type_tu_t = exchange % 4;
            if (exchange % 2) iec::CreateAsduTU(t.dev, slot); else iec::CreateAsduGI(t.dev, slot);
            t.tx.Put(slot);
        }
        const bool good = t.Answer(std::span<const uint8_t>(data + pos, n));
        pos += n;
        Check(t.link.TxLenkd >= 0 && static_cast<size_t>(t.link.TxLenkd) <= iec::kMaxTxFrame);
        Check(t.link.RxLenkd2 >= 0 && static_cast<size_t>(t.link.RxLenkd2) <= iec::kMaxRxFrame);
        Check(t.link.RxBuf1.size() <= iec::PROT_BUF_SIZE);
        iec::AsduPtr asdu;
        if (t.rx.Get(asdu) && good) {
            iec::ReceiveRaspak(*asdu, t.dev, 1, Signals(), now, &counters);
            (void)iec::ToString(*asdu);
        }
        (void)t.link.KadrToStr1(iec::KadrDir::Receive, iec::kDumpFixed | iec::kDumpVariable | iec::kSummary);
        (void)t.link.KadrToStr1(iec::KadrDir::Send, iec::kDumpFixed | iec::kDumpVariable | iec::kSummary);
    }
    return 0;
}
