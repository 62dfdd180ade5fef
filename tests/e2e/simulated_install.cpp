#include "simulated_install.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_platform.h"
#include "runtime/action_table.h"

namespace veltra::e2e {

std::unique_ptr<SimulatedInstall> SimulatedInstall::Open(const std::filesystem::path& machineFolder,
                                                         std::string& error) {
    auto loaded = cli::LoadedMachine::Open(machineFolder, error);
    if (!loaded) return nullptr;
    return std::unique_ptr<SimulatedInstall>(new SimulatedInstall(std::move(loaded)));
}

void SimulatedInstall::PutFile(const std::string& windowsPath, std::string_view content) {
    const auto host = sim::HostPathForCreate(machine(), windowsPath);
    if (!host) return;
    std::filesystem::create_directories(host->parent_path());
    std::ofstream(*host, std::ios::binary) << content;
}

void SimulatedInstall::DeleteFile(const std::string& windowsPath) {
    if (const auto host = sim::HostPath(machine(), windowsPath)) {
        std::error_code ignored;
        std::filesystem::remove(*host, ignored);
    }
}

std::optional<std::string> SimulatedInstall::ReadFile(const std::string& windowsPath) const {
    const auto host = sim::HostPath(machine(), windowsPath);
    if (!host || !std::filesystem::is_regular_file(*host)) return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SimulatedInstall::MakeFolder(const std::string& windowsPath) {
    if (const auto host = sim::HostPathForCreate(machine(), windowsPath)) {
        std::error_code ignored;
        std::filesystem::create_directories(*host, ignored);
    }
}

platform::Dword SimulatedInstall::RunImmediate(std::string_view action) {
    const runtime::ActionEntry* entry = runtime::FindAction(action);
    if (entry == nullptr) return platform::kErrorInstallFailure;
    sim::SimPlatform platform(machine());
    return runtime::RunAction(*entry, platform.platform());
}

platform::Dword SimulatedInstall::RunDeferred(std::string_view action,
                                              const std::string& customActionData) {
    sim::Machine& state = machine();
    const auto saved = state.session.properties;
    state.session.deferred = true;
    state.session.properties["CustomActionData"] = customActionData;
    const platform::Dword result = RunImmediate(action);
    state.session.deferred = false;
    state.session.properties = saved;
    return result;
}

}  // namespace veltra::e2e
