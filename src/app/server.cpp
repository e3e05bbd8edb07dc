#include "app/server.h"

#include <chrono>
#include <thread>
#include <vector>

#include "app/runtime_web_data.h"
#include "server/polling_switch.h"
#include "server/publication.h"
#include "model/runtime.h"
#include "opcua/opc_ua_bridge.h"
#include "web/web_server.h"

namespace iec {
namespace {

// Reports each station whose link changed since the last pass.
class LinkWatch {
public:
    void Report(const Runtime& rt, std::ostream& err) {
        const int n = rt.stations.Kol_KP;
        if (static_cast<int>(last_.size()) != n + 1) last_.assign(static_cast<size_t>(n) + 1, -1);
        for (int i = 1; i <= n; ++i) {
            const T_KP& kp = *rt.stations.Station(i);
            const int now = kp.Connected ? 1 : 0;
            int& was = last_[static_cast<size_t>(i)];
            if (was != now && (was != -1 || now == 1)) {
                err << rt.clock.Now().FormatDisplay() << " station " << i << " \"" << kp.NameKP << "\": "
                    << (now ? "link up" : "link down") << std::endl;
            }
            was = now;
        }
    }

private:
    std::vector<int> last_;
};

}  // namespace

int RunServer(const ServerOptions& options, const std::atomic<bool>& stop, std::ostream& err) {
    Runtime rt(SystemClock::Instance(), options.folder, options.exe_name);
    const StartUpOutcome start = StartUp(rt);
    for (const auto& p : start.config.problems) err << p.ToString() << std::endl;
    err << rt.Time_Start.FormatDisplay() << " iec101opc started in " << options.folder.string() << ": "
        << rt.stations.Kol_KP << " stations" << (rt.Config_Mode ? ", configurator mode" : "") << std::endl;

    auto opc_ua = std::make_shared<OpcUaBridge>();
    rt.opc_ua_server = opc_ua;
    if (start.start_polling) {
        const PollingStart p = Begin_Opros(rt);
        if (p.started) {
            err << rt.clock.Now().FormatDisplay() << " polling started: " << rt.Kol_Threads << " channels, "
                << rt.NSignalsTS << " status signals, " << rt.NSignalsTIT << " measured values" << std::endl;
            if (!p.opc_ua.empty()) err << rt.clock.Now().FormatDisplay() << " " << p.opc_ua << std::endl;
        } else {
            rt.Opros_On = false;
            err << rt.clock.Now().FormatDisplay() << " polling not started: " << p.refusal << std::endl;
        }
    }

    RuntimeWebData web_data(rt);
    WebServer web(web_data);
    if (rt.Opros_On && rt.settings.UseWebServer) {
        // A port that cannot be opened leaves the server without its pages; polling goes on.
        const std::string why = web.Start(rt.settings.Port_WebServ);
        if (why.empty()) {
            err << rt.clock.Now().FormatDisplay() << " web server on port " << web.Port() << std::endl;
        } else {
            err << rt.clock.Now().FormatDisplay() << " web server not started: " << why << std::endl;
        }
    }

    LinkWatch links;
    auto next = std::chrono::steady_clock::now();
    while (!stop.load()) {
        next += std::chrono::milliseconds(200);
        if (rt.Opros_On) {
            Out_Tags_To_OPC(rt);
            links.Report(rt, err);
            if (const std::string m = opc_ua->TakeEndMessage(); !m.empty()) {
                err << rt.clock.Now().FormatDisplay() << " " << m << std::endl;
            }
        }
        std::this_thread::sleep_until(next);
    }

    web.Stop();
    rt.Opros_On = false;
    Stop_Opros(rt);
    err << rt.clock.Now().FormatDisplay() << " iec101opc stopped" << std::endl;
    return 0;
}

}  // namespace iec
