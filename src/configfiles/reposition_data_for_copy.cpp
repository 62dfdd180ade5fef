// RepositionDataForCopy: before anything is copied into place, every source
// file is copied into the installer's temporary folder and its source
// property pointed there, so that the deferred copies read local files.
#include <string>

#include "configfiles/banner_bitmap.h"
#include "configfiles/file_placement.h"
#include "configfiles/server_file_family.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
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

// A failed copy is not reported to the administrator, only logged, and the
// caller leaves the source property naming the file first chosen: pointing
// it at the temporary folder anyway would install whatever an earlier run
// left there.
bool CopyToTemp(platform::Platform& platform, const std::string& source, const std::string& destination) {
    configfiles::NormaliseFile(platform.files, destination);
    if (platform.files.CopyFile(source.c_str(), destination.c_str(), /*failIfExists=*/false)) return true;
    runtime::LogLastError(platform, "CopyFileA", destination);
    return false;
}

// A source that is not there is skipped; one never chosen is not worth a line.
bool SourceExists(platform::Platform& platform, const std::string& path) {
    if (configfiles::FileExists(platform.files, path)) return true;
    if (!path.empty()) runtime::LogLastError(platform, "GetFileAttributesA", path);
    return false;
}

}  // namespace

platform::Dword RepositionDataForCopy(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;

    const bool removeAll = runtime::Contains(runtime::GetMsiProperty(installer, "REMOVE"), "ALL");
    const bool silent = runtime::GetMsiProperty(installer, "UILevel") == "2";
    const bool patch = !runtime::GetMsiProperty(installer, "PATCH").empty();

    // A removal or a patch finds the server files where the installation put
    // them; otherwise a silent installation finds them beside the package.
    const std::string baseFolder = (removeAll || patch)
                                       ? runtime::GetMsiProperty(installer, "SystemFolder")
                                       : runtime::GetMsiSourcePath(installer, "SourceDir");
    const std::string tempFolder = runtime::GetMsiProperty(installer, "TempFolder");
    // Without the temporary folder there is nowhere to copy to: a bare file
    // name would put the copies in the root of the current drive, where
    // nothing takes them away again. Every source keeps its first choice.
    if (tempFolder.empty()) {
        runtime::Log(installer, "no TempFolder: nothing is copied");
        return platform::kErrorSuccess;
    }

    for (const RepositionedFile& file : kRepositionedFiles) {
        const std::string source = silent ? InFolder(baseFolder, file.fileName)
                                          : runtime::GetMsiProperty(installer, file.sourceProperty);
        if (!SourceExists(platform, source)) continue;
        const std::string destination = InFolder(tempFolder, file.fileName);
        if (CopyToTemp(platform, source, destination)) {
            installer.SetProperty(file.sourceProperty, destination.c_str());
        }
    }

    if (silent && !removeAll && !patch) {
        // The package's banner and registry configuration file come along too.
        const std::string banner = InFolder(baseFolder, configfiles::kBannerBitmapName);
        if (SourceExists(platform, banner)) {
            const std::string destination = InFolder(tempFolder, configfiles::kBannerBitmapName);
            if (CopyToTemp(platform, banner, destination)) {
                installer.SetProperty(configfiles::kBannerBitmapCheck.sourceProperty, destination.c_str());
            }
        }
        const std::string registryConfig = InFolder(baseFolder, kRegistryConfigFileName);
        if (SourceExists(platform, registryConfig)) {
            CopyToTemp(platform, registryConfig, InFolder(tempFolder, kRegistryConfigFileName));
        }
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
