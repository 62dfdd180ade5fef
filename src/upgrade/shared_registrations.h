// The registrations the agent shares with earlier versions and with the
// maker's sibling products: the system's shared-file reference counts, the
// system's list of password-notification packages, the maker's list of
// library search paths, the Kesh client's event-log source, and the settings
// keys of the agent's components.
//
// After each installation or maintenance run, UpdateSharedRegistrations
// brings them in line with the components the machine now has. The three
// list routines also serve the removal clean-up: each finds out for itself
// (by the password filter or the installed marker) whether the agent is
// still there, and takes the agent's entries out when it is not.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "upgrade/agent_components.h"

namespace veltra::upgrade {

// The agent's components in the new installation, as their marker files in
// the repository folder say.
// Folders end with a backslash, as the installer gives them.
struct SharedRegistrationInputs {
    std::string systemFolder;     // the system folder
    std::string helpFolder;       // the Windows folder followed by "Help\"
    std::string installFolder;    // the agent's installation folder
    std::string frameworkFolder;  // the shared authentication framework folder
    std::string backEndFolder;    // the shared back-end user-interface folder
    std::string sharedFolder;     // the maker's shared folder
    bool firstInstallation = false;
    AgentComponents components;
};

// Runs every step below in this order: the server-product probes; in a first
// installation the shared-file counts; the three shared lists; in a first
// installation the interop flags of absent siblings; the sibling-product
// reconciliation (or, with nothing changed, the security center pages); the
// obsolete keys; the offline-service count. Failures are logged and skipped.
void UpdateSharedRegistrations(platform::Platform& platform, const SharedRegistrationInputs& inputs);

// Whether the marker "VeltraKeshAgentInstalled.txt" is in the repository
// folder of installFolder.
bool AgentInstalledMarkerExists(platform::Platform& platform, std::string_view installFolder);

// The maker's server products, whose own files hold references to the
// shared client DLLs.
struct ServerProducts {
    bool server = false;     // a "KESHSERVER" key under the maker's roots
    bool adminTool = false;  // a "KVCATOOL" key under the maker's roots
};
ServerProducts ProbeServerProducts(platform::Platform& platform);

// 1 plus every agent the maker registers under SOFTWARE\VeltraKeshAgents
// (except "WINDOWS", this agent's own); 1 when that key does not open.
platform::Dword CountRegisteredAgents(platform::Platform& platform);

// A first installation's SharedDLLs counts of the agent's shared files:
// retired files' values deleted, the others set from the components, the
// server products and the number of agents. Skipped when SharedDLLs does not
// open.
void SetSharedFileCounts(platform::Platform& platform, const SharedRegistrationInputs& inputs,
                         const ServerProducts& servers, platform::Dword agents);

// The offline service's count ("da_svc.exe" in the installation folder) set
// to 1, only when the value is already there.
void SetOfflineServiceCount(platform::Platform& platform, std::string_view installFolder);

// HKLM\SYSTEM\CurrentControlSet\Control\Lsa "Notification Packages": every
// "veltrapwdfilt" entry taken out and, while the password filter
// "veltrapwdfilt.dll" is in the system folder, put back once at the end.
// Other entries keep their order. A list that cannot be read is left alone.
void UpdateLsaNotificationPackages(platform::Platform& platform, std::string_view systemFolder);

// The Kesh client's event-log source "KESHCLIENT": while the agent is
// installed "EventMessageFile" also names the shared "CommonLogEvents.dll"
// (appended once, after ";") and "CategoryCount" is 12; without the agent the
// appended file is cut off again and the count is 9.
void UpdateEventLogSource(platform::Platform& platform, std::string_view installFolder,
                          std::string_view sharedFolder);

// The keys earlier versions left behind, and the settings keys of the
// components that this installation does not have.
void RemoveObsoleteKeys(platform::Platform& platform, const AgentComponents& components);

}  // namespace veltra::upgrade
