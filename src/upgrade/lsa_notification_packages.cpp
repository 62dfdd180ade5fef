// UpdateLsaNotificationPackages: the system asks every package on the Lsa
// list "Notification Packages" about password changes. The agent's password
// filter is on it, once and last, exactly while its DLL is in the system
// folder; the system's own packages and other products' keep their places.
#include <string>
#include <vector>

#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "runtime/text.h"
#include "upgrade/shared_list_value.h"
#include "upgrade/shared_registrations.h"

namespace veltra::upgrade {

namespace {

constexpr const char* kLsaKey = "SYSTEM\\CurrentControlSet\\Control\\Lsa";
constexpr const char* kPackagesValue = "Notification Packages";
constexpr const char* kFilterPackage = "veltrapwdfilt";
constexpr const char* kFilterFile = "veltrapwdfilt.dll";

}  // namespace

void UpdateLsaNotificationPackages(platform::Platform& platform, std::string_view systemFolder) {
    const std::string filter = runtime::JoinStrings("\\", {systemFolder, kFilterFile});
    const bool filterPresent = platform.files.GetFileAttributes(filter.c_str()) != platform::kInvalidFileAttributes;

    const std::string keyPath = runtime::RegistryPath(platform::kHkeyLocalMachine, kLsaKey);
    platform::RegKey key;
    if (const platform::Dword opened =
            runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kLsaKey, platform::kKeyAllAccess, key)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", keyPath, opened);
        return;
    }
    const auto before = ReadListValue(platform, key.get(), keyPath, kPackagesValue);
    if (!before) return;

    std::vector<std::string> packages;
    for (const std::string& entry : before->entries) {
        if (!runtime::EqualsIgnoreCase(platform.system, entry, kFilterPackage)) packages.push_back(entry);
    }
    if (filterPresent) packages.emplace_back(kFilterPackage);
    WriteListValue(platform, key.get(), keyPath, kPackagesValue, packages);
}

}  // namespace veltra::upgrade
