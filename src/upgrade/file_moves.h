// Moving files out of the way and keeping copies of them: the two small file
// routines the upgrade steps share (capture, restoration, rollback, removal).
// Neither reports anything to its caller; failures go to the installer log.
#pragma once

#include <string>

#include "platform/platform.h"

namespace veltra::upgrade {

// A file that exists is given normal attributes and deleted; when it cannot
// be deleted (a program in use), it is renamed to its path followed by
// "_moved", replacing an older file of that name, and stays behind.
void RemoveOrRenameFile(platform::Platform& platform, const std::string& path);

// When the source exists it is copied over the target, and the copy is given
// normal attributes so that a later copy can replace it again.
void CopyFileIfPresent(platform::Platform& platform, const std::string& source, const std::string& target);

}  // namespace veltra::upgrade
