// The wizard's Browse buttons: the Open File dialog for each chosen file. The
// dialog checks the choice with its own action afterwards.
#include "configfiles/banner_bitmap.h"
#include "configfiles/file_browse.h"
#include "configfiles/server_file_family.h"
#include "runtime/actions.h"

namespace veltra::actions {

platform::Dword BrowseForKvconfRec(platform::Platform& platform) {
    configfiles::BrowseForFile(platform, configfiles::kKvconfRec.browse);
    return platform::kErrorSuccess;
}

platform::Dword BrowseForKvrootCrt(platform::Platform& platform) {
    configfiles::BrowseForFile(platform, configfiles::kKvrootCrt.browse);
    return platform::kErrorSuccess;
}

platform::Dword BrowseForCustomBitmapFile(platform::Platform& platform) {
    configfiles::BrowseForFile(platform, configfiles::kBannerBitmapBrowse);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
