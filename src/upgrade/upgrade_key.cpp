// The per-user upgrade key: written when an upgradable previous agent is
// accepted, read by every later upgrade step, deleted when they are done.
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "upgrade/upgrade_state.h"

namespace veltra::upgrade {

platform::Dword SaveUpgradeState(platform::Platform& platform, UpgradeId id, const std::string& productCode) {
    platform::RegKey key;
    const platform::Dword created =
        runtime::CreateKey(platform.registry, platform::kHkeyCurrentUser, kUpgradeKey, platform::kKeyAllAccess, key);
    if (created != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegCreateKeyExA", runtime::RegistryPath(platform::kHkeyCurrentUser, kUpgradeKey), created);
        return created;
    }
    if (const auto status = runtime::WriteDword(platform.registry, key.get(), kUpgradeVersionIdValue, id)) {
        runtime::LogFailure(platform, "RegSetValueExA",
                            runtime::RegistryPath(platform::kHkeyCurrentUser, kUpgradeKey, kUpgradeVersionIdValue), status);
    }
    if (const auto status = runtime::WriteString(platform.registry, key.get(), kUpgradeProductIdValue, productCode)) {
        runtime::LogFailure(platform, "RegSetValueExA",
                            runtime::RegistryPath(platform::kHkeyCurrentUser, kUpgradeKey, kUpgradeProductIdValue), status);
    }
    const platform::Dword closed = platform.registry.CloseKey(key.release());
    if (closed != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegCloseKey", runtime::RegistryPath(platform::kHkeyCurrentUser, kUpgradeKey), closed);
    }
    return closed;
}

void DeleteUpgradeState(platform::Platform& platform) {
    const platform::Dword status = platform.registry.DeleteTree(platform::kHkeyCurrentUser, kUpgradeKey);
    if (status != platform::kErrorSuccess && status != platform::kErrorFileNotFound) {
        runtime::LogFailure(platform, "SHDeleteKeyA", runtime::RegistryPath(platform::kHkeyCurrentUser, kUpgradeKey), status);
    }
}

}  // namespace veltra::upgrade
