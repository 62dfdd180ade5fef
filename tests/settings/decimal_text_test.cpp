// Decimal text as the agent stores numbers: _ultoa's form out, atoi's reading in.
#include <gtest/gtest.h>

#include <string>

#include "settings/decimal_text.h"

namespace veltra::testing {
namespace {

using settings::FormatDecimal;
using settings::ParseDecimalText;

platform::Dword Parse(const std::string& text) {
    return ParseDecimalText({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

// Unsigned base ten without padding or sign, and every written number reads back.
TEST(DecimalTextTest, WritesUnsignedBaseTenThatReadsBack) {
    const std::vector<std::pair<platform::Dword, std::string>> cases = {
        {0, "0"}, {9, "9"}, {10, "10"}, {0x80000000u, "2147483648"}, {0xFFFFFFFFu, "4294967295"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FormatDecimal(value), text);
        EXPECT_EQ(Parse(text), value) << text;
    }
}

TEST(DecimalTextTest, ReadsAsAtoi) {
    const std::vector<std::pair<std::string, platform::Dword>> cases = {
        {"", 0},           {"abc", 0},        {"12abc", 12},  {" \t\n\v\f\r5", 5}, {"+8", 8},
        {"-2", 0xFFFFFFFEu}, {"--2", 0},      {"- 2", 0},     {"0012", 12},        {"1 2", 1},
        {std::string("3\0" "4", 3), 3},       {"4294967296", 0}, {"\x01", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(Parse(text), value) << '"' << text << '"';
    // The reading stops at the end of the bytes it is given.
    EXPECT_EQ(ParseDecimalText({reinterpret_cast<const std::uint8_t*>("123"), 2}), 12u);
}

}  // namespace
}  // namespace veltra::testing
