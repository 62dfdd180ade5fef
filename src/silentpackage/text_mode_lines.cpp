#include "silentpackage/text_mode_lines.h"

#include <algorithm>
#include <array>

namespace veltra::silentpackage {
namespace {

constexpr char kEndOfFile = 0x1A;

std::string ReadAll(platform::FileStream& file) {
    std::string bytes;
    std::array<char, 4096> chunk{};
    for (;;) {
        const std::size_t count = file.Read(chunk.data(), chunk.size());
        if (count == 0) break;
        bytes.append(chunk.data(), count);
    }
    return bytes;
}

std::string FromTextMode(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == kEndOfFile) break;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text.push_back(bytes[i]);
    }
    return text;
}

}  // namespace

bool WriteTextLine(platform::FileStream& file, std::string_view line) {
    std::string bytes;
    bytes.reserve(line.size() + 2);
    for (const char c : line) {
        if (c == '\n') bytes.push_back('\r');
        bytes.push_back(c);
    }
    bytes.append("\r\n");
    return file.Write(bytes.data(), bytes.size()) == bytes.size();
}

std::vector<std::string> ReadTextLines(platform::FileStream& file, std::size_t room) {
    const std::string text = FromTextMode(ReadAll(file));
    std::vector<std::string> pieces;
    if (room == 0) return pieces;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t lineFeed = text.find('\n', at);
        const std::size_t lineEnd = lineFeed == std::string::npos ? text.size() : lineFeed + 1;
        const std::size_t end = std::min(lineEnd, at + room);
        pieces.emplace_back(text, at, end - at);
        at = end;
    }
    return pieces;
}

}  // namespace veltra::silentpackage
