// ReconcileSiblingProducts: the authenticator utility, then the web agent,
// then the RADIUS product. A flag holding anything but 0 or 1 matches neither
// of its product's transitions and is left alone. Every step runs even when
// the one before it failed, and the flag is written in any case.
#include "coexistence/reconcile_siblings.h"

#include <string>

#include "coexistence/help_files.h"
#include "coexistence/security_center_pages.h"
#include "coexistence/shared_dlls.h"
#include "coexistence/sibling_keys.h"
#include "coexistence/sibling_presence.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::coexistence {

using platform::Dword;

namespace {

// The files the RADIUS product shares with the agent, in the system folder.
constexpr const char* kRadiusSharedFiles[] = {"keshclnt.dll", "kvmsg.dll"};

void ReconcileUtility(platform::Platform& platform) {
    const bool present = IsAuthenticatorUtilityInstalled(platform);
    const Dword flag = GetInteropFlag(platform, kPavoFlag);
    if (present && flag == 0) {
        UpdateHelpPaths(platform);
        InstallOfflineDaysPage(platform);
        RegisterSecurityCenterTabs(platform);
        ArrangeWelcomePages(platform);
        SetInteropFlag(platform, kPavoFlag, 1);
    } else if (!present && flag == 1) {
        UpdateHelpPaths(platform);
        if (std::string installPath; GetAgentInstallPath(platform, installPath)) {
            SetConfigWelcomePathFiles(platform, installPath);
        }
        RemoveWelcomePages(platform);
        RegisterSecurityCenterTabs(platform);
        ArrangeWelcomePages(platform);
        RemoveUtilityKeys(platform);
        EnableUtilityTokaraLogon(platform);
        SetInteropFlag(platform, kPavoFlag, 0);
        DeleteInteropBackup(platform);
    }
}

void ReconcileWebAgent(platform::Platform& platform) {
    const bool present = IsWebAgentInstalled(platform);
    const Dword flag = GetInteropFlag(platform, kWebAgentFlag);
    if ((present && flag == 0) || (!present && flag == 1)) {
        CleanLegacyClientFiles(platform);
        SetInteropFlag(platform, kWebAgentFlag, present ? 1 : 0);
    }
}

void ReconcileRadius(platform::Platform& platform) {
    const bool present = IsRadiusProductInstalled(platform);
    const Dword flag = GetInteropFlag(platform, kRadiusFlag);
    if (!((present && flag == 0) || (!present && flag == 1))) return;

    char system[runtime::kPathBuffer] = {0};
    const Dword length = platform.system.GetSystemDirectory(system, sizeof system);
    if (length == 0 || length >= sizeof system) {
        runtime::LogLastError(platform, "GetSystemDirectoryA", "system folder");
    } else {
        for (const char* file : kRadiusSharedFiles) {
            const std::string path = std::string(system) + "\\" + file;
            if (present) {
                AddSharedDllReference(platform, path.c_str());
            } else {
                ReleaseSharedDllReference(platform, path.c_str());
            }
        }
    }
    SetInteropFlag(platform, kRadiusFlag, present ? 1 : 0);
}

}  // namespace

void ReconcileSiblingProducts(platform::Platform& platform) {
    ReconcileUtility(platform);
    ReconcileWebAgent(platform);
    ReconcileRadius(platform);
}

int InteropStateChanged(platform::Platform& platform) {
    const bool disagrees = IsAuthenticatorUtilityInstalled(platform) != (GetInteropFlag(platform, kPavoFlag) == 1) ||
                           IsWebAgentInstalled(platform) != (GetInteropFlag(platform, kWebAgentFlag) == 1) ||
                           IsRadiusProductInstalled(platform) != (GetInteropFlag(platform, kRadiusFlag) == 1);
    return disagrees ? 1 : 0;
}

int EnableUtilityTokaraLogon(platform::Platform& platform) {
    platform::RegKey key;
    if (const Dword status = runtime::CreateKey(platform.registry, platform::kHkeyLocalMachine, kUtilityLogonKey,
                                                platform::kKeySetValue, key)) {
        runtime::LogFailure(platform, "RegCreateKeyExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, kUtilityLogonKey), status);
        return 1;
    }
    for (const char* name : {"TokaraLogin", "TokaraMode"}) {
        if (const Dword status = runtime::WriteDword(platform.registry, key.get(), name, 1)) {
            runtime::LogFailure(platform, "RegSetValueExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, kUtilityLogonKey, name), status);
        }
    }
    return 1;
}

}  // namespace veltra::coexistence
