// CopyKvconfRec and CopyKvrootCrt: put a server file in place.
//
// The same action runs in two modes. Creating a silent installation package,
// it runs immediately and copies the chosen file into the package folder.
// Installing, it runs deferred: it copies the chosen file into the system
// folder, or, when no file was chosen, removes the old one unless a component
// that still needs it stays installed. A deferred action cannot read ordinary
// properties, so a readable source property means the immediate run.
#include <string>

#include "configfiles/file_placement.h"
#include "configfiles/server_file_family.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/messages.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

using configfiles::ServerFileFamily;

platform::Dword CopyIntoPackage(platform::Platform& platform, const ServerFileFamily& family,
                                const std::string& source) {
    const std::string destination =
        runtime::GetMsiProperty(platform.installer, family.destinationProperty) + family.fileName;
    if (!configfiles::CopyIntoPlace(platform.files, platform.system, source, destination)) {
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, family.packageCopyFailedMessage,
                             runtime::style::kServiceError);
        platform.installer.SetProperty("PACKAGE_CREATE_ERROR", "1");
        return platform::kErrorInstallFailure;
    }
    return platform::kErrorSuccess;
}

bool AnyKeepMarkerExists(platform::Files& files, const ServerFileFamily& family,
                         const std::string& repositoryFolder) {
    for (const char* marker : family.keepMarkers) {
        if (configfiles::FileExists(files, repositoryFolder + marker)) return true;
    }
    return false;
}

platform::Dword CopyOnInstallation(platform::Platform& platform, const ServerFileFamily& family) {
    const std::string data = runtime::GetMsiProperty(platform.installer, "CustomActionData");
    if (data.empty()) return platform::kErrorInstallFailure;

    const std::vector<std::string> fields = runtime::SplitDeferredData(data);
    const std::string source = runtime::FieldOrEmpty(fields, 0);
    const std::string destinationFolder = runtime::FieldOrEmpty(fields, 1);
    const std::string copyState = runtime::FieldOrEmpty(fields, 2);
    const std::string repositoryFolder = runtime::FieldOrEmpty(fields, 3);
    const std::string destination = destinationFolder + family.fileName;

    if (copyState == "1") {
        if (!configfiles::CopyIntoPlace(platform.files, platform.system, source, destination)) {
            runtime::ShowMessage(platform.windows, platform::Hwnd{},
                                 family.installCopyFailedMessage, runtime::style::kServiceError);
            return platform::kErrorInstallFailure;
        }
        return platform::kErrorSuccess;
    }

    // Not being replaced: the file goes with the last component that used it.
    if (configfiles::FileExists(platform.files, destination) &&
        !AnyKeepMarkerExists(platform.files, family, repositoryFolder)) {
        configfiles::RemoveIfPresent(platform.files, destination);
    }
    return platform::kErrorSuccess;
}

platform::Dword CopyServerFile(platform::Platform& platform, const ServerFileFamily& family) {
    const std::string source =
        runtime::GetMsiProperty(platform.installer, family.check.sourceProperty);
    if (!source.empty()) return CopyIntoPackage(platform, family, source);
    return CopyOnInstallation(platform, family);
}

}  // namespace

platform::Dword CopyKvconfRec(platform::Platform& platform) {
    return CopyServerFile(platform, configfiles::kKvconfRec);
}

platform::Dword CopyKvrootCrt(platform::Platform& platform) {
    return CopyServerFile(platform, configfiles::kKvrootCrt);
}

}  // namespace veltra::actions
