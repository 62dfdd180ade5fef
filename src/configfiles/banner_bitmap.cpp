#include "configfiles/banner_bitmap.h"

namespace veltra::configfiles {

const ChosenFileCheck kBannerBitmapCheck{
    .pathProperty = "BITMAPFILE",
    .sourceProperty = "BITMAPFILE_SOURCE",
    .okProperty = "BITMAPFILE_OK",
    .requiredName = nullptr,
    .nameMessage = nullptr,
    .missingText = " does not exist.\nRespecify the location of your bitmap file.",
    .systemFileText = " is a system file.\nRespecify the location of your bitmap file.",
    .directoryText = " is a directory.\nRespecify the location of your bitmap file.",
};

const FileBrowse kBannerBitmapBrowse{
    .pathProperty = "BITMAPFILE",
    .nameInFolder = "\\gina_banner.bmp",
    .title = "Select gina_banner.bmp",
    .filter = {{"Bmp Files (*.bmp)", "*.bmp"},
               {"Isd Files (*.isd)", "*.isd"},
               {"All Files (*.*)", "*.*"}},
};

}  // namespace veltra::configfiles
