// The lines of the registry configuration file at their edges (the writer's
// ordinary lines are checked through package creation), parsed back, and the
// hexadecimal form of binary data.
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
    struct Case {
        std::string name;
        platform::Dword type;
        Bytes data;
        std::optional<std::string> line;
    };
    const Case cases[] = {
        {"Cut", 1, {'a', 0, 'b', 0}, "LAC_Cut=a` TYPE=REG_SZ"},
        {"Low", 4, {0x00, 0x00, 0x00, 0x80}, "LAC_Low=-2147483648` TYPE=REG_DWORD"},
        {"Short", 4, {0x05}, "LAC_Short=5` TYPE=REG_DWORD"},
        {"", 3, {0x10}, "LAC_=10` TYPE=REG_BINARY"},
        {"", 2, {'d', 0}, std::nullopt},
        {"Empty", 1, {}, std::nullopt},
        {"Quad", 11, {1, 0, 0, 0, 0, 0, 0, 0}, "UnsupportedDataType=?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " type " + std::to_string(c.type));
        EXPECT_EQ(FormatConfigLine("LAC_", c.name, c.type, c.data), c.line);
    }
}

TEST(RegistryConfigLine, ParsesTheFourTypesAndSkipsEverythingElse) {
    const std::pair<std::string, std::optional<ConfigLine>> cases[] = {
        {"LAC_ChallengeGroup=Tokara Users` TYPE=REG_SZ\n", ConfigLine{"LAC", "ChallengeGroup", "Tokara Users", 1}},
        {"LAC_Path=%A%` TYPE=REG_EXPAND_SZ", ConfigLine{"LAC", "Path", "%A%", 2}},
        {"RAS15_Friendly_Name=x=y` TYPE=REG_BINARY\n", ConfigLine{"RAS15", "Friendly_Name", "x=y", 3}},
        {"LAC_Enabled=-1` TYPE=REG_DWORD\n", ConfigLine{"LAC", "Enabled", "-1", 4}},
        {"LAC_ChallengeGroup=a`b` TYPE=REG_SZ\n", ConfigLine{"LAC", "ChallengeGroup", "a", 1}},
        {"LAC_ChallengeGroup=`b` TYPE=REG_SZ\n", std::nullopt},
        {"UnsupportedDataType=?` TYPE=REG_SZ\n", std::nullopt},
        {"LAC_Enabled=1\n", std::nullopt},
        {"LAC_Enabled=1` TYPE\n", std::nullopt},
        {"LAC_Enabled=1` TYPE=REG_MULTI_SZ\n", std::nullopt},
        {"LAC_Enabled=1` TYPE=REG_DWOR", std::nullopt},
        {"=1` TYPE=REG_DWORD\n", std::nullopt},
        {"LACEnabled=1` TYPE=REG_DWORD\n", std::nullopt},
        {"LAC_=1` TYPE=REG_DWORD\n", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const std::optional<ConfigLine> parsed = ParseConfigLine(text);
        ASSERT_EQ(parsed.has_value(), expected.has_value());
        if (!parsed) continue;
        EXPECT_EQ(parsed->prefix + "|" + parsed->valueName + "|" + parsed->value,
                  expected->prefix + "|" + expected->valueName + "|" + expected->value);
        EXPECT_EQ(parsed->type, expected->type);
    }
}

TEST(RegistryConfigHex, DecodesPairsInEitherCase) {
    const std::pair<std::string, Bytes> cases[] = {
        {"0aff", {0x0A, 0xFF}}, {"0AfF", {0x0A, 0xFF}}, {"abc", {0xAB}}, {"a", {}},
        {"zz10", {0x00, 0x10}}, {"a-", {0x0A}},
    };
    for (const auto& [text, bytes] : cases) EXPECT_EQ(DecodeHex(text), bytes) << text;
}

}  // namespace
}  // namespace veltra::silentpackage
