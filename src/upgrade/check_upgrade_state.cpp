// CheckUpgradeState (immediate): before anything is installed, looks for the
// agents this one replaces and decides whether the installation may go on.
// An upgradable previous Authentication Agent is recorded in the per-user
// upgrade key for the steps that migrate it.
#include "runtime/actions.h"
#include "runtime/log.h"
#include "runtime/messages.h"
#include "runtime/session.h"
#include "upgrade/upgrade_state.h"

namespace veltra::actions {
namespace {

// INSTALLUILEVEL_NONE: nobody is there to answer a question.
constexpr const char* kNoUserInterface = "2";

constexpr const char* kLegacyNotUpgradableMessage =
    "The installation program has detected a previous\n"
    "version of Veltra Kesh/Agent for Windows that cannot be\n"
    "upgraded to Veltra Authentication for Windows, version 6.1.\n"
    "\n"
    "To install Veltra Authentication Agent for Windows 6.1, you\n"
    "you must, first, uninstall or remove the previous version of\n"
    "Veltra Kesh/Agent for Windows, and, then, rerun this\n"
    "6.1 installation.\n";

constexpr const char* kLegacyUpgradeQuestion =
    "The installation program has detected a previous\n"
    "version of Veltra Kesh/Agent for Windows.  If, during\n"
    "this installation, you select the same components as\n"
    "in the previous installation, and if you choose to\n"
    "postpone all Agent configuration until after installing,\n"
    "the chosen components will be upgraded and will retain\n"
    "their previous configuration settings.  Previous-version\n"
    "components that you do not select during this installation\n"
    "will be removed.\n"
    "\n"
    "If you want to continue with the installation, click Yes.\n"
    "If you want to exit the installation, click No.\n";

constexpr const char* kAgentUpgradeQuestion =
    "The installation program has detected a previous\n"
    "version of Veltra Authentication Agent for Windows.  If,\n"
    "during this installation, you select the same components\n"
    "as in the previous installation, and if you choose to\n"
    "postpone all Agent configuration until after installing,\n"
    "the chosen components will be upgraded and will retain\n"
    "their previous configuration settings.  Previous-version\n"
    "components that you do not select during this installation\n"
    "will be removed.\n"
    "\n"
    "If you want to continue with the installation, click Yes.\n"
    "If you want to exit the installation, click No.\n";

// Whether the administrator goes on with the upgrade; a quiet installation
// has accepted it on its command line.
bool UpgradeAccepted(platform::Platform& platform, bool quiet, const char* question) {
    if (quiet) return true;
    if (runtime::ShowMessage(platform.windows, platform::Hwnd{}, question, runtime::style::kForegroundYesNo) ==
        platform::kIdNo) {
        runtime::Log(platform.installer, "the administrator declined the upgrade");
        return false;
    }
    return true;
}

}  // namespace

platform::Dword CheckUpgradeState(platform::Platform& platform) {
    if (const platform::Dword conflict = upgrade::CheckSignOnManagerConflict(platform)) return conflict;
    const bool quiet = runtime::GetMsiProperty(platform.installer, "UILevel") == kNoUserInterface;

    switch (upgrade::DetectLegacyKeshAgent(platform)) {
        case upgrade::kOldLegacyKeshAgent:
            // Stops even a quiet installation: nothing can carry that agent over.
            runtime::Log(platform.installer, "a legacy Kesh/Agent that cannot be upgraded is installed");
            runtime::ShowMessage(platform.windows, platform::Hwnd{}, kLegacyNotUpgradableMessage,
                                 runtime::style::kServiceError);
            return platform::kErrorInstallFailure;
        case upgrade::kUpgradableLegacyKeshAgent:
            runtime::Log(platform.installer, "an upgradable legacy Kesh/Agent is installed");
            // The legacy agent is found again by the steps that migrate it;
            // nothing is recorded for it.
            return UpgradeAccepted(platform, quiet, kLegacyUpgradeQuestion) ? platform::kErrorSuccess
                                                                            : platform::kErrorInstallFailure;
        case upgrade::kNoLegacyKeshAgent:
            break;
    }

    std::string productCode;
    const upgrade::UpgradeId id =
        upgrade::GetPreviousAgentVersion(platform, upgrade::AgentVersionMode::Detect, productCode);
    if (id != upgrade::UpgradeIdLegacyKey && id != upgrade::UpgradeIdCurrentKey) return platform::kErrorSuccess;
    runtime::Log(platform.installer, "a previous agent is installed: upgrade id " + std::to_string(id) + ", product " + productCode);
    if (!UpgradeAccepted(platform, quiet, kAgentUpgradeQuestion)) return platform::kErrorInstallFailure;
    // A key that cannot be written leaves a plain installation; the
    // installation itself is not put at risk for it.
    upgrade::SaveUpgradeState(platform, id, productCode);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
