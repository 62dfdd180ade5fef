// The marks in the upgrade key: which components the old product had. The
// restore combines them with what the new installation has.
#include <array>

#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "upgrade/upgrade_settings.h"
#include "upgrade/upgrade_state.h"

namespace veltra::upgrade {
namespace {

constexpr std::array<const char*, 5> kMarkNames = {
    "Local Authentication Client",   "Domain Authentication Client", "Domain Authentication Server",
    "Remote Authentication Server", "Veltra Security EAP Client",
};

}  // namespace

const char* UpgradeMarkName(UpgradeComponent component) {
    return kMarkNames[static_cast<std::size_t>(component) - 1];
}

void MarkComponentForUpgrade(platform::Platform& platform, UpgradeComponent component) {
    const char* name = UpgradeMarkName(component);
    platform::RegKey key;
    const platform::Dword created =
        runtime::CreateKey(platform.registry, platform::kHkeyCurrentUser, kUpgradeKey, platform::kKeyAllAccess, key);
    if (created != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegCreateKeyExA", runtime::RegistryPath(platform::kHkeyCurrentUser, kUpgradeKey),
                            created);
        return;
    }
    if (const platform::Dword set = runtime::WriteDword(platform.registry, key.get(), name, 1)) {
        runtime::LogFailure(platform, "RegSetValueExA",
                            runtime::RegistryPath(platform::kHkeyCurrentUser, kUpgradeKey, name), set);
    }
}

bool IsComponentMarkedForUpgrade(platform::Platform& platform, UpgradeComponent component) {
    platform::RegKey key;
    const platform::Dword opened =
        runtime::OpenKey(platform.registry, platform::kHkeyCurrentUser, kUpgradeKey, platform::kKeyRead, key);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(platform::kHkeyCurrentUser, kUpgradeKey),
                            opened);
        return false;
    }
    return runtime::ReadDword(platform.registry, key.get(), UpgradeMarkName(component)).has_value();
}

}  // namespace veltra::upgrade
