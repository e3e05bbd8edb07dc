// Subscription throughput, CreateMonitoredItems scaling and memory per monitored item, measured through the
// whole protocol path (requests encoded, chunked, decoded; responses built and chunked) with simulated time.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <malloc.h>

#include "opcua/server/random_source.h"
#include "opcua/server/tag_model.h"
#include "opcua/server/ua_server.h"
#include "ua_test_client.h"

namespace {
// Heap bytes in use (glibc's allocator statistics), for the memory per monitored item.
int64_t HeapInUse() { return static_cast<int64_t>(mallinfo2().uordblks); }
}  // namespace

namespace {

using namespace iec::ua;

struct Bench {
    TagModel model;
    TagStore tags;
    AddressSpace space;
    SequenceRandom random;
    ServerConfig config;
    std::unique_ptr<UaServer> server;
    std::unique_ptr<test::TestClient> client;
    uint32_t subscription = 0;

    explicit Bench(int variables) {
        model.AddGroup(80001, "Station");
        for (int i = 0; i < variables; ++i) {
            model.AddVariable(i + 1, "v" + std::to_string(i), TagType::Double, 80001, false, tags);
            tags.SetValue(model.SlotOf(i + 1), 10, 0, 0.0, 0, 1, 1);
        }
        model.BuildAddressSpace(space);
        server = std::make_unique<UaServer>(config, space, tags, random, nullptr, Now{0, 133500000000000000LL});
        client = std::make_unique<test::TestClient>(*server);
        client->Open();
        client->StartSession();
    }

    void CreateSubscription(double interval) {
        BinaryWriter w = test::Request(787, client->token());
        w.F64(interval);
        w.U32(100);
        w.U32(10);
        w.U32(0);
        w.Boolean(true);
        w.U8(0);
        auto response = client->Call(w);
        BinaryReader r = response->Fields();
        subscription = r.U32();
    }

    // Creates monitored items on variables first..first+count-1, in calls of at most 5000.
    void Monitor(int first, int count) {
        for (int at = 0; at < count; at += 5000) {
            int n = std::min(5000, count - at);
            BinaryWriter w = test::Request(751, client->token());
            w.U32(subscription);
            w.U32(0);
            w.I32(n);
            for (int i = 0; i < n; ++i) {
                WriteNodeId(w, NodeId::Numeric(1, static_cast<uint32_t>(first + at + i)));
                w.U32(13);
                w.NullString();
                WriteQualifiedName(w, {});
                w.U32(2);
                w.U32(static_cast<uint32_t>(at + i));
                w.F64(-1);  // sample at the publishing interval
                w.U8(0);
                w.U8(0);
                w.U8(0);
                w.U32(1);
                w.Boolean(true);
            }
            client->Call(w);
        }
    }

    void Publish() {
        BinaryWriter w = test::Request(826, client->token());
        w.I32(0);
        client->Call(w);
    }
};

// 10 000 items all changing every 200 ms; publishing interval 200 ms; notifications per second of processing
// time, and the processing time per 200 ms cycle as a share of the cycle (the load it puts on one core).
void BM_DataChangeNotifications(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    Bench b(items);
    b.CreateSubscription(200);
    b.Monitor(1, items);
    for (int i = 0; i < 4; ++i) b.Publish();
    int64_t notifications = 0;
    double value = 0;
    for (auto _ : state) {
        value += 1;
        for (int i = 0; i < items; ++i) b.tags.SetValue(b.model.SlotOf(i + 1), 10, 0, value, 0, 2, 2);
        // 200 ms of server ticks at 20 ms.
        for (int t = 0; t < 10; ++t) {
            b.client->now().mono_ms += 20;
            b.client->now().utc += 200000;
            b.server->Tick(b.client->now());
            for (const auto& r : b.client->TakeResponses()) {
                BinaryReader f = r.Fields();
                f.U32();
                f.Skip(4 * f.ArrayLength(4));
                f.Boolean();
                f.U32();
                f.I64();
                if (f.ArrayLength(1) == 1) {
                    ExtensionObject e = ReadExtensionObject(f);
                    BinaryReader body(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(e.body.data()),
                                                               e.body.size()));
                    notifications += static_cast<int64_t>(body.ArrayLength(1));
                }
                b.Publish();
            }
        }
    }
    state.counters["notifications_per_s"] =
        benchmark::Counter(static_cast<double>(notifications), benchmark::Counter::kIsRate);
    state.counters["notifications_per_cycle"] =
        static_cast<double>(notifications) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DataChangeNotifications)->Arg(10000)->Unit(benchmark::kMillisecond);

// CreateMonitoredItems for n items: the time must grow like n (log n at most), not n^2.
void BM_CreateMonitoredItems(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto b = std::make_unique<Bench>(items);
        b->CreateSubscription(200);
        state.ResumeTiming();
        b->Monitor(1, items);
        state.PauseTiming();
        b.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(items);
}
BENCHMARK(BM_CreateMonitoredItems)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// Heap bytes per monitored item once it holds its last sampled value and nothing is queued.
void BM_MemoryPerMonitoredItem(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    double per_item = 0;
    for (auto _ : state) {
        Bench b(items);
        b.CreateSubscription(200);
        int64_t before = HeapInUse();
        b.Monitor(1, items);
        b.Publish();
        for (int t = 0; t < 15; ++t) {
            b.client->now().mono_ms += 20;
            b.server->Tick(b.client->now());
            b.client->TakeResponses();
        }
        per_item = static_cast<double>(HeapInUse() - before) / items;
    }
    state.counters["bytes_per_item"] = per_item;
}
BENCHMARK(BM_MemoryPerMonitoredItem)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
