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

TEST(DecimalTextTest, WritesUnsignedBaseTenWithoutPaddingOrSign) {
    EXPECT_EQ(FormatDecimal(0), "0");
    EXPECT_EQ(FormatDecimal(7), "7");
    EXPECT_EQ(FormatDecimal(1000), "1000");
    EXPECT_EQ(FormatDecimal(0x80000000u), "2147483648");
    EXPECT_EQ(FormatDecimal(0xFFFFFFFFu), "4294967295");
}

TEST(DecimalTextTest, EveryWrittenNumberReadsBack) {
    for (const platform::Dword value : {0u, 1u, 9u, 10u, 65535u, 2147483647u, 2147483648u, 4294967295u}) {
        EXPECT_EQ(Parse(FormatDecimal(value)), value) << value;
    }
}

TEST(DecimalTextTest, ReadsAsAtoi) {
    const std::vector<std::pair<std::string, platform::Dword>> cases = {
        {"", 0},           {"abc", 0},        {"12abc", 12},  {" \t\n\v\f\r5", 5}, {"+8", 8},
        {"-2", 0xFFFFFFFEu}, {"--2", 0},      {"- 2", 0},     {"0012", 12},        {"1 2", 1},
        {std::string("3\0" "4", 3), 3},       {"4294967296", 0}, {"\x01", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(Parse(text), value) << '"' << text << '"';
}

TEST(DecimalTextTest, StopsAtTheEndOfTheBytes) {
    const std::string text = "123";
    EXPECT_EQ(ParseDecimalText({reinterpret_cast<const std::uint8_t*>(text.data()), 2}), 12u);
}

}  // namespace
}  // namespace veltra::testing
