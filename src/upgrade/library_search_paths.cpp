// UpdateLibrarySearchPaths: the maker's products load their libraries from
// the folders on one shared list. The agent's installation folder is on it
// exactly while the agent is installed, followed by the two shared folders
// its libraries need; the sibling products' entries are never touched.
#include "upgrade/library_search_paths.h"

#include <string>
#include <vector>

#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "runtime/text.h"
#include "upgrade/shared_list_value.h"
#include "upgrade/shared_registrations.h"

namespace veltra::upgrade {

namespace {

constexpr const char* kMakerKey = "SOFTWARE\\Veltra Security";
constexpr const char* kSearchPathsValue = "LibrarySearchPaths";

}  // namespace

void UpdateLibrarySearchPaths(platform::Platform& platform, std::string_view installFolder,
                              std::string_view frameworkFolder, std::string_view backEndFolder) {
    const bool agentPresent = AgentInstalledMarkerExists(platform, installFolder);

    const std::string keyPath = runtime::RegistryPath(platform::kHkeyLocalMachine, kMakerKey);
    platform::RegKey key;
    if (const platform::Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kMakerKey,
                                                        platform::kKeyAllAccess, key)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", keyPath, opened);
        return;
    }
    const auto before = ReadListValue(platform, key.get(), keyPath, kSearchPathsValue);
    if (!before) return;

    std::vector<std::string> list;
    bool hasFramework = false;
    bool hasBackEnd = false;
    for (const std::string& entry : before->entries) {
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
    WriteListValue(platform, key.get(), keyPath, kSearchPathsValue, list);
}

}  // namespace veltra::upgrade
