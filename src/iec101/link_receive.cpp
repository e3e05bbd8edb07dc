#include <algorithm>

#include "iec101/link_layer.h"
#include "iec101/link_sizes.h"

namespace iec {

void TIEC101::ReceivePut(std::span<const uint8_t> octets) {
    for (uint8_t o : octets) {
        if (!(fl101 & fl_Collect)) {
            if (o == 0x10 || o == 0x68) {
                fl101 |= fl_Collect;
                RxBuf1.clear();
            } else if (o == kSingleCharAck) {
                // The single control character is a whole answer by itself (IEC 60870-5-2): it stands alone in
                // the assembler, and collecting does not start.
                RxBuf1.assign(1, o);
                continue;
            } else {
                continue;
            }
        }
        if (RxBuf1.size() < PROT_BUF_SIZE) RxBuf1.push_back(o);
    }
}

bool TIEC101::ReceiveGetKadr(const TIecDevice& device) {
    const size_t n = RxBuf1.size();
    if (n >= 1 && RxBuf1[0] == kSingleCharAck && !(fl101 & fl_Collect)) {
        RxBuf2[0] = kSingleCharAck;
        RxLenkd2 = 1;
        RxBuf1.erase(RxBuf1.begin());
        ++counters.singleCharacters;
        ++counters.framesTaken;
        return true;
    }
    const size_t la = LinkAddressSize(device);
    const size_t minimum = 4 + la;
    if (n < minimum) return false;
    size_t need = 0;
    if (RxBuf1[0] == 0x10) {
        need = minimum;
    } else if (RxBuf1[0] == 0x68) {
        need = static_cast<size_t>(RxBuf1[1]) + 6;
    } else {
        ++counters.garbageDiscarded;
        RxBuf1.clear();
        RxLenkd2 = 0;
        fl101 &= ~fl_Collect;
        return false;
    }
    if (n > kMaxRxFrame || static_cast<size_t>(RxLenkd2) > kMaxRxFrame || need > kMaxRxFrame) {
        ++counters.oversize;
        RxBuf1.clear();
        RxLenkd2 = 0;
        fl101 &= ~fl_Collect;
        return false;
    }
    if (n < need) return false;

    std::copy_n(RxBuf1.begin(), need, RxBuf2.begin());
    RxLenkd2 = static_cast<int>(need);
    RxBuf1.erase(RxBuf1.begin(), RxBuf1.begin() + static_cast<std::ptrdiff_t>(need));
    fl101 &= ~fl_Collect;

    const uint8_t* f = RxBuf2.data();
    const bool variable = f[0] == 0x68;
    if (variable) {
        if (f[3] != 0x68) {
            ++counters.badSecondStart;
            return false;
        }
        if (f[2] != f[1]) {
            ++counters.badLengthOctets;
            return false;
        }
    }
    if (f[need - 1] != 0x16) {
        ++counters.badEndOctet;
        return false;
    }
    // Control octet and link address at least; an ASDU is checked when it is extracted.
    if (variable && f[1] < 1 + la) {
        ++counters.shortFrame;
        return false;
    }
    const size_t first = variable ? 4 : 1;
    if (f[need - 2] != CheckSum(std::span<const uint8_t>(f + first, need - 2 - first))) {
        ++counters.badChecksum;
        return false;
    }
    uint32_t address = f[first + 1];
    if (la == 2) address |= static_cast<uint32_t>(f[first + 2]) << 8;
    const uint32_t own = static_cast<uint32_t>(device.LinkAddress) & (la == 2 ? 0xFFFFu : 0xFFu);
    if (address != own) {
        ++counters.foreignAddress;
        if (CheckLinkAddress) return false;
    }
    ++counters.framesTaken;
    return true;
}

}  // namespace iec
