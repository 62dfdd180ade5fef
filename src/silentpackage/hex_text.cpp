#include "silentpackage/hex_text.h"

namespace veltra::silentpackage {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::uint8_t PairValue(char high, char low) {
    const int first = DigitValue(high);
    if (first < 0) return 0;
    const int second = DigitValue(low);
    return static_cast<std::uint8_t>(second < 0 ? first : first * 16 + second);
}

}  // namespace

std::string EncodeHex(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

std::vector<std::uint8_t> DecodeHex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(PairValue(text[i], text[i + 1]));
    return bytes;
}

}  // namespace veltra::silentpackage
