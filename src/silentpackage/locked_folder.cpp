#include "silentpackage/locked_folder.h"

#include <string>
#include <vector>

#include "runtime/log.h"

namespace veltra::silentpackage {
namespace {

// The components between backslashes, none empty. In a double-byte code page
// the second byte of a character may be 0x5C without being a separator.
std::vector<std::string> SplitAtBackslashes(platform::System& system, std::string_view path) {
    platform::CodePageInfo info;
    if (!system.GetCPInfo(info)) info = {};
    const auto isLead = [&](unsigned char byte) {
        for (const auto& [first, last] : info.leadByteRanges) {
            if (byte >= first && byte <= last) return true;
        }
        return false;
    };
    std::vector<std::string> components;
    std::string current;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLead(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            current += path[i];
            current += path[++i];
        } else if (path[i] == '\\') {
            if (!current.empty()) components.push_back(std::move(current));
            current.clear();
        } else {
            current += path[i];
        }
    }
    if (!current.empty()) components.push_back(std::move(current));
    return components;
}

}  // namespace

void CreateFolderLevels(platform::Platform& platform, std::string_view path, const char* sddl) {
    const std::vector<std::string> components = SplitAtBackslashes(platform.system, path);
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
