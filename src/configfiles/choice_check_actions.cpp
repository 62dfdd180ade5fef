// The wizard's checks of the chosen server files and banner bitmap. Each
// reports its verdict in an OK property that the dialog tests; a bad choice
// never fails the installation.
#include "configfiles/banner_bitmap.h"
#include "configfiles/chosen_file_check.h"
#include "configfiles/server_file_family.h"
#include "runtime/actions.h"

namespace veltra::actions {

using configfiles::kKvconfRec;
using configfiles::kKvrootCrt;

platform::Dword SetKvconfSourceProp(platform::Platform& platform) {
    configfiles::CheckChosenFile(platform, kKvconfRec.check);
    return platform::kErrorSuccess;
}

platform::Dword SetKvconfSourcePropNoMess(platform::Platform& platform) {
    configfiles::CheckChosenFileSilently(platform, kKvconfRec.check);
    return platform::kErrorSuccess;
}

platform::Dword SetKvconfCopyState(platform::Platform& platform) {
    platform.installer.SetProperty(kKvconfRec.copyStateProperty, "1");
    return platform::kErrorSuccess;
}

platform::Dword SetKvrootSourceProp(platform::Platform& platform) {
    configfiles::CheckChosenFile(platform, kKvrootCrt.check);
    return platform::kErrorSuccess;
}

platform::Dword SetKvrootSourcePropNoMess(platform::Platform& platform) {
    configfiles::CheckChosenFileSilently(platform, kKvrootCrt.check);
    return platform::kErrorSuccess;
}

platform::Dword SetKvrootCopyState(platform::Platform& platform) {
    platform.installer.SetProperty(kKvrootCrt.copyStateProperty, "1");
    return platform::kErrorSuccess;
}

platform::Dword ValidateCustomBitmapFile(platform::Platform& platform) {
    configfiles::CheckChosenFile(platform, configfiles::kBannerBitmapCheck);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
