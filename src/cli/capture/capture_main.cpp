// agentca-capture.exe OUTDIR: copies what the custom-action library reads
// and writes on this machine into a machine folder that the bench loads as
// it is (registry.reg, drives/, machine.json), so that a road can be played
// on a copy of the machine before it is run on the machine itself.
//
// It only reads: keys are opened for reading, files for reading, services
// for querying; the one thing it writes is OUTDIR. Secrets are masked.
#include <cstdio>
#include <exception>
#include <string>

#include "cli/capture/capture.h"
#include "cli/capture/win32_inventory.h"
#include "cli/machine_json.h"
#include "platform/sim/regfile.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_versions.h"

namespace veltra::capture {
namespace {

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OutputFile = std::unique_ptr<std::FILE, CloseFile>;

bool MakeFolder(const std::string& path) {
    if (::CreateDirectoryA(path.c_str(), nullptr)) return true;
    return ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteBytes(const std::string& path, std::string_view bytes) {
    OutputFile file(std::fopen(path.c_str(), "wb"));
    return file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
           std::fflush(file.get()) == 0;
}

bool WriteFolder(const sim::DriveEntry& folder, const std::string& path, std::string& error) {
    if (!MakeFolder(path)) {
        error = path + ": cannot be created";
        return false;
    }
    for (const auto& child : folder.children) {
        const std::string childPath = path + "\\" + child->name;
        if (child->folder ? !WriteFolder(*child, childPath, error) : !WriteBytes(childPath, *child->bytes)) {
            if (error.empty()) error = childPath + ": cannot be written";
            return false;
        }
    }
    return true;
}

// OUTDIR must be new or empty: a capture never mixes with older files.
bool UsableOutput(const std::string& folder) {
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
    return ::PathIsDirectoryEmptyA(folder.c_str()) != FALSE;
}

bool WriteMachineFolder(const sim::Machine& machine, const std::string& folder, std::string& error) {
    if (!MakeFolder(folder) || !MakeFolder(folder + "\\drives")) {
        error = folder + ": cannot be created";
        return false;
    }
    {
        OutputFile reg(std::fopen((folder + "\\registry.reg").c_str(), "wb"));
        bool written = static_cast<bool>(reg);
        if (written) {
            sim::WriteRegFile(machine.registry, sim::RegFormat::Version5, [&](std::span<const std::uint8_t> piece) {
                written = written && std::fwrite(piece.data(), 1, piece.size(), reg.get()) == piece.size();
            });
            written = written && std::fflush(reg.get()) == 0;
        }
        if (!written) {
            error = folder + "\\registry.reg: cannot be written";
            return false;
        }
    }
    for (const auto& drive : machine.drives.drives()) {
        if (!WriteFolder(*drive, folder + "\\drives\\" + drive->name, error)) return false;
    }
    // machine.json is UTF-8; text that is not (ANSI beyond ASCII) is shown
    // with the replacement character rather than refused.
    const std::string json =
        cli::MachineToJson(machine).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (!WriteBytes(folder + "\\machine.json", json)) {
        error = folder + "\\machine.json: cannot be written";
        return false;
    }
    return true;
}

int Run(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-' || argv[1][0] == '/') {
        std::fprintf(stderr, "usage: agentca-capture OUTDIR\n"
                             "Copies the agent's registry keys, files and state into a new machine folder.\n");
        return 2;
    }
    const std::string folder = argv[1];
    if (!UsableOutput(folder)) {
        std::fprintf(stderr, "agentca-capture: %s exists and is not an empty folder\n", folder.c_str());
        return 2;
    }
    sim::Machine machine;
    machine.environment.clear();
    CaptureSummary summary;
    win32::Win32Registry registry;
    win32::Win32Files files;
    win32::Win32System system;
    win32::Win32Versions versions;
    CaptureRegistry(registry, machine.registry, summary);
    CaptureFiles(files, system, versions, machine, summary);
    CaptureInventory(machine);
    std::string error;
    if (!WriteMachineFolder(machine, folder, error)) {
        std::fprintf(stderr, "agentca-capture: %s\n", error.c_str());
        return 1;
    }
    std::printf("captured %zu keys, %zu values (%zu secrets masked), %zu files (%zu bytes), "
                "%zu services, %zu products into %s\n",
                summary.keys, summary.values, summary.maskedValues, summary.files, summary.bytes,
                machine.services.size(), machine.session.products.size(), folder.c_str());
    for (const std::string& skipped : summary.skipped) std::printf("left out: %s\n", skipped.c_str());
    return 0;
}

}  // namespace
}  // namespace veltra::capture

int main(int argc, char** argv) {
    try {
        return veltra::capture::Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "agentca-capture: %s\n", e.what());
        return 1;
    }
}
