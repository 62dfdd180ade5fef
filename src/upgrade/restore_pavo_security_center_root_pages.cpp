// RestorePavoSecurityCenterRootPages: while the authenticator utility is
// installed, it gets its own welcome pages back from the agent's backup, and
// the agent's offline-days pages leave its welcome page. A page key that has
// pages of its own below it stays.
#include "coexistence/security_center_pages.h"
#include "coexistence/sibling_keys.h"
#include "coexistence/sibling_presence.h"
#include "runtime/actions.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::actions {

namespace {

void DeleteLeafPage(platform::Platform& platform, const char* path) {
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, path, platform::kKeyQueryValue, key) != 0) {
        return;  // no page, nothing to do
    }
    platform::Dword subkeys = 0;
    const platform::Dword status = platform.registry.QueryInfoKey(key.get(), &subkeys, nullptr, nullptr, nullptr, nullptr);
    key.reset();
    if (status != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegQueryInfoKeyA", runtime::RegistryPath(platform::kHkeyLocalMachine, path), status);
        return;
    }
    if (subkeys != 0) return;
    if (const platform::Dword deleted = platform.registry.DeleteKey(platform::kHkeyLocalMachine, path)) {
        runtime::LogFailure(platform, "RegDeleteKeyA", runtime::RegistryPath(platform::kHkeyLocalMachine, path), deleted);
    }
}

}  // namespace

platform::Dword RestorePavoSecurityCenterRootPages(platform::Platform& platform) {
    if (!coexistence::IsAuthenticatorUtilityInstalled(platform)) return platform::kErrorSuccess;
    coexistence::RestoreWelcomePathFiles(platform);
    DeleteLeafPage(platform, coexistence::kOfflineDaysWelcomeY1Key);
    DeleteLeafPage(platform, coexistence::kOfflineDaysWelcomeKey);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
