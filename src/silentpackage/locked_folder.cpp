#include "silentpackage/locked_folder.h"

#include <string>
#include <vector>

#include "runtime/log.h"
#include "runtime/text.h"

namespace veltra::silentpackage {

void CreateFolderLevels(platform::Platform& platform, std::string_view path, const char* sddl) {
    const std::vector<std::string> components = runtime::SplitAtBackslashes(platform.system, path);
    if (components.size() < 2) return;
    std::string level = components[0];
    for (std::size_t i = 1; i < components.size(); ++i) {
        level += '\\';
        level += components[i];
        if (platform.files.GetFileAttributes(level.c_str()) != platform::kInvalidFileAttributes) continue;
        if (!platform.files.CreateDirectory(level.c_str(), sddl)) {
            runtime::LogLastError(platform, "CreateDirectoryA", level);
            return;
        }
    }
}

}  // namespace veltra::silentpackage
