// Load over real lines: N polling threads, each polling one station of its own sim101 process over loopback TCP,
// for a few seconds of real time. Prints the CPU time (user + system, from getrusage) our process spends per
// exchange, for 1 and for 40 channels, and what share of one core that is.
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "iec101/polling_thread.h"
#include "model/tag_category.h"
#include "sim101_process.h"

namespace {

double CpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void Run(int channels, int seconds, bool log) {
    iec::OffsetClock clock;
    std::atomic<int> t230{10};
    iec::RedundancyState redundancy;
    std::atomic<bool> log_on{log};
    iec::PollingContext ctx{clock, {}, true, t230, redundancy, &log_on};
    std::atomic<long> exchanges{0};
    std::vector<std::unique_ptr<iec::sim::test::Sim101Process>> sims;
    std::vector<std::unique_ptr<iec::TOpros_device>> threads;
    for (int c = 0; c < channels; ++c) {
        sims.push_back(std::make_unique<iec::sim::test::Sim101Process>(std::vector<std::string>{
            "--tcp", "0", "--station", "1", "--point", "M_ME_NB:100-131=5", "--spont-rate", "5"}));
        const std::string ready = sims.back()->WaitLine("ready tcp 127.0.0.1 ");
        auto t = std::make_unique<iec::TOpros_device>(c + 1, ctx);
        t->RTU_TCP_Thread = 1;
        t->Host_Thread = "127.0.0.1";
        t->Port_Thread = std::stoi(ready.substr(20));
        t->Kol_Devices_In_Thread = 1;
        t->dev_Thread[1].NameKP = "KP";
        t->dev_Thread[1].IecDeviceVV.LinkAddress = 1;
        t->dev_Thread[1].IecDeviceVV.Interval_opros_100 = 1;
        for (int a = 100; a < 132; ++a) {
            iec::TTagSignal s;
            s.SetParam_2(1, 1, 0, iec::TagCategoryList().GetPtc(1), "M" + std::to_string(a), a);
            t->TagSignalList2.AddTag(s);
        }
        // With the log on, its lines go to a tap that keeps nothing (no file).
        t->Log().SetTap([](const std::string&) {});
        threads.push_back(std::move(t));
    }
    for (auto& t : threads) t->Start();
    std::this_thread::sleep_for(std::chrono::seconds(1));  // link start-up and first interrogation
    // Exchanges answered: the checked frames the link layers took.
    auto answered = [&] {
        long sum = 0;
        for (auto& t : threads) sum += static_cast<long>(t->Link(1)->counters.framesTaken.load());
        return sum;
    };
    const long e0 = answered();
    const double cpu0 = CpuSeconds();
    const auto w0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu = CpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
    const long n = answered() - e0;
    for (auto& t : threads) t->Stop();
    std::printf("%2d channels, exchange log %s: %6ld exchanges in %.1f s, %.1f us CPU per exchange, %.2f %% of one core\n", channels,
                log ? "on " : "off", n, wall, n ? cpu * 1e6 / static_cast<double>(n) : 0.0, 100.0 * cpu / wall);
    (void)exchanges;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    for (const bool log : {false, true}) {
        Run(1, seconds, log);
        Run(40, seconds, log);
    }
    return 0;
}
