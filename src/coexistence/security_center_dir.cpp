// GetSecurityCenterDir: the folder the security center was installed in.
// Older security centers recorded only "SCA CPL path"; the first reader
// copies it into "InstallDir" for the products that read that one.
#include "coexistence/security_center_pages.h"
#include "coexistence/sibling_keys.h"
#include "runtime/log.h"

namespace veltra::coexistence {

using platform::Dword;

bool GetSecurityCenterDir(platform::Platform& platform, std::string& folder, std::size_t size) {
    folder.clear();
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kSecurityCenterKey,
                         platform::kKeyAllAccess, key) != 0) {
        return false;
    }
    // One byte of the buffer is kept for the backslash.
    const std::size_t capacity = size > 0 ? size - 1 : 0;
    if (auto dir = runtime::ReadString(platform.registry, key.get(), "InstallDir", capacity)) {
        folder = *dir + "\\";
        return true;
    }
    if (auto dir = runtime::ReadString(platform.registry, key.get(), "SCA CPL path", capacity)) {
        if (const Dword status = runtime::WriteString(platform.registry, key.get(), "InstallDir", *dir)) {
            runtime::LogFailure(platform, "RegSetValueExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, kSecurityCenterKey, "InstallDir"),
                                status);
        }
        folder = *dir + "\\";
        return true;
    }
    return false;
}

}  // namespace veltra::coexistence
