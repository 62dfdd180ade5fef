// CleanUpAfterRemoval: the agent's files are gone when this runs, and with
// them its installed marker. What the installer's own tables cannot do is
// done here, in this order: the GINA unlinked, the older shared files and
// the server files that were on the machine before the agent put back, the
// agent's folders removed as far as they are empty, its entries taken off
// the shared lists, the sibling products' pages and help set right, and the
// agent's registry keys deleted, keeping those a sibling product still uses.
#include <optional>
#include <string>

#include "coexistence/help_files.h"
#include "coexistence/key_tree.h"
#include "coexistence/reconcile_siblings.h"
#include "coexistence/security_center_pages.h"
#include "coexistence/sibling_presence.h"
#include "gina/gina_chain.h"
#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "runtime/text.h"
#include "upgrade/file_moves.h"
#include "upgrade/library_search_paths.h"
#include "upgrade/post_process.h"
#include "upgrade/shared_registrations.h"

namespace veltra::upgrade {

namespace {

using platform::Dword;
constexpr platform::HKey kMachine = platform::kHkeyLocalMachine;
constexpr platform::HKey kUser = platform::kHkeyCurrentUser;
constexpr std::string_view kSoftware = "SOFTWARE\\";

// Older copies of shared files the agent replaced, kept in the system
// folder's "KvRepository" by the products that shipped them.
constexpr const char* kOlderCopiesFolder = "KvRepository\\";
enum class Into { System, Help };
constexpr struct {
    const char* name;
    Into folder;
} kOlderCopies[] = {
    {"kvcontrl.cpl", Into::System}, {"kvcontrl.hlp", Into::Help}, {"kvcontrl.cnt", Into::Help},
    {"kvagentrt.dll", Into::System}, {"kvtest.exe", Into::System}, {"kvui.dll", Into::System},
};

constexpr const char* kSavedServerFiles[][2] = {
    {"kvconf.rec", "kvconf.rec_Saveit"},
    {"kvroot.crt", "kvroot.crt_Saveit"},
};
constexpr const char* kRepositoryHelpFiles[] = {"authagt_userhelp.chm", "authagt_adminhelp.chm",
                                                "VeltraAuthHelp.chm", "VeltraAuthAdminHelp.chm"};

constexpr const char* kAgentUserKey = "SOFTWARE\\Veltra Security\\Veltra Authentication Agent";
constexpr const char* kBackEndKey = "SOFTWARE\\Veltra Security\\BackendUISvc";
constexpr const char* kMakerKey = "SOFTWARE\\Veltra Security";
constexpr const char* kSecurityCenterKey = "SOFTWARE\\Veltra Security\\Veltra Security Center";
constexpr const char* kLegacyClientKey = "SOFTWARE\\Morvane\\KESHCLIENT";
constexpr const char* kAgentKey = "SOFTWARE\\Veltra Security\\Veltra Authentication Agent";

bool Exists(platform::Platform& platform, const std::string& path) {
    return platform.files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes;
}

bool KeyOpens(platform::Platform& platform, platform::HKey root, const std::string& path) {
    platform::RegKey key;
    return runtime::OpenKey(platform.registry, root, path.c_str(), platform::kKeyRead, key) == platform::kErrorSuccess;
}

void MakeNormal(platform::Platform& platform, const std::string& path) {
    if (!platform.files.SetFileAttributes(path.c_str(), platform::kFileAttributeNormal)) {
        runtime::LogLastError(platform, "SetFileAttributesA", path);
    }
}

void Copy(platform::Platform& platform, const std::string& from, const std::string& to) {
    if (!platform.files.CopyFile(from.c_str(), to.c_str(), false)) runtime::LogLastError(platform, "CopyFileA", to);
}

void DeleteIfPresent(platform::Platform& platform, const std::string& path) {
    if (!Exists(platform, path)) return;
    MakeNormal(platform, path);
    if (!platform.files.DeleteFile(path.c_str())) runtime::LogLastError(platform, "DeleteFileA", path);
}

// A folder that still holds something stays; only an empty one goes.
bool RemoveFolder(platform::Platform& platform, const std::string& folder) {
    return platform.files.RemoveDirectory(folder.c_str());
}

void UnlinkGina(platform::Platform& platform, const std::string& system) {
    if (const Dword status = gina::SetAgentGina(platform, false, nullptr, false)) {
        runtime::LogFailure(platform, "SetAgentGina", "disable", status);
    }
    RemoveOrRenameFile(platform, system + "KeshGina.dll");
    gina::RemoveLegacyGinaValues(platform.registry, platform.system);
}

void PutBackOlderSharedFiles(platform::Platform& platform, const AgentFolders& agent) {
    const std::string older = agent.system + kOlderCopiesFolder;
    if (!Exists(platform, older + "kvcontrl.cpl")) return;
    for (const auto& [name, folder] : kOlderCopies) {
        const std::string target = (folder == Into::System ? agent.system : agent.help) + name;
        if (Exists(platform, target)) MakeNormal(platform, target);
        Copy(platform, older + name, target);
    }
}

void PutBackServerFiles(platform::Platform& platform, const AgentFolders& agent) {
    for (const auto& [file, copy] : kSavedServerFiles) {
        const std::string saved = agent.repository + copy;
        if (!Exists(platform, saved)) continue;
        const std::string target = agent.system + file;
        if (Exists(platform, target)) MakeNormal(platform, target);
        Copy(platform, saved, target);
        if (!platform.files.DeleteFile(saved.c_str())) runtime::LogLastError(platform, "DeleteFileA", saved);
    }
}

// The installation folder, then each folder above it for as long as the one
// below could go: the walk ends at the first folder that holds anything else.
void RemoveFolders(platform::Platform& platform, const PostProcessFolders& folders) {
    const AgentFolders& agent = folders.agent;
    RemoveFolder(platform, agent.repository);
    RemoveFolder(platform, agent.install + "Agenthost Autoreg Utility");
    std::string folder = agent.install;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    while (!folder.empty() && RemoveFolder(platform, folder)) {
        const std::size_t cut = runtime::FindLastBackslash(platform.system, folder);
        if (cut == std::string::npos) break;
        folder.resize(cut);
    }
    RemoveFolder(platform, folders.legacyMenu);
}

void UpdateSiblingProductsOnRemoval(platform::Platform& platform) {
    if (coexistence::IsAuthenticatorUtilityInstalled(platform)) {
        coexistence::RegisterSecurityCenterTabs(platform);
        coexistence::ArrangeWelcomePages(platform);
    } else {
        coexistence::RemoveUtilityKeys(platform);
    }
    coexistence::CleanLegacyClientFiles(platform);
}

// Deletes the tree when it opens; a key that is not there is nothing to do.
void DeleteTreeIfThere(platform::Platform& platform, platform::HKey root, const char* path) {
    if (KeyOpens(platform, root, path)) coexistence::DeleteKeyTree(platform, root, path);
}

void RemoveVeltraSecurityKeys(platform::Platform& platform) {
    DeleteTreeIfThere(platform, kUser, kAgentUserKey);
    DeleteTreeIfThere(platform, kMachine, kBackEndKey);
    DeleteTreeIfThere(platform, kUser, kBackEndKey);
    // The authenticator utility keeps its per-user settings and the security
    // center it shares with the agent.
    if (coexistence::IsAuthenticatorUtilityInstalled(platform)) return;
    DeleteTreeIfThere(platform, kUser, kMakerKey);
    DeleteTreeIfThere(platform, kMachine, kSecurityCenterKey);
}

// The first of the paths that opens, deleted through the open SOFTWARE key.
void DeleteFirstThatOpens(platform::Platform& platform, platform::HKey software,
                          std::initializer_list<std::string> paths) {
    for (const std::string& path : paths) {
        if (!KeyOpens(platform, kMachine, path)) continue;
        coexistence::DeleteKeyTree(platform, software, path.substr(kSoftware.size()).c_str());
        return;
    }
}

void RemoveAgentKeys(platform::Platform& platform, const std::string& system) {
    platform::RegKey software;
    if (const Dword opened =
            runtime::OpenKey(platform.registry, kMachine, "SOFTWARE", platform::kKeyAllAccess, software)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(kMachine, "SOFTWARE"), opened);
        return;
    }
    for (const char* name : {"KVGINA", "KVNETWORK", "KVRAS"}) {
        DeleteFirstThatOpens(platform, software.get(),
                             {std::string(runtime::kLegacySettingsRoot) + name, std::string(runtime::kSettingsRoot) + name});
    }

    // The Kesh client's key and its node secret file belong to whichever
    // product still has the client's libraries.
    const bool clientLibrary = Exists(platform, system + "keshclnt.dll");
    const bool messageLibrary = Exists(platform, system + "kvmsg.dll");
    if (!clientLibrary && !messageLibrary && KeyOpens(platform, kMachine, kLegacyClientKey)) {
        coexistence::DeleteKeyTree(platform, software.get(), std::string(kLegacyClientKey).substr(kSoftware.size()).c_str());
    }
    if (!clientLibrary) RemoveOrRenameFile(platform, system + "tokara");

    DeleteFirstThatOpens(platform, software.get(),
                         {"SOFTWARE\\Morvane\\SessionUIDs", "SOFTWARE\\Veltra Security\\SessionUIDs"});
    DeleteTreeIfThere(platform, kMachine, kAgentKey);

    platform::RegKey maker;
    if (runtime::OpenKey(platform.registry, kMachine, kMakerKey, platform::kKeyRead, maker) != platform::kErrorSuccess) {
        return;
    }
    Dword subKeys = 0;
    const Dword queried = platform.registry.QueryInfoKey(maker.get(), &subKeys, nullptr, nullptr, nullptr, nullptr);
    maker.reset();
    if (queried != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegQueryInfoKeyA", runtime::RegistryPath(kMachine, kMakerKey), queried);
        return;
    }
    if (subKeys != 0) return;  // a sibling product is still there
    if (const Dword deleted = platform.registry.DeleteKey(software.get(), "Veltra Security")) {
        runtime::LogFailure(platform, "RegDeleteKeyA", runtime::RegistryPath(kMachine, kMakerKey), deleted);
    }
}

}  // namespace

void CleanUpAfterRemoval(platform::Platform& platform, const PostProcessFolders& folders) {
    const AgentFolders& agent = folders.agent;
    UnlinkGina(platform, agent.system);
    PutBackOlderSharedFiles(platform, agent);
    PutBackServerFiles(platform, agent);
    DeleteIfPresent(platform, agent.repository + "gina_banner.bmp");

    coexistence::UpdateHelpPaths(platform);
    coexistence::RestoreUtilityHelp(platform, agent.install);
    for (const char* name : kRepositoryHelpFiles) DeleteIfPresent(platform, agent.repository + name);

    RemoveFolders(platform, folders);
    RemoveOrRenameFile(platform, agent.system + "veltrapwdfilt.dll");

    // With the filter and the marker gone, these take the agent's entries out.
    UpdateLsaNotificationPackages(platform, agent.system);
    UpdateLibrarySearchPaths(platform, agent.install, folders.framework, folders.backEnd);
    UpdateEventLogSource(platform, agent.install, folders.shared);

    UpdateSiblingProductsOnRemoval(platform);
    RemoveVeltraSecurityKeys(platform);
    RemoveAgentKeys(platform, agent.system);
}

}  // namespace veltra::upgrade
