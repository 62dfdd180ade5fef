// One EnableGina run on a simulated machine, and a whole installation road.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

#include "cli/machine_folder.h"
#include "cli/roads.h"
#include "cli/sample_machine.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_platform.h"
#include "runtime/action_table.h"

namespace {

namespace fs = std::filesystem;
using namespace veltra;

constexpr const char* kWinlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

struct ScratchFolder {
    fs::path path = fs::temp_directory_path() / ("veltra-bench-" + std::to_string(::getpid()));
    ScratchFolder() { fs::create_directories(path); }
    ~ScratchFolder() { fs::remove_all(path); }
};

// A chain through two products whose files exist, so the walk follows links.
void EnableGinaOverAChain(benchmark::State& state) {
    sim::Machine machine;
    machine.environment["SystemRoot"] = "C:\\WINDOWS";
    for (const char* file : {"msgina.dll", "ctxgina.dll", "NnGina.dll"}) {
        sim::PutDriveFile(machine, std::string("C:\\WINDOWS\\system32\\") + file, "MZ");
    }
    auto setString = [&](const std::string& key, const char* name, const std::string& value) {
        std::vector<std::uint8_t> data(value.begin(), value.end());
        data.push_back(0);
        machine.registry.CreateKey(key)->SetValue(name, platform::kRegSz, data);
    };
    const runtime::ActionEntry& enable = *runtime::FindAction("EnableGina");
    machine.session.deferred = true;
    machine.session.properties["CustomActionData"] = "C:\\Agent\\KeshGina.dll;2";
    for (auto _ : state) {
        state.PauseTiming();
        setString(kWinlogon, "GinaDLL", "ctxgina.dll");
        setString(kWinlogon, "CtxGinaDLL", "NnGina.dll");
        setString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Nortel Networks\\Contivity\\Client", "NextGinaToChain", "msgina.dll");
        state.ResumeTiming();
        sim::SimPlatform sim(machine);
        benchmark::DoNotOptimize(runtime::RunAction(enable, sim.platform()));
    }
}
BENCHMARK(EnableGinaOverAChain)->Unit(benchmark::kMicrosecond);

// The interactive installation road on the sample machine: the test
// package's sequences run by the simulated installer, without the snapshots
// the bench takes for its report (the package is read once).
void InstallRoad(benchmark::State& state) {
    ScratchFolder scratch;
    std::string error;
    cli::WriteSampleMachine(scratch.path / "sample", cli::SampleKind::Plain, error);
    const cli::Road& road = *cli::FindRoad("install");
    const auto package = sim::engine::ReadPackage(cli::BenchPackage(), error);
    if (!package) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto loaded = cli::LoadedMachine::Open(scratch.path / "sample", error);
        state.ResumeTiming();
        benchmark::DoNotOptimize(cli::RunRoad(road, *package, loaded->machine()));
        state.PauseTiming();
        loaded.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(InstallRoad)->Unit(benchmark::kMicrosecond);

}  // namespace
