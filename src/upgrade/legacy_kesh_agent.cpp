// The legacy Kesh/Agent (generation 5.x) left one subkey per installed
// version under its Morvane key and an entry in Add/Remove Programs. Only
// 5.5 and 5.6 can be carried over, and only while they can still be removed.
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "upgrade/upgrade_state.h"
#include "upgrade/version_numbers.h"

namespace veltra::upgrade {
namespace {

constexpr const char* kLegacyAgentKey = "SOFTWARE\\Morvane\\Veltra Kesh/Agent for Windows";
constexpr const char* kLegacyUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kesh/Agent for Windows NT";

struct LegacyVersions {
    bool upgradable = false;
    bool old = false;
};

// Version subkeys are named "5.5" or "5.6 [build 12]": the minor number ends
// at a full stop, a blank or the build note's bracket.
void ClassifyVersionSubkey(std::string_view name, LegacyVersions& found) {
    std::string_view rest = name;
    const int major = DecimalValue(NextPiece(rest, "."));
    const int minor = DecimalValue(NextPiece(rest, ". ["));
    if (major < 5 || (major == 5 && minor < 5)) {
        found.old = true;
    } else if (major == 5 && (minor == 5 || minor == 6)) {
        found.upgradable = true;
    }
}

LegacyVersions ScanVersionSubkeys(platform::Platform& platform) {
    LegacyVersions found;
    platform::RegKey key;
    const platform::Dword opened =
        runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kLegacyAgentKey, platform::kKeyAllAccess, key);
    if (opened != platform::kErrorSuccess) {
        if (opened != platform::kErrorFileNotFound) {
            runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(platform::kHkeyLocalMachine, kLegacyAgentKey), opened);
        }
        return found;
    }
    // A name longer than the buffer ends the scan, as any failed step does.
    for (platform::Dword index = 0; !found.upgradable; ++index) {
        char name[kUpgradeBuffer] = {};
        platform::Dword length = sizeof name;
        const platform::Dword status = platform.registry.EnumKeyEx(key.get(), index, name, &length);
        if (status != platform::kErrorSuccess) {
            if (status != platform::kErrorNoMoreItems) {
                runtime::LogFailure(platform, "RegEnumKeyExA", runtime::RegistryPath(platform::kHkeyLocalMachine, kLegacyAgentKey), status);
            }
            break;
        }
        ClassifyVersionSubkey(std::string_view(name, length), found);
    }
    return found;
}

bool HasUninstallEntry(platform::Platform& platform) {
    platform::RegKey key;
    return runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kLegacyUninstallKey, platform::kKeyRead, key) ==
           platform::kErrorSuccess;
}

}  // namespace

LegacyKeshAgent DetectLegacyKeshAgent(platform::Platform& platform) {
    const LegacyVersions found = ScanVersionSubkeys(platform);
    const bool uninstallEntry = HasUninstallEntry(platform);
    if (found.upgradable && uninstallEntry) return kUpgradableLegacyKeshAgent;
    // An entry in Add/Remove Programs without a version that can be carried
    // over still means old files and settings on the machine.
    if (found.old || uninstallEntry) return kOldLegacyKeshAgent;
    return kNoLegacyKeshAgent;
}

}  // namespace veltra::upgrade
