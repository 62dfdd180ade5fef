// SetDeferredPreProcessData: packs what the pre-install capture needs, since a
// deferred action sees no ordinary properties. Fields: system folder; Windows
// folder; installation folder; first-installation flag; challenge mode.
#include <string>

#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

constexpr std::size_t kPathCapacity = 260;
constexpr std::size_t kChallengeModeCapacity = 10;

// The wizard's challenge choice, read into a buffer of ten characters; a
// choice that is missing, unreadable or does not fit counts as the default
// mode, "1".
std::string ChallengeMode(platform::Installer& installer) {
    char buffer[kChallengeModeCapacity] = {0};
    platform::Dword length = sizeof buffer;
    if (installer.GetProperty("AUTHCONFIGSELECTED", buffer, &length) != platform::kErrorSuccess || buffer[0] == '\0') {
        return "1";
    }
    return buffer;
}

}  // namespace

platform::Dword SetDeferredPreProcessData(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    const std::string firstInstallation = runtime::GetMsiProperty(installer, "Installed").empty() ? "1" : "0";
    const std::string data = runtime::JoinStrings(
        ";", {runtime::GetMsiPropertyFixed(installer, "SystemFolder", kPathCapacity),
              runtime::GetMsiPropertyFixed(installer, "WindowsFolder", kPathCapacity),
              runtime::GetMsiPropertyFixed(installer, "INSTALLDIR", kPathCapacity), firstInstallation,
              ChallengeMode(installer)});
    installer.SetProperty("PreProcessAgentInstall", data.c_str());
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
