// RemoveDayFiles: when a change of features drops an offline service, the
// feature validation leaves the service's day-file root in a removal marker
// of the current user's volatile environment. Once the installation is done
// the service's day files (".daydata", ".data", ".dat") go, and its folder
// and the maker's folder above it follow when nothing else is left in them.
// The markers stay: the volatile environment is gone at the next logon.
#include <optional>
#include <string>

#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "runtime/session.h"
#include "runtime/text.h"
#include "selection/dayfile_removal_markers.h"
#include "selection/offline_services.h"
#include "upgrade/post_process.h"

namespace veltra::upgrade {

namespace {

constexpr const char* kMakerDayFileFolder = "Veltra Security/";

struct DayFileKind {
    const selection::OfflineService& service;
    const char* folder;  // below the day-file root, as the services name it
};
constexpr DayFileKind kDayFileKinds[] = {
    {selection::kLocalService, "Veltra Security/Local/"},
    {selection::kDomainClientService, "Veltra Security/Domain/"},
    {selection::kDomainHostService, "Veltra Security/DomainHost/"},
};

constexpr const char* kDayFileMarks[] = {".daydata", ".data", ".dat"};

// The day-file root the marker holds; empty when there is none.
std::string ReadDayFileRemovalMarker(platform::Platform& platform, const std::string& name) {
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, platform::kHkeyCurrentUser, selection::kVolatileEnvironment,
                         platform::kKeyRead, key) != platform::kErrorSuccess) {
        return {};
    }
    std::string root;
    runtime::QueryString(platform.registry, key.get(), name.c_str(), runtime::kPathBuffer, root);
    return root;
}

void RemoveFolderIfEmpty(platform::Platform& platform, const std::string& folder) {
    // A folder that still holds something stays; that is the point.
    platform.files.RemoveDirectory(folder.c_str());
}

void DeleteDayFilesRecursive(platform::Platform& platform, const std::string& folder) {
    for (const platform::FindEntry& entry : platform.files.FindFiles((folder + "/*").c_str())) {
        if (entry.name == "." || entry.name == "..") continue;
        const std::string path = folder + entry.name;
        if ((entry.attributes & platform::kFileAttributeDirectory) != 0) {
            DeleteDayFilesRecursive(platform, path + "/");
            RemoveFolderIfEmpty(platform, path);
            continue;
        }
        bool dayFile = false;
        for (const char* mark : kDayFileMarks) dayFile = dayFile || runtime::Contains(path, mark);
        if (dayFile && !platform.files.DeleteFile(path.c_str())) runtime::LogLastError(platform, "DeleteFileA", path);
    }
}

void RemoveDayFileFolder(platform::Platform& platform, const std::string& root, const char* kindFolder) {
    const std::string folder = root + kindFolder;
    DeleteDayFilesRecursive(platform, folder);
    RemoveFolderIfEmpty(platform, folder);
    RemoveFolderIfEmpty(platform, root + kMakerDayFileFolder);
}

}  // namespace

void RemoveDayFiles(platform::Platform& platform) {
    const std::string productCode = runtime::GetMsiProperty(platform.installer, "ProductCode");
    for (const DayFileKind& kind : kDayFileKinds) {
        const std::string root =
            ReadDayFileRemovalMarker(platform, selection::RemovalMarkerName(kind.service, productCode));
        if (root.empty()) continue;
        runtime::Log(platform.installer, std::string("removing the day files below ") + root + kind.folder);
        RemoveDayFileFolder(platform, root, kind.folder);
    }
}

}  // namespace veltra::upgrade
