// GetConfigState: tells the package wizard which of the local client's
// settings this machine could pass on in a package: a reserve password
// ("ReservedPasswordSet") and a challenge group ("LACProtectedGroup"),
// each "1" or "0".
#include <optional>
#include <string>

#include "runtime/actions.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "settings/key_paths.h"

namespace veltra::actions {

platform::Dword GetConfigState(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    installer.SetProperty("ReservedPasswordSet", "0");
    installer.SetProperty("LACProtectedGroup", "0");

    platform::RegKey key;
    const platform::Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine,
                                                    settings::kGinaSettingsKey, platform::kKeyRead, key);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, settings::kGinaSettingsKey), opened);
        return platform::kErrorSuccess;
    }

    // "ReserveOption" is a number kept as decimal text.
    constexpr std::size_t kValueCapacity = 1020;
    const std::optional<std::string> reserveOption =
        runtime::ReadString(platform.registry, key.get(), "ReserveOption", kValueCapacity);
    if (reserveOption == "1") installer.SetProperty("ReservedPasswordSet", "1");

    const std::optional<std::string> challengeGroup =
        runtime::ReadString(platform.registry, key.get(), "ChallengeGroup", kValueCapacity);
    if (challengeGroup && !challengeGroup->empty()) installer.SetProperty("LACProtectedGroup", "1");
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
