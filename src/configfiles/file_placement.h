// Putting a file in place: the steps every copy of a server or banner file
// shares, and the package folder that package creation copies into.
#pragma once

#include <string>

#include "platform/platform.h"

namespace veltra::configfiles {

bool FileExists(platform::Files& files, const std::string& path);

// Gives an existing file normal attributes, so that a read-only copy can be
// overwritten or deleted.
void NormaliseFile(platform::Files& files, const std::string& path);

// Normalises the destination and copies over it. A copy onto itself (same
// path in any case) is skipped; a failed copy still counts as placed when the
// destination exists afterwards, since an earlier copy then stays usable.
bool CopyIntoPlace(platform::Files& files, platform::System& system, const std::string& source,
                   const std::string& destination);

// Removes a file left from an earlier installation, read-only or not.
void RemoveIfPresent(platform::Files& files, const std::string& path);

// "SilentInstallPackage" beside the installation source, with a trailing
// backslash.
std::string PackageFolder(platform::Installer& installer);

}  // namespace veltra::configfiles
