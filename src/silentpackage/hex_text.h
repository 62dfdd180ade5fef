// Binary registry data as text in the registry configuration file: two
// lower-case hexadecimal digits per byte, high nibble first.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::silentpackage {

// "0aff" for the bytes 0x0A 0xFF.
std::string EncodeHex(std::span<const std::uint8_t> bytes);

// One byte per pair of characters, half the text's length: an odd last
// character is ignored. Each pair is read as one hexadecimal number in either
// case, up to its first character that is not a hexadecimal digit (so "zz"
// gives 0 and "a-" gives 0x0A), as a C runtime conversion of the pair reads it.
std::vector<std::uint8_t> DecodeHex(std::string_view text);

}  // namespace veltra::silentpackage
