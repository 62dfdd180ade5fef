// DisableGina (deferred): takes the agent GINA out of the Winlogon chain and
// puts back the GINA it displaced. CustomActionData: "<UILevel>".
#include "gina/gina_dialogs.h"
#include "runtime/actions.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

// INSTALLUILEVEL_NONE: nobody is there to answer a question.
constexpr const char* kNoUserInterface = "2";

}  // namespace

platform::Dword DisableGina(platform::Platform& platform) {
    const bool quiet =
        runtime::GetMsiProperty(platform.installer, "CustomActionData") == kNoUserInterface;

    if (gina::SetGinaWithDialogs(platform, false, quiet, "") != platform::kErrorSuccess) {
        return platform::kErrorInstallFailure;
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
