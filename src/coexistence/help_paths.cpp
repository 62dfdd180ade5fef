// Which help the security center opens, by the products present.
#include "coexistence/help_files.h"
#include "coexistence/security_center_pages.h"
#include "coexistence/sibling_keys.h"
#include "coexistence/sibling_presence.h"
#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::coexistence {

using platform::Dword;

namespace {

constexpr platform::HKey kMachine = platform::kHkeyLocalMachine;

bool ReadFolder(platform::Platform& platform, const char* path, const char* name, std::string& folder) {
    folder.clear();
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, kMachine, path, platform::kKeyQueryValue, key) != 0) return false;
    auto value = runtime::ReadString(platform.registry, key.get(), name);
    if (!value) return false;
    folder = std::move(*value);
    return true;
}

bool FitsPathBuffer(const std::string& path) { return path.size() + 1 <= runtime::kPathBuffer; }

bool BuildHelpPaths(bool found, const std::string& folder, const char* user, const char* admin, HelpPaths& paths) {
    paths = {};
    if (!found) return false;
    HelpPaths built{folder + user, folder + admin};
    if (!FitsPathBuffer(built.user) || !FitsPathBuffer(built.admin)) return false;
    paths = std::move(built);
    return true;
}

}  // namespace

bool GetAgentInstallPath(platform::Platform& platform, std::string& folder) {
    return ReadFolder(platform, runtime::kAgentCommonKey, runtime::kInstallPathValue, folder);
}

bool GetUtilityInstallDir(platform::Platform& platform, std::string& folder) {
    return ReadFolder(platform, kUtilityKey, "InstallDir", folder);
}

bool GetAgentHelpPaths(platform::Platform& platform, HelpPaths& paths) {
    std::string folder;
    const bool found = GetAgentInstallPath(platform, folder);
    return BuildHelpPaths(found, folder, "authagt_userhelp.chm", "authagt_adminhelp.chm", paths);
}

bool GetUtilityHelpPaths(platform::Platform& platform, HelpPaths& paths) {
    std::string folder;
    const bool found = GetUtilityInstallDir(platform, folder);
    return BuildHelpPaths(found, folder, "VeltraAuthHelp.chm", "VeltraAuthAdminHelp.chm", paths);
}

bool GetComboHelpPaths(platform::Platform& platform, HelpPaths& paths) {
    std::string folder;
    const bool found = GetSecurityCenterDir(platform, folder);
    return BuildHelpPaths(found, folder, "authagt_usercombohelp.chm", "authagt_admincombohelp.chm", paths);
}

int UpdateHelpPaths(platform::Platform& platform) {
    BackupHelpFiles(platform);

    const bool agent = IsAgentRegistered(platform);
    const bool utility = IsAuthenticatorUtilityInstalled(platform);
    HelpPaths paths;
    bool found = false;
    if (!agent && !utility) {
        // Neither product is left to name a help file.
        platform::RegKey key;
        if (runtime::OpenKey(platform.registry, kMachine, kSecurityCenterKey, platform::kKeyAllAccess, key) == 0) {
            platform.registry.DeleteValue(key.get(), "HelpPathUser");
            platform.registry.DeleteValue(key.get(), "HelpPathAdmin");
        }
        return 1;
    }
    if (!agent) {
        found = GetUtilityHelpPaths(platform, paths);
    } else if (utility) {
        found = GetComboHelpPaths(platform, paths);
        InstallComboHelp(platform);
    } else {
        found = GetAgentHelpPaths(platform, paths);
        RestoreAgentHelp(platform);
    }
    if (!found) return 0;

    platform::RegKey key;
    if (const Dword status = runtime::OpenKey(platform.registry, kMachine, kSecurityCenterKey,
                                              platform::kKeyAllAccess, key)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(kMachine, kSecurityCenterKey), status);
        return 0;
    }
    for (const auto& [name, path] : {std::pair<const char*, const std::string&>{"HelpPathUser", paths.user},
                                     {"HelpPathAdmin", paths.admin}}) {
        if (const Dword status = runtime::WriteString(platform.registry, key.get(), name, path)) {
            runtime::LogFailure(platform, "RegSetValueExA", runtime::RegistryPath(kMachine, kSecurityCenterKey, name), status);
        }
    }
    return 1;
}

}  // namespace veltra::coexistence
