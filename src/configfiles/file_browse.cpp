#include "configfiles/file_browse.h"

#include "runtime/messages.h"
#include "runtime/session.h"

namespace veltra::configfiles {
namespace {

// The dialog's file buffer: the platform's path limit, terminator included.
constexpr platform::Dword kFileBufferSize = 260;

bool IsExistingFolder(platform::Files& files, const std::string& path) {
    const platform::Dword attributes = files.GetFileAttributes(path.c_str());
    return attributes != platform::kInvalidFileAttributes &&
           (attributes & platform::kFileAttributeDirectory) != 0;
}

}  // namespace

void BrowseForFile(platform::Platform& platform, const FileBrowse& browse) {
    std::string path =
        runtime::GetMsiPropertyFixed(platform.installer, browse.pathProperty, kFileBufferSize);
    if (IsExistingFolder(platform.files, path)) {
        // The name goes in only when the buffer still holds it with its terminator.
        const std::string withName = path + browse.nameInFolder;
        if (withName.size() < kFileBufferSize) path = withName;
    }

    const platform::Window owner = runtime::CreateOwnerWindow(platform.windows);
    platform::OpenFileNameArgs args;
    args.structSize = 88;
    args.owner = owner.get();
    args.filter = browse.filter;
    args.filterIndex = 1;
    args.title = browse.title;
    args.flags = platform::kOfnHideReadOnly;
    args.defaultExtension = "";
    args.maxFile = kFileBufferSize;
    if (platform.windows.GetOpenFileName(args, path)) {
        platform.installer.SetProperty(browse.pathProperty, path.c_str());
    }
}

}  // namespace veltra::configfiles
