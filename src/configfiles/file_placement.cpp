#include "configfiles/file_placement.h"

#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/session.h"
#include "runtime/text.h"

namespace veltra::configfiles {

bool FileExists(platform::Files& files, const std::string& path) {
    return files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes;
}

void NormaliseFile(platform::Files& files, const std::string& path) {
    if (FileExists(files, path)) files.SetFileAttributes(path.c_str(), platform::kFileAttributeNormal);
}

bool CopyIntoPlace(platform::Platform& platform, const std::string& source,
                   const std::string& destination) {
    platform::Files& files = platform.files;
    NormaliseFile(files, destination);
    if (runtime::EqualsIgnoreCase(platform.system, source, destination)) return true;
    if (files.CopyFile(source.c_str(), destination.c_str(), /*failIfExists=*/false)) return true;
    const platform::Dword copyError = platform.system.GetLastError();
    if (FileExists(files, destination)) return true;
    runtime::LogFailure(platform, "CopyFileA", destination, copyError);
    return false;
}

void RemoveIfPresent(platform::Files& files, const std::string& path) {
    if (!FileExists(files, path)) return;
    NormaliseFile(files, path);
    files.DeleteFile(path.c_str());
}

std::string PackageFolder(platform::Installer& installer) {
    // The empty last piece leaves the trailing backslash.
    return runtime::JoinStrings(
        "\\", {runtime::GetMsiSourcePath(installer, "SourceDir"), "SilentInstallPackage", ""});
}

}  // namespace veltra::configfiles
