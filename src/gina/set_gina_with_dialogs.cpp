// SetGinaWithDialogs: the chain change with the administrator in the loop.
// The loop has two states, force off and force on; force turns on once the
// administrator lets the agent GINA displace another product's GINA, or at
// once when nobody can be asked.
#include "gina/gina_chain.h"
#include "gina/gina_dialogs.h"
#include "runtime/messages.h"
#include "runtime/text.h"

namespace veltra::gina {
namespace {

constexpr const char* kUnexpectedError =
    "An unexpected error has been encountered\n"
    "in setting the Gina.  A rollback of the\n"
    "installation will be performed.";

// This GINA gives way to the agent GINA without a question.
constexpr const char* kGinaReplacedWithoutAsking = "3-Gina.dll";

}  // namespace

platform::Dword SetGinaWithDialogs(platform::Platform& platform, bool enable, bool quiet,
                                   std::string_view agentPath) {
    bool force = false;
    for (;;) {
        NameBuffer name;
        const platform::Dword result =
            SetAgentGinaInChain(platform, enable, &name, force, agentPath);

        if (result == kGinaStillLoaded) {
            // Taken out, but loaded until the next restart.
            if (quiet) return platform::kErrorSuccess;
            switch (ShowGinaStillLoadedDialog(platform, name.text)) {
                case platform::kIdRetry:
                case platform::kIdTryAgain:
                    continue;
                case platform::kIdIgnore:
                case platform::kIdContinue:
                    return platform::kErrorSuccess;
                default:
                    return kGinaStillLoaded;
            }
        }

        if (result == kGinaConflict) {
            const bool ask =
                !quiet && !runtime::EqualsIgnoreCase(platform.system, name.text, kGinaReplacedWithoutAsking);
            if (ask && ShowGinaConflictDialog(platform, name.text) != platform::kIdContinue) {
                return platform::kErrorInstallFailure;
            }
            force = true;
            continue;
        }

        if (result == platform::kErrorSuccess) return platform::kErrorSuccess;

        runtime::ShowMessage(platform.windows, platform::Hwnd{}, kUnexpectedError,
                             runtime::style::kServiceError);
        return result;
    }
}

}  // namespace veltra::gina
