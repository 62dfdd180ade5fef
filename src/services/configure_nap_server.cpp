// ConfigureNAPServer (deferred): configures the domain authentication server
// through the agent's control-panel applet, on the interactive desktop.
//
// A domain controller whose server is not configured would lock its users
// out once the agent GINA is in the chain, so when the configuration cannot
// be completed the GINA is taken out again and the installation is rolled
// back. The result is 0, 1603 for missing data or a reduced user interface,
// or the failing step's code: the applet's own non-zero result or the
// Windows error of a step (the installer takes any of them as a failure).
//
// CustomActionData: "<installation folder>;<not used>;<shared authentication
// framework folder>;<shared back-end UI folder>;<UILevel>".
#include <optional>
#include <string>
#include <vector>

#include "gina/gina_chain.h"
#include "platform/platform.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/messages.h"
#include "runtime/session.h"
#include "services/interactive_desktop.h"
#include "upgrade/library_search_paths.h"

namespace veltra::actions {
namespace {

using platform::Dword;

constexpr const char* kAppletFile = "kvcontrl.cpl";
constexpr const char* kAppletExport = "ConfigureNAPServer";

constexpr const char* kRetryQuestion =
    "Incomplete configuration of the Domain Authentication Server.\n"
    "You can retry this configuration step or cancel the installation\n"
    "of the Domain Authentication Server.\nDo you want to retry?";

constexpr const char* kFailedMessage =
    "Failed configuration of the Domain Authentication Server.\n"
    "The installation changes will be rolled back now\n"
    "to prevent your domain controller from becoming locked.";

// The applet's dialogs need the administrator: without a user interface
// ("2") or with the basic one ("3") there is nobody to configure the server.
bool IsReducedUserInterface(const std::string& uiLevel) { return uiLevel == "2" || uiLevel == "3"; }

// The applet loads the agent's libraries from the installation folder, so
// the process's PATH gets it at the end. The extension stays for the rest of
// the installer service's life.
void AppendToPath(platform::Platform& platform, const std::string& folder) {
    const Dword needed = platform.system.GetEnvironmentVariable("PATH", nullptr, 0);
    if (needed == 0) return;  // PATH is not defined
    std::vector<char> buffer(needed);
    const Dword length = platform.system.GetEnvironmentVariable("PATH", buffer.data(), needed);
    if (length == 0 || length >= needed) return;
    const std::string assignment = "PATH=" + std::string(buffer.data(), length) + ";" + folder;
    if (platform.system.PutEnv(assignment.c_str()) != 0) {
        runtime::LogFailure(platform, "_putenv", "PATH", platform::kErrorInvalidParameter);
    }
}

// Calls the export until it reports the server configured or the
// administrator gives up; the last result, or the lookup's error.
Dword RunConfiguration(platform::Platform& platform, platform::ModuleHandle applet, platform::Hwnd owner,
                       const std::string& appletPath) {
    while (true) {
        int result = 0;
        if (!platform.system.CallWindowExport(applet, kAppletExport, owner, &result)) {
            const Dword error = platform.system.GetLastError();
            runtime::LogFailure(platform, "GetProcAddress", appletPath + " " + kAppletExport, error);
            return error;
        }
        if (result == 0) return platform::kErrorSuccess;
        runtime::LogFailure(platform, kAppletExport, appletPath, static_cast<Dword>(result));
        const int answer = runtime::ShowMessage(platform.windows, owner, kRetryQuestion,
                                                runtime::style::kRetryCancelError);
        if (answer != platform::kIdRetry && answer != platform::kIdTryAgain) return static_cast<Dword>(result);
    }
}

Dword ConfigureOnInteractiveDesktop(platform::Platform& platform, const std::string& installFolder) {
    const services::InteractiveDesktop desktop(platform);
    if (desktop.error() != platform::kErrorSuccess) return desktop.error();

    // Declared before the owner window so that the window is destroyed first
    // and the applet freed after it.
    std::optional<platform::Module> applet;
    const platform::Window owner = runtime::CreateOwnerWindow(platform.windows);
    AppendToPath(platform, installFolder);

    const std::string appletPath = installFolder + kAppletFile;
    applet.emplace(platform.system, platform.system.LoadLibrary(appletPath.c_str()));
    if (!*applet) {
        const Dword error = platform.system.GetLastError();
        runtime::LogFailure(platform, "LoadLibraryA", appletPath, error);
        return error;
    }
    return RunConfiguration(platform, applet->get(), owner.get(), appletPath);
}

}  // namespace

Dword ConfigureNAPServer(platform::Platform& platform) {
    const std::string data = runtime::GetMsiProperty(platform.installer, "CustomActionData");
    if (data.empty()) return platform::kErrorInstallFailure;
    const std::vector<std::string> fields = runtime::SplitDeferredData(data);
    const std::string installFolder = runtime::FieldOrEmpty(fields, 0);
    const std::string frameworkFolder = runtime::FieldOrEmpty(fields, 2);
    const std::string backEndFolder = runtime::FieldOrEmpty(fields, 3);
    const std::string uiLevel = runtime::FieldOrEmpty(fields, 4);

    if (IsReducedUserInterface(uiLevel)) return platform::kErrorInstallFailure;

    upgrade::UpdateLibrarySearchPaths(platform, installFolder, frameworkFolder, backEndFolder);

    const Dword error = ConfigureOnInteractiveDesktop(platform, installFolder);
    if (error != platform::kErrorSuccess) {
        gina::SetAgentGina(platform, false, nullptr, false);
        platform.installer.SetProperty("ISSCHEDULEREBOOT", "");
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, kFailedMessage, runtime::style::kServiceError);
    }
    return error;
}

}  // namespace veltra::actions
