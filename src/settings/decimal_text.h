// Numbers that the agent keeps as decimal text (REG_SZ "17"): the unsigned
// base-10 form _ultoa writes, and the atoi reading that turns the stored
// bytes back into a number.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "platform/types.h"

namespace veltra::settings {

// The unsigned value in base 10: no sign, no leading zeros, no padding.
std::string FormatDecimal(platform::Dword value);

// atoi over at most bytes.size() bytes (a zero ends the text earlier): leading
// white space (space, \t \n \v \f \r), an optional sign, then decimal digits
// up to the first other character; no digits give 0. The digits accumulate
// modulo 2^32, as the classic C runtime's accumulation does, and the result
// is taken as unsigned: "-1" gives 0xFFFFFFFF, and every text FormatDecimal
// writes reads back as the number it came from.
platform::Dword ParseDecimalText(std::span<const std::uint8_t> bytes);

}  // namespace veltra::settings
