// VerifyConfigFiles and LocateConfigFiles: a package can carry the server
// files beside itself. Both look for them in the folder the package runs from
// and, when they are there, hand CopyConfigFiles its data.
#include <string>

#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

enum class NeedKvconf { No, Yes };

platform::Dword LocateServerFilesBesidePackage(platform::Platform& platform, NeedKvconf need) {
    platform::Installer& installer = platform.installer;
    const std::string sourceFolder = runtime::GetMsiSourcePath(installer, "SourceDir");

    if (!runtime::FindFileInFolder(platform.files, sourceFolder, "kvroot.crt")) {
        runtime::LogLastError(platform, "SearchPathA", sourceFolder + "kvroot.crt");
        return platform::kErrorInstallFailure;
    }
    if (need == NeedKvconf::Yes &&
        !runtime::FindFileInFolder(platform.files, sourceFolder, "kvconf.rec")) {
        runtime::LogLastError(platform, "SearchPathA", sourceFolder + "kvconf.rec");
        return platform::kErrorInstallFailure;
    }

    const std::string installFolder = runtime::GetMsiTargetPath(installer, "INSTALLDIR");
    const std::string systemFolder = runtime::GetMsiTargetPath(installer, "SystemFolder");
    const std::string data = runtime::JoinStrings(
        ";", {need == NeedKvconf::Yes ? "Yes" : "No", sourceFolder, installFolder, systemFolder});
    const platform::Dword status = installer.SetProperty("CopyConfigFiles", data.c_str());
    if (status != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "MsiSetPropertyA", "CopyConfigFiles", status);
        return platform::kErrorInstallFailure;
    }
    return platform::kErrorSuccess;
}

}  // namespace

platform::Dword VerifyConfigFiles(platform::Platform& platform) {
    return LocateServerFilesBesidePackage(platform, NeedKvconf::Yes);
}

platform::Dword LocateConfigFiles(platform::Platform& platform) {
    // The package says whether the configuration record is needed as well;
    // a missing file simply leaves CopyConfigFiles without data.
    const bool needKvconf =
        runtime::GetMsiProperty(platform.installer, "NeedConfigFiles") == "KVConf";
    LocateServerFilesBesidePackage(platform, needKvconf ? NeedKvconf::Yes : NeedKvconf::No);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
