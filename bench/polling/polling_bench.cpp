// Processing cost of the polling procedure per exchange, against the simulator's protocol core in process (its
// cost is included, so the figure is an upper bound of ours). The counter "line_share_9600" relates it to the line
// time of the same exchange at 9600 baud: a 5-octet request and a 5-octet answer of 11 bits per octet.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "polling_harness.h"

namespace {

constexpr double kLineSecondsPerExchange = 10 * 11 / 9600.0;

void BM_TurnOfClass2Exchanges(benchmark::State& state) {
    iec::test::PollingHarness h("station 5\npoint M_SP_NA:1=on\npoint M_ME_NB:100=1\n", {iec::test::StationRow{}});
    h.AddSignal(5, 5, 1, true, "S");
    h.AddSignal(5, 5, 100, false, "M");
    h.thread.Log().SetTap(nullptr);
    h.Begin();
    h.clock.AdvanceMs(20);
    h.Turn();
    h.Turn();
    int64_t exchanges = 0;
    for (auto _ : state) {
        const size_t before = h.line->writes.size();
        h.Turn();
        exchanges += static_cast<int64_t>(h.line->writes.size() - before);
        if (h.line->writes.size() > 100000) h.line->writes.clear();
    }
    state.counters["exchanges"] = benchmark::Counter(static_cast<double>(exchanges), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(exchanges);
}
BENCHMARK(BM_TurnOfClass2Exchanges)->Unit(benchmark::kMicrosecond);

// Spontaneous measured values: every exchange carries user data that is decoded into the signals.
void BM_TurnWithDataEveryExchange(benchmark::State& state) {
    iec::test::PollingHarness h("station 5\nspont-rate 1000\npoint M_ME_NB:100-163=1\n", {iec::test::StationRow{}});
    for (int a = 100; a < 164; ++a) h.AddSignal(5, 5, a, false, "M" + std::to_string(a));
    h.thread.Log().SetTap(nullptr);
    h.Begin();
    h.clock.AdvanceMs(20);
    h.Turn();
    h.Turn();
    int64_t exchanges = 0;
    for (auto _ : state) {
        h.clock.AdvanceMs(50);
        const size_t before = h.line->writes.size();
        h.Turn();
        exchanges += static_cast<int64_t>(h.line->writes.size() - before);
        if (h.line->writes.size() > 100000) h.line->writes.clear();
    }
    state.SetItemsProcessed(exchanges);
}
BENCHMARK(BM_TurnWithDataEveryExchange)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("line time of one exchange at 9600 baud: %.1f us; divide the time per item above by it for the "
                "share our processing adds\n",
                kLineSecondsPerExchange * 1e6);
    return 0;
}
