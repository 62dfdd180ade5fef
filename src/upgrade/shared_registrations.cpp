// UpdateSharedRegistrations: after the installer has laid down the files of
// an installation or a maintenance run, the entries the agent shares with
// the system, with earlier versions and with the maker's sibling products
// are brought in line with the components the machine now has.
#include "upgrade/shared_registrations.h"

#include "coexistence/reconcile_siblings.h"
#include "coexistence/security_center_pages.h"
#include "coexistence/sibling_keys.h"
#include "coexistence/sibling_presence.h"
#include "runtime/agent_keys.h"
#include "runtime/deferred_data.h"
#include "upgrade/library_search_paths.h"

namespace veltra::upgrade {

bool AgentInstalledMarkerExists(platform::Platform& platform, std::string_view installFolder) {
    const std::string marker =
        runtime::JoinStrings("\\", {installFolder, runtime::kRepositoryFolderName, runtime::kAgentInstalledMarker});
    return platform.files.GetFileAttributes(marker.c_str()) != platform::kInvalidFileAttributes;
}

void UpdateSharedRegistrations(platform::Platform& platform, const SharedRegistrationInputs& inputs) {
    const ServerProducts servers = ProbeServerProducts(platform);

    // Counts are set once, when the agent arrives; a maintenance run keeps
    // what the siblings have done to them since.
    if (inputs.firstInstallation) {
        SetSharedFileCounts(platform, inputs, servers, CountRegisteredAgents(platform));
    }

    UpdateLsaNotificationPackages(platform, inputs.systemFolder);
    UpdateLibrarySearchPaths(platform, inputs.installFolder, inputs.frameworkFolder, inputs.backEndFolder);
    UpdateEventLogSource(platform, inputs.installFolder, inputs.sharedFolder);

    // A first installation marks the utility and the web agent as made room
    // for when they are absent, so that the reconciliation below settles the
    // machine as it finds it.
    if (inputs.firstInstallation) {
        if (!coexistence::IsAuthenticatorUtilityInstalled(platform)) {
            coexistence::SetInteropFlag(platform, coexistence::kPavoFlag, 1);
        }
        if (!coexistence::IsWebAgentInstalled(platform)) {
            coexistence::SetInteropFlag(platform, coexistence::kWebAgentFlag, 1);
        }
    }

    if (coexistence::InteropStateChanged(platform)) {
        coexistence::ReconcileSiblingProducts(platform);
    } else {
        coexistence::RegisterSecurityCenterTabs(platform);
        coexistence::PlaceOfflineDaysPage(platform);
        coexistence::ArrangeWelcomePages(platform);
    }

    RemoveObsoleteKeys(platform, inputs.components);
    SetOfflineServiceCount(platform, inputs.installFolder);
}

}  // namespace veltra::upgrade
