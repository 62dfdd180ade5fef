// Where the agent keeps its state: its registry keys under HKEY_LOCAL_MACHINE
// and the repository folder inside its installation folder. Every subsystem
// names them from here.
#pragma once

namespace veltra::runtime {

#define VELTRA_AGENT_ROOT "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion"

inline constexpr const char* kAgentRootKey = VELTRA_AGENT_ROOT;
// "InstallPath" (the installation folder, ending with a backslash) and the interop flags.
inline constexpr const char* kAgentCommonKey = VELTRA_AGENT_ROOT "\\Common";
inline constexpr const char* kGinaSettingsKey = VELTRA_AGENT_ROOT "\\Settings\\KVGINA";
inline constexpr const char* kNetworkSettingsKey = VELTRA_AGENT_ROOT "\\Settings\\KVNETWORK";
inline constexpr const char* kRasSettingsKey = VELTRA_AGENT_ROOT "\\Settings\\KVRAS";
inline constexpr const char* kComponentsKey = VELTRA_AGENT_ROOT "\\Components";
// The offline-authentication services' keys, with their day-file folders.
inline constexpr const char* kLocalOfflineServiceKey = VELTRA_AGENT_ROOT "\\Local\\OASVC";
inline constexpr const char* kDomainOfflineServiceKey = VELTRA_AGENT_ROOT "\\Domain\\OASVC";
inline constexpr const char* kDomainHostOfflineServiceKey = VELTRA_AGENT_ROOT "\\DomainHost\\OASVC";

// The roots the settings keys (KVGINA, KVNETWORK, KVRAS) hang below: the
// legacy products' and this agent's own.
inline constexpr const char* kLegacySettingsRoot = "SOFTWARE\\Morvane\\";
inline constexpr const char* kSettingsRoot = VELTRA_AGENT_ROOT "\\Settings\\";

#undef VELTRA_AGENT_ROOT

inline constexpr const char* kInstallPathValue = "InstallPath";

// The folder inside the installation folder where the package lays one
// marker file per installed component.
inline constexpr const char* kRepositoryFolderName = "VeltraKeshAgentRepository\\";
// The marker whose presence in the repository folder says the agent is installed.
inline constexpr const char* kAgentInstalledMarker = "VeltraKeshAgentInstalled.txt";

}  // namespace veltra::runtime
