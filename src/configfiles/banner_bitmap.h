// The custom logon banner: a bitmap the administrator may put in place of the
// agent's own. Any file name is accepted; in place it is "gina_banner.bmp".
#pragma once

#include "configfiles/chosen_file_check.h"
#include "configfiles/file_browse.h"

namespace veltra::configfiles {

inline constexpr const char* kBannerBitmapName = "gina_banner.bmp";

extern const ChosenFileCheck kBannerBitmapCheck;
extern const FileBrowse kBannerBitmapBrowse;

}  // namespace veltra::configfiles
