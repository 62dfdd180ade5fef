// The three offline-authentication services as the feature choices see them:
// each is its own installer feature, has a property that tells the service
// actions to register it, a settings key holding its day-file root, and a
// removal marker that hands that root to the clean-up after installation.
#pragma once

namespace veltra::selection {

struct OfflineService {
    const char* feature;              // installer feature
    const char* installProperty;      // "1" asks for the service to be registered
    const char* settingsKey;          // under HKEY_LOCAL_MACHINE
    const char* removalMarkerPrefix;  // followed directly by the ProductCode
};

inline constexpr OfflineService kLocalService{
    "OASVC_Local", "INSTALL_OASVC_LOCAL",
    "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Local\\OASVC",
    "REMOVELACDAYFILES"};

inline constexpr OfflineService kDomainClientService{
    "OASVC_DomainClient", "INSTALL_OASVC_DOMAINCLIENT",
    "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Domain\\OASVC",
    "REMOVEDACDAYFILES"};

inline constexpr OfflineService kDomainHostService{
    "OASVC_DomainHost", "INSTALL_OASVC_DOMAINHOST",
    "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\DomainHost\\OASVC",
    "REMOVEDAHDAYFILES"};

// The value of a service's settings key that names its day-file folder.
inline constexpr const char* kDayfileDirRoot = "DayfileDirRoot";

}  // namespace veltra::selection
