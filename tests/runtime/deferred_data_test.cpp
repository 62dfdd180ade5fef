#include <gtest/gtest.h>

#include "runtime/deferred_data.h"

namespace veltra::runtime {
namespace {

TEST(JoinStrings, JoinsWithoutDoublingTheSeparator) {
    const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
        {";", {"a", "", "b"}, "a;b"},  // an empty piece vanishes with its separator
        {";", {"a;", "b"}, "a;b"},     // a piece ending with ";" gets no second one
        {"\\", {"C:\\Dir", "x.dll"}, "C:\\Dir\\x.dll"},
        {"\\", {"C:\\Package\\", "SilentInstallPackage", ""}, "C:\\Package\\SilentInstallPackage\\"},
        {";", {}, ""},
        {";", {"", "b"}, ";b"},        // too short to end with the separator
        {";;", {"a;", "b"}, "a;;;b"},  // the whole separator is compared, not its last byte
    };
    for (const auto& [separator, pieces, joined] : cases) EXPECT_EQ(JoinStrings(separator, pieces), joined) << joined;
}

TEST(SplitDeferredData, SkipsEmptyFieldsSoLaterOnesMoveUp) {
    EXPECT_EQ(SplitDeferredData(";a;;b;"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitDeferredData(";;;"), std::vector<std::string>{});
    // Shift-JIS "\xE3\x82\xBD" is 0x83 0x5C: its trail byte is a backslash, never ";".
    EXPECT_EQ(SplitDeferredData("C:\\\x83\x5C\\x;2"), (std::vector<std::string>{"C:\\\x83\x5C\\x", "2"}));
}

}  // namespace
}  // namespace veltra::runtime
