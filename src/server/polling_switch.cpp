#include "server/polling_switch.h"

#include <fstream>

#include "iec101/polling_thread.h"
#include "model/common_address.h"
#include "model/station_file.h"
#include "model/tag_category.h"
#include "server/tag_numbering.h"
#include "model/text_routines.h"
#include "platform/cp1251.h"

namespace iec {
namespace {

// A station belongs to a channel with the same port string; a TCP station also needs the same TCP port.
bool SameChannel(const std::string& port, int tcp_port, const T_KP& kp) {
    return port == kp.IecDeviceVV.ComPort && (kp.RTU_TCP != 1 || tcp_port == kp.PortTCP);
}

// The thread a station joins: the last one of its channel.
int FindThread(const std::vector<std::shared_ptr<TOpros_device>>& threads, const std::vector<int>& thread_tcp_port,
               const T_KP& kp) {
    int found = 0;
    for (size_t a = 1; a < threads.size(); ++a) {
        if (SameChannel(threads[a]->Port, thread_tcp_port[a], kp)) found = static_cast<int>(a);
    }
    return found;
}

struct ChannelPlan {
    int threads = 0;
    int most_stations = 0;
    std::string busiest;
};

// Groups the stations as the start will, without creating anything, to check the limits first.
ChannelPlan PlanChannels(const StationTable& st) {
    struct Channel {
        std::string port;
        int tcp_port;
        int stations;
    };
    std::vector<Channel> channels;
    for (int i = 1; i <= st.Kol_KP; ++i) {
        const T_KP& kp = *st.Station(i);
        int found = -1;
        for (size_t a = 0; a < channels.size(); ++a) {
            if (SameChannel(channels[a].port, channels[a].tcp_port, kp)) found = static_cast<int>(a);
        }
        if (found < 0) {
            channels.push_back({kp.IecDeviceVV.ComPort, kp.PortTCP, 1});
        } else {
            ++channels[static_cast<size_t>(found)].stations;
        }
    }
    ChannelPlan plan;
    plan.threads = static_cast<int>(channels.size());
    for (const auto& c : channels) {
        if (c.stations > plan.most_stations) {
            plan.most_stations = c.stations;
            plan.busiest = c.port;
        }
    }
    return plan;
}

std::string CheckLimits(const Runtime& rt) {
    const StationTable& st = rt.stations;
    if (st.Kol_KP > PollingLimits::kStations) {
        return "Слишком много КП: " + std::to_string(st.Kol_KP) + " (не более " +
               std::to_string(PollingLimits::kStations) + ")";
    }
    const ChannelPlan plan = PlanChannels(st);
    if (plan.threads > PollingLimits::kThreads) {
        return "Слишком много каналов связи: " + std::to_string(plan.threads) + " (не более " +
               std::to_string(PollingLimits::kThreads) + ")";
    }
    if (plan.most_stations > PollingLimits::kStationsPerThread) {
        return "Слишком много КП на канале " + plan.busiest + ": " + std::to_string(plan.most_stations) +
               " (не более " + std::to_string(PollingLimits::kStationsPerThread) + ")";
    }
    const int signals = rt.NSignalsTS + rt.NSignalsTIT;
    if (signals > PollingLimits::kSignals) {
        return "Слишком много сигналов: " + std::to_string(signals) + " (не более " +
               std::to_string(PollingLimits::kSignals) + ")";
    }
    const int slots = TagSlotsNeeded(st);
    if (slots > PollingLimits::kTagSlots) {
        return "Слишком много тегов: " + std::to_string(slots) + " (не более " +
               std::to_string(PollingLimits::kTagSlots) + ")";
    }
    return {};
}

// Registers the signals of station s in thread t. Returns false when the configured-signal list is full.
bool Add_KP_Signals(Runtime& rt, TOpros_device& t, int s, int& ranges_in_thread) {
    const T_KP& kp = *rt.stations.Station(s);
    const int sst = s + 1000;
    const int link = kp.IecDeviceVV.LinkAddress;
    for (int j = 1; j <= kp.Kol_TS && static_cast<size_t>(j) < kp.TS_arr.size(); ++j) {
        const T_TS& ts = kp.TS_arr[static_cast<size_t>(j)];
        const std::string name = Strip_Quotes(ts.NameTS);
        TArmRec* r = rt.ArmSignals->AddRec(sst, stTS, kFlagsTS, name);
        if (r == nullptr) return false;
        r->SetParam(1, "", link, std::nullopt, ts.AdrIOA_TU, ts.AdrASDU_TU, ts.AdrIOA, ts.AdrASDU);
        TTagSignal g;
        g.SetParam_2(link, ts.AdrASDU, rt.ArmSignals->FCount() - 1, TagCategoryList().GetPtc(0), name, ts.AdrIOA);
        t.TagSignalList2.AddTag(g);
    }
    for (int j = 1; j <= kp.Kol_TI && static_cast<size_t>(j) < kp.TI_arr.size(); ++j) {
        const T_TI& ti = kp.TI_arr[static_cast<size_t>(j)];
        const std::string name = Strip_Quotes(ti.NameTI);
        TArmRec* r = rt.ArmSignals->AddRec(sst, stTIT, kFlagsTS, name);
        if (r == nullptr) return false;
        std::optional<TTitBound> range;
        // Beyond 7000 ranges in one thread a measured value is published unscaled.
        if (ranges_in_thread < 7000) {
            range = TTitBound(0, 0, 0, 0, ti.Max_Eng_Diap, ti.Min_Eng_Diap, ti.Max_TM_Diap, ti.Min_TM_Diap);
            ++ranges_in_thread;
        }
        r->SetParam(1, "", link, range, 0, 0, ti.AdrIOA, ti.AdrASDU);
        TTagSignal g;
        g.SetParam_2(link, ti.AdrASDU, rt.ArmSignals->FCount() - 1, TagCategoryList().GetPtc(1), name, ti.AdrIOA);
        t.TagSignalList2.AddTag(g);
    }
    return true;
}

void CopyStationRow(const T_KP& kp, int station, T_KP_thred& row) {
    row.NameKP = kp.NameKP;
    row.ASDU_Adr = kp.ASDU_Adr;
    row.NomerPC = station;
    row.RTU_TCP = kp.RTU_TCP;
    row.PortTCP = kp.PortTCP;
    row.CommonAddress = InterrogationCommonAddress(kp).address;
    row.IecDeviceVV = kp.IecDeviceVV;
}

}  // namespace

void Calc_Kol_Signals(Runtime& rt) {
    rt.NSignalsTS = 0;
    rt.NSignalsTIT = 0;
    for (int i = 1; i <= rt.stations.Kol_KP; ++i) {
        rt.NSignalsTS += rt.stations.Station(i)->Kol_TS;
        rt.NSignalsTIT += rt.stations.Station(i)->Kol_TI;
    }
}

PollingStart Start_Opros(Runtime& rt, bool start_threads) {
    PollingStart result;
    Stop_Opros(rt);
    const ConfigReport report = Read_Config(rt.stations, rt.opc_ua, rt.StationFilePath(), rt.ProgramFolder);
    if (report.HasErrors()) {
        for (const auto& p : report.problems) {
            if (p.severity == ConfigProblem::Severity::Error) {
                result.refusal = p.ToString();
                break;
            }
        }
        return result;
    }
    Calc_Kol_Signals(rt);
    if (std::string why = CheckLimits(rt); !why.empty()) {
        result.refusal = why;
        return result;
    }
    if (!rt.ArmSignals) rt.ArmSignals = std::make_unique<TArmSignals>();
    rt.ArmSignals->Clear();
    rt.tags.Write([](std::vector<TIndent>& tags, std::vector<double>&, int&) {
        for (size_t i = 1; i < tags.size(); ++i) {
            tags[i].FirstOpros = true;
            tags[i].Quality = 5;
        }
    });

    // Every station joins a thread first; the threads start only when all of them are complete.
    std::vector<std::shared_ptr<TOpros_device>> threads(1);
    std::vector<int> thread_tcp_port(1, 0);
    std::vector<int> ranges(1, 0);
    rt.polling_context = std::make_shared<PollingContext>(PollingContext{
        rt.clock, rt.ProgramFolder, rt.settings.Save_Obmen_v_File, rt.Timeout_Merc230_live, rt.redundancy,
        &rt.Save_Obmen_v_File_live});
    for (int i = 1; i <= rt.stations.Kol_KP; ++i) {
        T_KP& kp = *rt.stations.Station(i);
        int a = FindThread(threads, thread_tcp_port, kp);
        if (a == 0) {
            a = static_cast<int>(threads.size());
            auto t = std::make_shared<TOpros_device>(a, *rt.polling_context);
            t->Port = kp.IecDeviceVV.ComPort;
            if (kp.RTU_TCP == 1 && !kp.IecDeviceVV.ComPort.empty()) {
                t->Host_Thread = kp.IecDeviceVV.ComPort;
                t->Port_Thread = kp.PortTCP;
            }
            t->RTU_TCP_Thread = kp.RTU_TCP;
            threads.push_back(std::move(t));
            thread_tcp_port.push_back(kp.PortTCP);
            ranges.push_back(0);
        }
        TOpros_device& t = *threads[static_cast<size_t>(a)];
        const int k = ++t.Kol_Devices_In_Thread;
        kp.Nomer_Thread_ = a;
        kp.NomerPC_in_Thread = k;
        CopyStationRow(kp, i, t.dev_Thread[static_cast<size_t>(k)]);
        if (!Add_KP_Signals(rt, t, i, ranges[static_cast<size_t>(a)])) {
            result.refusal = "Слишком много сигналов (не более " + std::to_string(TArmSignals::kCapacity) + ")";
            return result;
        }
    }
    Number_Tags(rt);
    if (start_threads) {
        for (size_t a = 1; a < threads.size(); ++a) threads[a]->Start();
    }
    {
        std::lock_guard lock(rt.threads_mutex);
        rt.Threads_arr = std::move(threads);
        rt.Kol_Threads = static_cast<int>(rt.Threads_arr.size()) - 1;
    }
    if (rt.opc_ua.OPC_UA_use && rt.opc_ua_server) {
        result.opc_ua = rt.opc_ua_server->Build(rt).message;
        if (rt.Save_Obmen_v_File_live && rt.OPC_UA_Started) Write_Log_Line(rt, "start OPC_UA", "log_104.txt");
    }
    result.started = true;
    return result;
}

void Stop_Opros(Runtime& rt) {
    // The server first: a client's write must not arm a command in a thread that is going away.
    if (rt.opc_ua_server) rt.opc_ua_server->Stop(rt);
    std::vector<std::shared_ptr<TOpros_device>> threads;
    {
        std::lock_guard lock(rt.threads_mutex);
        threads.swap(rt.Threads_arr);
        rt.Kol_Threads = 0;
    }
    for (auto& t : threads) {
        if (t) t->Terminate();
    }
    for (auto& t : threads) {
        if (t) t->Stop();
    }
}

PollingStart Begin_Opros(Runtime& rt) {
    if (rt.Opros_On) return Start_Opros(rt);
    Stop_Opros(rt);
    return {};
}

bool ExecuteTU(Runtime& rt, int tag, bool command) {
    if (tag == 0) return false;
    TagSlot slot;
    if (!rt.tags.Read(tag, slot)) return false;
    const int th = slot.tag.Nomer_Th;
    std::lock_guard lock(rt.threads_mutex);
    if (th < 1 || th >= static_cast<int>(rt.Threads_arr.size()) || !rt.Threads_arr[static_cast<size_t>(th)]) {
        return false;
    }
    return rt.Threads_arr[static_cast<size_t>(th)]->ArmTU(slot.tag.NomerKP_in_Thread, slot.tag.Asdu_Adr_TU,
                                                          slot.tag.Obj_addr_TU, slot.tag.Type_tu_1, command);
}

bool ArmTU(Runtime& rt, int tag, bool command) { return ExecuteTU(rt, tag, command); }

bool RequestTelecontrol(Runtime& rt, int tag, bool command) {
    if (rt.redundancy.ReserveIdle()) {
        if (auto outlet = rt.GetReserveCommandOutlet()) {
            outlet->ForwardToMain(tag, command);
            return true;
        }
        return false;
    }
    return ExecuteTU(rt, tag, command);
}

void Write_Log_Line(const Runtime& rt, const std::string& text, const std::string& file_name) {
    std::ofstream out(rt.ProgramFolder / file_name, std::ios::binary | std::ios::app);
    if (!out) return;
    out << Utf8ToCp1251(text) << "\r\n";
}

}  // namespace iec
