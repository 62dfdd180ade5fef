// The simulated registry at machine-snapshot sizes: .reg read and write of a
// large hive, tree copy and diff, and the port's enumeration, each measured
// at several sizes so that the complexity fit shows whether it stays linear.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/sim/regfile.h"
#include "platform/sim/sim_registry.h"

namespace {

using veltra::sim::RegFormat;
using veltra::sim::RegistryTree;

constexpr int kProductsPerVendor = 1000;
constexpr int kValuesPerKey = 4;

std::vector<std::uint8_t> Sz(const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

// keys products under HKLM\SOFTWARE\VendorNN\ProductNNNN, each with a string,
// a DWORD, a 16-byte binary and an expandable string (four values per key).
RegistryTree MakeHive(int keys) {
    RegistryTree tree;
    const auto software = tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE");
    for (int i = 0; i < keys; ++i) {
        const auto vendor = software->CreateSubkey("Vendor" + std::to_string(i / kProductsPerVendor));
        const auto product = vendor->CreateSubkey("Product" + std::to_string(i % kProductsPerVendor));
        product->SetValue("InstallPath", 1, Sz("C:\\Program Files\\Vendor\\Product " + std::to_string(i)));
        product->SetValue("Version", 4,
                          {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 0, 0});
        product->SetValue("Signature", 3, std::vector<std::uint8_t>(16, static_cast<std::uint8_t>(i)));
        product->SetValue("DataPath", 2, Sz("%ProgramData%\\Vendor\\" + std::to_string(i)));
    }
    return tree;
}

void SetCounters(benchmark::State& state, int keys, std::size_t bytes) {
    state.SetComplexityN(keys);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * keys * kValuesPerKey);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
    state.counters["keys"] = keys;
}

void BM_WriteRegFile(benchmark::State& state, RegFormat format) {
    const int keys = static_cast<int>(state.range(0));
    const RegistryTree tree = MakeHive(keys);
    std::size_t size = 0;
    for (auto _ : state) {
        const auto bytes = veltra::sim::WriteRegFile(tree, format);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    SetCounters(state, keys, size);
}

void BM_ApplyRegFile(benchmark::State& state, RegFormat format) {
    const int keys = static_cast<int>(state.range(0));
    const auto bytes = veltra::sim::WriteRegFile(MakeHive(keys), format);
    for (auto _ : state) {
        RegistryTree tree;
        const auto error = veltra::sim::ApplyRegFile(tree, bytes);
        if (error) state.SkipWithError(error->message.c_str());
        benchmark::DoNotOptimize(tree);
    }
    SetCounters(state, keys, bytes.size());
}

void BM_TreeCopy(benchmark::State& state) {
    const int keys = static_cast<int>(state.range(0));
    const RegistryTree tree = MakeHive(keys);
    for (auto _ : state) {
        RegistryTree copy = tree;
        benchmark::DoNotOptimize(copy);
    }
    SetCounters(state, keys, 0);
}

// One key in a hundred gains a value, one in a hundred loses its subtree.
void BM_DiffTrees(benchmark::State& state) {
    const int keys = static_cast<int>(state.range(0));
    const RegistryTree before = MakeHive(keys);
    RegistryTree after = before;
    for (int i = 0; i < keys; i += 100) {
        const std::string product = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" + std::to_string(i / kProductsPerVendor) +
                                    "\\Product" + std::to_string(i % kProductsPerVendor);
        after.FindKey(product)->SetValue("Added", 4, {1, 0, 0, 0});
        if (i + 50 < keys) {
            after.DeleteKeyTree("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor" + std::to_string((i + 50) / kProductsPerVendor) +
                                "\\Product" + std::to_string((i + 50) % kProductsPerVendor));
        }
    }
    std::size_t changes = 0;
    for (auto _ : state) {
        const auto diff = veltra::sim::DiffTrees(before, after);
        changes = diff.size();
        benchmark::DoNotOptimize(diff.data());
    }
    SetCounters(state, keys, 0);
    state.counters["changes"] = static_cast<double>(changes);
}

// Filling one key with many values and reading each back: the value index
// keeps this linear in the number of values.
void BM_ManyValuesInOneKey(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back("Value" + std::to_string(i));
    for (auto _ : state) {
        veltra::sim::RegNode node("Key");
        for (const std::string& name : names) node.SetValue(name, 4, {0, 0, 0, 0});
        for (const std::string& name : names) benchmark::DoNotOptimize(node.FindValue(name));
    }
    state.SetComplexityN(count);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * count);
}

// RegEnumKeyExA from index 0 upwards over one key with many subkeys, as the
// tree copy of the coexistence code walks a key.
void BM_EnumKeyEx(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    RegistryTree tree;
    const auto parent = tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Many");
    for (int i = 0; i < count; ++i) parent->CreateSubkey("Sub" + std::to_string(i));
    veltra::sim::Faults faults;
    veltra::sim::Trace trace;
    veltra::sim::SimRegistry registry(tree, faults, trace);
    veltra::platform::HKey key{};
    registry.OpenKeyEx(veltra::platform::kHkeyLocalMachine, "SOFTWARE\\Many", veltra::platform::kKeyRead, &key);
    char name[260];
    for (auto _ : state) {
        for (veltra::platform::Dword i = 0;; ++i) {
            veltra::platform::Dword cch = sizeof name;
            if (registry.EnumKeyEx(key, i, name, &cch) != 0) break;
        }
    }
    registry.CloseKey(key);
    state.SetComplexityN(count);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * count);
}

// 6 250 to 50 000 keys (25 000 to 200 000 values).
void HiveSizes(benchmark::internal::Benchmark* b) {
    b->Arg(6250)->Arg(12500)->Arg(25000)->Arg(50000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

BENCHMARK_CAPTURE(BM_WriteRegFile, Version5, RegFormat::Version5)->Apply(HiveSizes);
BENCHMARK_CAPTURE(BM_WriteRegFile, Regedit4, RegFormat::Regedit4)->Apply(HiveSizes);
BENCHMARK_CAPTURE(BM_ApplyRegFile, Version5, RegFormat::Version5)->Apply(HiveSizes);
BENCHMARK_CAPTURE(BM_ApplyRegFile, Regedit4, RegFormat::Regedit4)->Apply(HiveSizes);
BENCHMARK(BM_TreeCopy)->Apply(HiveSizes);
BENCHMARK(BM_DiffTrees)->Apply(HiveSizes);
BENCHMARK(BM_ManyValuesInOneKey)->RangeMultiplier(10)->Range(10, 10000)->Complexity(benchmark::oN);
BENCHMARK(BM_EnumKeyEx)->RangeMultiplier(10)->Range(100, 100000)->Complexity(benchmark::oN);

}  // namespace
