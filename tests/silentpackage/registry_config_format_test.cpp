// The registry configuration file's pieces: the line of each registry value,
// its parsing back, the hexadecimal form of binary data and the scrambling.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "silentpackage/config_line.h"
#include "silentpackage/hex_text.h"
#include "silentpackage/scrambling.h"

namespace veltra::silentpackage {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& text, bool terminated = true) {
    Bytes bytes(text.begin(), text.end());
    if (terminated) bytes.push_back(0);
    return bytes;
}

TEST(RegistryConfigLine, FormatsEachValueByItsType) {
    struct Case {
        std::string name;
        platform::Dword type;
        Bytes data;
        std::optional<std::string> line;
    };
    const Case cases[] = {
        {"ChallengeGroup", 1, Text("Tokara Users"), "LAC_ChallengeGroup=Tokara Users` TYPE=REG_SZ"},
        {"Path", 2, Text("%SystemRoot%\\x.dll"), "LAC_Path=%SystemRoot%\\x.dll` TYPE=REG_EXPAND_SZ"},
        {"Group", 1, Text("a`b"), "LAC_Group=a`b` TYPE=REG_SZ"},
        {"Cut", 1, Bytes{'a', 0, 'b', 0}, "LAC_Cut=a` TYPE=REG_SZ"},
        {"ReservePassword", 3, Bytes{0x0A, 0xFF}, "LAC_ReservePassword=0aff` TYPE=REG_BINARY"},
        {"Enabled", 4, Bytes{0xFF, 0xFF, 0xFF, 0xFF}, "LAC_Enabled=-1` TYPE=REG_DWORD"},
        {"PinLifetime", 4, Bytes{0x00, 0x00, 0x00, 0x80}, "LAC_PinLifetime=-2147483648` TYPE=REG_DWORD"},
        {"Short", 4, Bytes{0x05}, "LAC_Short=5` TYPE=REG_DWORD"},
        {"", 4, Bytes{1, 0, 0, 0}, "LAC_=1` TYPE=REG_DWORD"},
        {"", 3, Bytes{0x10}, "LAC_=10` TYPE=REG_BINARY"},
        {"", 1, Text("default"), std::nullopt},
        {"", 2, Text("default"), std::nullopt},
        {"Empty", 1, Bytes{}, std::nullopt},
        {"List", 7, Text("a\0b", true), "UnsupportedDataType=?"},
        {"Big", 11, Bytes(8, 1), "UnsupportedDataType=?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " type " + std::to_string(c.type));
        EXPECT_EQ(FormatConfigLine("LAC_", c.name, c.type, c.data), c.line);
    }
}

TEST(RegistryConfigLine, ParsesTheFourTypesAndSkipsEverythingElse) {
    struct Case {
        std::string line;
        std::optional<ConfigLine> parsed;
    };
    const Case cases[] = {
        {"LAC_ChallengeGroup=Tokara Users` TYPE=REG_SZ\n", ConfigLine{"LAC", "ChallengeGroup", "Tokara Users", 1}},
        {"LAC_Path=%A%` TYPE=REG_EXPAND_SZ", ConfigLine{"LAC", "Path", "%A%", 2}},
        {"RAS15_Friendly_Name=x=y` TYPE=REG_SZ\n", ConfigLine{"RAS15", "Friendly_Name", "x=y", 1}},
        {"LAC_ReservePassword=0aff` TYPE=REG_BINARY\n", ConfigLine{"LAC", "ReservePassword", "0aff", 3}},
        {"LAC_Enabled=-1` TYPE=REG_DWORD\n", ConfigLine{"LAC", "Enabled", "-1", 4}},
        // A string holding a backtick arrives cut there.
        {"LAC_ChallengeGroup=a`b` TYPE=REG_SZ\n", ConfigLine{"LAC", "ChallengeGroup", "a", 1}},
        {"LAC_ChallengeGroup=`b` TYPE=REG_SZ\n", std::nullopt},
        {"UnsupportedDataType=?\n", std::nullopt},
        {"UnsupportedDataType=?` TYPE=REG_SZ\n", std::nullopt},
        {"LAC_Enabled=1\n", std::nullopt},
        {"LAC_Enabled=1`\n", std::nullopt},
        {"LAC_Enabled=1` TYPE\n", std::nullopt},
        {"LAC_Enabled=1` TYPE=REG_MULTI_SZ\n", std::nullopt},
        {"LAC_Enabled=1` TYPE=reg_dword\n", std::nullopt},
        {"LAC_Enabled=1` TYPE=REG_DWOR", std::nullopt},
        {"LAC_Enabled=` TYPE=REG_DWORD\n", std::nullopt},
        {"=1` TYPE=REG_DWORD\n", std::nullopt},
        {"LACEnabled=1` TYPE=REG_DWORD\n", std::nullopt},
        {"_Enabled=1` TYPE=REG_DWORD\n", std::nullopt},
        {"LAC_=1` TYPE=REG_DWORD\n", std::nullopt},
        {"\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::optional<ConfigLine> parsed = ParseConfigLine(c.line);
        ASSERT_EQ(parsed.has_value(), c.parsed.has_value());
        if (!parsed) continue;
        EXPECT_EQ(parsed->prefix, c.parsed->prefix);
        EXPECT_EQ(parsed->valueName, c.parsed->valueName);
        EXPECT_EQ(parsed->value, c.parsed->value);
        EXPECT_EQ(parsed->type, c.parsed->type);
    }
}

TEST(RegistryConfigHex, DecodesPairsInEitherCase) {
    const std::pair<std::string, Bytes> cases[] = {
        {"0aff", {0x0A, 0xFF}}, {"0AfF", {0x0A, 0xFF}}, {"abc", {0xAB}}, {"a", {}}, {"", {}},
        {"zz10", {0x00, 0x10}}, {"a-", {0x0A}}, {"-a", {0x00}},
    };
    for (const auto& [text, bytes] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(DecodeHex(text), bytes);
    }
    const Bytes all = [] {
        Bytes b;
        for (int i = 0; i < 256; ++i) b.push_back(static_cast<std::uint8_t>(i));
        return b;
    }();
    EXPECT_EQ(EncodeHex(Bytes{0x0A, 0xFF}), "0aff");
    EXPECT_EQ(DecodeHex(EncodeHex(all)), all);
}

TEST(RegistryConfigScrambling, EachBlockStartsAgainAtTheKeysFirstByte) {
    const auto key = ScramblingKey();
    for (const std::uint8_t c : key) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << int(c);

    const Bytes zeros(kScramblingBlock, 0);
    Bytes out(kScramblingBlock);
    Scramble(zeros, out);
    EXPECT_EQ(out, Bytes(key.begin(), key.end()));  // zero bytes show the key itself

    const Bytes text = Text("LAC_Enabled=1` TYPE=REG_DWORD", false);
    Bytes once(text.size());
    Bytes twice(text.size());
    Scramble(text, once);
    Scramble(once, twice);
    EXPECT_NE(once, text);
    EXPECT_EQ(twice, text);
}

}  // namespace
}  // namespace veltra::silentpackage
