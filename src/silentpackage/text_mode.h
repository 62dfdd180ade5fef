// Text mode as the C runtime keeps it on Windows: a line feed is written as
// carriage return and line feed, a carriage return and line feed read back as
// one line feed, and a Ctrl-Z ends what is read. The streams of the files port
// move bytes unchanged, so the package's text files are translated here, the
// same for the real and the simulated machine.
#pragma once

#include <string>
#include <string_view>

namespace veltra::silentpackage {

// The bytes on disk for text written in text mode.
std::string ToTextModeBytes(std::string_view text);

// The text read in text mode from these bytes on disk.
std::string FromTextModeBytes(std::string_view bytes);

}  // namespace veltra::silentpackage
