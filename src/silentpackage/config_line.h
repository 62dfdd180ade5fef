// One line of the registry configuration file per registry value:
//
//   <prefix><value name>=<value>` TYPE=<type word>
//
// with the prefix of the value's key ("LAC_", "RAS_", "RAS15_"), the value as
// text (strings as stored, binary data in hexadecimal, a DWORD as signed
// decimal) and the registry type's name. The writer of a package formats
// them; the silent installation parses them back.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/types.h"

namespace veltra::silentpackage {

// The line a value of a type this file cannot carry gets instead.
inline constexpr std::string_view kUnsupportedLine = "UnsupportedDataType=?";
inline constexpr std::string_view kUnsupportedName = "UnsupportedDataType";

// The line of one enumerated value, without its line end; nothing for a value
// without data and for a string that is the key's unnamed default value.
std::optional<std::string> FormatConfigLine(std::string_view prefix, std::string_view valueName,
                                            platform::Dword type, std::span<const std::uint8_t> data);

struct ConfigLine {
    std::string prefix;     // before the first "_" of the name part, e.g. "LAC"
    std::string valueName;  // after it, further underscores kept
    std::string value;      // up to the backtick: a string cut at its first backtick
    platform::Dword type = 0;  // REG_SZ, REG_EXPAND_SZ, REG_BINARY or REG_DWORD
};

// A line as read (it may end with its line feed): the name part before the
// first "=", the value up to the first backtick, then after the line's last
// backtick a word ("TYPE") and the type word. Nothing when a part is
// missing or empty, the type word is not one of the four, or the line is the
// unsupported-type line.
std::optional<ConfigLine> ParseConfigLine(std::string_view line);

}  // namespace veltra::silentpackage
