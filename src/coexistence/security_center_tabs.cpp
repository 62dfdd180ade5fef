// RegisterSecurityCenterTabs: the agent's two tabs. Tab 1 shows the Home
// page only when there is something to show on it: the utility, or the
// agent's own logon components. The tab keys belong to the security center;
// the agent writes them only when they exist.
#include "coexistence/security_center_pages.h"
#include "coexistence/sibling_keys.h"
#include "coexistence/sibling_presence.h"
#include "runtime/log.h"

namespace veltra::coexistence {

using platform::Dword;

namespace {

bool WriteTab(platform::Platform& platform, const char* tabKey, const std::string& pathFile, const char* title) {
    platform::RegKey key;
    if (const Dword status = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, tabKey,
                                              platform::kKeyAllAccess, key)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(platform::kHkeyLocalMachine, tabKey), status);
        return false;
    }
    for (const auto& [name, text] : {std::pair<const char*, std::string>{"PathFile", pathFile}, {"Title", title}}) {
        if (const Dword status = runtime::WriteString(platform.registry, key.get(), name, text)) {
            runtime::LogFailure(platform, "RegSetValueExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, tabKey, name), status);
        }
    }
    return true;
}

}  // namespace

int RegisterSecurityCenterTabs(platform::Platform& platform) {
    const bool showHome = IsAuthenticatorUtilityInstalled(platform) ||
                          (IsAgentRegistered(platform) && HasLogonComponent(platform));
    std::string folder;
    GetSecurityCenterDir(platform, folder);

    const bool tab1 = WriteTab(platform, kTab1Key, showHome ? folder + "TabHome.dll" : folder, "Home");
    const bool tab2 = WriteTab(platform, kTab2Key, folder + "TabConfiguration.dll", "Configuration");
    return tab1 && tab2 ? 1 : 0;
}

}  // namespace veltra::coexistence
