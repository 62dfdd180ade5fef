// The three offline-authentication services: one program, "da_svc.exe", run
// with a mode switch for a local logon client, a domain client or a domain
// host. Each is registered by its own deferred action, whose data is the
// folder that holds the program.
#pragma once

#include <string>

#include "platform/platform.h"

namespace veltra::services {

struct OfflineService {
    const char* action;       // the registering action, named in its progress record
    const char* name;         // the service's key name
    const char* displayName;
    const char* modeSwitch;   // follows the quoted program path
    const char* progressText;
};

inline constexpr OfflineService kLocalService{
    "InstallLocalDAService", "OASVC_Local", "Veltra Authentication Agent Offline Local", "-local",
    "Installing Local Offline Auth Service"};
inline constexpr OfflineService kDomainClientService{
    "InstallDomainDAService", "OASVC_DomainClient", "Veltra Authentication Agent Offline DomainClient",
    "-domain", "Installing Domain Offline Auth Service"};
inline constexpr OfflineService kDomainHostService{
    "InstallDomainHostDAService", "OASVC_DomainHost", "Veltra Authentication Agent Offline DomainHost",
    "-domainhost", "Installing DomainHost Offline Auth Service"};

inline constexpr const char* kServiceDescription = "Enables Kesh offline authentication";

// The command line is held in a buffer of this many bytes, terminator included.
inline constexpr std::size_t kCommandLineBuffer = 360;

// Registers one service with the local Service Control Manager: automatic
// start, its own process, LocalSystem. 0 when it was created, 1603 when not
// (a service of that name that exists already included). A description that
// cannot be set does not undo the registration.
platform::Dword CreateOfflineService(platform::Platform& platform, const std::string& commandLine,
                                     const char* name, const char* displayName,
                                     const char* description);

// The whole of a registering action: the folder from "CustomActionData", the
// command line, the progress record, the registration.
platform::Dword InstallOfflineService(platform::Platform& platform, const OfflineService& service);

}  // namespace veltra::services
