// SetDeferredInstallOptions: packs the install options for
// ProcessInstallOptions, which runs in the script and sees no ordinary
// property. Fields: install folder; UI level; then each option's name and
// value.
#include <string>
#include <vector>

#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/registry_ops.h"
#include "runtime/session.h"
#include "silentpackage/install_options.h"

namespace veltra::actions {
namespace {

// Nine characters and the terminator.
constexpr std::size_t kUiLevelCapacity = 10;

}  // namespace

platform::Dword SetDeferredInstallOptions(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    std::vector<std::string> fields = {
        runtime::GetMsiPropertyFixed(installer, "INSTALLDIR", runtime::kPathBuffer),
        runtime::GetMsiPropertyFixed(installer, "UILevel", kUiLevelCapacity),
    };
    for (const char* name : silentpackage::kInstallOptionNames) {
        fields.emplace_back(name);
        fields.push_back(runtime::GetMsiProperty(installer, name));
    }
    installer.SetProperty("ProcessInstallOptions", runtime::JoinStrings(";", fields).c_str());
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
