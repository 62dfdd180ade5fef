#include "upgrade/version_numbers.h"

#include <limits>

namespace veltra::upgrade {

std::string_view NextPiece(std::string_view& rest, std::string_view delimiters) {
    const std::size_t start = rest.find_first_not_of(delimiters);
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    const std::size_t end = rest.find_first_of(delimiters, start);
    const std::string_view piece = rest.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    return piece;
}

int DecimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        // A number too long for an int is as far beyond any version as the largest int.
        if (value <= std::numeric_limits<int>::max()) value = value * 10 + (text[i] - '0');
    }
    if (value > std::numeric_limits<int>::max()) value = std::numeric_limits<int>::max();
    return static_cast<int>(negative ? -value : value);
}

}  // namespace veltra::upgrade
