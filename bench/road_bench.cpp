// Whole installation roads on the sample machine: the test package's
// sequences run by the simulated installer, without the snapshots the bench
// takes for its report (the package is read once). The silent installation
// and the removal are the pair scripts/ratio.sh sets against Wine's msiexec.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

#include "cli/machine_folder.h"
#include "cli/roads.h"
#include "cli/sample_machine.h"
#include "platform/sim/sim_files.h"

namespace {

namespace fs = std::filesystem;
using namespace veltra;

struct ScratchFolder {
    fs::path path = fs::temp_directory_path() / ("veltra-bench-" + std::to_string(::getpid()));
    ScratchFolder() { fs::create_directories(path); }
    ~ScratchFolder() { fs::remove_all(path); }
};

// The sample machine and the bench package, with the options file a quiet
// installation reads beside the package.
struct RoadBench {
    ScratchFolder scratch;
    std::optional<sim::engine::Package> package;
    std::string error;

    explicit RoadBench(benchmark::State& state) {
        cli::WriteSampleMachine(scratch.path / "sample", cli::SampleKind::Plain, error);
        package = sim::engine::ReadPackage(cli::BenchPackage(), error);
        if (!package) state.SkipWithError(error.c_str());
    }
    std::unique_ptr<cli::LoadedMachine> Machine() {
        auto loaded = cli::LoadedMachine::Open(scratch.path / "sample", error);
        sim::PutDriveFile(loaded->machine(), "C:\\Package\\packageOptionsFile.txt", "InstallSilentLAC=1\r\n");
        return loaded;
    }
    sim::engine::InstallOutcome Run(const char* road, sim::Machine& machine) {
        return cli::RunRoad(*cli::FindRoad(road), *package, machine);
    }
};

void Road(benchmark::State& state, const char* road) {
    RoadBench bench(state);
    if (!bench.package) return;
    for (auto _ : state) {
        state.PauseTiming();
        auto loaded = bench.Machine();
        state.ResumeTiming();
        benchmark::DoNotOptimize(bench.Run(road, loaded->machine()));
        state.PauseTiming();
        loaded.reset();
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(Road, InstallRoad, "install")->Name("InstallRoad")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Road, SilentRoad, "silent")->Name("SilentRoad")->Unit(benchmark::kMicrosecond);

// The removal of what the silent road installed.
void RemoveRoad(benchmark::State& state) {
    RoadBench bench(state);
    if (!bench.package) return;
    for (auto _ : state) {
        state.PauseTiming();
        auto loaded = bench.Machine();
        if (bench.Run("silent", loaded->machine()).result != 0) {
            state.SkipWithError("the silent road did not install");
            return;
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(bench.Run("remove", loaded->machine()));
        state.PauseTiming();
        loaded.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(RemoveRoad)->Unit(benchmark::kMicrosecond);

}  // namespace
