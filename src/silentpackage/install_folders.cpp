#include "silentpackage/install_folders.h"

#include <optional>
#include <string>

#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/logged_reads.h"
#include "runtime/registry_ops.h"
#include "runtime/session.h"
#include "selection/offline_services.h"

namespace veltra::silentpackage {
namespace {

using platform::Dword;

constexpr std::size_t kPathCapacity = runtime::kPathBuffer;

// The environment variable is read into a buffer of the path limit; a longer
// value does not fit and counts as absent.
constexpr Dword kDomainNameCapacity = 260;

// A string value of one of the agent's keys, opened for reading only. Absent
// when the key does not open or the value does not read.
std::optional<std::string> ReadAgentString(platform::Platform& platform, const char* keyPath,
                                           const char* valueName) {
    return runtime::ReadLoggedString(platform, platform::kHkeyLocalMachine, keyPath, valueName, kPathCapacity);
}

// The day-file root of the local and domain clients: the local service's
// key when it exists, the domain client service's key only when it does not.
std::optional<std::string> ReadLocalDayfileRoot(platform::Platform& platform) {
    platform::RegKey key;
    const char* keyPath = runtime::kLocalOfflineServiceKey;
    Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, keyPath,
                                    platform::kKeyRead, key);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, keyPath), opened);
        keyPath = runtime::kDomainOfflineServiceKey;
        opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, keyPath,
                                  platform::kKeyRead, key);
        if (opened != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegOpenKeyExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, keyPath), opened);
            return std::nullopt;
        }
    }
    std::string root;
    const Dword read = runtime::QueryString(platform.registry, key.get(), selection::kDayfileDirRoot,
                                            kPathCapacity, root);
    if (read != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegQueryValueExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, keyPath,
                                                  selection::kDayfileDirRoot),
                            read);
        return std::nullopt;
    }
    return root;
}

// The DNS domain the machine belongs to; "" outside a domain.
std::string DnsDomainName(platform::Platform& platform) {
    char buffer[kDomainNameCapacity] = {};
    const Dword length = platform.system.GetEnvironmentVariable("USERDNSDOMAIN", buffer, kDomainNameCapacity);
    if (length == 0 || length >= kDomainNameCapacity) {
        runtime::LogLastError(platform, "GetEnvironmentVariableA", "USERDNSDOMAIN");
        return {};
    }
    return std::string(buffer, length);
}

}  // namespace

void SetupInstallDir(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    // Only a maintenance run has an earlier installation to follow; a first
    // installation keeps the folder the administrator chose.
    if (!runtime::GetMsiPropertyFixed(installer, "Installed", kPathCapacity).empty()) {
        if (const auto installPath =
                ReadAgentString(platform, runtime::kAgentCommonKey, runtime::kInstallPathValue)) {
            installer.SetProperty("INSTALLDIR", installPath->c_str());
        }
    }
    const std::string systemFolder = runtime::GetMsiPropertyFixed(installer, "SystemFolder", kPathCapacity);
    installer.SetProperty("INSTALLDIR_SYS32", systemFolder.c_str());
}

void SetupDayfileInstallDirs(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;

    std::optional<std::string> localRoot = ReadLocalDayfileRoot(platform);
    if (!localRoot) localRoot = runtime::GetMsiPropertyFixed(installer, "CommonAppDataFolder", kPathCapacity);
    installer.SetProperty("DAYFILE_LOCAL_ROOT", localRoot->c_str());

    // Without a domain host on the machine, the day files of the domain are
    // kept in the domain's SYSVOL share.
    std::optional<std::string> globalRoot =
        ReadAgentString(platform, runtime::kDomainHostOfflineServiceKey, selection::kDayfileDirRoot);
    if (!globalRoot) {
        globalRoot = runtime::GetMsiPropertyFixed(installer, "WindowsFolder", kPathCapacity) +
                     "SYSVOL\\sysvol\\" + DnsDomainName(platform) + "\\";
    }
    installer.SetProperty("DAYFILE_GLOBAL_ROOT", globalRoot->c_str());
}

}  // namespace veltra::silentpackage
