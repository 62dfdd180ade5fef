// ConfigUsersTokaraChallenge (deferred): writes the challenge mode into the
// GINA and network settings of the installed components and, to challenge
// all users, sets up the exclude group first. A machine that would lock
// everyone out is worse than no installation, so a group that cannot be set
// up rolls the installation back.
// CustomActionData: "<mode>;<computer name>;<repository folder>".
#include "runtime/actions.h"
#include "runtime/agent_keys.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/messages.h"
#include "runtime/registry_ops.h"
#include "runtime/session.h"
#include "services/challenge.h"
#include "upgrade/upgrade_state.h"

namespace veltra::actions {
namespace {

constexpr const char* kExcludeGroupFailedMessage =
    "Failed to add the Administrator into the\nTokara Challenge Exclude group.";
constexpr const char* kRollingBackMessage =
    "The installation changes will be rolled back now\nto prevent your system from becoming locked.";

// Each settings key belongs to the component whose marker the package lays
// in the repository folder.
struct ChallengeTarget {
    const char* key;
    const char* marker;
};
constexpr ChallengeTarget kTargets[] = {
    {runtime::kGinaSettingsKey, "LocalClientKEY.txt"},
    {runtime::kNetworkSettingsKey, "DomainServerKEY.txt"},
};

bool OpenSettingsKey(platform::Platform& platform, const char* path, platform::RegKey& key) {
    const platform::Dword status =
        runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, path, platform::kKeyAllAccess, key);
    if (status != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(platform::kHkeyLocalMachine, path), status);
        return false;
    }
    return true;
}

// A fresh agent starts with the challenge off, whatever its package's
// defaults say; an upgraded one keeps what it had.
void DisableChallengeOfFreshAgent(platform::Platform& platform) {
    std::string productCode;
    if (upgrade::DetectLegacyKeshAgent(platform) != upgrade::kNoLegacyKeshAgent ||
        upgrade::GetPreviousAgentVersion(platform, upgrade::AgentVersionMode::Record, productCode) !=
            upgrade::UpgradeIdNone) {
        return;
    }
    for (const ChallengeTarget& target : kTargets) {
        platform::RegKey key;
        if (!OpenSettingsKey(platform, target.key, key)) continue;
        if (!runtime::ReadDword(platform.registry, key.get(), "Enabled")) continue;
        if (const auto status = runtime::WriteDword(platform.registry, key.get(), "Enabled", 0)) {
            runtime::LogFailure(platform, "RegSetValueExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, target.key, "Enabled"), status);
        }
    }
}

void WriteChallengeSettings(platform::Platform& platform, const char* path, platform::Dword enabled,
                            const std::string& challengeGroup) {
    platform::RegKey key;
    if (!OpenSettingsKey(platform, path, key)) return;
    auto check = [&](const char* name, platform::Dword status) {
        if (status != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegSetValueExA", runtime::RegistryPath(platform::kHkeyLocalMachine, path, name), status);
        }
    };
    check("Enabled", runtime::WriteDword(platform.registry, key.get(), "Enabled", enabled));
    check("ChallengeGroup", runtime::WriteString(platform.registry, key.get(), "ChallengeGroup", challengeGroup));
    check("ReserveOption", runtime::WriteString(platform.registry, key.get(), "ReserveOption", "0"));
    check("UseKeshProxy", runtime::WriteString(platform.registry, key.get(), "UseKeshProxy", "0"));
}

}  // namespace

platform::Dword ConfigUsersTokaraChallenge(platform::Platform& platform) {
    const auto deferred = runtime::DeferredFields(platform.installer);
    if (!deferred) return platform::kErrorInstallFailure;
    const std::vector<std::string>& fields = *deferred;
    const std::string mode = runtime::FieldOrEmpty(fields, 0);
    const std::string computerName = runtime::FieldOrEmpty(fields, 1);
    const std::string repository = runtime::FieldOrEmpty(fields, 2);

    DisableChallengeOfFreshAgent(platform);
    if (mode != services::kChallengeAllButExcluded && mode != services::kChallengeAlternative) {
        return platform::kErrorSuccess;
    }

    bool installed[std::size(kTargets)] = {};
    for (std::size_t i = 0; i < std::size(kTargets); ++i) {
        installed[i] = runtime::FindFileInFolder(platform.files, repository, kTargets[i].marker);
    }

    if (mode == services::kChallengeAlternative) {
        for (std::size_t i = 0; i < std::size(kTargets); ++i) {
            if (installed[i]) WriteChallengeSettings(platform, kTargets[i].key, 2, "");
        }
        return platform::kErrorSuccess;
    }

    const std::string challengeGroup = "\\\\" + computerName + "\\" + services::kExcludeGroupName;
    bool groupReady = false;
    for (std::size_t i = 0; i < std::size(kTargets); ++i) {
        if (!installed[i]) continue;
        if (!groupReady) {
            if (!services::SetUpExcludeGroup(platform)) {
                runtime::ShowMessage(platform.windows, platform::Hwnd{}, kExcludeGroupFailedMessage,
                                     runtime::style::kServiceError);
                // No reboot can help a machine the rollback is about to restore.
                platform.installer.SetProperty("ISSCHEDULEREBOOT", "");
                runtime::ShowMessage(platform.windows, platform::Hwnd{}, kRollingBackMessage,
                                     runtime::style::kServiceError);
                return platform::kErrorInstallFailure;
            }
            groupReady = true;
        }
        WriteChallengeSettings(platform, kTargets[i].key, 3, challengeGroup);
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
