#include "selection/dayfile_removal_markers.h"

#include <array>
#include <cstdint>

#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::selection {

using platform::Dword;

namespace {

// The current user's volatile environment, where the markers live.
Dword OpenEnvironment(platform::Platform& platform, platform::RegKey& environment) {
    const Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyCurrentUser,
                                          kVolatileEnvironment, platform::kKeyAllAccess, environment);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA",
                            runtime::RegistryPath(platform::kHkeyCurrentUser, kVolatileEnvironment),
                            opened);
    }
    return opened;
}

}  // namespace

std::string RemovalMarkerName(const OfflineService& service, const std::string& productCode) {
    return std::string(service.removalMarkerPrefix) + productCode;
}

void DeleteRemovalMarkers(platform::Platform& platform, const std::string& productCode) {
    platform::RegKey environment;
    if (OpenEnvironment(platform, environment) != platform::kErrorSuccess) return;
    for (const OfflineService* service : {&kLocalService, &kDomainClientService, &kDomainHostService}) {
        platform.registry.DeleteValue(environment.get(),
                                      RemovalMarkerName(*service, productCode).c_str());
    }
}

void RecordRemovalMarker(platform::Platform& platform, const OfflineService& service,
                         const std::string& productCode) {
    platform::Registry& registry = platform.registry;
    // The root is read into the very buffer that is written: whatever the
    // value holds, followed by zeros up to the buffer's end.
    std::array<std::uint8_t, kRemovalMarkerBytes> root{};
    {
        platform::RegKey settings;
        const Dword opened = runtime::OpenKey(registry, platform::kHkeyLocalMachine,
                                              service.settingsKey, platform::kKeyRead, settings);
        if (opened != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegOpenKeyExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, service.settingsKey),
                                opened);
            return;
        }
        Dword size = kRemovalMarkerBytes;
        const Dword read =
            registry.QueryValueEx(settings.get(), kDayfileDirRoot, nullptr, root.data(), &size);
        if (read != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegQueryValueExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, service.settingsKey,
                                                      kDayfileDirRoot),
                                read);
            return;
        }
    }

    platform::RegKey environment;
    if (OpenEnvironment(platform, environment) != platform::kErrorSuccess) return;
    registry.SetValueEx(environment.get(), RemovalMarkerName(service, productCode).c_str(),
                        platform::kRegSz, root.data(), kRemovalMarkerBytes);
}

}  // namespace veltra::selection
