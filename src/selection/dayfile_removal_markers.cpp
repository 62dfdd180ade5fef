#include "selection/dayfile_removal_markers.h"

#include <array>
#include <cstdint>

#include "runtime/registry_ops.h"

namespace veltra::selection {

using platform::Dword;

std::string RemovalMarkerName(const OfflineService& service, const std::string& productCode) {
    return std::string(service.removalMarkerPrefix) + productCode;
}

void DeleteRemovalMarkers(platform::Registry& registry, const std::string& productCode) {
    platform::RegKey environment;
    if (runtime::OpenKey(registry, platform::kHkeyCurrentUser, kVolatileEnvironment,
                         platform::kKeyAllAccess, environment) != platform::kErrorSuccess) {
        return;
    }
    for (const OfflineService* service : {&kLocalService, &kDomainClientService, &kDomainHostService}) {
        registry.DeleteValue(environment.get(), RemovalMarkerName(*service, productCode).c_str());
    }
}

void RecordRemovalMarker(platform::Registry& registry, const OfflineService& service,
                         const std::string& productCode) {
    // The root is read into the very buffer that is written: whatever the
    // value holds, followed by zeros up to the buffer's end.
    std::array<std::uint8_t, kRemovalMarkerBytes> root{};
    {
        platform::RegKey settings;
        if (runtime::OpenKey(registry, platform::kHkeyLocalMachine, service.settingsKey,
                             platform::kKeyRead, settings) != platform::kErrorSuccess) {
            return;
        }
        Dword size = kRemovalMarkerBytes;
        if (registry.QueryValueEx(settings.get(), kDayfileDirRoot, nullptr, root.data(), &size) !=
            platform::kErrorSuccess) {
            return;
        }
    }

    platform::RegKey environment;
    if (runtime::OpenKey(registry, platform::kHkeyCurrentUser, kVolatileEnvironment,
                         platform::kKeyAllAccess, environment) != platform::kErrorSuccess) {
        return;
    }
    registry.SetValueEx(environment.get(), RemovalMarkerName(service, productCode).c_str(),
                        platform::kRegSz, root.data(), kRemovalMarkerBytes);
}

}  // namespace veltra::selection
