// The registry places the maker's products share, all under
// HKEY_LOCAL_MACHINE unless said otherwise: the security center's pages and
// tabs, the agent's interop flags and its backup of the pages it changed, and
// the keys by which the sibling products show they are installed.
#pragma once

namespace veltra::coexistence {

#define VELTRA_SC "SOFTWARE\\Veltra Security\\Veltra Security Center"
#define VELTRA_INTEROP "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Common\\Interop"
#define VELTRA_BACKUP VELTRA_INTEROP "\\Backup"

// The security center and its pages.
inline constexpr const char* kSecurityCenterKey = VELTRA_SC;
inline constexpr const char* kTab1Key = VELTRA_SC "\\Pages\\Tab1";
inline constexpr const char* kTab2Key = VELTRA_SC "\\Pages\\Tab2";
inline constexpr const char* kWelcome1Key = VELTRA_SC "\\Pages\\Tab1\\Welcome";
inline constexpr const char* kWelcome2Key = VELTRA_SC "\\Pages\\Tab2\\Welcome";
inline constexpr const char* kPage5Key = VELTRA_SC "\\Pages\\Tab1\\Welcome\\Page 5";
inline constexpr const char* kPage2Key = VELTRA_SC "\\Pages\\Tab2\\Welcome\\Page 2";
inline constexpr const char* kOfflineDaysKey = VELTRA_SC "\\Pages\\Tab1\\Page z1 TKROfflineDays";
inline constexpr const char* kOfflineDaysWelcomeKey = VELTRA_SC "\\Pages\\Tab1\\Welcome\\Page z1 TKROfflineDays";
inline constexpr const char* kOfflineDaysWelcomeY1Key = VELTRA_SC "\\Pages\\Tab1\\Welcome\\Page y1 TKROfflineDays";

// The agent's interop flags, and its backup of the pages it changed.
inline constexpr const char* kInteropKey = VELTRA_INTEROP;
inline constexpr const char* kInteropBackupKey = VELTRA_BACKUP;
inline constexpr const char* kBackupWelcome1Key = VELTRA_BACKUP "\\Veltra Security Center\\Pages\\Tab1\\Welcome";
inline constexpr const char* kBackupWelcome2Key = VELTRA_BACKUP "\\Veltra Security Center\\Pages\\Tab2\\Welcome";
inline constexpr const char* kBackupPage5Key = VELTRA_BACKUP "\\Veltra Security Center\\Pages\\Tab1\\Welcome\\Page 5";
inline constexpr const char* kBackupPage2Key = VELTRA_BACKUP "\\Veltra Security Center\\Pages\\Tab2\\Welcome\\Page 2";

#undef VELTRA_BACKUP
#undef VELTRA_INTEROP
#undef VELTRA_SC

inline constexpr const char* kPavoFlag = "isPavoInstalled";
inline constexpr const char* kWebAgentFlag = "isWebAgentInstalled";
inline constexpr const char* kRadiusFlag = "isRADIUSInstalled";

// The authenticator utility (also under HKEY_CURRENT_USER), its token software.
inline constexpr const char* kUtilityKey = "SOFTWARE\\Veltra Security\\Veltra Authenticator Utility";
inline constexpr const char* kUtilityDesktopKey = "SOFTWARE\\Veltra Security\\Veltra Authenticator Utility\\Desktop";
inline constexpr const char* kUtilityLogonKey = "SOFTWARE\\Veltra Security\\Veltra Authenticator Utility\\Logon";
inline constexpr const char* kTokenSoftwareKey = "SOFTWARE\\Veltra Security\\Veltra Tokara Software Token";
// The web agent, and the RADIUS product's product code.
inline constexpr const char* kWebAgentKey = "SOFTWARE\\VeltraKeshAgents\\Web";
inline constexpr const char* kRadiusProductCode = "{9D2F6C31-47A8-4E5B-B1C0-2E8F7A6D5C49}";

}  // namespace veltra::coexistence
