// The simulated machine of a scenario: the machine folder a Wine prefix is
// seeded from, opened as the bench opens it, with its files at hand.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/machine_folder.h"
#include "platform/types.h"

namespace veltra::e2e {

class SimulatedInstall {
public:
    // nullptr with a message when the folder is not a machine.
    static std::unique_ptr<SimulatedInstall> Open(const std::filesystem::path& machineFolder,
                                                  std::string& error);

    const sim::RegistryTree& registry() const { return loaded_->machine().registry; }
    sim::Machine& machine() { return loaded_->machine(); }
    const sim::Machine& machine() const { return loaded_->machine(); }

    // Files by Windows path, created or read on the machine's drives.
    void PutFile(const std::string& windowsPath, std::string_view content);
    // The file's bytes, or nullopt when there is no such file.
    std::optional<std::string> ReadFile(const std::string& windowsPath) const;
    // A folder and its parents, as the installer finds them on a machine.
    void MakeFolder(const std::string& windowsPath);

private:
    explicit SimulatedInstall(std::unique_ptr<cli::LoadedMachine> loaded)
        : loaded_(std::move(loaded)) {}
    std::unique_ptr<cli::LoadedMachine> loaded_;
};

}  // namespace veltra::e2e
