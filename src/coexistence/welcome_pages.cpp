// The utility's welcome pages and the agent's backup of them. "Copy" here is
// one value at a time (CopyRegistryValue): a page is its "PathFile" and
// "Title", and the backup keeps only what the agent changed.
#include "coexistence/key_tree.h"
#include "coexistence/security_center_pages.h"
#include "coexistence/sibling_keys.h"
#include "coexistence/sibling_presence.h"
#include "runtime/log.h"

namespace veltra::coexistence {

using platform::Dword;

namespace {

constexpr platform::HKey kMachine = platform::kHkeyLocalMachine;

bool KeyExists(platform::Platform& platform, const char* path) {
    platform::RegKey key;
    return runtime::OpenKey(platform.registry, kMachine, path, platform::kKeyQueryValue, key) == 0;
}

void CopyPage(platform::Platform& platform, const char* from, const char* to) {
    CopyRegistryValue(platform, kMachine, from, to, "PathFile");
    CopyRegistryValue(platform, kMachine, from, to, "Title");
}

// The page saved into the backup, then taken away (a key with subkeys stays).
void MovePageToBackup(platform::Platform& platform, const char* page, const char* backup) {
    CopyPage(platform, page, backup);
    if (const Dword status = platform.registry.DeleteKey(kMachine, page)) {
        runtime::LogFailure(platform, "RegDeleteKeyA", runtime::RegistryPath(kMachine, page), status);
    }
}

Dword CopyPathFile(platform::Platform& platform, const char* from, const char* to) {
    return CopyRegistryValue(platform, kMachine, from, to, "PathFile");
}

}  // namespace

int ArrangeWelcomePages(platform::Platform& platform) {
    const bool utility = IsAuthenticatorUtilityInstalled(platform);
    if (!IsAgentRegistered(platform)) {
        if (utility) {
            if (KeyExists(platform, kBackupPage2Key)) CopyPage(platform, kBackupPage2Key, kPage2Key);
            if (KeyExists(platform, kBackupPage5Key)) CopyPage(platform, kBackupPage5Key, kPage5Key);
        }
        return 1;
    }
    if (!utility) return 1;

    if (!HasLogonComponent(platform)) {
        if (KeyExists(platform, kBackupPage2Key)) CopyPage(platform, kBackupPage2Key, kPage2Key);
    } else if (KeyExists(platform, kPage2Key)) {
        MovePageToBackup(platform, kPage2Key, kBackupPage2Key);
    }
    if (KeyExists(platform, kPage5Key)) MovePageToBackup(platform, kPage5Key, kBackupPage5Key);
    return 1;
}

void BackupWelcomePathFiles(platform::Platform& platform) {
    if (CopyPathFile(platform, kWelcome1Key, kBackupWelcome1Key) != 0) return;
    CopyPathFile(platform, kWelcome2Key, kBackupWelcome2Key);
}

void SetConfigWelcomePathFiles(platform::Platform& platform, const std::string& installPath) {
    const std::string page = installPath + "\\ConfigTKRWelcome.dll";
    for (const char* welcome : {kWelcome1Key, kWelcome2Key}) {
        platform::RegKey key;
        Dword status = runtime::CreateKey(platform.registry, kMachine, welcome, platform::kKeyAllAccess, key);
        if (status != 0) {
            runtime::LogFailure(platform, "RegCreateKeyA", runtime::RegistryPath(kMachine, welcome), status);
            return;
        }
        status = runtime::WriteString(platform.registry, key.get(), "PathFile", page);
        if (status != 0) {
            runtime::LogFailure(platform, "RegSetValueExA", runtime::RegistryPath(kMachine, welcome, "PathFile"), status);
            return;  // Tab 2's page only after Tab 1's
        }
    }
}

void RestoreWelcomePathFiles(platform::Platform& platform) {
    if (CopyPathFile(platform, kBackupWelcome1Key, kWelcome1Key) != 0) return;
    CopyPathFile(platform, kBackupWelcome2Key, kWelcome2Key);
}

void RestoreHomeWelcomePathFile(platform::Platform& platform) {
    CopyPathFile(platform, kBackupWelcome1Key, kWelcome1Key);
}

void DeleteInteropBackup(platform::Platform& platform) {
    DeleteKeyTree(platform, kMachine, kInteropBackupKey);
}

}  // namespace veltra::coexistence
