// The agent's offline-days page. On its own the agent shows it beside Tab 1's
// welcome page; once the utility is present it goes under the welcome page,
// where the utility's security center looks for it, and Tab 2's welcome page
// becomes the agent's configuration page.
#include "coexistence/help_files.h"
#include "coexistence/key_tree.h"
#include "coexistence/security_center_pages.h"
#include "coexistence/sibling_keys.h"
#include "coexistence/sibling_presence.h"

namespace veltra::coexistence {

namespace {

constexpr platform::HKey kMachine = platform::kHkeyLocalMachine;

// A move: the source goes only once its copy has been made.
void MoveOfflineDaysUnderWelcome(platform::Platform& platform) {
    if (CopyKeyTree(platform, kMachine, kOfflineDaysKey, kOfflineDaysWelcomeKey) == 0) {
        DeleteKeyTree(platform, kMachine, kOfflineDaysKey);
    }
}

}  // namespace

int InstallOfflineDaysPage(platform::Platform& platform) {
    std::string installPath;
    if (!GetAgentInstallPath(platform, installPath)) return 0;
    BackupWelcomePathFiles(platform);
    SetConfigWelcomePathFiles(platform, installPath);
    MoveOfflineDaysUnderWelcome(platform);
    // Tab 1 keeps the utility's own welcome page (when it had one); only
    // Tab 2 shows the agent's configuration page.
    RestoreHomeWelcomePathFile(platform);
    return 0;
}

int PlaceOfflineDaysPage(platform::Platform& platform) {
    if (!IsAuthenticatorUtilityInstalled(platform)) {
        RemoveWelcomePages(platform);
    } else {
        MoveOfflineDaysUnderWelcome(platform);
    }
    return 0;
}

int RemoveWelcomePages(platform::Platform& platform) {
    CopyKeyTree(platform, kMachine, kOfflineDaysWelcomeKey, kOfflineDaysKey);
    DeleteKeyTree(platform, kMachine, kWelcome1Key);
    return 0;
}

}  // namespace veltra::coexistence
