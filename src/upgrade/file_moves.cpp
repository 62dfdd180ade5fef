#include "upgrade/file_moves.h"

#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::upgrade {

namespace {

constexpr const char* kMovedSuffix = "_moved";

bool Exists(platform::Files& files, const std::string& path) {
    return files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes;
}

}  // namespace

void RemoveOrRenameFile(platform::Platform& platform, const std::string& path) {
    if (!Exists(platform.files, path)) return;
    if (!platform.files.SetFileAttributes(path.c_str(), platform::kFileAttributeNormal)) {
        runtime::LogLastError(platform, "SetFileAttributesA", path);
    }
    if (platform.files.DeleteFile(path.c_str())) return;
    runtime::LogLastError(platform, "DeleteFileA", path);

    // The new name is held in a path buffer like the old one; a name that
    // would not fit is not tried.
    const std::string moved = path + kMovedSuffix;
    if (moved.size() >= runtime::kPathBuffer) {
        runtime::LogFailure(platform, "MoveFileExA", moved, platform::kErrorFilenameExcedRange);
        return;
    }
    if (!platform.files.MoveFileEx(path.c_str(), moved.c_str(), platform::kMoveFileReplaceExisting)) {
        runtime::LogLastError(platform, "MoveFileExA", path);
    }
}

void CopyFileIfPresent(platform::Platform& platform, const std::string& source, const std::string& target) {
    if (!Exists(platform.files, source)) return;
    if (!platform.files.CopyFile(source.c_str(), target.c_str(), false)) {
        runtime::LogLastError(platform, "CopyFileA", target);
        return;
    }
    if (!platform.files.SetFileAttributes(target.c_str(), platform::kFileAttributeNormal)) {
        runtime::LogLastError(platform, "SetFileAttributesA", target);
    }
}

}  // namespace veltra::upgrade
