// Decoding cost per information element: ASDUs of 1, 10 and 100 elements of the common types into a thread's list
// of 10 000 signals. The ns/elem counter is the figure to compare; it must not grow with the list.
#include <benchmark/benchmark.h>

#include <map>
#include <vector>

#include "iec101/asdu_decode.h"
#include "model/tag_category.h"

namespace {

using namespace iec;

constexpr int kSignals = 10000;

// A thread's list of `count` signals of station 5, addresses 1..count; built once per size.
TTagSignalList& Signals(int count = kSignals) {
    static std::map<int, TTagSignalList> lists;
    auto [it, added] = lists.try_emplace(count);
    if (added) {
        for (int a = 1; a <= count; ++a) {
            TTagSignal s;
            s.SetParam_2(5, 5, a, TagCategoryList().GetPtc(0), "S" + std::to_string(a), a);
            it->second.AddTag(s);
        }
    }
    return it->second;
}

TIecDevice Station() {
    TIecDevice d;
    d.LinkAddress = 5;
    d.KPAddress2 = 5;
    d.sz_LinkAddress = 1;
    d.sz_PrichinaPeredachi = 1;
    d.sz_ASDUAddress = 1;
    d.sz_InfObjAddress = 2;
    return d;
}

// n elements with their own addresses (SQ = 0), spread over the list so the look-ups do not stay in one place.
std::vector<uint8_t> Objects(const TTypeIdent& t, int n, int signals = kSignals) {
    std::vector<uint8_t> data;
    for (int k = 0; k < n; ++k) {
        const int address = 1 + (k * 97) % signals;
        data.push_back(static_cast<uint8_t>(address));
        data.push_back(static_cast<uint8_t>(address >> 8));
        for (int i = 0; i < t.objlen; ++i) data.push_back(static_cast<uint8_t>(k + i));
        const uint8_t tag[7] = {0x39, 0x30, 0x0A, 0x09, 0x05, 0x03, 0x18};  // 05-03-2024 09:10:12.345
        for (int i = 0; i < t.timelen; ++i) data.push_back(tag[i]);
    }
    return data;
}

void Decode(benchmark::State& state, NameTypeIdent name, int signals = kSignals) {
    const TTypeIdent& t = *TypeIdentList().FindTypeIdent(name);
    const int n = static_cast<int>(state.range(0));
    TIecDevice dev = Station();
    TTagSignalList& list = Signals(signals);
    TIEC_ASDU asdu(dev, t.Code, n, 3, Objects(t, n, signals), 0);
    const DateTime now(45000.5);
    AsduCounters counters;
    for (auto _ : state) {
        ReceiveRaspak(asdu, dev, 1, list, now, &counters);
        benchmark::ClobberMemory();
    }
    if (counters.badLength != 0 || counters.noSignal != 0) state.SkipWithError("elements not decoded");
    state.SetItemsProcessed(state.iterations() * n);
    // Seconds per element, shown with its SI prefix ("45n" = 45 ns).
    state.counters["per_elem"] = benchmark::Counter(
        static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void SinglePoint(benchmark::State& s) { Decode(s, M_SP_NA); }
void SinglePointTime(benchmark::State& s) { Decode(s, M_SP_TB); }
void DoublePoint(benchmark::State& s) { Decode(s, M_DP_NA); }
void Normalized(benchmark::State& s) { Decode(s, M_ME_NA); }
void Scaled(benchmark::State& s) { Decode(s, M_ME_NB); }
void Float(benchmark::State& s) { Decode(s, M_ME_NC); }
void FloatTime(benchmark::State& s) { Decode(s, M_ME_TF); }
void Counter(benchmark::State& s) { Decode(s, M_IT_NA); }
// 100 floats into lists of 100, 1 000 and 10 000 signals: the cost per element must stay flat.
void FloatByListSize(benchmark::State& s) { Decode(s, M_ME_NC, static_cast<int>(s.range(1))); }

BENCHMARK(SinglePoint)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(SinglePointTime)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(DoublePoint)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(Normalized)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(Scaled)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(Float)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(FloatTime)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(Counter)->Arg(1)->Arg(10)->Arg(100);
BENCHMARK(FloatByListSize)->Args({100, 100})->Args({100, 1000})->Args({100, 10000});

}  // namespace
