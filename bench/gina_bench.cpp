// One EnableGina run on a simulated machine.
#include <benchmark/benchmark.h>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_platform.h"
#include "runtime/action_table.h"

namespace {

using namespace veltra;

constexpr const char* kWinlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

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


}  // namespace
