#include "coexistence/sibling_presence.h"

#include "coexistence/key_tree.h"
#include "coexistence/sibling_keys.h"
#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::coexistence {

using platform::Dword;

namespace {

constexpr platform::HKey kMachine = platform::kHkeyLocalMachine;

// A value read into 260 bytes; one that does not fit counts as absent.
bool CanReadString(platform::Platform& platform, const char* path, const char* name) {
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, kMachine, path, platform::kKeyQueryValue, key) != 0) return false;
    return runtime::ReadString(platform.registry, key.get(), name).has_value();
}

}  // namespace

bool IsAuthenticatorUtilityInstalled(platform::Platform& platform) {
    return CanReadString(platform, kUtilityDesktopKey, "ProductVersion");
}

bool IsWebAgentInstalled(platform::Platform& platform) {
    platform::RegKey key;
    return runtime::OpenKey(platform.registry, kMachine, kWebAgentKey, platform::kKeyQueryValue, key) == 0;
}

bool IsRadiusProductInstalled(platform::Platform& platform) {
    char location[runtime::kPathBuffer] = {0};
    Dword length = sizeof location;
    // Any result other than 0 (unknown product, no such value, too long) is "absent".
    return platform.installer.GetProductInfo(kRadiusProductCode, "InstallLocation", location, &length) == 0;
}

bool IsAgentRegistered(platform::Platform& platform) {
    return CanReadString(platform, runtime::kAgentRootKey, "ProductID");
}

bool HasLogonComponent(platform::Platform& platform) {
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, kMachine, runtime::kComponentsKey, platform::kKeyQueryValue, key) != 0) {
        return false;
    }
    for (const char* component : {"Local Authentication Client", "Domain Authentication Client",
                                  "Domain Authentication Server"}) {
        Dword installed = 0;
        GetDwordValue(platform, key.get(), component, &installed);
        if (installed == 1) return true;
    }
    return false;
}

Dword GetInteropFlag(platform::Platform& platform, const char* flag) {
    platform::RegKey key;
    runtime::OpenKey(platform.registry, kMachine, kInteropKey, platform::kKeyQueryValue, key);
    Dword value = 0;
    GetDwordValue(platform, key.get(), flag, &value);
    return value;
}

void SetInteropFlag(platform::Platform& platform, const char* flag, Dword value) {
    platform::RegKey key;
    if (const Dword status = runtime::CreateKey(platform.registry, kMachine, kInteropKey, platform::kKeySetValue, key)) {
        runtime::LogFailure(platform, "RegCreateKeyExA", runtime::RegistryPath(kMachine, kInteropKey), status);
        return;
    }
    SetDwordValue(platform, key.get(), flag, &value);
}

}  // namespace veltra::coexistence
