// SetDeferredRollBackData: packs what ProcessRollBack needs, since a rollback
// action sees no ordinary properties. Fields: system folder; Windows folder;
// installation folder; user-interface level; shared authentication framework
// folder; shared back-end user-interface folder; shared folder.
#include <string>

#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

constexpr std::size_t kPathCapacity = 260;
constexpr std::size_t kUiLevelCapacity = 10;

}  // namespace

platform::Dword SetDeferredRollBackData(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    const std::string data = runtime::JoinStrings(
        ";", {runtime::GetMsiPropertyFixed(installer, "SystemFolder", kPathCapacity),
              runtime::GetMsiPropertyFixed(installer, "WindowsFolder", kPathCapacity),
              runtime::GetMsiPropertyFixed(installer, "INSTALLDIR", kPathCapacity),
              runtime::GetMsiPropertyFixed(installer, "UILevel", kUiLevelCapacity),
              runtime::GetMsiPropertyFixed(installer, "VeltraSharedAuthFrameworkFolder", kPathCapacity),
              runtime::GetMsiPropertyFixed(installer, "VeltraSharedBackendUIFolder", kPathCapacity),
              runtime::GetMsiPropertyFixed(installer, "VeltraSharedFolder", kPathCapacity)});
    installer.SetProperty("ProcessRollBack", data.c_str());
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
