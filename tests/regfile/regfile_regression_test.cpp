// Inputs that once upset the .reg reader (most found by fuzzing): refused, or
// accepted and unchanged through a write and a second read.
#include <gtest/gtest.h>

#include "regfile_helpers.h"

namespace veltra::sim::testing {
namespace {

void ExpectCleanRoundTrip(const std::vector<std::uint8_t>& bytes) {
    RegistryTree tree;
    if (ApplyRegFile(tree, bytes)) {
        EXPECT_TRUE(tree == RegistryTree()) << "a refused file changes nothing";
        return;
    }
    for (const RegFormat format : {RegFormat::Version5, RegFormat::Regedit4}) {
        const auto written = WriteRegFile(tree, format);
        RegistryTree reread;
        const auto error = ApplyRegFile(reread, written);
        ASSERT_FALSE(error) << "line " << error->line << ": " << error->message;
        EXPECT_TRUE(reread == tree);
        EXPECT_EQ(WriteRegFile(reread, format), written);
    }
}

TEST(RegFileRegression, Inputs) {
    const std::vector<std::vector<std::uint8_t>> inputs = {
        Ansi(""),
        Ansi(std::string_view("\0", 1)),
        Ansi("\xff\xfe"),
        Ansi("\xff\xfe\x00"),
        Ansi("REGEDIT4\n["),
        Ansi("REGEDIT4\n[-"),
        Ansi("REGEDIT4\n[-]"),
        Ansi("REGEDIT4\n[\\]"),
        Ansi("REGEDIT4\n[HKEY_USERS\\\\\\]\n@=hex:\\"),
        Ansi("REGEDIT4\n[HKEY_USERS]\n\"\\"),
        Ansi("REGEDIT4\n[HKEY_USERS]\n@=hex(2"),
        Ansi("REGEDIT4\n[HKEY_USERS]\n@=dword:"),
    };
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectCleanRoundTrip(inputs[i]);
    }
}

TEST(RegFileRegression, ZeroCharactersInNamesAreRefused) {
    // A name with a zero in it could never be reached through the ANSI calls.
    RegistryTree tree;
    constexpr char kValue[] = "REGEDIT4\n[HKEY_USERS\\X]\n\"a\0b\"=dword:1\n";
    constexpr char kKey[] = "REGEDIT4\n[HKEY_USERS\\X\0Y]\n";
    const auto inValue = ApplyRegFile(tree, Ansi(std::string_view(kValue, sizeof kValue - 1)));
    ASSERT_TRUE(inValue);
    EXPECT_EQ(inValue->line, 3);
    EXPECT_EQ(inValue->message, "the value name holds a zero character");
    const auto inKey = ApplyRegFile(tree, Ansi(std::string_view(kKey, sizeof kKey - 1)));
    ASSERT_TRUE(inKey);
    EXPECT_EQ(inKey->line, 2);
    EXPECT_EQ(inKey->message, "the key name holds a zero character");
    EXPECT_TRUE(tree == RegistryTree());
}

}  // namespace
}  // namespace veltra::sim::testing
