// The two warnings about a selection that cannot proceed: nothing chosen, or
// a local client together with a domain authentication server. The wizard
// stays on its page; the administrator changes the choice or cancels.
#include <string>

#include "platform/platform.h"
#include "runtime/actions.h"
#include "runtime/messages.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

using platform::Dword;

constexpr const char* kNoAgentsSelected =
    "No agents have been selected for Install or Change.\n\n"
    "Select at least one agent type to install or change.\n"
    "Otherwise, press Cancel to exit the installation.";

constexpr const char* kLocalClientWithDomainServer =
    "You have selected both the Local Authentication Client\n"
    "component and the Domain Authentication Server component\n"
    "for installation.  This combination is invalid.\n\n"
    "To proceed, deselect one of the components, or exit\n"
    "the installation by clicking Cancel.";

}  // namespace

Dword MessageBadAgentsSelection(platform::Platform& platform) {
    // Only a tally that says "no" explicitly is reported; an unset or
    // overridden one is not.
    if (runtime::GetMsiProperty(platform.installer, "OK_AGENTS") == "0") {
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, kNoAgentsSelected,
                             runtime::style::kForegroundWarning);
    }
    return platform::kErrorSuccess;
}

Dword SetInCompatibleAgents1(platform::Platform& platform) {
    platform.installer.SetProperty("OK_AGENTS", "0");
    runtime::ShowMessage(platform.windows, platform::Hwnd{}, kLocalClientWithDomainServer,
                         runtime::style::kForegroundWarning);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
