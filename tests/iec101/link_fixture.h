// A station's link layer driven the way the polling procedure drives it: one exchange sends the frame the layer
// built, feeds the answer in, and lets the layer select the next frame. Shared by the link tests and the fuzzer.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "iec101/link_layer.h"

namespace iec::test {

struct LinkUnderTest {
    TIEC101 link;
    TIecDevice dev;
    TASDUBuf rx, tx;

    explicit LinkUnderTest(int linkAddress = 5, int linkAddressSize = 1) {
        dev.LinkAddress = linkAddress;
        dev.KPAddress2 = linkAddress;
        dev.sz_LinkAddress = linkAddressSize;
        dev.sz_PrichinaPeredachi = 1;
        dev.sz_ASDUAddress = 1;
        dev.sz_InfObjAddress = 2;
        dev.Retries = 3;
        link.fl101 = fl_Run;
    }

    // What goes on the line in this exchange (empty when no frame is waiting to be sent).
    std::vector<uint8_t> Send() {
        std::vector<uint8_t> out;
        if (link.isWaitSend()) out.assign(link.TxFrame().begin(), link.TxFrame().end());
        link.fl101 &= ~fl_WaitSend;
        return out;
    }

    // Feeds the answer; returns whether it gave a checked frame. Then selects the next frame.
    bool Answer(std::span<const uint8_t> octets) {
        link.ReceivePut(octets);
        const bool good = link.ReceiveGetKadr(dev);
        if (good) link.SetReseiveKadr();
        link.last_good_crc = good;
        link.Work(dev, rx, dev.First_opros, tx);
        return good;
    }

    // A fixed frame from the station with this control octet and the station's own link address.
    std::vector<uint8_t> Fixed(uint8_t control, int address = -1) const {
        const int a = address < 0 ? dev.LinkAddress : address;
        std::vector<uint8_t> f{0x10, control, static_cast<uint8_t>(a)};
        if (dev.sz_LinkAddress == 2) f.push_back(static_cast<uint8_t>(a >> 8));
        f.push_back(CheckSum(std::span<const uint8_t>(f).subspan(1)));
        f.push_back(0x16);
        return f;
    }

    // Brings the link up: reset acknowledged, status of link received; the class 2 request is then built.
    void Establish() {
        link.Work(dev, rx, dev.First_opros, tx);
        Send();
        Answer(Fixed(0x00));
        Send();
        Answer(Fixed(0x0B));
    }
};

}  // namespace iec::test
