// RestoreLegacyKeshAgent: after the new files, what the capture kept of an
// upgraded legacy Kesh/Agent. Its logon and remote-access settings are
// written into the new agent's keys, but only under the default challenge
// mode: any other mode brings settings of its own, which the legacy ones
// must not overwrite. Then everything the legacy agent leaves behind goes:
// the legacy store, its client folder in the system folder, its shortcuts
// and its Add/Remove Programs entries.
#include <optional>
#include <string>

#include "coexistence/key_tree.h"
#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "silentpackage/text_mode_file.h"
#include "upgrade/file_moves.h"
#include "upgrade/legacy_store.h"
#include "upgrade/post_process.h"
#include "upgrade/registry_store_file.h"
#include "upgrade/version_numbers.h"

namespace veltra::upgrade {

namespace {

using platform::Dword;
constexpr platform::HKey kMachine = platform::kHkeyLocalMachine;

enum class Target { Gina, Ras, RasEap15 };

// Where each line of the settings file goes: the setting's key and name
// there and its type.
struct StoredSetting {
    const char* line;
    Target key;
    const char* value;
    Dword type;
};
constexpr StoredSetting kStoredSettings[] = {
    {"LAC_Enabled", Target::Gina, "Enabled", platform::kRegDword},
    {"RAS_Enabled", Target::Ras, "Enabled", platform::kRegDword},
    {"RAS_DialMode", Target::Ras, "DialMode", platform::kRegDword},
    {"RAS_EapMode", Target::Ras, "EapMode", platform::kRegDword},
    {"RAS_InitTimeOut", Target::Ras, "InitTimeOut", platform::kRegDword},
    {"RAS_RegTimeOut", Target::Ras, "RegTimeOut", platform::kRegDword},
    {"RAS_ConvertEapFQNames", Target::Ras, "ConvertEapFQNames", platform::kRegSz},
    {"RAS_ProtocolId", Target::Ras, "ProtocolId", platform::kRegExpandSz},
    {"RAS15_InvokePasswordDialog", Target::RasEap15, "InvokePasswordDialog", platform::kRegDword},
    {"RAS15_InvokeUsernameDialog", Target::RasEap15, "InvokeUsernameDialog", platform::kRegDword},
    {"RAS15_MPPEEncryptionSupported", Target::RasEap15, "MPPEEncryptionSupported", platform::kRegDword},
    {"RAS15_RequireConfigUI", Target::RasEap15, "RequireConfigUI", platform::kRegDword},
    {"RAS15_StandaloneSupported", Target::RasEap15, "StandaloneSupported", platform::kRegDword},
};

// The legacy client's own files in the system folder's "KESHCLNT".
constexpr const char* kLegacyClientFolder = "KESHCLNT\\";
constexpr const char* kLegacyClientFiles[] = {"readme.html", "service.ini", "Uninst.dll", "Uninst.isu",
                                              "WinAgentAdmin.pdf"};
constexpr const char* kLegacyShortcuts[] = {"Help.lnk", "Readme.lnk", "Test Authentication.lnk", "Register.url"};

// Add/Remove Programs: the entry and its cached copy, each below its parent.
constexpr const char* kLegacyEntryName = "Kesh/Agent for Windows NT";
constexpr const char* kLegacyEntryParents[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache",
};

struct SettingsKey {
    std::string path;
    platform::RegKey key;
};

void OpenSettingsKey(platform::Platform& platform, SettingsKey& settings) {
    if (const Dword opened = runtime::OpenKey(platform.registry, kMachine, settings.path.c_str(),
                                              platform::kKeyAllAccess, settings.key)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(kMachine, settings.path), opened);
    }
}

void WriteSetting(platform::Platform& platform, SettingsKey& settings, const StoredSetting& setting,
                  const std::string& text) {
    if (!settings.key) return;
    const Dword status =
        setting.type == platform::kRegDword
            ? runtime::WriteDword(platform.registry, settings.key.get(), setting.value,
                                  static_cast<Dword>(DecimalValue(text)))
            : runtime::WriteString(platform.registry, settings.key.get(), setting.value, text, setting.type);
    if (status != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegSetValueExA", runtime::RegistryPath(kMachine, settings.path, setting.value),
                            status);
    }
}

void ApplyStoredSettings(platform::Platform& platform, const std::string& storeFile) {
    if (platform.files.GetFileAttributes(storeFile.c_str()) == platform::kInvalidFileAttributes) {
        runtime::Log(platform.installer, storeFile + " is not there: no legacy settings to restore");
        return;
    }
    const std::optional<std::string> text = silentpackage::ReadTextFile(platform, storeFile);
    if (!text) return;
    const std::vector<RegistryStoreEntry> entries = ReadRegistryStoreEntries(*text);
    if (entries.empty() || entries.front().name != kChallengeModeName || entries.front().value != "1") {
        runtime::Log(platform.installer, "the installation chose its own challenge mode: legacy settings not restored");
        return;
    }

    const std::string root = runtime::kSettingsRoot;
    SettingsKey keys[] = {{root + "KVGINA", {}}, {root + "KVRAS", {}}, {root + "KVRAS\\15", {}}};
    for (SettingsKey& key : keys) {
        key.key = platform::RegKey(platform.registry);
        OpenSettingsKey(platform, key);
    }
    for (std::size_t i = 1; i < entries.size(); ++i) {
        for (const StoredSetting& setting : kStoredSettings) {
            if (entries[i].name != setting.line) continue;
            WriteSetting(platform, keys[static_cast<int>(setting.key)], setting, entries[i].value);
        }
    }
}

void RemoveFolder(platform::Platform& platform, const std::string& folder) {
    if (!platform.files.RemoveDirectory(folder.c_str())) runtime::LogLastError(platform, "RemoveDirectoryA", folder);
}

void RemoveLegacyEntries(platform::Platform& platform) {
    for (const char* parentPath : kLegacyEntryParents) {
        const std::string entry = std::string(parentPath) + "\\" + kLegacyEntryName;
        platform::RegKey probe;
        if (runtime::OpenKey(platform.registry, kMachine, entry.c_str(), platform::kKeyRead, probe) !=
            platform::kErrorSuccess) {
            continue;
        }
        probe.reset();
        platform::RegKey parent;
        if (const Dword opened =
                runtime::OpenKey(platform.registry, kMachine, parentPath, platform::kKeyAllAccess, parent)) {
            runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(kMachine, parentPath), opened);
            continue;
        }
        coexistence::DeleteKeyTree(platform, parent.get(), kLegacyEntryName);
    }
}

}  // namespace

void RestoreLegacyKeshAgent(platform::Platform& platform, const PostProcessFolders& folders) {
    const AgentFolders& agent = folders.agent;
    ApplyStoredSettings(platform, agent.legacyStore + kRegistryStoreFileName);

    if (platform.files.GetFileAttributes(agent.legacyStore.c_str()) != platform::kInvalidFileAttributes) {
        RemoveOrRenameFile(platform, agent.legacyStore + kRegistryStoreFileName);
        for (const LegacyFile& file : kLegacyFiles) RemoveOrRenameFile(platform, agent.legacyStore + file.name);
        RemoveFolder(platform, agent.legacyStore);
    }

    const std::string clientFolder = agent.system + kLegacyClientFolder;
    for (const char* name : kLegacyClientFiles) RemoveOrRenameFile(platform, clientFolder + name);
    if (platform.files.GetFileAttributes(clientFolder.c_str()) != platform::kInvalidFileAttributes) {
        RemoveFolder(platform, clientFolder);
    }
    for (const char* name : kLegacyShortcuts) RemoveOrRenameFile(platform, folders.legacyMenu + name);
    RemoveLegacyEntries(platform);
}

}  // namespace veltra::upgrade
