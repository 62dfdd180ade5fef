// Reading version numbers out of the names and strings that products
// register ("4.7", "5.6 [build 12]"), the way the C library reads them.
#pragma once

#include <string_view>

namespace veltra::upgrade {

// The next piece of text between any of the delimiters, skipping a run of
// them first (strtok's rule); rest moves past the piece and one delimiter.
// "" when nothing but delimiters is left.
std::string_view NextPiece(std::string_view& rest, std::string_view delimiters);

// The decimal value at the start of text (atoi's rule: leading blanks, a
// sign, digits up to the first other character); 0 when there is none.
int DecimalValue(std::string_view text);

}  // namespace veltra::upgrade
