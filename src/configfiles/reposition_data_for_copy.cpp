// RepositionDataForCopy: before anything is copied into place, every source
// file is copied into the installer's temporary folder and its source
// property pointed there, so that the deferred copies read local files.
#include <string>

#include "configfiles/banner_bitmap.h"
#include "configfiles/file_placement.h"
#include "configfiles/server_file_family.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/session.h"
#include "runtime/text.h"

namespace veltra::actions {
namespace {

struct RepositionedFile {
    const char* sourceProperty;
    const char* fileName;
};

// In this order: the server certificate, the configuration record, the root
// certificate.
const RepositionedFile kRepositionedFiles[] = {
    {configfiles::kServerCertificateProperty, configfiles::kServerCertificateName},
    {configfiles::kKvconfRec.check.sourceProperty, configfiles::kKvconfRec.fileName},
    {configfiles::kKvrootCrt.check.sourceProperty, configfiles::kKvrootCrt.fileName},
};

constexpr const char* kRegistryConfigFileName = "registryConfigFile.bin";

std::string InFolder(const std::string& folder, const char* fileName) {
    return runtime::JoinStrings("\\", {folder, fileName});
}

// A failed copy is not reported, and the caller leaves the source property
// naming the file first chosen: pointing it at the temporary folder anyway
// would install whatever an earlier run left there.
bool CopyToTemp(platform::Files& files, const std::string& source, const std::string& destination) {
    configfiles::NormaliseFile(files, destination);
    return files.CopyFile(source.c_str(), destination.c_str(), /*failIfExists=*/false);
}

}  // namespace

platform::Dword RepositionDataForCopy(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    platform::Files& files = platform.files;

    const bool removeAll = runtime::Contains(runtime::GetMsiProperty(installer, "REMOVE"), "ALL");
    const bool silent = runtime::GetMsiProperty(installer, "UILevel") == "2";
    const bool patch = !runtime::GetMsiProperty(installer, "PATCH").empty();

    // A removal or a patch finds the server files where the installation put
    // them; otherwise a silent installation finds them beside the package.
    const std::string baseFolder = (removeAll || patch)
                                       ? runtime::GetMsiProperty(installer, "SystemFolder")
                                       : runtime::GetMsiSourcePath(installer, "SourceDir");
    const std::string tempFolder = runtime::GetMsiProperty(installer, "TempFolder");

    for (const RepositionedFile& file : kRepositionedFiles) {
        const std::string source = silent ? InFolder(baseFolder, file.fileName)
                                          : runtime::GetMsiProperty(installer, file.sourceProperty);
        if (!configfiles::FileExists(files, source)) continue;
        const std::string destination = InFolder(tempFolder, file.fileName);
        if (CopyToTemp(files, source, destination)) {
            installer.SetProperty(file.sourceProperty, destination.c_str());
        }
    }

    if (silent && !removeAll && !patch) {
        // The package's banner and registry configuration file come along too.
        const std::string banner = InFolder(baseFolder, configfiles::kBannerBitmapName);
        if (configfiles::FileExists(files, banner)) {
            const std::string destination = InFolder(tempFolder, configfiles::kBannerBitmapName);
            if (CopyToTemp(files, banner, destination)) {
                installer.SetProperty(configfiles::kBannerBitmapCheck.sourceProperty,
                                      destination.c_str());
            }
        }
        const std::string registryConfig = InFolder(baseFolder, kRegistryConfigFileName);
        if (configfiles::FileExists(files, registryConfig)) {
            CopyToTemp(files, registryConfig, InFolder(tempFolder, kRegistryConfigFileName));
        }
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
