// Text rules shared by the whole library: ANSI strings, file and GINA names
// compared without regard to case, and the file-name part of a path.
#pragma once

#include <string>
#include <string_view>

namespace veltra::runtime {

// Case-insensitive equality as lstrcmpiA gives it for the ASCII range, which
// is all the names this library compares.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Whether text contains needle, case-sensitively (strstr).
inline bool Contains(std::string_view text, std::string_view needle) {
    return text.find(needle) != std::string_view::npos;
}

// The part after the last backslash, or the whole text when there is none.
std::string_view FileNamePart(std::string_view path);

// Overwrites a string's bytes before it is released; for passwords and secrets.
void SecureWipe(std::string& text);

}  // namespace veltra::runtime
