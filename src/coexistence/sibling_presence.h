// Whether each sibling product, and the agent itself, is on the machine; the
// interop flags in which the agent records which siblings it has made room
// for; and the clean-up of what the authenticator utility leaves behind.
#pragma once

#include "platform/platform.h"

namespace veltra::coexistence {

bool IsAuthenticatorUtilityInstalled(platform::Platform& platform);
bool IsWebAgentInstalled(platform::Platform& platform);
bool IsRadiusProductInstalled(platform::Platform& platform);
bool IsAgentRegistered(platform::Platform& platform);
bool HasLogonComponent(platform::Platform& platform);

// The flag's value; 0 when it cannot be read.
platform::Dword GetInteropFlag(platform::Platform& platform, const char* flag);
// Written as REG_DWORD; nothing happens when the interop key cannot be created.
void SetInteropFlag(platform::Platform& platform, const char* flag, platform::Dword value);

// The utility's keys under both roots, and its token software's key unless
// that software is still installed; nothing while the utility is present.
// Always 1.
int RemoveUtilityKeys(platform::Platform& platform);

}  // namespace veltra::coexistence
