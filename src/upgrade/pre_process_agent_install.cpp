// PreProcessAgentInstall: runs in the installation script before the new
// files are laid down. It keeps what a later step may need to put back (the
// server files already on the machine; an upgradable legacy Kesh/Agent's
// files and settings) and then clears the way for the new files: programs of
// the legacy and earlier agents are deleted, or moved aside under a "_moved"
// name when they are in use.
#include <string>
#include <vector>

#include "coexistence/sibling_presence.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/session.h"
#include "runtime/text.h"
#include "upgrade/agent_folders.h"
#include "upgrade/file_moves.h"
#include "upgrade/legacy_store.h"
#include "upgrade/upgrade_state.h"

namespace veltra::actions {
namespace {

using platform::Dword;
using upgrade::AgentFolders;

// The server files, saved beside the markers so that a removal or a rollback
// can put back what the machine had.
constexpr const char* kSavedServerFiles[][2] = {
    {"kvconf.rec", "kvconf.rec_Saveit"},
    {"kvroot.crt", "kvroot.crt_Saveit"},
};

// Programs of the legacy and earlier agents that the new files replace or
// that would otherwise stay behind in use.
constexpr const char* kEarlierInstallFolderFiles[] = {"kvagentuisvc.exe"};
constexpr const char* kEarlierSystemFiles[] = {
    "kvproxysvc.exe", "kvagentsa2k.dll", "kvagentsvc.exe", "kvagentsa.dll", "tokarauser.exe",
    "kvras40.dll",    "kveap.dll",       "KeshGina.dll",   "kvagentrt.dll", "_gLgnRc.dll",
    "da_svc.exe",     "vpnTool.exe",     "veltrapwdfilt.dll", "kvcontrl.cpl"};
constexpr const char* kEarlierHelpFiles[] = {"kvcontrl.hlp", "kvcontrl.cnt", "kvcontrl.GID"};

bool Exists(platform::Files& files, const std::string& path) {
    return files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes;
}

// Creates every missing level of the folder's path, from the first folder
// below the drive downwards. False when a level cannot be created.
bool CreateFolderLevels(platform::Platform& platform, const std::string& folder) {
    std::vector<std::string> missing;
    std::string level = folder;
    while (!level.empty() && level.back() == '\\') level.pop_back();
    for (;;) {
        const std::size_t cut = runtime::FindLastBackslash(platform.system, level);
        if (cut == std::string::npos) break;  // the drive itself
        if (!Exists(platform.files, level)) missing.push_back(level);
        level.resize(cut);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!platform.files.CreateDirectory(it->c_str(), nullptr)) {
            runtime::LogLastError(platform, "CreateDirectoryA", *it);
            return false;
        }
    }
    return true;
}

void ClearTheWay(platform::Platform& platform, const AgentFolders& folders) {
    for (const char* name : kEarlierInstallFolderFiles) upgrade::RemoveOrRenameFile(platform, folders.install + name);
    for (const char* name : kEarlierSystemFiles) upgrade::RemoveOrRenameFile(platform, folders.system + name);
    for (const char* name : kEarlierHelpFiles) upgrade::RemoveOrRenameFile(platform, folders.help + name);
}

}  // namespace

platform::Dword PreProcessAgentInstall(platform::Platform& platform) {
    const auto deferred = runtime::DeferredFields(platform.installer);
    if (!deferred) return platform::kErrorInstallFailure;
    const std::vector<std::string>& fields = *deferred;
    const AgentFolders folders = upgrade::FormAgentFolders(
        runtime::FieldOrEmpty(fields, 0), runtime::FieldOrEmpty(fields, 1), runtime::FieldOrEmpty(fields, 2));
    const bool firstInstallation = runtime::FieldOrEmpty(fields, 3) == "1";
    const std::string challengeMode = runtime::FieldOrEmpty(fields, 4);

    if (!firstInstallation) {
        // A maintenance run finds the repository folder the installation made.
        if (!Exists(platform.files, folders.repository)) {
            runtime::LogLastError(platform, "GetFileAttributesA", folders.repository);
            return platform::kErrorInstallFailure;
        }
    } else {
        if (!Exists(platform.files, folders.repository) && !CreateFolderLevels(platform, folders.repository)) {
            return platform::kErrorInstallFailure;
        }
        for (const auto& [file, copy] : kSavedServerFiles) {
            upgrade::CopyFileIfPresent(platform, folders.system + file, folders.repository + copy);
        }
    }

    switch (upgrade::DetectLegacyKeshAgent(platform)) {
        case upgrade::kOldLegacyKeshAgent:
            // The upgrade detection has told the administrator already.
            runtime::Log(platform.installer, "a legacy Kesh/Agent that cannot be upgraded is installed");
            return platform::kErrorInstallFailure;
        case upgrade::kUpgradableLegacyKeshAgent:
            if (!upgrade::CaptureLegacyKeshAgent(platform, folders, challengeMode)) {
                return platform::kErrorInstallFailure;
            }
            break;
        case upgrade::kNoLegacyKeshAgent:
            break;
    }
    if (!firstInstallation) return platform::kErrorSuccess;

    ClearTheWay(platform, folders);
    if (!coexistence::IsAuthenticatorUtilityInstalled(platform)) coexistence::RemoveUtilityKeys(platform);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
