// CleanLegacyClientFiles: the client of earlier agents installed a control
// panel and helper files into the Windows folder. The control panel always
// goes; the other files and their shared DLL counts belong to the web agent
// while it is present, and go only without it.
#include <string>

#include "coexistence/reconcile_siblings.h"
#include "coexistence/shared_dlls.h"
#include "coexistence/sibling_keys.h"
#include "coexistence/sibling_presence.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::coexistence {

using platform::Dword;

namespace {

constexpr const char* kSharedLegacyFiles[] = {"\\system32\\kvagentrt.dll", "\\system32\\kvtest.exe",
                                              "\\system32\\kvui.dll"};
constexpr const char* kLegacyHelpFiles[] = {"\\help\\kvcontrl.cnt", "\\help\\kvcontrl.hlp"};

void DeleteIfExists(platform::Platform& platform, const std::string& path) {
    if (platform.files.GetFileAttributes(path.c_str()) == platform::kInvalidFileAttributes) return;
    if (!platform.files.DeleteFile(path.c_str())) runtime::LogLastError(platform, "DeleteFileA", path);
}

}  // namespace

int CleanLegacyClientFiles(platform::Platform& platform) {
    char root[runtime::kPathBuffer] = {0};
    const Dword length = platform.system.GetEnvironmentVariable("SystemRoot", root, sizeof root);
    // Without the Windows folder there is no file to look at; the flag is
    // still brought up to date.
    const bool haveRoot = length > 0 && length < sizeof root;
    if (!haveRoot) runtime::LogLastError(platform, "GetEnvironmentVariableA", "SystemRoot");
    const std::string windows = haveRoot ? root : "";

    if (haveRoot) DeleteIfExists(platform, windows + "\\system32\\kvcontrl.cpl");
    if (IsWebAgentInstalled(platform)) {
        SetInteropFlag(platform, kWebAgentFlag, 1);
        return 1;
    }
    SetInteropFlag(platform, kWebAgentFlag, 0);
    if (!haveRoot) return 1;

    platform::RegKey shared;
    if (const Dword status = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kSharedDllsKey,
                                              platform::kKeyAllAccess, shared)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(platform::kHkeyLocalMachine, kSharedDllsKey), status);
    }
    for (const char* file : kSharedLegacyFiles) {
        const std::string path = windows + file;
        DeleteIfExists(platform, path);
        if (shared) platform.registry.DeleteValue(shared.get(), path.c_str());
    }
    for (const char* file : kLegacyHelpFiles) DeleteIfExists(platform, windows + file);
    return 1;
}

}  // namespace veltra::coexistence
