// The package's text files, written and read in text mode (text_mode.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veltra::silentpackage {

// Replaces the file with the text, after giving an existing file normal
// attributes so that a read-only one is overwritten too. False, with the
// failure logged, when the file cannot be opened or not all of it is written.
bool WriteTextFile(platform::Platform& platform, const std::string& path, std::string_view text);

// The whole file read in text mode; nullopt, logged, when it cannot be opened.
std::optional<std::string> ReadTextFile(platform::Platform& platform, const std::string& path);

}  // namespace veltra::silentpackage
