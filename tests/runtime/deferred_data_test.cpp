#include <gtest/gtest.h>

#include "runtime/deferred_data.h"

namespace veltra::runtime {
namespace {

struct JoinCase {
    const char* separator;
    std::vector<std::string> pieces;
    const char* expected;
};

class JoinStringsTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinStringsTest, JoinsWithoutDoublingTheSeparator) {
    const JoinCase& c = GetParam();
    EXPECT_EQ(JoinStrings(c.separator, c.pieces), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, JoinStringsTest,
    ::testing::Values(
        JoinCase{";", {"a", "", "b"}, "a;b"},            // an empty piece vanishes with its separator
        JoinCase{";", {"a;", "b"}, "a;b"},               // a piece ending with ";" gets no second one
        JoinCase{"\\", {"C:\\Dir\\", "x.dll"}, "C:\\Dir\\x.dll"},
        JoinCase{"\\", {"C:\\Dir", "x.dll"}, "C:\\Dir\\x.dll"},
        JoinCase{"\\", {"C:\\Package\\", "SilentInstallPackage", ""}, "C:\\Package\\SilentInstallPackage\\"},
        JoinCase{";", {}, ""},
        JoinCase{";", {"", "b"}, ";b"},                  // too short to end with the separator
        JoinCase{";", {"only"}, "only"},
        JoinCase{";;", {"a;", "b"}, "a;;;b"},            // the whole separator is compared, not its last byte
        JoinCase{";", {"Yes", "C:\\Src\\", "C:\\Inst\\", "C:\\WINDOWS\\system32\\"},
                 "Yes;C:\\Src\\;C:\\Inst\\;C:\\WINDOWS\\system32\\"}));

TEST(SplitDeferredData, SkipsEmptyFieldsSoLaterOnesMoveUp) {
    EXPECT_EQ(SplitDeferredData("a;;b"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitDeferredData(";a;b;"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitDeferredData(""), std::vector<std::string>{});
    EXPECT_EQ(SplitDeferredData(";;;"), std::vector<std::string>{});
    EXPECT_EQ(SplitDeferredData("C:\\A b\\KeshGina.dll;2"), (std::vector<std::string>{"C:\\A b\\KeshGina.dll", "2"}));
    // Shift-JIS "\xE3\x82\xBD" is 0x83 0x5C: its trail byte is a backslash, never ";".
    EXPECT_EQ(SplitDeferredData("C:\\\x83\x5C\\x;2"), (std::vector<std::string>{"C:\\\x83\x5C\\x", "2"}));
}

}  // namespace
}  // namespace veltra::runtime
