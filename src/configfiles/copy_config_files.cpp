// CopyConfigFiles (deferred): copies the server files that VerifyConfigFiles
// or LocateConfigFiles found beside the package. Fields: "Yes"/"No" (copy the
// configuration record too); source folder; installation folder; system folder.
#include <string>

#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

bool CopyBetweenFolders(platform::Platform& platform, const std::string& fromFolder,
                        const std::string& toFolder, const char* fileName) {
    const std::string from = runtime::JoinStrings("\\", {fromFolder, fileName});
    const std::string to = runtime::JoinStrings("\\", {toFolder, fileName});
    if (platform.files.CopyFile(from.c_str(), to.c_str(), /*failIfExists=*/false)) return true;
    runtime::LogLastError(platform, "CopyFileA", to);
    return false;
}

}  // namespace

platform::Dword CopyConfigFiles(platform::Platform& platform) {
    const std::string data = runtime::GetMsiProperty(platform.installer, "CustomActionData");
    if (data.empty()) return platform::kErrorInstallFailure;

    const std::vector<std::string> fields = runtime::SplitDeferredData(data);
    const std::string copyKvconf = runtime::FieldOrEmpty(fields, 0);
    const std::string sourceFolder = runtime::FieldOrEmpty(fields, 1);
    const std::string installFolder = runtime::FieldOrEmpty(fields, 2);
    const std::string systemFolder = runtime::FieldOrEmpty(fields, 3);

    if (!CopyBetweenFolders(platform, sourceFolder, installFolder, "kvroot.crt")) {
        return platform::kErrorInstallFailure;
    }
    if (copyKvconf == "Yes" &&
        !CopyBetweenFolders(platform, sourceFolder, systemFolder, "kvconf.rec")) {
        return platform::kErrorInstallFailure;
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
