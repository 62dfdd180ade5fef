// SetupINSTALLDIR and SetupDAYFILE_INSTALLDIRS: before the installer lays
// out its folders, point them at what an earlier installation of the agent
// uses. Neither fails: what cannot be read keeps its value or its default.
#include "runtime/actions.h"
#include "silentpackage/install_folders.h"

namespace veltra::actions {

platform::Dword SetupINSTALLDIR(platform::Platform& platform) {
    silentpackage::SetupInstallDir(platform);
    return platform::kErrorSuccess;
}

platform::Dword SetupDAYFILE_INSTALLDIRS(platform::Platform& platform) {
    silentpackage::SetupDayfileInstallDirs(platform);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
