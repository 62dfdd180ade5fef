// Putting the custom logon banner in place, or taking an old one away. Used
// when a silent installation package is created and when the install options
// are applied.
#pragma once

#include <string>

#include "platform/platform.h"

namespace veltra::configfiles {

enum class BannerCopy {
    Remove,  // no custom banner: an older "gina_banner.bmp" is deleted
    Copy,    // the chosen bitmap becomes "gina_banner.bmp"
};

enum class CopyPurpose {
    Installation,     // a failure rolls the installation back
    PackageCreation,  // a failure ends the package creation
};

// destinationFolder ends with a backslash. Returns 0, or 1603 after telling
// the administrator that the bitmap could not be copied.
platform::Dword CopyBannerBitmap(platform::Platform& platform, const std::string& source,
                                 const std::string& destinationFolder, BannerCopy copy,
                                 CopyPurpose purpose);

}  // namespace veltra::configfiles
