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

struct ServerSession::Impl {
    Impl(const ServerOptions& options, std::ostream& err)
        : err(err), rt(SystemClock::Instance(), options.folder, options.exe_name), web_data(rt), web(web_data) {}

    std::ostream& err;
    Runtime rt;
    std::shared_ptr<OpcUaBridge> opc_ua;
    RuntimeWebData web_data;
    WebServer web;
    LinkWatch links;
    bool running = false;
};

ServerSession::ServerSession(const ServerOptions& options, std::ostream& err)
    : impl_(std::make_unique<Impl>(options, err)) {}

ServerSession::~ServerSession() { Stop(); }

bool ServerSession::Polling() const { return impl_->rt.Opros_On.load(); }

void ServerSession::Start() {
    Runtime& rt = impl_->rt;
    std::ostream& err = impl_->err;
    impl_->running = true;
    const StartUpOutcome start = StartUp(rt);
    for (const auto& p : start.config.problems) err << p.ToString() << std::endl;
    err << rt.Time_Start.FormatDisplay() << " iec101opc started in " << rt.ProgramFolder.string() << ": "
        << rt.stations.Kol_KP << " stations" << (rt.Config_Mode ? ", configurator mode" : "") << std::endl;

    impl_->opc_ua = std::make_shared<OpcUaBridge>();
    rt.opc_ua_server = impl_->opc_ua;
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

    if (rt.Opros_On && rt.settings.UseWebServer) {
        // A port that cannot be opened leaves the server without its pages; polling goes on.
        const std::string why = impl_->web.Start(rt.settings.Port_WebServ);
        if (why.empty()) {
            err << rt.clock.Now().FormatDisplay() << " web server on port " << impl_->web.Port() << std::endl;
        } else {
            err << rt.clock.Now().FormatDisplay() << " web server not started: " << why << std::endl;
        }
    }
}

void ServerSession::Tick() {
    Runtime& rt = impl_->rt;
    if (!impl_->running || !rt.Opros_On) return;
    Out_Tags_To_OPC(rt);
    impl_->links.Report(rt, impl_->err);
    if (const std::string m = impl_->opc_ua->TakeEndMessage(); !m.empty()) {
        impl_->err << rt.clock.Now().FormatDisplay() << " " << m << std::endl;
    }
}

void ServerSession::Stop() {
    if (!impl_->running) return;
    impl_->running = false;
    Runtime& rt = impl_->rt;
    impl_->web.Stop();
    rt.Opros_On = false;
    Stop_Opros(rt);
    impl_->err << rt.clock.Now().FormatDisplay() << " iec101opc stopped" << std::endl;
}

int RunServer(const ServerOptions& options, const std::atomic<bool>& stop, std::ostream& err) {
    ServerSession session(options, err);
    session.Start();
    auto next = std::chrono::steady_clock::now();
    while (!stop.load()) {
        next += std::chrono::milliseconds(200);
        session.Tick();
        std::this_thread::sleep_until(next);
    }
    session.Stop();
    return 0;
}

}  // namespace iec
