// Cost of one publication pass per signal, with the signals spread over 40 channels of 5 stations each; the
// per-signal figure at 1 000 and at 10 000 signals shows whether the pass is linear. Also the resident memory of
// a polling start with 10 000 configured signals, and the pass again with the OPC UA server running (the real
// library, no client), whose ratio to the plain pass is the cost of publishing through OPC UA.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "iec101/polling_thread.h"
#include "server/polling_switch.h"
#include "server/publication.h"
#include "model/station_file.h"
#include "opcua/opc_ua_bridge.h"

namespace {

namespace fs = std::filesystem;

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

struct Server {
    explicit Server(int signals, bool opc_ua = false)
        : dir(fs::temp_directory_path() / ("bench_publication_" + std::to_string(signals))) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        iec::StationTable t;
        iec::OpcUaSettings ua;
        ua.OPC_UA_use = opc_ua;
        ua.OPC_UA_Port = 47101;
        const int stations = 200;
        const int per_station = signals / stations;
        t.Kol_KP = stations;
        for (int i = 1; i <= stations; ++i) {
            iec::T_KP& kp = t.KP_arr[static_cast<size_t>(i)];
            kp.NameKP = "KP" + std::to_string(i);
            kp.IecDeviceVV.ComPort = "COM" + std::to_string((i - 1) / 5 + 1);
            kp.IecDeviceVV.LinkAddress = i;
            kp.PereschetTI = true;
            for (int j = 0; j < per_station; ++j) {
                if (j % 2 == 0) {
                    iec::T_TS& s = kp.AddTS();
                    s.NameTS = "S" + std::to_string(j);
                    s.AdrIOA = j + 1;
                } else {
                    iec::T_TI& m = kp.AddTI();
                    m.NameTI = "M" + std::to_string(j);
                    m.AdrIOA = j + 1;
                    m.Max_TM_Diap = 32767;
                    m.Max_Eng_Diap = 100;
                }
            }
        }
        iec::Write_Config(t, ua, 10, dir / iec::kStationFileName, dir);
        rt = std::make_unique<iec::Runtime>(clock, dir);
        if (opc_ua) {
            rt->opc_ua_server = std::make_shared<iec::OpcUaBridge>([](const fs::path&, std::string& why) {
                return iec::UaLibrary::Load({OPC_UA3_DIR}, why);
            });
        }
        before_kb = ResidentKb();
        ok = iec::Start_Opros(*rt, false).started && (!opc_ua || rt->OPC_UA_Started);
        after_kb = ResidentKb();
        rt->redundancy.Use_Reserv = true;  // change lines too
    }
    ~Server() {
        iec::Stop_Opros(*rt);
        fs::remove_all(dir);
    }
    fs::path dir;
    iec::ManualClock clock;
    std::unique_ptr<iec::Runtime> rt;
    long before_kb = 0, after_kb = 0;
    bool ok = false;
};

void Pass(benchmark::State& state, bool opc_ua) {
    Server s(static_cast<int>(state.range(0)), opc_ua);
    if (!s.ok) {
        state.SkipWithError("polling start refused");
        return;
    }
    for (auto _ : state) {
        iec::Out_Tags_To_OPC(*s.rt);
        std::lock_guard lock(s.rt->Rezerv_Send_Buf_mutex);
        s.rt->Rezerv_Send_Buf.clear();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["process_rss_kb"] = static_cast<double>(s.after_kb);
}

void BM_PublicationPass(benchmark::State& state) { Pass(state, false); }
void BM_PublicationPassWithOpcUa(benchmark::State& state) { Pass(state, true); }
BENCHMARK(BM_PublicationPass)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PublicationPassWithOpcUa)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
