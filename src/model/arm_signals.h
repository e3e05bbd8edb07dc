// Configured-signal records: one per status signal and measured value of every station, rebuilt at every polling
// start from the station table. Built on the main thread before the polling threads start; read-only afterwards.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/flag.h"
#include "model/signal_type.h"

namespace iec {

// A measured value's ranges: raw (as transmitted), engineering, warning and alarm limits.
struct TTitBound {
    TTitBound() = default;
    // The argument order is the one the records have always been created with.
    TTitBound(double AvarMax, double AvarMin, double PredMax, double PredMin, double EngMax, double EngMin,
              double RawMax, double RawMin)
        : RawMin(RawMin), RawMax(RawMax), EngMin(EngMin), EngMax(EngMax), PredMin(PredMin), PredMax(PredMax),
          AvarMin(AvarMin), AvarMax(AvarMax) {}

    double RawMin = 0, RawMax = 0, EngMin = 0, EngMax = 0;
    double PredMin = 0, PredMax = 0, AvarMin = 0, AvarMax = 0;
};

class TArmRec {
public:
    // A new record carries bfl_TxtAbsent, bfl_KpAbsent and bfl_CifAbsent besides the given flags, all addresses 0
    // and no range.
    TArmRec(int sstID, SignalType st, int32_t flags, std::string dispName);

    void SetParam(int kpID, std::string KKS, int KPAddr, std::optional<TTitBound> range, int ctrlObjAddr,
                  int ctrlASDUAddr, int sigObjAddr, int sigASDUAddr);

    // Raw value to engineering units: unchanged without a range or when RawMax is not above RawMin.
    double RawToEng(double raw) const;
    // True when the signal has a command (both command addresses non-zero).
    bool GetprTU() const { return FCtrlASDUAddr != 0 && FCtrlObjAddr != 0; }

    int FsstID;
    int FKpID = 1;
    std::string FDispName;
    SignalType Fst;
    std::string FKKS;
    int FKPAddr = 0;
    int FSigASDUAddr = 0;
    int FSigObjAddr = 0;
    int FCtrlASDUAddr = 0;
    int FCtrlObjAddr = 0;
    std::optional<TTitBound> pTitBound1;
    TFlagArm fl;
};

class TArmSignals {
public:
    static constexpr int kCapacity = 10000;

    // The new record, or nullptr when kCapacity records are already held (the caller reports the limit).
    TArmRec* AddRec(int sstID, SignalType st, int32_t flags, const std::string& dispName);
    // The record at index 0..FCount-1, or nullptr.
    TArmRec* GetRec(int index);
    const TArmRec* GetRec(int index) const;
    void Clear() { records_.clear(); }
    int FCount() const { return static_cast<int>(records_.size()); }

private:
    std::vector<std::unique_ptr<TArmRec>> records_;
};

}  // namespace iec
