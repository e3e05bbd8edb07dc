#include "model/arm_signals.h"

namespace iec {

TArmRec::TArmRec(int sstID, SignalType st, int32_t flags, std::string dispName)
    : FsstID(sstID), FDispName(std::move(dispName)), Fst(st), fl(flags) {
    fl.Operation(FSet, bfl_TxtAbsent);
    fl.Operation(FSet, bfl_KpAbsent);
    fl.Operation(FSet, bfl_CifAbsent);
}

void TArmRec::SetParam(int kpID, std::string KKS, int KPAddr, std::optional<TTitBound> range, int ctrlObjAddr,
                       int ctrlASDUAddr, int sigObjAddr, int sigASDUAddr) {
    FKpID = kpID;
    FKKS = std::move(KKS);
    FKPAddr = KPAddr;
    pTitBound1 = range;
    FCtrlObjAddr = ctrlObjAddr;
    FCtrlASDUAddr = ctrlASDUAddr;
    FSigObjAddr = sigObjAddr;
    FSigASDUAddr = sigASDUAddr;
}

double TArmRec::RawToEng(double raw) const {
    if (!pTitBound1) return raw;
    const TTitBound& b = *pTitBound1;
    const double d = b.RawMax - b.RawMin;
    if (d > 0) return b.EngMin + (raw - b.RawMin) * (b.EngMax - b.EngMin) / d;
    return raw;
}

TArmRec* TArmSignals::AddRec(int sstID, SignalType st, int32_t flags, const std::string& dispName) {
    if (FCount() >= kCapacity) return nullptr;
    records_.push_back(std::make_unique<TArmRec>(sstID, st, flags, dispName));
    return records_.back().get();
}

TArmRec* TArmSignals::GetRec(int index) {
    return index >= 0 && index < FCount() ? records_[static_cast<size_t>(index)].get() : nullptr;
}

const TArmRec* TArmSignals::GetRec(int index) const {
    return index >= 0 && index < FCount() ? records_[static_cast<size_t>(index)].get() : nullptr;
}

}  // namespace iec
