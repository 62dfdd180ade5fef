// EnableGina (deferred): links the agent GINA in at the end of the Winlogon
// chain. CustomActionData: "<agent GINA path>;<UILevel>".
#include "gina/gina_dialogs.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

// INSTALLUILEVEL_NONE: nobody is there to answer a question.
constexpr const char* kNoUserInterface = "2";

}  // namespace

platform::Dword EnableGina(platform::Platform& platform) {
    const std::string data = runtime::GetMsiProperty(platform.installer, "CustomActionData");
    const std::vector<std::string> fields = runtime::SplitDeferredData(data);
    // Data of separators alone names no GINA, no more than empty data does.
    if (fields.empty()) return platform::kErrorInstallFailure;
    const std::string& agentPath = fields[0];
    const bool quiet = runtime::FieldOrEmpty(fields, 1) == kNoUserInterface;

    if (gina::SetGinaWithDialogs(platform, true, quiet, agentPath) != platform::kErrorSuccess) {
        return platform::kErrorInstallFailure;
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
