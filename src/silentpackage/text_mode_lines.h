// Lines of the text files the package carries, as the C runtime writes and
// reads them in text mode: a line feed goes to disk as carriage return and
// line feed, and comes back as a line feed alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace veltra::silentpackage {

// fprintf("%s\n") in text mode: every line feed of the line, and the one
// that ends it, is written as "\r\n". False when not every byte was written.
bool WriteTextLine(platform::FileStream& file, std::string_view line);

// The rest of the file read with fgets into a buffer with room for `room`
// characters, in text mode: "\r\n" reads as "\n", and a byte 0x1A ends the
// file. Each piece ends after its line feed or at `room` characters, so a
// longer line comes back in several pieces.
std::vector<std::string> ReadTextLines(platform::FileStream& file, std::size_t room);

}  // namespace veltra::silentpackage
