// The client key's share of a settings carry: ClientSettings,
// TraceSettings and the node secret, from the machine into the upgrade key
// and back.
#pragma once

#include <cstddef>

#include "platform/platform.h"
#include "settings/settings_context.h"

namespace veltra::upgrade {

// The node secret is always carried as exactly this many bytes, the old
// secret filled up with zero bytes; a longer one is not carried at all.
inline constexpr std::size_t kNodeSecretSize = 512;
inline constexpr const char* kNodeSecretValue = "NodeSecret";

// The upgrade key's copy of the client key.
inline constexpr const char* kUpgradeClientSubkey = "\\KESHCLIENT";

// Machine client key -> upgrade key + "\KESHCLIENT". `path` is the caller's
// one key path: it is rewritten here and the settings classes follow it.
void CaptureClientSettings(platform::Platform& platform, settings::SettingsContext& context,
                           settings::SharedKeyPath& path);
// Upgrade key + "\KESHCLIENT" -> machine client key; a saved trace level
// other than 0 turns tracing on.
void RestoreClientSettings(platform::Platform& platform, settings::SettingsContext& context,
                           settings::SharedKeyPath& path);

}  // namespace veltra::upgrade
