// Building the measured-value page with every row (/titek.php?p_ti=all): the cost of the empty page and of one
// more row, from 0 to 10 000 rows over 40 stations, as the dispatcher builds it and as the response encodes it.
// The figure to read is the time per row ("per_row") and how it stays flat as the rows grow.
#include <benchmark/benchmark.h>

#include "fake_web_data.h"
#include "web/web_dispatch.h"
#include "web/web_request.h"

namespace {

using iec::test::FakeWebData;

FakeWebData Rows(int n) {
    FakeWebData d;
    for (int k = 1; k <= 40; ++k) d.AddStation("ПС-" + std::to_string(k), k % 7 != 0).PereschetTI = k % 2 == 0;
    for (int i = 0; i < n; ++i) {
        const int station = 1 + i % 40;
        iec::WebSignal& s = d.AddSignal(station, iec::stTIT, "Напряжение фазы A ввод " + std::to_string(i), 1000 + i);
        s.real = 1234.5 + i;
        s.quality = static_cast<uint8_t>(i % 3 == 0 ? 255 : 0);
        s.time = iec::DateTime(46000.5 + i * iec::DateTime::kOneSecond);
        s.RawToEng = [](double raw) { return raw * 0.01; };
    }
    return d;
}

void SetCounters(benchmark::State& state, size_t bytes) {
    const double rows = static_cast<double>(state.range(0));
    state.counters["rows"] = rows;
    state.counters["page_kB"] = static_cast<double>(bytes) / 1024.0;
    if (rows > 0) {
        state.counters["per_row"] =
            benchmark::Counter(rows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    }
}

void BM_TitekAllBuild(benchmark::State& state) {
    FakeWebData d = Rows(static_cast<int>(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        const iec::WebDispatchResult r = iec::Web_Dispatch(d, "/titek.php", "p_ti=all");
        bytes = r.Body.size();
        benchmark::DoNotOptimize(r.Body.data());
    }
    SetCounters(state, bytes);
}

void BM_TitekAllResponse(benchmark::State& state) {
    FakeWebData d = Rows(static_cast<int>(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        const iec::WebResponse r = iec::IdHTTPServer1CommandGet(d, "/titek.php", "p_ti=all", "");
        bytes = r.Body.size();
        benchmark::DoNotOptimize(r.Body.data());
    }
    SetCounters(state, bytes);
}

BENCHMARK(BM_TitekAllBuild)->Arg(0)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TitekAllResponse)->Arg(0)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
