#include "upgrade/library_search_paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "runtime/text.h"

namespace veltra::upgrade {
namespace {

using platform::Dword;

constexpr const char* kMakerKey = "SOFTWARE\\Veltra Security";
constexpr const char* kSearchPathsValue = "LibrarySearchPaths";

// The entries of a multi-string, up to its first empty one.
std::vector<std::string> EntriesOf(const std::vector<std::uint8_t>& data) {
    std::vector<std::string> entries;
    std::string current;
    for (const std::uint8_t byte : data) {
        if (byte != 0) {
            current += static_cast<char>(byte);
            continue;
        }
        if (current.empty()) break;
        entries.push_back(std::move(current));
        current.clear();
    }
    if (!current.empty()) entries.push_back(std::move(current));
    return entries;
}

// The whole list, whatever its length: a list that is only partly read must
// never be written back shortened. Absent reads as an empty list.
std::optional<std::vector<std::string>> ReadList(platform::Platform& platform, platform::HKey key) {
    const std::string subject = runtime::RegistryPath(platform::kHkeyLocalMachine, kMakerKey, kSearchPathsValue);
    Dword size = 0;
    Dword status = platform.registry.QueryValueEx(key, kSearchPathsValue, nullptr, nullptr, &size);
    if (status == platform::kErrorFileNotFound) return std::vector<std::string>{};
    std::vector<std::uint8_t> data(size);
    if (status == platform::kErrorSuccess) {
        status = platform.registry.QueryValueEx(key, kSearchPathsValue, nullptr, data.data(), &size);
    }
    if (status != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegQueryValueExA", subject, status);
        return std::nullopt;
    }
    data.resize(size);
    return EntriesOf(data);
}

}  // namespace

void UpdateLibrarySearchPaths(platform::Platform& platform, std::string_view installFolder,
                              std::string_view frameworkFolder, std::string_view backEndFolder) {
    const std::string marker =
        std::string(installFolder) + runtime::kRepositoryFolderName + runtime::kAgentInstalledMarker;
    const bool agentPresent = platform.files.GetFileAttributes(marker.c_str()) != platform::kInvalidFileAttributes;

    platform::RegKey key;
    const Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kMakerKey,
                                          platform::kKeyAllAccess, key);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, kMakerKey), opened);
        return;
    }
    const auto entries = ReadList(platform, key.get());
    if (!entries) return;

    std::vector<std::string> list;
    bool hasFramework = false;
    bool hasBackEnd = false;
    for (const std::string& entry : *entries) {
        if (runtime::EqualsIgnoreCase(platform.system, entry, frameworkFolder)) hasFramework = true;
        if (runtime::EqualsIgnoreCase(platform.system, entry, backEndFolder)) hasBackEnd = true;
        if (!runtime::EqualsIgnoreCase(platform.system, entry, installFolder)) list.push_back(entry);
    }
    if (agentPresent) {
        // An empty entry would end the list for every reader.
        if (!installFolder.empty()) list.emplace_back(installFolder);
        if (!hasFramework && !frameworkFolder.empty()) list.emplace_back(frameworkFolder);
        if (!hasBackEnd && !backEndFolder.empty()) list.emplace_back(backEndFolder);
    }

    std::vector<std::uint8_t> data;
    for (const std::string& entry : list) {
        data.insert(data.end(), entry.begin(), entry.end());
        data.push_back(0);
    }
    data.push_back(0);
    const Dword written = platform.registry.SetValueEx(key.get(), kSearchPathsValue, platform::kRegMultiSz,
                                                       data.data(), static_cast<Dword>(data.size()));
    if (written != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegSetValueExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, kMakerKey, kSearchPathsValue),
                            written);
    }
}

}  // namespace veltra::upgrade
