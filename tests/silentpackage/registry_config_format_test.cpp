// The lines of the registry configuration file at the edges that package
// creation and the silent installation do not reach, and the hexadecimal form
// of binary data.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "silentpackage/config_line.h"
#include "silentpackage/hex_text.h"

namespace veltra::silentpackage {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(RegistryConfigLine, FormatsEachValueByItsType) {
    const std::tuple<std::string, platform::Dword, Bytes, std::optional<std::string>> cases[] = {
        {"Cut", 1, {'a', 0, 'b', 0}, "LAC_Cut=a` TYPE=REG_SZ"},
        {"Low", 4, {0x00, 0x00, 0x00, 0x80}, "LAC_Low=-2147483648` TYPE=REG_DWORD"},
        {"Short", 4, {0x05}, "LAC_Short=5` TYPE=REG_DWORD"},
        {"", 2, {'d', 0}, std::nullopt},
        {"Empty", 1, {}, std::nullopt},
    };
    for (const auto& [name, type, data, line] : cases) EXPECT_EQ(FormatConfigLine("LAC_", name, type, data), line) << name;
}

TEST(RegistryConfigLine, ParsesTheFourTypesAndSkipsEverythingElse) {
    const std::pair<std::string, std::string> cases[] = {  // "" when the line is skipped
        {"LAC_Path=%A%` TYPE=REG_EXPAND_SZ", "LAC|Path|%A%|2"},
        {"RAS15_Friendly_Name=x=y` TYPE=REG_BINARY\n", "RAS15|Friendly_Name|x=y|3"},
        {"LAC_ChallengeGroup=`b` TYPE=REG_SZ\n", ""},
        {"LAC_Enabled=1\n", ""},
        {"LAC_Enabled=1` TYPE\n", ""},
        {"LAC_Enabled=1` TYPE=REG_MULTI_SZ\n", ""},
        {"=1` TYPE=REG_DWORD\n", ""},
        {"LACEnabled=1` TYPE=REG_DWORD\n", ""},
        {"LAC_=1` TYPE=REG_DWORD\n", ""},
    };
    for (const auto& [text, expected] : cases) {
        const std::optional<ConfigLine> parsed = ParseConfigLine(text);
        EXPECT_EQ(parsed ? parsed->prefix + "|" + parsed->valueName + "|" + parsed->value + "|" +
                               std::to_string(parsed->type)
                         : "",
                  expected)
            << text;
    }
}

TEST(RegistryConfigHex, DecodesPairsInEitherCase) {
    const std::pair<std::string, Bytes> cases[] = {
        {"0AfF", {0x0A, 0xFF}}, {"abc", {0xAB}}, {"a", {}}, {"zz10", {0x00, 0x10}}, {"a-", {0x0A}},
    };
    for (const auto& [text, bytes] : cases) EXPECT_EQ(DecodeHex(text), bytes) << text;
}

}  // namespace
}  // namespace veltra::silentpackage
