// Carrying a previous agent's settings across its removal: the capture into
// the per-user upgrade key (PrepForPossiblePost5_Upgrade) and the restore
// into the new installation (RestoreUpgradeSettings).
//
// Below the upgrade key the capture leaves one REG_DWORD mark (1) per
// component the old product had, and the copies "KVNETWORK", "KVGINA",
// "KVRAS" (with its EAP subkeys "15" and "32") and "KESHCLIENT", the last
// with the node secret padded to 512 bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "upgrade/agent_components.h"

namespace veltra::upgrade {

// The components as the marks number them.
enum class UpgradeComponent : int {
    LocalAuthClient = 1,
    DomainAuthClient = 2,
    DomainAuthServer = 3,
    RemoteAuthServer = 4,
    RemoteAuthClient = 5,
};

// The mark's value name in the upgrade key ("Local Authentication Client", ...).
const char* UpgradeMarkName(UpgradeComponent component);

// Creates the upgrade key if needed and sets the component's mark to 1;
// failures are only logged.
void MarkComponentForUpgrade(platform::Platform& platform, UpgradeComponent component);
// Whether the upgrade key holds the component's mark as a 4-byte value.
bool IsComponentMarkedForUpgrade(platform::Platform& platform, UpgradeComponent component);

// The domain host offline service's "DayfileDir" (at most `capacity` - 1
// characters), in the key of that service below root (root + "Veltra
// Authentication Agent\CurrentVersion\DomainHost\OASVC"), else below the
// legacy root. Absent when
// neither key opens, and also when the value cannot be read or does not fit:
// with no readable folder there is no secret to hand on.
std::optional<std::string> GetDomainHostDayfileDir(platform::Platform& platform, std::string_view root,
                                                   std::size_t capacity);

// Which components the new installation has: a marker file per component in
// the repository folder.
// Carries the saved settings back into the machine's settings keys, for each
// component both the old and the new installation have, keeping the new
// installation's version numbers and file paths.
void RestoreUpgradeSettings(platform::Platform& platform, const AgentComponents& installed);

}  // namespace veltra::upgrade
