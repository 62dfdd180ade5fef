// Removal markers: when a change of features drops an offline service, its
// day-file folder is to be removed once the installation has finished. The
// feature choices are known only in the wizard, the clean-up runs much later,
// so the folder travels in the current user's volatile environment, one value
// per service named by the service's prefix and the ProductCode.
#pragma once

#include <string>

#include "platform/platform.h"
#include "selection/offline_services.h"

namespace veltra::selection {

inline constexpr const char* kVolatileEnvironment = "Volatile Environment";

// Markers are written with the whole path buffer: the path, then zero bytes.
inline constexpr platform::Dword kRemovalMarkerBytes = 260;

// "REMOVELACDAYFILES{...}" and the like.
std::string RemovalMarkerName(const OfflineService& service, const std::string& productCode);

// Deletes the markers of all three services for this product; a marker or
// key that is not there is nothing to delete.
void DeleteRemovalMarkers(platform::Platform& platform, const std::string& productCode);

// Copies the service's day-file root, when it can be read, into its marker.
// Registry failures leave the marker unwritten: the clean-up then simply
// keeps the folder.
void RecordRemovalMarker(platform::Platform& platform, const OfflineService& service,
                         const std::string& productCode);

}  // namespace veltra::selection
