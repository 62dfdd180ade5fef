// SetDeferredPostProcessData: packs the folders PostProcessAgentInstall
// needs, since a deferred action sees no ordinary properties. Fields: system
// folder; Windows folder; installation folder; program menu folder;
// first-installation flag; shared authentication framework folder; shared
// back-end user-interface folder; shared folder; temporary folder; day-file
// root.
#include <string>

#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

constexpr std::size_t kPathCapacity = 260;

}  // namespace

platform::Dword SetDeferredPostProcessData(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    const auto read = [&](const char* name) { return runtime::GetMsiPropertyFixed(installer, name, kPathCapacity); };
    const std::string firstInstallation = read("Installed").empty() ? "1" : "0";
    const std::string data = runtime::JoinStrings(
        ";", {read("SystemFolder"), read("WindowsFolder"), read("INSTALLDIR"), read("ProgramMenuFolder"),
              firstInstallation, read("VeltraSharedAuthFrameworkFolder"), read("VeltraSharedBackendUIFolder"),
              read("VeltraSharedFolder"), read("TempFolder"), read("DAYFILE_GLOBAL_ROOT")});
    installer.SetProperty("PostProcessAgentInstall", data.c_str());
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
