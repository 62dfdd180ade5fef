// SetDeferredStopVpnTool and StopVpnTool: the agent's VPN tool, "vpnTool.exe"
// in the installation folder, before its files are replaced or removed.
//
// The tool is looked up among the modules of the installer's own process, the
// only place the action can reach without ending a program the logged-on user
// is running. Nothing in the installer loads the tool, so a separately running
// one is not found and the action goes on: the installer's own handling of
// files in use, and the pre-install capture's renaming of programs in use,
// take care of a running tool's file.
#include <string>

#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/session.h"

namespace veltra::actions {

namespace {

constexpr std::size_t kPathCapacity = 260;
constexpr const char* kVpnToolName = "vpnTool.exe";

}  // namespace

platform::Dword SetDeferredStopVpnTool(platform::Platform& platform) {
    const std::string data =
        runtime::JoinStrings(";", {runtime::GetMsiPropertyFixed(platform.installer, "INSTALLDIR", kPathCapacity)});
    platform.installer.SetProperty("StopVpnTool", data.c_str());
    return platform::kErrorSuccess;
}

platform::Dword StopVpnTool(platform::Platform& platform) {
    const auto deferred = runtime::DeferredFields(platform.installer);
    if (!deferred) return platform::kErrorInstallFailure;
    const std::string tool = runtime::JoinStrings("\\", {runtime::FieldOrEmpty(*deferred, 0), kVpnToolName});
    runtime::Log(platform.installer, platform.system.IsModuleLoaded(tool.c_str())
                                         ? tool + " is loaded in the installer's process and stays loaded"
                                         : tool + " is not loaded in the installer's process");
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
