// A machine folder on disk, opened for the bench: registry.reg, drives/ and
// machine.json. The folder is read once into memory and the run works there,
// so the input folder is never changed; --out writes the machine as it stands
// afterwards.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/sim/machine.h"
#include "platform/sim/regfile.h"

namespace veltra::cli {

class LoadedMachine {
public:
    // Reads the folder's drives, registry and machine.json. nullptr with a
    // message naming the file (and line, for registry.reg) when the folder is
    // malformed.
    static std::unique_ptr<LoadedMachine> Open(const std::filesystem::path& folder,
                                               std::string& error);
    ~LoadedMachine();
    LoadedMachine(const LoadedMachine&) = delete;
    LoadedMachine& operator=(const LoadedMachine&) = delete;

    sim::Machine& machine() { return *machine_; }
    sim::RegFormat registryFormat() const { return format_; }

    // Writes registry.reg (in the format it was read in), drives/ and
    // machine.json to a folder (created or replaced).
    bool SaveTo(const std::filesystem::path& folder, std::string& error) const;

private:
    LoadedMachine() = default;
    std::unique_ptr<sim::Machine> machine_;
    sim::RegFormat format_ = sim::RegFormat::Version5;
};

// A machine folder's drives/: one folder per drive letter ("C", "D"), read
// into the tree (into empty drives only) or written from it. False with a
// message naming the host path on failure.
bool LoadDrives(const std::filesystem::path& folder, sim::DriveTree& drives, std::string& error);
bool SaveDrives(const sim::DriveTree& drives, const std::filesystem::path& folder, std::string& error);

}  // namespace veltra::cli
