// CopyCustomBitmapFile and CopyServerCertPackage: creating a silent
// installation package, the banner bitmap and the server certificate are
// copied into the package folder beside the server files.
#include <string>

#include "configfiles/banner_bitmap.h"
#include "configfiles/bitmap_copy.h"
#include "configfiles/file_placement.h"
#include "configfiles/server_file_family.h"
#include "runtime/actions.h"
#include "runtime/messages.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

constexpr const char* kCertificateCopyFailed =
    "The installation failed to copy, into place,\n"
    "the specified server.cer.\n\n"
    "The Silent Install Package Creation will abort\n"
    "at this time to prevent problems in a subsequent\n"
    "Silent Installation.";

}  // namespace

platform::Dword CopyCustomBitmapFile(platform::Platform& platform) {
    const std::string source =
        runtime::GetMsiProperty(platform.installer, configfiles::kBannerBitmapCheck.sourceProperty);
    // Only the exact "True" of the install options turns the custom banner on;
    // otherwise a banner left in the package folder is taken out.
    const bool importBitmap = runtime::GetMsiProperty(platform.installer, "_IMPORT_BITMAP") == "True";
    const platform::Dword result = configfiles::CopyBannerBitmap(
        platform, source, configfiles::PackageFolder(platform.installer),
        importBitmap ? configfiles::BannerCopy::Copy : configfiles::BannerCopy::Remove,
        configfiles::CopyPurpose::PackageCreation);
    return result == platform::kErrorSuccess ? platform::kErrorSuccess
                                             : platform::kErrorInstallFailure;
}

platform::Dword CopyServerCertPackage(platform::Platform& platform) {
    const std::string source =
        runtime::GetMsiProperty(platform.installer, configfiles::kServerCertificateProperty);
    const std::string destination =
        configfiles::PackageFolder(platform.installer) + configfiles::kServerCertificateName;
    if (!configfiles::CopyIntoPlace(platform.files, platform.system, source, destination)) {
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, kCertificateCopyFailed,
                             runtime::style::kServiceError);
        platform.installer.SetProperty("PACKAGE_CREATE_ERROR", "1");
        return platform::kErrorInstallFailure;
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
