// One polling thread object driven by the test: manual clock, pauses that only advance it, the exchange log
// collected in memory, and the simulator's protocol core at the far end of the line.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "iec101/polling_thread.h"
#include "model/tag_category.h"
#include "platform/pauser.h"
#include "sim_line.h"

namespace iec::test {

struct StationRow {
    std::string name;
    int link_address = 5;
    int sizes[4] = {1, 1, 1, 2};  // link, cause, common, object
    int gi_minutes = 5;
    int ci_minutes = 0;
    int read_minutes = 0;
    int polls = 10;
    int qu = 0;
};

class PollingHarness {
public:
    PollingHarness(const std::string& sim_config, std::vector<StationRow> rows)
        : ctx{clock, {}, true, t230, redundancy}, thread(1, ctx) {
        thread.Kol_Devices_In_Thread = static_cast<int>(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            T_KP_thred& r = thread.dev_Thread[i + 1];
            r.NameKP = rows[i].name.empty() ? "КП" + std::to_string(i + 1) : rows[i].name;
            TIecDeviceVV& v = r.IecDeviceVV;
            v.LinkAddress = rows[i].link_address;
            v.sz_LinkAddress = rows[i].sizes[0];
            v.sz_PrichinaPeredachi = rows[i].sizes[1];
            v.sz_ASDUAddress = rows[i].sizes[2];
            v.sz_InfObjAddress = rows[i].sizes[3];
            v.Interval_opros_100 = rows[i].gi_minutes;
            v.Interval_opros_counters_101 = rows[i].ci_minutes;
            v.Interval_opros_address_102 = rows[i].read_minutes;
            v.opros_na_ustr = rows[i].polls;
            v.bit_QU = rows[i].qu;
        }
        auto owned = std::make_unique<SimLine>(sim_config, clock);
        line = owned.get();
        thread.SetLine(std::move(owned));
        thread.SetPauser(pauser);
        thread.Log().SetTap([this](const std::string& l) { log.push_back(l); });
    }

    // A signal of the thread's list: status (category 0) or measured value (category 1).
    void AddSignal(int link, int common, int object, bool status, const std::string& name) {
        TTagSignal s;
        s.SetParam_2(link, common, 0, TagCategoryList().GetPtc(status ? 0 : 1), name, object);
        thread.TagSignalList2.AddTag(s);
    }

    void Begin() {
        thread.Prepare();
        thread.InitDueTimes();
    }
    // One turn of the station in slot n.
    void Turn(int n = 1) {
        thread.Tekush_Nomer = n;
        thread.OprosDevice(*thread.Device(n));
    }
    int LogCount(const std::string& needle) const {
        int c = 0;
        for (const auto& l : log) c += l.find(needle) != std::string::npos;
        return c;
    }
    TTagSignal* Signal(int link, int common, int object) { return thread.TagSignalList2.FindTag(link, common, object); }

    ManualClock clock{DateTime::Compose({2026, 3, 5, 10, 0, 0})};
    ClockPauser pauser{clock};
    std::atomic<int> t230{10};
    RedundancyState redundancy;
    PollingContext ctx;
    TOpros_device thread;
    SimLine* line = nullptr;
    std::vector<std::string> log;
};

}  // namespace iec::test
