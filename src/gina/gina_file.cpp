// The file a chain link names. Products store either a bare file name, which
// Winlogon loads from the system folder, or a full path.
#include "gina/chain_walk.h"
#include "runtime/deferred_data.h"
#include "runtime/registry_ops.h"
#include "runtime/text.h"

namespace veltra::gina {

bool GinaFileExists(platform::Files& files, platform::System& system, std::string_view link) {
    std::string path(link);
    if (runtime::FindLastBackslash(system, link) == std::string_view::npos) {
        const std::string inSystemFolder =
            runtime::JoinStrings("\\", {"%SystemRoot%\\SYSTEM32", link});
        char expanded[runtime::kPathBuffer] = {};
        const platform::Dword needed =
            system.ExpandEnvironmentStrings(inSystemFolder.c_str(), expanded, sizeof expanded);
        // A name that expands past the path limit cannot be loaded: it counts
        // as a missing file.
        if (needed == 0 || needed > sizeof expanded) return false;
        path = expanded;
    }
    return files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes;
}

}  // namespace veltra::gina
