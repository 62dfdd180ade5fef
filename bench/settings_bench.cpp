// The settings store on its largest class, NetworkSettings (41 values, three
// 1024-byte binary values): a load, an unforced save with one change, a
// forced save of everything, and the upgrade's copy into the per-user key.
// Each runs on a registry that holds only the agent's keys and on one with
// 10,000 other product keys beside them, to show that the store's cost does
// not grow with the hive.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/machine.h"
#include "platform/sim/sim_platform.h"
#include "settings/network_settings.h"

namespace {

using namespace veltra;
using settings::NetworkSettings;
using settings::NetworkValue;

const std::string kNetworkKey = std::string("HKEY_LOCAL_MACHINE\\") + settings::kNetworkSettingsKey;

// A simulated machine whose network key holds every value of the class.
class Bench {
public:
    explicit Bench(int otherKeys) {
        machine_ = std::make_unique<sim::Machine>();
        auto software = machine_->registry.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE");
        for (int i = 0; i < otherKeys; ++i) {
            software->CreateSubkey("Vendor" + std::to_string(i / 1000))
                ->CreateSubkey("Product" + std::to_string(i % 1000))
                ->SetValue("Version", 4, {1, 0, 0, 0});
        }
        auto key = machine_->registry.CreateKey(kNetworkKey);
        for (std::size_t row = 0; row < settings::kNetworkValues.size(); ++row) {
            const settings::ValueInfo& info = settings::kNetworkValues[row];
            switch (info.stored) {
                case settings::StoredAs::kDword: key->SetValue(info.name, 4, {static_cast<std::uint8_t>(row), 0, 0, 0}); break;
                case settings::StoredAs::kBinary: key->SetValue(info.name, 3, std::vector<std::uint8_t>(1000, 0x5A)); break;
                default: {
                    const std::string text = std::string(info.name).substr(0, 6);
                    std::vector<std::uint8_t> data(text.begin(), text.end());
                    data.push_back(0);
                    key->SetValue(info.name, 1, data);
                }
            }
        }
        platform_ = std::make_unique<sim::SimPlatform>(*machine_);
        context_ = std::make_unique<settings::SettingsContext>(platform_->platform().registry);
    }
    ~Bench() {
        context_.reset();
        platform_.reset();
        machine_.reset();
    }

    settings::SettingsContext& context() { return *context_; }

private:
    std::unique_ptr<sim::Machine> machine_;
    std::unique_ptr<sim::SimPlatform> platform_;
    std::unique_ptr<settings::SettingsContext> context_;
};

constexpr std::int64_t kValues = 41;

void BM_NetworkSettingsLoad(benchmark::State& state) {
    Bench bench(static_cast<int>(state.range(0)));
    NetworkSettings network(bench.context());
    for (auto _ : state) {
        network.Load(settings::kNetworkSettingsKey, false);
        benchmark::DoNotOptimize(network.Number(NetworkValue::Server));
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}

void BM_NetworkSettingsSaveOneChange(benchmark::State& state) {
    Bench bench(static_cast<int>(state.range(0)));
    NetworkSettings network(bench.context());
    network.Load(settings::kNetworkSettingsKey, false);
    network.Number(NetworkValue::KeshClientPort) = 5500;
    for (auto _ : state) network.SaveChanged();  // the snapshot stays: every pass writes the one value
    state.SetItemsProcessed(state.iterations());
}

void BM_NetworkSettingsSaveAll(benchmark::State& state) {
    Bench bench(static_cast<int>(state.range(0)));
    NetworkSettings network(bench.context());
    network.Load(settings::kNetworkSettingsKey, false);
    for (auto _ : state) network.SaveAll();
    state.SetItemsProcessed(state.iterations() * kValues);
}

// The upgrade capture: load from the machine, save everything under the user.
void BM_NetworkSettingsCopyToUser(benchmark::State& state) {
    Bench bench(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        NetworkSettings network(bench.context());
        network.Load(settings::kNetworkSettingsKey, false);
        network.Save("SOFTWARE\\VeltraAgentUpgrade\\KVNETWORK", true, true);
    }
    state.SetItemsProcessed(state.iterations() * kValues);
}

BENCHMARK(BM_NetworkSettingsLoad)->Arg(0)->Arg(10000);
BENCHMARK(BM_NetworkSettingsSaveOneChange)->Arg(0)->Arg(10000);
BENCHMARK(BM_NetworkSettingsSaveAll)->Arg(0)->Arg(10000);
BENCHMARK(BM_NetworkSettingsCopyToUser)->Arg(0)->Arg(10000);

}  // namespace
