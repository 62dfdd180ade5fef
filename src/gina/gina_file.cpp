// The file a chain link names. Products store either a bare file name, which
// Winlogon loads from the system folder, or a full path.
#include "gina/chain_walk.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "runtime/text.h"

namespace veltra::gina {

bool GinaFileExists(platform::Platform& platform, std::string_view link) {
    std::string path(link);
    if (runtime::FindLastBackslash(platform.system, link) == std::string_view::npos) {
        const std::string inSystemFolder =
            runtime::JoinStrings("\\", {"%SystemRoot%\\SYSTEM32", link});
        char expanded[runtime::kPathBuffer] = {};
        const platform::Dword needed =
            platform.system.ExpandEnvironmentStrings(inSystemFolder.c_str(), expanded, sizeof expanded);
        // A name that expands past the path limit cannot be loaded: it counts
        // as a missing file.
        if (needed == 0 || needed > sizeof expanded) {
            runtime::LogLastError(platform, "ExpandEnvironmentStringsA", inSystemFolder);
            return false;
        }
        path = expanded;
    }
    if (platform.files.GetFileAttributes(path.c_str()) == platform::kInvalidFileAttributes) {
        runtime::LogLastError(platform, "GetFileAttributesA", path);
        return false;
    }
    return true;
}

}  // namespace veltra::gina
