#include "iec101/asdu.h"

#include <algorithm>

namespace iec {

TIEC_ASDU::TIEC_ASDU(const TIecDevice& station, int code, int seqNumb, int cot, std::span<const uint8_t> data,
                     int blockAddress, const TTypeIdentList& types, int commonAddress)
    : TypeCode(code),
      SeqNumb(seqNumb),
      COT(cot),
      KpAddress1(station.KPAddress2),
      LinkAddress(commonAddress != 0 ? commonAddress : station.InterrogationAddress()),
      lenData(static_cast<int>(data.size())),
      Data1(data.begin(), data.end()),
      BlockAddress(blockAddress) {
    Derive(types);
}

TIEC_ASDU::TIEC_ASDU(int kpAddress, int commonAddress, int code, int seqNumb, int cot, std::span<const uint8_t> data,
                     const TTypeIdentList& types)
    : TypeCode(code),
      SeqNumb(seqNumb),
      COT(cot),
      KpAddress1(kpAddress),
      LinkAddress(commonAddress),
      lenData(static_cast<int>(data.size())),
      Data1(data.begin(), data.end()) {
    Derive(types);
}

void TIEC_ASDU::Derive(const TTypeIdentList& types) {
    SQ = (SeqNumb & 0x80) ? 1 : 0;
    nelem = SeqNumb & 0x7F;
    ptid = types.FindTypeIdent(TypeCode);
}

std::span<const uint8_t> TIEC_ASDU::Data() const {
    const size_t n = static_cast<size_t>(std::clamp(lenData, 0, static_cast<int>(Data1.size())));
    return std::span<const uint8_t>(Data1.data(), n);
}

namespace {

bool IsTelecontrol(int code) { return code == 45 || code == 46; }

bool SameKind(const TIEC_ASDU& a, const TIEC_ASDU& b) {
    if (IsTelecontrol(a.TypeCode) && IsTelecontrol(b.TypeCode)) return true;
    if (a.TypeCode != b.TypeCode) return false;
    // Reads of different objects are different requests.
    return a.TypeCode != 102 || (a.BlockAddress == b.BlockAddress && a.LinkAddress == b.LinkAddress);
}

}  // namespace

bool TASDUBuf::Put(AsduPtr asdu) {
    if (!asdu) return false;
    for (AsduPtr& waiting : queue_) {
        if (SameKind(*waiting, *asdu)) {
            waiting = std::move(asdu);
            return true;
        }
    }
    if (queue_.size() >= kCapacity) return false;
    queue_.push_back(std::move(asdu));
    return true;
}

bool TASDUBuf::Get(AsduPtr& out) {
    if (queue_.empty()) return false;
    asdu2 = std::move(queue_.front());
    queue_.pop_front();
    out = asdu2;
    return true;
}

std::string ToString(const TIEC_ASDU& a) {
    if (a.ptid == nullptr) return {};
    std::string s = "TypeIdent=(" + std::to_string(a.ptid->Code) + ")" + a.ptid->Text + ", SQ=" +
                    std::to_string(a.SQ) + " nelem=" + std::to_string(a.nelem) + " COT=" + std::to_string(a.COT);
    if (a.COT >= 0 && a.COT < 50) {
        s += "(" + COT_Text[static_cast<size_t>(a.COT)] + ")";
    } else {
        s += "(" + std::string(11, '?') + ")";
    }
    return s;
}

}  // namespace iec
