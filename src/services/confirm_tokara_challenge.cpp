// ConfirmTokaraChallenge (immediate): turns the wizard's challenge option into
// the challenge mode, and makes the administrator confirm "challenge all
// users", which can lock every account out.
#include "runtime/actions.h"
#include "runtime/log.h"
#include "runtime/messages.h"
#include "services/challenge.h"

namespace veltra::actions {
namespace {

constexpr const char* kChallengeAllQuestion =
    "Selecting the \"Challenge All Users\" option can result\n"
    "in all users being locked out.  Make sure that at least\n"
    "one administrator can authenticate with Veltra Tokara.\n\n"
    "Are you sure you want to set this option?";

}  // namespace

platform::Dword ConfirmTokaraChallenge(platform::Platform& platform) {
    platform.installer.SetProperty("AUTH_CONFIG_CONTINUE", "1");
    platform.installer.SetProperty("AUTH_CONFIG_DIALOG", "1");

    const auto option = services::ReadChallengeFlag(platform.installer, "_ISTokaraAuthChallenge");
    const char* mode = option && *option == "1" ? services::kChallengeAllButExcluded : services::kChallengeDefault;
    platform.installer.SetProperty("AUTHCONFIGSELECTED", mode);

    // The package builder chooses for another machine; the question is asked
    // there, if at all.
    if (services::ReadChallengeFlag(platform.installer, "PACKAGE_CREATE") == "1") return platform::kErrorSuccess;
    if (std::string_view(mode) != services::kChallengeAllButExcluded) return platform::kErrorSuccess;

    if (runtime::ShowMessage(platform.windows, platform::Hwnd{}, kChallengeAllQuestion,
                             runtime::style::kChallengeAllConfirmation) == platform::kIdNo) {
        runtime::Log(platform.installer, "the administrator declined to challenge all users");
        platform.installer.SetProperty("AUTH_CONFIG_CONTINUE", "0");
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
