// RemoveUtilityKeys: the registrations the authenticator utility leaves
// behind once it is gone. Its token software may outlive it; that software's
// key stays while its "InstallDir" can still be read.
#include <string>

#include "coexistence/sibling_keys.h"
#include "coexistence/sibling_presence.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::coexistence {

using platform::Dword;

namespace {

void DeleteWholeKey(platform::Platform& platform, platform::HKey root, const char* path) {
    platform::RegKey probe;
    if (runtime::OpenKey(platform.registry, root, path, platform::kKeyQueryValue, probe) != 0) return;
    probe.reset();
    if (const Dword status = platform.registry.DeleteTree(root, path)) {
        runtime::LogFailure(platform, "SHDeleteKeyA", runtime::RegistryPath(root, path), status);
    }
}

// The token software counts as installed when the "Tokara" key below its
// first subkey holds a readable "InstallDir".
bool TokenSoftwareInstalled(platform::Platform& platform, platform::HKey tokenKey) {
    char first[runtime::kPathBuffer];
    Dword length = sizeof first;
    if (platform.registry.EnumKeyEx(tokenKey, 0, first, &length) != platform::kErrorSuccess) return false;
    const std::string product = std::string(kTokenSoftwareKey) + "\\" + first + "\\Tokara";
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, product.c_str(), platform::kKeyQueryValue,
                         key) != 0) {
        return false;
    }
    return runtime::ReadString(platform.registry, key.get(), "InstallDir").has_value();
}

}  // namespace

int RemoveUtilityKeys(platform::Platform& platform) {
    if (IsAuthenticatorUtilityInstalled(platform)) return 1;

    DeleteWholeKey(platform, platform::kHkeyLocalMachine, kUtilityKey);

    platform::RegKey token;
    if (runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kTokenSoftwareKey, platform::kKeyRead, token) == 0) {
        const bool keep = TokenSoftwareInstalled(platform, token.get());
        token.reset();
        if (!keep) DeleteWholeKey(platform, platform::kHkeyLocalMachine, kTokenSoftwareKey);
    }

    DeleteWholeKey(platform, platform::kHkeyCurrentUser, kUtilityKey);
    return 1;
}

}  // namespace veltra::coexistence
