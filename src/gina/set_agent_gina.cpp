// SetAgentGina: the chain change for this installation's own agent GINA,
// for the callers that do not get its path from the package.
#include <optional>
#include <string>

#include "gina/gina_chain.h"
#include "gina/gina_names.h"
#include "runtime/registry_ops.h"

namespace veltra::gina {
namespace {

// "KeshGina.dll" in the agent's installation folder, when it is there.
std::optional<std::string> InstalledAgentGina(platform::Platform& platform) {
    platform::RegKey common;
    if (runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kAgentCommonKey,
                         platform::kKeyAllAccess, common) != platform::kErrorSuccess) {
        return std::nullopt;
    }
    const auto installPath =
        runtime::ReadString(platform.registry, common.get(), kInstallPathValue);
    if (!installPath) return std::nullopt;
    // InstallPath ends with a backslash. A path past the path limit cannot
    // name the file.
    const std::string path = *installPath + kAgentGinaFile;
    if (path.size() >= runtime::kPathBuffer) return std::nullopt;
    if (platform.files.GetFileAttributes(path.c_str()) == platform::kInvalidFileAttributes) {
        return std::nullopt;
    }
    return path;
}

}  // namespace

platform::Dword SetAgentGina(platform::Platform& platform, bool enable, NameBuffer* name,
                             bool force) {
    std::string agentPath = kAgentGinaFile;
    if (enable) {
        if (auto installed = InstalledAgentGina(platform)) agentPath = std::move(*installed);
    }
    return SetAgentGinaInChain(platform, enable, name, force, agentPath);
}

}  // namespace veltra::gina
