// RecordAgentVersion and SetBrevinLogonFlag: the two values the installation
// leaves for other programs, the agent's version numbers under its root key
// and the Tokara Brevin's logon switch.
#include <optional>
#include <string>

#include "runtime/agent_keys.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "silentpackage/text_mode_file.h"
#include "upgrade/post_process.h"
#include "upgrade/version_file.h"

namespace veltra::upgrade {

namespace {

constexpr platform::HKey kMachine = platform::kHkeyLocalMachine;
// The Tokara Brevin runs its own logon unless the agent's GINA does it.
constexpr const char* kBrevinDesktopKey = "SOFTWARE\\Veltra Security\\Veltra Tokara Brevin\\Desktop";

void WriteLoggedDword(platform::Platform& platform, const platform::RegKey& key, const char* keyPath,
                      const char* name, platform::Dword value) {
    if (const platform::Dword status = runtime::WriteDword(platform.registry, key.get(), name, value)) {
        runtime::LogFailure(platform, "RegSetValueExA", runtime::RegistryPath(kMachine, keyPath, name), status);
    }
}

}  // namespace

void RecordAgentVersion(platform::Platform& platform, const std::string& repositoryFolder) {
    AgentVersion version;
    const std::string path = repositoryFolder + kVersionFileName;
    if (platform.files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes) {
        if (const std::optional<std::string> text = silentpackage::ReadTextFile(platform, path)) {
            version = ReadAgentVersion(*text);
        }
    } else {
        runtime::Log(platform.installer, path + " is not there: recording version 6.0.0");
    }

    platform::RegKey key;
    if (const platform::Dword opened =
            runtime::OpenKey(platform.registry, kMachine, runtime::kAgentRootKey, platform::kKeyAllAccess, key)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(kMachine, runtime::kAgentRootKey), opened);
        return;
    }
    WriteLoggedDword(platform, key, runtime::kAgentRootKey, "MajorVersion", version.major);
    WriteLoggedDword(platform, key, runtime::kAgentRootKey, "MinorVersion", version.minor);
    WriteLoggedDword(platform, key, runtime::kAgentRootKey, "PatchVersion", version.patchLevel);
}

void SetBrevinLogonFlag(platform::Platform& platform, bool agentGinaChained) {
    platform::RegKey key;
    if (runtime::OpenKey(platform.registry, kMachine, kBrevinDesktopKey, platform::kKeyAllAccess, key) !=
        platform::kErrorSuccess) {
        return;  // no Tokara Brevin on this machine
    }
    WriteLoggedDword(platform, key, kBrevinDesktopKey, "Logon", agentGinaChained ? 0 : 1);
}

}  // namespace veltra::upgrade
