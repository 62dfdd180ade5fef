// Where a previous domain host kept its day files, and so its domain secret
// "domaininfo.dat".
#include <string>

#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "upgrade/upgrade_settings.h"

namespace veltra::upgrade {
namespace {

constexpr std::string_view kDomainHostServiceKey = "Veltra Authentication Agent\\CurrentVersion\\DomainHost\\OASVC";
constexpr const char* kDayfileDirValue = "DayfileDir";

}  // namespace

std::optional<std::string> GetDomainHostDayfileDir(platform::Platform& platform, std::string_view root,
                                                   std::size_t capacity) {
    platform::RegKey key;
    std::string keyPath;
    for (const std::string_view candidate : {root, std::string_view(runtime::kLegacySettingsRoot)}) {
        keyPath = std::string(candidate) + std::string(kDomainHostServiceKey);
        const platform::Dword opened =
            runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, keyPath.c_str(), platform::kKeyRead, key);
        if (opened == platform::kErrorSuccess) break;
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(platform::kHkeyLocalMachine, keyPath),
                            opened);
    }
    if (!key) return std::nullopt;
    std::string folder;
    const platform::Dword read =
        runtime::QueryString(platform.registry, key.get(), kDayfileDirValue, runtime::kPathBuffer, folder);
    if (read != platform::kErrorSuccess || folder.size() >= capacity) {
        runtime::LogFailure(platform, "RegQueryValueExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, keyPath, kDayfileDirValue),
                            read != platform::kErrorSuccess ? read : platform::kErrorMoreData);
        return std::nullopt;
    }
    return folder;
}

}  // namespace veltra::upgrade
