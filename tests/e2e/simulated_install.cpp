#include "simulated_install.h"

#include "platform/sim/sim_files.h"

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

std::optional<std::string> SimulatedInstall::ReadFile(const std::string& windowsPath) const {
    return sim::ReadDriveFile(machine(), windowsPath);
}

void SimulatedInstall::MakeFolder(const std::string& windowsPath) { sim::MakeDriveFolder(machine(), windowsPath); }

}  // namespace veltra::e2e
