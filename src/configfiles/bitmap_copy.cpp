#include "configfiles/bitmap_copy.h"

#include "configfiles/banner_bitmap.h"
#include "configfiles/file_placement.h"
#include "runtime/messages.h"

namespace veltra::configfiles {
namespace {

constexpr const char* kPackageCopyFailed =
    "The installation failed to copy, into place,\n"
    "the specified custom bitmap file.\n\n"
    "The Silent Install Package Creation will abort\n"
    "at this time to prevent problems in a subsequent\n"
    "Silent Installation.";
constexpr const char* kInstallCopyFailed =
    "The installation failed to copy, into place,\n"
    "the specified custom bitmap file.\n\n"
    "The installation changes will be rolled back now.";

}  // namespace

platform::Dword CopyBannerBitmap(platform::Platform& platform, const std::string& source,
                                 const std::string& destinationFolder, BannerCopy copy,
                                 CopyPurpose purpose) {
    const std::string destination = destinationFolder + kBannerBitmapName;

    if (copy == BannerCopy::Remove) {
        RemoveIfPresent(platform.files, destination);
        return platform::kErrorSuccess;
    }

    if (!CopyIntoPlace(platform.files, platform.system, source, destination)) {
        const char* message =
            purpose == CopyPurpose::PackageCreation ? kPackageCopyFailed : kInstallCopyFailed;
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, message,
                             runtime::style::kServiceError);
        return platform::kErrorInstallFailure;
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::configfiles
