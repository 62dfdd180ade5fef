// The coexistence code's registry tree copy and delete, through the registry
// port of the simulated machine, for trees of N values up to a million: the
// complexity fit shows whether they stay linear in N.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "coexistence/key_tree.h"
#include "platform/sim/machine.h"
#include "platform/sim/sim_platform.h"

namespace {

using veltra::platform::kHkeyLocalMachine;

constexpr const char* kSource = "SOFTWARE\\Veltra Security\\Veltra Security Center\\Pages";
constexpr const char* kCopy = "SOFTWARE\\Veltra Security\\Backup\\Pages";
constexpr int kValuesPerKey = 10;
constexpr int kKeysPerFolder = 100;

// N values: ten string values per page key, a hundred page keys per tab
// (or, with valuesPerKey = N, every value in the one key).
void FillTree(veltra::sim::Machine& machine, int values, int valuesPerKey) {
    machine.registry.DeleteKeyTree(std::string("HKEY_LOCAL_MACHINE\\") + kSource);
    const auto root = machine.registry.CreateKey(std::string("HKEY_LOCAL_MACHINE\\") + kSource);
    std::shared_ptr<veltra::sim::RegNode> tab, page;
    for (int i = 0; i < values; ++i) {
        const int key = i / valuesPerKey;
        if (i % valuesPerKey == 0) {
            if (key % kKeysPerFolder == 0) tab = root->CreateSubkey("Tab" + std::to_string(key / kKeysPerFolder));
            page = tab->CreateSubkey("Page " + std::to_string(key % kKeysPerFolder));
        }
        const std::string text = "C:\\Program Files\\Veltra Security\\Page" + std::to_string(i) + ".dll";
        std::vector<std::uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        page->SetValue("PathFile" + std::to_string(i % valuesPerKey), 1, std::move(data));
    }
}

void BM_CopyKeyTree(benchmark::State& state, bool oneKey) {
    const int values = static_cast<int>(state.range(0));
    veltra::sim::Machine machine;
    veltra::sim::SimPlatform sim(machine);
    FillTree(machine, values, oneKey ? values : kValuesPerKey);
    for (auto _ : state) {
        const auto result = veltra::coexistence::CopyKeyTree(sim.platform(), kHkeyLocalMachine, kSource, kCopy);
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        machine.registry.DeleteKeyTree(std::string("HKEY_LOCAL_MACHINE\\") + kCopy);
        machine.standardOutput.clear();
        state.ResumeTiming();
    }
    state.SetComplexityN(values);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * values);
}

void BM_DeleteKeyTree(benchmark::State& state) {
    const int values = static_cast<int>(state.range(0));
    veltra::sim::Machine machine;
    veltra::sim::SimPlatform sim(machine);
    for (auto _ : state) {
        state.PauseTiming();
        FillTree(machine, values, kValuesPerKey);
        state.ResumeTiming();
        const auto result = veltra::coexistence::DeleteKeyTree(sim.platform(), kHkeyLocalMachine, kSource);
        benchmark::DoNotOptimize(result);
    }
    state.SetComplexityN(values);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * values);
}

void TreeSizes(benchmark::internal::Benchmark* b) {
    b->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

BENCHMARK_CAPTURE(BM_CopyKeyTree, PageKeys, false)->Apply(TreeSizes);
BENCHMARK_CAPTURE(BM_CopyKeyTree, OneKey, true)->Apply(TreeSizes);
BENCHMARK(BM_DeleteKeyTree)->Apply(TreeSizes);

}  // namespace
