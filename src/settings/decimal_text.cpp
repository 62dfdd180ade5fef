#include "settings/decimal_text.h"

#include <charconv>

namespace veltra::settings {

using platform::Dword;

std::string FormatDecimal(Dword value) {
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

Dword ParseDecimalText(std::span<const std::uint8_t> bytes) {
    std::size_t at = 0;
    const auto current = [&]() -> std::uint8_t { return at < bytes.size() ? bytes[at] : 0; };
    while (current() == ' ' || (current() >= '\t' && current() <= '\r')) ++at;
    bool negative = false;
    if (current() == '-' || current() == '+') {
        negative = current() == '-';
        ++at;
    }
    Dword total = 0;
    while (current() >= '0' && current() <= '9') {
        total = total * 10u + static_cast<Dword>(current() - '0');
        ++at;
    }
    return negative ? 0u - total : total;
}

}  // namespace veltra::settings
