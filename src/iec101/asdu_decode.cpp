#include "iec101/asdu_decode.h"

namespace iec {

namespace {

constexpr int kCauseTest = 0x80;
constexpr int kCauseNegative = 0x40;
constexpr int kActivationTermination = 10;

size_t ObjAddressSize(const TIecDevice& d) {
    return d.sz_InfObjAddress >= 1 && d.sz_InfObjAddress <= 3 ? d.sz_InfObjAddress : 0;
}

void Count(AsduCounters* c, Counter AsduCounters::*which) {
    if (c != nullptr) ++(c->*which);
}

enum class Rule { None, Status, Value, Bits32, Bits16, Bits8 };

Rule RuleOf(NameTypeIdent n) {
    switch (n) {
        case M_SP_NA: case M_SP_TA: case M_DP_NA: case M_DP_TA: case M_SP_TB: case M_DP_TB:
            return Rule::Status;
        case M_ST_NA: case M_ST_TA: case M_ME_NA: case M_ME_TA: case M_ME_NB: case M_ME_TB: case M_ME_NC:
        case M_ME_TC: case M_ME_ND: case M_ST_TB: case M_BO_TB: case M_ME_TD: case M_ME_TE: case M_ME_TF:
        case M_IT_NA: case M_IT_TA: case M_IT_TB:
            return Rule::Value;
        case M_BO_NA: return Rule::Bits32;
        case M_PS_NA: return Rule::Bits16;
        case M_BO_TC: return Rule::Bits8;
        default: return Rule::None;
    }
}

}  // namespace

void ReceiveRaspak(TIEC_ASDU& asdu, TIecDevice& device, int threadNumber, TTagSignalList& signals, DateTime now,
                   AsduCounters* counters, int nowBias) {
    if (asdu.ptid == nullptr) {
        Count(counters, &AsduCounters::unknownType);
        return;
    }
    // A station sends with the test bit while it is being tested: nothing of it is a real state or answer.
    if (asdu.COT & kCauseTest) {
        Count(counters, &AsduCounters::testAsdu);
        return;
    }
    const TTypeIdent& t = *asdu.ptid;
    if (t.Name == C_SC_NA || t.Name == C_DC_NA) {
        if (asdu.COT == 7) {
            device.error_tu = false;
            device.select_get = true;
            device.exec_get = true;
        } else if (asdu.COT == 71) {
            device.error_tu = true;
        }
    }
    if (t.Name == C_IC_NA && (asdu.COT == kActivationTermination || (asdu.COT & kCauseNegative))) {
        device.gi_running = false;
    }
    if (t.Name == M_EI_NA) {
        // The station has (re)started: its states are what an interrogation reports, unless one is running.
        Count(counters, &AsduCounters::endOfInit);
        if (!device.gi_running) device.gi_wanted = true;
        return;
    }
    asdu.BlockAddress = 0;
    asdu.BlockDate = DateTime();

    const std::span<const uint8_t> data = asdu.Data();
    const int64_t len = static_cast<int64_t>(data.size());
    const int64_t ioa = static_cast<int64_t>(ObjAddressSize(device));
    const int64_t elementOctets = asdu.SQ == 1 ? len - ioa - t.timelen : len;
    const int64_t step = asdu.SQ == 1 ? t.objlen : t.objlen + ioa + t.timelen;
    if (step * asdu.nelem != elementOctets) {
        Count(counters, &AsduCounters::badLength);
        return;
    }

    size_t pos = 0;
    if (asdu.SQ == 1) {
        ByteReader r(data);
        asdu.BlockAddress = ReadObjAddress(r, device);
        pos = r.pos();
        if (t.timelen > 0) {
            std::string message;
            int bias = nowBias;
            if (DecodeTimeTag(data, static_cast<size_t>(len - t.timelen), t.timelen, now, asdu.BlockDate, message,
                              &bias, nowBias) != TimeTagResult::Ok) {
                // The elements are stamped with their reception rather than dropped or given an older time.
                Count(counters, &AsduCounters::badBlockTime);
                asdu.BlockDate = now;
                bias = nowBias;
            }
            asdu.BlockBias = bias;
        }
    }
    Count(counters, &AsduCounters::decoded);
    for (int k = 0; k < asdu.nelem; ++k) {
        RaspakInformObject(asdu, k, pos, signals, threadNumber, device, now, counters, nowBias);
        pos += static_cast<size_t>(step);
    }
}

void RaspakInformObject(const TIEC_ASDU& asdu, int k, size_t pos, TTagSignalList& signals, int /*threadNumber*/,
                        const TIecDevice& device, DateTime now, AsduCounters* counters, int nowBias) {
    if (asdu.ptid == nullptr) return;
    const TTypeIdent& t = *asdu.ptid;
    const Rule rule = RuleOf(t.Name);
    if (rule == Rule::None) {
        Count(counters, &AsduCounters::notDecodedType);
        return;
    }
    const std::span<const uint8_t> data = asdu.Data();
    ByteReader r(data, pos);
    // Widened so that no block address a caller sets can overflow while the element's addresses are formed.
    int64_t address = 0;
    if (asdu.SQ == 0) {
        address = ReadObjAddress(r, device);
        if (r.failed()) return;
    } else {
        const int spread = rule == Rule::Bits32 ? 32 : rule == Rule::Bits16 ? 16 : rule == Rule::Bits8 ? 8 : 1;
        address = static_cast<int64_t>(asdu.BlockAddress) + static_cast<int64_t>(spread) * k;
    }
    if (address < INT32_MIN || address > INT32_MAX - 32) return;
    const size_t p = r.pos();
    // Every element must lie inside the data; the size check guarantees it, this keeps it true for any caller.
    if (!r.Has(static_cast<size_t>(t.objlen))) return;

    DateTime time;
    int bias = kBiasUnknown;
    if (t.timelen > 0) {
        if (asdu.SQ == 1) {
            time = asdu.BlockDate;
            bias = asdu.BlockBias;
        } else {
            std::string message;
            if (DecodeTimeTag(data, p + static_cast<size_t>(t.objlen), t.timelen, now, time, message, &bias,
                              nowBias) != TimeTagResult::Ok) {
                // An invalid or impossible time tag must not leave the previous event's time on the new value:
                // the element is stamped with its reception.
                Count(counters, &AsduCounters::badElementTime);
                time = now;
                bias = nowBias;
            }
        }
    }

    const int kp = device.KPAddress2;
    // The signals are keyed by the common address they are configured with; configurations that gave the link
    // address instead keep working.
    const auto find = [&](int object) {
        TTagSignal* s = signals.FindTag(kp, asdu.LinkAddress, object);
        if (s == nullptr && asdu.LinkAddress != device.LinkAddress) s = signals.FindTag(kp, device.LinkAddress, object);
        return s;
    };
    if (rule == Rule::Status || rule == Rule::Value) {
        TTagSignal* s = find(static_cast<int>(address));
        if (s == nullptr) {
            Count(counters, &AsduCounters::noSignal);
            return;
        }
        if (rule == Rule::Status) {
            s->ChangeTS(t, data, p, time, 0, 0, bias);
        } else {
            s->ChangeVal(t, data, p, time, bias);
        }
        return;
    }
    // A bit string and the packed single points carry one quality descriptor for all their bits, after the bits.
    const int bits = rule == Rule::Bits32 ? 32 : rule == Rule::Bits16 ? 16 : 8;
    const size_t qds = p + 4;
    const uint8_t quality = rule != Rule::Bits8 && qds < data.size() ? static_cast<uint8_t>(data[qds] & 0xF1) : 0;
    for (int b = 0; b < bits; ++b) {
        TTagSignal* s = find(static_cast<int>(address) + b);
        if (s == nullptr) {
            Count(counters, &AsduCounters::noSignal);
            continue;
        }
        s->ChangeTS(t, data, p, time, b, quality, bias);
    }
}

}  // namespace iec
