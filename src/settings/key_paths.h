// The registry keys the settings store knows by name, all below a root
// (HKEY_LOCAL_MACHINE unless a caller chooses the current user).
#pragma once

namespace veltra::settings {

// Default key paths of the settings classes.
inline constexpr const char* kRasSettingsKey =
    "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVRAS";
inline constexpr const char* kGinaSettingsKey =
    "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVGINA";
inline constexpr const char* kNetworkSettingsKey =
    "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVNETWORK";
inline constexpr const char* kClientSettingsKey = "SOFTWARE\\Morvane\\KESHCLIENT";
inline constexpr const char* kTraceSettingsKey = "SOFTWARE\\Morvane\\KESHCLIENT";
inline constexpr const char* kComponentSettingsKey =
    "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Components";

// Where the agent records its installation folder ("InstallPath").
inline constexpr const char* kAgentCommonKey =
    "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Common";
// The local offline service's key, with its "DayfileDir".
inline constexpr const char* kLocalOfflineServiceKey =
    "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Local\\OASVC";
// The authenticator utility's key, with its "InstallDir".
inline constexpr const char* kAuthenticatorUtilityKey =
    "SOFTWARE\\Veltra Security\\Veltra Authenticator Utility";
// The remote-access service's security host registration ("DLLPath").
inline constexpr const char* kRasSecurityHostKey = "SOFTWARE\\Microsoft\\Ras\\SecurityHost";
// The agent's RAS security host DLL, appended directly to the install path.
inline constexpr const char* kRasSecurityHostDll = "kvras40.dll";

}  // namespace veltra::settings
