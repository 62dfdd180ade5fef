// The package's options file: one "name=value" line per choice of the
// package wizard, read back line by line by the silent installation.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veltra::silentpackage {

inline constexpr const char* kOptionsFileName = "packageOptionsFile.txt";

// A line break inside a value travels as this byte, so that every entry stays
// on one line of the file.
inline constexpr char kLineBreakMark = '\x01';

// Lines are read in pieces of at most this many characters; the rest of a
// longer line is read as a line of its own.
inline constexpr std::size_t kOptionsLinePiece = 2048;

struct OptionEntry {
    std::string name;
    std::string value;
    bool operator==(const OptionEntry&) const = default;
};

// The line "name=value\n", a line break in the value carried as the mark.
std::string OptionLine(std::string_view name, std::string_view value);

// The entries of the file's text (as read in text mode), in order. Reading
// stops at the first line that gives no name (nothing before its first "=")
// or no value (nothing after it): a blank line, a line without "=", an empty
// value. A value keeps any further "="; its marks become line feeds again.
std::vector<OptionEntry> ReadOptionEntries(std::string_view text);

}  // namespace veltra::silentpackage
