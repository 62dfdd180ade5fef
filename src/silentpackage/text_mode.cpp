#include "silentpackage/text_mode.h"

namespace veltra::silentpackage {
namespace {

constexpr char kEndOfText = '\x1A';  // Ctrl-Z

}  // namespace

std::string ToTextModeBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

std::string FromTextModeBytes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == kEndOfText) break;
        // A carriage return stays unless a line feed follows it.
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += c;
    }
    return text;
}

}  // namespace veltra::silentpackage
