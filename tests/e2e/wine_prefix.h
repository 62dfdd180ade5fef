// One throw-away Wine prefix: copied from the base prefix of the test run,
// seeded with a machine's registry and files, driven with Wine's own tools
// (regedit, msiexec), every call under a hard time limit.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "process.h"

namespace veltra::e2e {

class WinePrefix {
public:
    // prefix: where the prefix lives; work: where command output is kept.
    // The build found wine and wineserver (VELTRA_WINE, VELTRA_WINESERVER).
    WinePrefix(std::filesystem::path prefix, std::filesystem::path work);
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    // The Windows path under which Wine sees a host path (drive Z: is "/").
    static std::string WindowsPath(const std::filesystem::path& host);

    const std::filesystem::path& prefix() const { return prefix_; }
    std::filesystem::path DriveC() const { return prefix_ / "drive_c"; }

    // Replaces the prefix with a copy of base. False with a message on failure.
    bool CopyFrom(const std::filesystem::path& base, std::string& error);

    // `wine <arguments>`; step names the file that keeps its output.
    ProcessResult Wine(const std::vector<std::string>& arguments, const std::string& step,
                       std::chrono::seconds timeout = std::chrono::seconds(60));
    // `wineserver -w`: returns once every process of the prefix has ended.
    void WaitForServer();
    // `wineserver -k`: ends whatever still runs in the prefix.
    void KillServer();

    // `regedit /s file`: false with the tool's output on failure.
    bool ImportRegFile(const std::filesystem::path& file, std::string& error);
    // `regedit /e` of one key and its subtree: the exported file's bytes, or
    // an empty vector when the key does not exist.
    std::vector<std::uint8_t> ExportKey(const std::string& key, const std::string& step);

private:
    ProcessOptions Options(const std::string& step, std::chrono::seconds timeout) const;

    std::filesystem::path prefix_;
    std::filesystem::path work_;
};

}  // namespace veltra::e2e
