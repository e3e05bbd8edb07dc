#include <algorithm>
#include <climits>

#include "iec101/byte_reader.h"
#include "iec101/link_layer.h"
#include "iec101/link_sizes.h"

namespace iec {

void TIEC101::Work(TIecDevice& device, TASDUBuf& rx, bool allowAsdu, TASDUBuf& tx) {
    if (!(fl101 & fl_Run)) return;
    if (fl101 & fl_RxKadr) ProcessRxKadr(device, rx);
    if (fl101 & fl_WaitSend) return;
    if (fl101 & fl_WaitAnswer) {
        // No checked response since the frame went out (or the station refused user data as busy): send the same
        // frame again, FCB unchanged, so that the station repeats its answer if only the answer was lost.
        ++counters.responsesMissing;
        if (nsendrepeat < INT_MAX) ++nsendrepeat;  // a station can stay unanswering for months
        if (nsendrepeat <= device.Retries) {
            fl101 |= fl_WaitSend;
            ++counters.repetitions;
            return;
        }
        const bool userData = fcwind > 0 && fcw[static_cast<size_t>(fcwind)].code == 3;
        if (!userData) return;
        // User data that its repetitions did not get through is given up rather than sent on turn after turn:
        // a command or an interrogation must not reach the station long after it was meant.
        ++counters.userDataDropped;
        fl101 &= ~fl_WaitAnswer;
        tx_is_command_ = false;
    }

    int code = 0;
    if (!(fl101 & fl_ResetOk)) {
        code = 0;
    } else if (!(fl101 & fl_StatusOk)) {
        code = 9;
    } else {
        // The link is (re)established: the station's states are to be asked for at once, unless an interrogation
        // is already on its way.
        if (!(device.flASDU2 & fl_LinkOk) && !device.gi_running) device.gi_wanted = true;
        device.flASDU2 |= fl_LinkOk;
        code = acd ? 10 : 11;
    }

    AsduPtr asdu;
    if (dfc) {
        // The station signals that more user data would overflow it.
        if (!tx.Empty()) ++counters.heldByDfc;
    } else if (device.flASDU2 & fl_LinkOk) {
        // User data may follow any completed exchange (IEC 60870-5-2): a waiting command or interrogation goes out
        // now, before further class 1 or class 2 requests, also while the station keeps ACD set.
        tx.Get(asdu);
    } else if (allowAsdu && tx.Get(asdu)) {
        device.First_opros = false;
    }

    if (asdu) {
        const bool telecontrol = asdu->TypeCode == 45 || asdu->TypeCode == 46;
        const bool built = telecontrol ? WithTU([&](TuState& tu) { return FormKadrtu(*asdu, device, tu); })
                                       : FormKadr2(*asdu, device);
        if (built) return;
    }
    FormKadr1(code, device);
}

void TIEC101::ProcessRxKadr(TIecDevice& device, TASDUBuf& rx) {
    // The frame is evaluated once: a later selection without a new checked frame counts the response as missing.
    fl101 &= ~fl_RxKadr;
    if (RxLenkd2 <= 0) return;
    const bool single = RxBuf2[0] == kSingleCharAck;
    if (fl101 & fl_WaitAnswer) {
        fl101 &= ~fl_WaitAnswer;
        const FcwEntry* sent = fcwind > 0 && fcwind < static_cast<int>(fcw.size())
                                   ? &fcw[static_cast<size_t>(fcwind)] : nullptr;
        int control = -1;
        if (single) {
            // 0xE5 stands for ACK (function 0) after a reset or confirmed user data, and for "no data"
            // (function 9) after a request for class 1 or 2 data, both with ACD 0. To anything else it is no
            // valid answer.
            if (sent != nullptr && sent->code <= 3) control = 0x00;
            if (sent != nullptr && (sent->code == 10 || sent->code == 11)) control = 0x09;
        } else {
            const size_t ci = RxBuf2[0] == 0x68 ? 4 : 1;
            if (static_cast<size_t>(RxLenkd2) > ci) control = RxBuf2[ci];
        }
        if (control < 0) {
            ++counters.unexpectedResponse;
        } else {
            acd = (control & 0x20) != 0;
            dfc = (control & 0x10) != 0;
            const int function = control & 0x0F;
            if (sent != nullptr && sent->code == 3 && function == 1) {
                // NACK: the station did not take the user data (link busy). It is repeated like a lost frame,
                // within the station's retries.
                ++counters.nacks;
                fl101 |= fl_WaitAnswer;
            } else if (sent != nullptr && sent->code == 0 && function == sent->resp1) {
                fl101 |= fl_ResetOk;
            } else if (sent != nullptr && sent->code == 9 && function == 11) {
                fl101 |= fl_StatusOk;
            } else if (sent == nullptr || (function != sent->resp1 && function != sent->resp2)) {
                ++counters.unexpectedResponse;
            }
        }
    }
    if (!single && RxBuf2[0] == 0x68) ExtractAsdu(device, rx);
}

void TIEC101::ExtractAsdu(const TIecDevice& device, TASDUBuf& rx) {
    // User data: from the control octet over L octets; the checksum and end octet follow.
    const size_t end = std::min(static_cast<size_t>(RxBuf2[1]) + 4, static_cast<size_t>(RxLenkd2));
    ByteReader r(std::span<const uint8_t>(RxBuf2.data(), end), 5);
    const uint32_t linkAddress = r.UIntLE(LinkAddressSize(device));
    const int type = r.U8();
    const int qualifier = r.U8();
    const int cause = r.U8();
    if (CauseSize(device) == 2) r.Skip(1);  // originator address
    const uint32_t common = r.UIntLE(CommonAddressSize(device));
    if (r.failed()) {
        ++counters.shortAsdu;
        return;
    }
    rx.Put(std::make_shared<TIEC_ASDU>(static_cast<int>(linkAddress), static_cast<int>(common), type, qualifier,
                                       cause, r.Rest(), types_));
    ++counters.asduExtracted;
}

}  // namespace iec
