// SetDeferredKvconfData and SetDeferredKvrootData: pack what the deferred copy
// of a server file needs, since a deferred action sees no ordinary properties.
// Fields: source file; destination folder; copy state; repository folder.
#include <string>

#include "configfiles/file_placement.h"
#include "configfiles/server_file_family.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

constexpr std::size_t kPathCapacity = 260;

void SetDeferredServerFileData(platform::Installer& installer,
                               const configfiles::ServerFileFamily& family) {
    const char* sourceProperty = family.check.sourceProperty;

    // A silent installation takes the copy that RepositionDataForCopy put
    // into the temporary folder.
    if (runtime::GetMsiProperty(installer, "UILevel") == "2") {
        const std::string temporaryCopy =
            runtime::GetMsiProperty(installer, "TempFolder") + family.fileName;
        installer.SetProperty(sourceProperty, temporaryCopy.c_str());
    }
    const std::string source = runtime::GetMsiPropertyFixed(installer, sourceProperty, kPathCapacity);

    // On an installation both server files go to the system folder.
    const std::string destinationFolder = runtime::GetMsiProperty(installer, "PACKAGE_CREATE") == "1"
                                              ? configfiles::PackageFolder(installer)
                                              : runtime::GetMsiProperty(installer, "SystemFolder");
    installer.SetProperty(family.destinationProperty, destinationFolder.c_str());

    const std::string copyState = runtime::GetMsiProperty(installer, family.copyStateProperty);
    const std::string repositoryFolder =
        runtime::GetMsiProperty(installer, "INSTALLDIR") + configfiles::kRepositoryFolderName;

    const std::string data =
        runtime::JoinStrings(";", {source, destinationFolder, copyState, repositoryFolder});
    installer.SetProperty(family.copyActionProperty, data.c_str());
}

}  // namespace

platform::Dword SetDeferredKvconfData(platform::Platform& platform) {
    SetDeferredServerFileData(platform.installer, configfiles::kKvconfRec);
    return platform::kErrorSuccess;
}

platform::Dword SetDeferredKvrootData(platform::Platform& platform) {
    SetDeferredServerFileData(platform.installer, configfiles::kKvrootCrt);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
