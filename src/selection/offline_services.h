// The three offline-authentication services as the feature choices see them:
// each is its own installer feature, has a property that tells the service
// actions to register it, a settings key holding its day-file root, and a
// removal marker that hands that root to the clean-up after installation.
#pragma once

#include "runtime/agent_keys.h"

namespace veltra::selection {

struct OfflineService {
    const char* feature;              // installer feature
    const char* installProperty;      // "1" asks for the service to be registered
    const char* settingsKey;          // under HKEY_LOCAL_MACHINE
    const char* removalMarkerPrefix;  // followed directly by the ProductCode
};

inline constexpr OfflineService kLocalService{
    "OASVC_Local", "INSTALL_OASVC_LOCAL",
    runtime::kLocalOfflineServiceKey,
    "REMOVELACDAYFILES"};

inline constexpr OfflineService kDomainClientService{
    "OASVC_DomainClient", "INSTALL_OASVC_DOMAINCLIENT",
    runtime::kDomainOfflineServiceKey,
    "REMOVEDACDAYFILES"};

inline constexpr OfflineService kDomainHostService{
    "OASVC_DomainHost", "INSTALL_OASVC_DOMAINHOST",
    runtime::kDomainHostOfflineServiceKey,
    "REMOVEDAHDAYFILES"};

// The value of a service's settings key that names its day-file folder.
inline constexpr const char* kDayfileDirRoot = "DayfileDirRoot";

}  // namespace veltra::selection
