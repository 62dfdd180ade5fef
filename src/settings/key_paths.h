// The registry keys the settings store knows by name, all below a root
// (HKEY_LOCAL_MACHINE unless a caller chooses the current user).
#pragma once

#include "runtime/agent_keys.h"

namespace veltra::settings {

// Default key paths of the settings classes.
using runtime::kGinaSettingsKey;
using runtime::kNetworkSettingsKey;
using runtime::kRasSettingsKey;
inline constexpr const char* kClientSettingsKey = "SOFTWARE\\Morvane\\KESHCLIENT";
inline constexpr const char* kTraceSettingsKey = "SOFTWARE\\Morvane\\KESHCLIENT";
inline constexpr const char* kComponentSettingsKey = runtime::kComponentsKey;

// Where the agent records its installation folder ("InstallPath").
using runtime::kAgentCommonKey;
// The local offline service's key, with its "DayfileDir".
using runtime::kLocalOfflineServiceKey;
// The authenticator utility's key, with its "InstallDir".
inline constexpr const char* kAuthenticatorUtilityKey =
    "SOFTWARE\\Veltra Security\\Veltra Authenticator Utility";
// The remote-access service's security host registration ("DLLPath").
inline constexpr const char* kRasSecurityHostKey = "SOFTWARE\\Microsoft\\Ras\\SecurityHost";
// The agent's RAS security host DLL, appended directly to the install path.
inline constexpr const char* kRasSecurityHostDll = "kvras40.dll";

}  // namespace veltra::settings
