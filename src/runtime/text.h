// Text rules shared by the whole library: ANSI strings, file and GINA names
// compared without regard to case, and the file-name part of a path.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace veltra::runtime {

// Case-insensitive equality of the library's own ASCII words (flags such as
// "1", class names).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Case-insensitive equality of file and GINA names, as the system compares
// them in its ANSI code page (é matches É in 1252). A comparison that fails
// counts as different.
bool EqualsIgnoreCase(platform::System& system, std::string_view a, std::string_view b);

// The position of the last backslash, npos when there is none. In a
// double-byte code page the second byte of a character may be 0x5C without
// being a backslash; the search steps over whole characters.
std::size_t FindLastBackslash(platform::System& system, std::string_view path);
// The components between backslashes, none empty, with the same care for
// double-byte characters.
std::vector<std::string> SplitAtBackslashes(platform::System& system, std::string_view path);

// Whether text contains needle, case-sensitively (strstr).
inline bool Contains(std::string_view text, std::string_view needle) {
    return text.find(needle) != std::string_view::npos;
}

// The part after the last backslash, or the whole text when there is none.
std::string_view FileNamePart(platform::System& system, std::string_view path);

// Overwrites a string's bytes before it is released; for passwords and secrets.
void SecureWipe(std::string& text);

}  // namespace veltra::runtime
