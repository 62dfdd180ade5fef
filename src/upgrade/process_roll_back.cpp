// ProcessRollBack: runs only when the installation is rolled back, after the
// installer has undone its own file and service operations. It undoes what
// the installer does not know about: the legacy Kesh/Agent's files taken into
// the legacy store, the upgrade key, the server files the failed installation
// copied over the saved ones, the agent's folders, the agent GINA in the logon
// chain, and the agent's entries on the lists shared with other products.
// Nothing is reported: a rollback cannot fail, so every failure is logged and
// the next step runs.
#include <string>
#include <vector>

#include "coexistence/security_center_pages.h"
#include "gina/gina_dialogs.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/session.h"
#include "runtime/text.h"
#include "upgrade/agent_folders.h"
#include "upgrade/file_moves.h"
#include "upgrade/legacy_store.h"
#include "upgrade/library_search_paths.h"
#include "upgrade/shared_registrations.h"
#include "upgrade/upgrade_state.h"

namespace veltra::actions {
namespace {

using upgrade::AgentFolders;

// The server files and the copies the pre-install capture saved of them.
constexpr const char* kSavedServerFiles[][2] = {
    {"kvconf.rec", "kvconf.rec_Saveit"},
    {"kvroot.crt", "kvroot.crt_Saveit"},
};

// An optional folder of the offline services' registration utility.
constexpr const char* kAutoregFolderName = "Agenthost Autoreg Utility";

std::string WithoutFinalBackslash(std::string folder) {
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

bool Exists(platform::Files& files, const std::string& path) {
    return files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes;
}

// Only an empty folder goes. A folder that is absent or still holds something
// is what the rollback expects to meet, and is not logged as a failure.
bool RemoveFolder(platform::Platform& platform, const std::string& folder) {
    const std::string path = WithoutFinalBackslash(folder);
    if (platform.files.RemoveDirectory(path.c_str())) return true;
    const platform::Dword error = platform.system.GetLastError();
    if (error != platform::kErrorFileNotFound && error != platform::kErrorPathNotFound &&
        error != platform::kErrorDirNotEmpty) {
        runtime::LogFailure(platform, "RemoveDirectoryA", path, error);
    }
    return false;
}

// The legacy agent's files go back where the capture took them from; the
// store is emptied and removed.
void PutBackLegacyKeshAgent(platform::Platform& platform, const AgentFolders& folders) {
    for (const upgrade::LegacyFile& file : upgrade::kLegacyFiles) {
        const std::string stored = folders.legacyStore + file.name;
        upgrade::CopyFileIfPresent(platform, stored, upgrade::LegacyFilePath(folders, file));
        upgrade::RemoveOrRenameFile(platform, stored);
    }
    upgrade::RemoveOrRenameFile(platform, folders.legacyStore + upgrade::kRegistryStoreFileName);
    RemoveFolder(platform, folders.legacyStore);
}

// The saved copies win over whatever the failed installation copied.
void PutBackServerFiles(platform::Platform& platform, const AgentFolders& folders) {
    for (const auto& [file, copy] : kSavedServerFiles) {
        const std::string saved = folders.repository + copy;
        if (!Exists(platform.files, saved)) continue;
        const std::string target = folders.system + file;
        if (!platform.files.SetFileAttributes(target.c_str(), platform::kFileAttributeNormal)) {
            runtime::LogLastError(platform, "SetFileAttributesA", target);
        }
        if (!platform.files.CopyFile(saved.c_str(), target.c_str(), false)) {
            runtime::LogLastError(platform, "CopyFileA", target);
        }
        if (!platform.files.DeleteFile(saved.c_str())) runtime::LogLastError(platform, "DeleteFileA", saved);
    }
}

// The repository folder, the registration utility's folder and the
// installation folder, then each parent that is left empty.
void RemoveAgentFolders(platform::Platform& platform, const AgentFolders& folders) {
    RemoveFolder(platform, folders.repository);
    RemoveFolder(platform, runtime::JoinStrings("\\", {folders.install, kAutoregFolderName}));
    std::string level = WithoutFinalBackslash(folders.install);
    while (!level.empty() && RemoveFolder(platform, level)) {
        const std::size_t cut = runtime::FindLastBackslash(platform.system, level);
        if (cut == std::string::npos) break;
        level.resize(cut);
    }
}

}  // namespace

platform::Dword ProcessRollBack(platform::Platform& platform) {
    const auto deferred = runtime::DeferredFields(platform.installer);
    if (!deferred) return platform::kErrorInstallFailure;
    const std::vector<std::string>& fields = *deferred;
    const AgentFolders folders = upgrade::FormAgentFolders(
        runtime::FieldOrEmpty(fields, 0), runtime::FieldOrEmpty(fields, 1), runtime::FieldOrEmpty(fields, 2));
    const bool quiet = runtime::FieldOrEmpty(fields, 3) == "2";
    const std::string frameworkFolder = runtime::FieldOrEmpty(fields, 4);
    const std::string backEndFolder = runtime::FieldOrEmpty(fields, 5);
    const std::string sharedFolder = runtime::FieldOrEmpty(fields, 6);

    if (upgrade::DetectLegacyKeshAgent(platform) == upgrade::kUpgradableLegacyKeshAgent) {
        PutBackLegacyKeshAgent(platform, folders);
    }

    std::string productCode;
    if (upgrade::GetPreviousAgentVersion(platform, upgrade::AgentVersionMode::Record, productCode) !=
        upgrade::UpgradeIdNone) {
        upgrade::DeleteUpgradeState(platform);
    }

    PutBackServerFiles(platform, folders);
    RemoveAgentFolders(platform, folders);

    // The chain as it was before the agent GINA: a GINA it displaced comes back.
    if (const platform::Dword status = gina::SetGinaWithDialogs(platform, false, quiet, "")) {
        runtime::LogFailure(platform, "SetGinaWithDialogs", "", status);
    }

    // With the agent's files gone, each list takes the agent's entries out.
    upgrade::UpdateLsaNotificationPackages(platform, folders.system);
    upgrade::UpdateLibrarySearchPaths(platform, folders.install, frameworkFolder, backEndFolder);
    upgrade::UpdateEventLogSource(platform, folders.install, sharedFolder);
    coexistence::ArrangeWelcomePages(platform);

    upgrade::SetOfflineServiceCount(platform, folders.install);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
