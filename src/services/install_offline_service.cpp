// InstallLocalDAService, InstallDomainDAService, InstallDomainHostDAService
// (deferred): register one offline-authentication service each.
// CustomActionData: the folder that holds "da_svc.exe", ending with a
// backslash.
#include <optional>
#include <vector>

#include "runtime/actions.h"
#include "runtime/log.h"
#include "services/offline_service.h"

namespace veltra::services {
namespace {

using platform::Dword;

constexpr const char* kProgramFile = "da_svc.exe";

bool SessionRefused(Dword result) {
    return result == platform::kErrorInvalidHandle || result == platform::kErrorInvalidParameter;
}

// The data with the two-call read, told apart from a session that refuses
// the read: only a bad handle or argument stops the registration. Data that
// is empty or cannot be read otherwise is an empty folder, and the command
// line then names the program alone.
std::optional<std::string> ReadProgramFolder(platform::Installer& installer) {
    char empty[1] = {0};
    Dword length = 0;
    Dword result = installer.GetProperty("CustomActionData", empty, &length);
    if (SessionRefused(result)) return std::nullopt;
    if (result != platform::kErrorMoreData) return std::string();

    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    Dword capacity = length + 1;
    result = installer.GetProperty("CustomActionData", buffer.data(), &capacity);
    if (SessionRefused(result)) return std::nullopt;
    if (result != platform::kErrorSuccess) return std::string();
    return std::string(buffer.data());
}

// "\"<folder>da_svc.exe\" <switch>", or nullopt when it would not fit the
// command line's buffer: a cut-off program path would register a service
// that can never start.
std::optional<std::string> FormatCommandLine(const std::string& folder, const OfflineService& service) {
    std::string commandLine = "\"" + folder + kProgramFile + "\" " + service.modeSwitch;
    if (commandLine.size() + 1 > kCommandLineBuffer) return std::nullopt;
    return commandLine;
}

// The progress line the installer shows while the service is registered.
void AnnounceStep(platform::Installer& installer, const OfflineService& service) {
    const platform::MessageRecord record{{"", service.action, service.progressText, ""}};
    if (installer.ProcessMessage(platform::kInstallMessageActionStart, record) == -1) {
        runtime::Log(installer, std::string("MsiProcessMessage ActionStart ") + service.action + " failed: -1");
    }
}

}  // namespace

Dword InstallOfflineService(platform::Platform& platform, const OfflineService& service) {
    const std::optional<std::string> folder = ReadProgramFolder(platform.installer);
    if (!folder) return platform::kErrorInstallFailure;

    const std::optional<std::string> commandLine = FormatCommandLine(*folder, service);
    if (!commandLine) {
        runtime::Log(platform.installer, std::string("the command line of ") + service.name +
                                             " does not fit in " + std::to_string(kCommandLineBuffer) +
                                             " bytes");
        return platform::kErrorInstallFailure;
    }

    AnnounceStep(platform.installer, service);
    return CreateOfflineService(platform, *commandLine, service.name, service.displayName,
                                kServiceDescription);
}

}  // namespace veltra::services

namespace veltra::actions {

platform::Dword InstallLocalDAService(platform::Platform& platform) {
    return services::InstallOfflineService(platform, services::kLocalService);
}

platform::Dword InstallDomainDAService(platform::Platform& platform) {
    return services::InstallOfflineService(platform, services::kDomainClientService);
}

platform::Dword InstallDomainHostDAService(platform::Platform& platform) {
    return services::InstallOfflineService(platform, services::kDomainHostService);
}

}  // namespace veltra::actions
