// The package's text files as the C runtime's text mode keeps them: a line
// feed is written as carriage return and line feed, a carriage return and
// line feed read back as one line feed, and a Ctrl-Z ends what is read. The
// streams of the files port move bytes unchanged, so the translation is done
// here, the same for the real and the simulated machine.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veltra::silentpackage {

// The bytes on disk for text written in text mode.
std::string ToTextModeBytes(std::string_view text);

// The text read in text mode from these bytes on disk.
std::string FromTextModeBytes(std::string_view bytes);

// Replaces the file with the text, after giving an existing file normal
// attributes so that a read-only one is overwritten too. False, with the
// failure logged, when the file cannot be opened or not all of it is written.
bool WriteTextFile(platform::Platform& platform, const std::string& path, std::string_view text);

// The whole file read in text mode; nullopt, logged, when it cannot be opened.
std::optional<std::string> ReadTextFile(platform::Platform& platform, const std::string& path);

}  // namespace veltra::silentpackage
