// Reading the installer session: properties and folders with the growing
// buffer protocol, and the fixed-size reads that many actions use.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/installer.h"

namespace veltra::runtime {

// The property's value; "" when it is absent, empty or unreadable.
std::string GetMsiProperty(platform::Installer& installer, const char* name);

// The fields of a deferred action's "CustomActionData", split as packed.
// Empty data, with which a deferred action fails, gives nullopt and a log line.
std::optional<std::vector<std::string>> DeferredFields(platform::Installer& installer);
// The folder's source/target path (ending with a backslash); "" on failure.
std::string GetMsiSourcePath(platform::Installer& installer, const char* folder);
std::string GetMsiTargetPath(platform::Installer& installer, const char* folder);

// A read into a zeroed fixed buffer of `capacity` characters (terminator
// included), kept whatever the call answers: a value that does not fit reads
// as its first capacity - 1 characters, as the installer leaves them in the
// buffer, and a read that fails leaves the buffer empty.
std::string GetMsiPropertyFixed(platform::Installer& installer, const char* name,
                                std::size_t capacity);

// Whether SearchPathA finds the file in that one folder (no default extension).
bool FindFileInFolder(platform::Files& files, const std::string& folder, const char* fileName);

}  // namespace veltra::runtime
