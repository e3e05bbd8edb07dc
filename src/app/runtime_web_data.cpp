#include "app/runtime_web_data.h"

#include "iec101/polling_thread.h"
#include "model/server_settings.h"
#include "platform/ini_file.h"

namespace iec {

std::optional<WebStation> RuntimeWebData::Station(int number) const {
    const T_KP* kp = rt_.stations.Station(number);
    if (kp == nullptr) return std::nullopt;
    WebStation s;
    s.NameKP = kp->NameKP;
    // The publication pass writes the link state under the tag table's lock.
    s.Connected = rt_.tags.ReadAll([&](const std::vector<TIndent>&, const std::vector<double>&, int) {
        return kp->Connected;
    });
    s.PereschetTI = kp->PereschetTI;
    s.Time_To_OPC = kp->Time_To_OPC;
    s.Popravka_Time = kp->Popravka_Time;
    s.Kol_TI = kp->Kol_TI;
    s.Kol_TS = kp->Kol_TS;
    s.IecDeviceVV = kp->IecDeviceVV;
    return s;
}

void RuntimeWebData::ForEachSignal(const std::function<void(const WebSignal&)>& visit) const {
    std::vector<std::shared_ptr<TOpros_device>> threads;
    {
        std::lock_guard lock(rt_.threads_mutex);
        threads = rt_.Threads_arr;
    }
    if (!rt_.ArmSignals) return;
    for (const auto& t : threads) {
        if (!t) continue;
        const TTagSignalList& list = t->TagSignalList2;
        for (int j = 0; j < list.FCount(); ++j) {
            TTagSignal* g = list.GetTag(j);
            const TArmRec* r = g ? rt_.ArmSignals->GetRec(g->FIndArm) : nullptr;
            if (r == nullptr) continue;
            WebSignal s;
            s.Name = g->Name;
            s.FsstID = r->FsstID;
            s.Fst = r->Fst;
            s.FSigASDUAddr = r->FSigASDUAddr;
            s.FSigObjAddr = r->FSigObjAddr;
            const ArmValue v = g->GetArmValue();
            s.value = v.value;
            s.quality = v.quality;
            s.time = v.hasTime ? v.time : DateTime();
            s.real = v.real;
            s.RawToEng = [r](double x) { return r->RawToEng(x); };
            visit(s);
        }
    }
}

std::string RuntimeWebData::TransferPassword() const {
    return IniFile(rt_.ProgramFolder / kSettingsFileName).ReadString("pwd", "pwd", "");
}

}  // namespace iec
