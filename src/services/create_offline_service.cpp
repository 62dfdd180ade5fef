// CreateOfflineService: one service with the Service Control Manager. The
// service is not started here; the agent's services start with the system.
#include "runtime/log.h"
#include "services/offline_service.h"

namespace veltra::services {

platform::Dword CreateOfflineService(platform::Platform& platform, const std::string& commandLine,
                                     const char* name, const char* displayName,
                                     const char* description) {
    platform::Services& scm = platform.services;
    const platform::ServiceHandle manager(scm, scm.OpenSCManager(platform::kScManagerAllAccess));
    if (!manager) {
        runtime::LogLastError(platform, "OpenSCManagerA", "local machine");
        return platform::kErrorInstallFailure;
    }

    platform::ServiceConfig config;
    config.name = name;
    config.displayName = displayName;
    config.desiredAccess = platform::kServiceAllAccess;
    config.serviceType = platform::kServiceWin32OwnProcess;
    config.startType = platform::kServiceAutoStart;
    config.errorControl = platform::kServiceErrorNormal;
    config.binaryPath = commandLine;
    // No load-order group, no dependencies, no account: it runs as LocalSystem.
    const platform::ServiceHandle service(scm, scm.CreateService(manager.get(), config));
    if (!service) {
        runtime::LogLastError(platform, "CreateServiceA", name);
        return platform::kErrorInstallFailure;
    }

    // The description only explains the service to an administrator.
    if (!scm.ChangeServiceDescription(service.get(), description)) {
        runtime::LogLastError(platform, "ChangeServiceConfig2A", name);
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::services
