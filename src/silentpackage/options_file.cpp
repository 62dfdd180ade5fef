#include "silentpackage/options_file.h"

#include <algorithm>

namespace veltra::silentpackage {
namespace {

// The next line as a bounded line read gives it: up to the piece size,
// ending after a line feed if one comes first.
std::string_view NextPiece(std::string_view& text) {
    const std::size_t lineFeed = text.substr(0, kOptionsLinePiece).find('\n');
    const std::size_t length =
        lineFeed != std::string_view::npos ? lineFeed + 1 : std::min(text.size(), kOptionsLinePiece);
    const std::string_view piece = text.substr(0, length);
    text.remove_prefix(length);
    return piece;
}

}  // namespace

std::string OptionLine(std::string_view name, std::string_view value) {
    std::string line(name);
    line += '=';
    for (const char c : value) line += c == '\n' ? kLineBreakMark : c;
    line += '\n';
    return line;
}

std::vector<OptionEntry> ReadOptionEntries(std::string_view text) {
    std::vector<OptionEntry> entries;
    while (!text.empty()) {
        std::string_view line = NextPiece(text);
        // The line is a C string: a zero byte ends it.
        line = line.substr(0, line.find('\0'));
        const std::size_t equals = line.find('=');
        if (equals == 0 || equals == std::string_view::npos) break;
        std::string_view value = line.substr(equals + 1);
        value = value.substr(0, value.find('\n'));
        if (value.empty()) break;
        std::string restored(value);
        std::replace(restored.begin(), restored.end(), kLineBreakMark, '\n');
        entries.push_back({std::string(line.substr(0, equals)), std::move(restored)});
    }
    return entries;
}

}  // namespace veltra::silentpackage
