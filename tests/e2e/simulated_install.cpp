#include "simulated_install.h"

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
    sim::PutDriveFile(machine(), windowsPath, content);
}

void SimulatedInstall::DeleteFile(const std::string& windowsPath) { sim::RemoveDriveFile(machine(), windowsPath); }

std::optional<std::string> SimulatedInstall::ReadFile(const std::string& windowsPath) const {
    return sim::ReadDriveFile(machine(), windowsPath);
}

void SimulatedInstall::MakeFolder(const std::string& windowsPath) { sim::MakeDriveFolder(machine(), windowsPath); }

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
