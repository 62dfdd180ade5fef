// Creating a folder and any missing folders above it, one level at a time,
// each with a given security descriptor.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace veltra::silentpackage {

// The day-file folder's security: owned by the Administrators, group Local
// System, generic all access for Local System and the Administrators and for
// nobody else.
inline constexpr const char* kDayfileFolderSecurity = "O:BAG:SYD:(A;;GA;;;SY)(A;;GA;;;BA)";

// Splits path at backslashes (runs of them count as one) and, from the first
// two components joined by a backslash (a drive and its first folder) down to
// the whole path, creates every level that does not exist with the security
// sddl. Stops quietly at the first level that cannot be created: the caller
// finds out when it uses the folder. Levels that exist keep their security.
void CreateFolderLevels(platform::Platform& platform, std::string_view path, const char* sddl);

}  // namespace veltra::silentpackage
