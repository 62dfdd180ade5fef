// Writing .reg files the way regedit exports them, and round trips.
#include <gtest/gtest.h>

#include "regfile_helpers.h"

namespace veltra::sim::testing {
namespace {

RegistryTree SmallTree() {
    RegistryTree tree;
    const auto veltra = tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra");
    veltra->SetValue("", 1, Sz("d"));
    veltra->SetValue("Path", 1, Sz("C:\\x \"q\""));
    veltra->SetValue("Count", 4, DwordBytes(0x2a));
    veltra->SetValue("Bin", 3, {0x01, 0xfe});
    tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra\\Sub");
    tree.CreateKey("HKEY_CURRENT_USER\\Z")->SetValue("e", 2, Sz("%A%"));
    return tree;
}

// The same export in both formats: only the header, the encoding and the
// string data of hex(2) differ.
TEST(RegFileWrite, BothFormatsExactly) {
    const std::string body =
        "\r\n"
        "[HKEY_CURRENT_USER]\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Z]\r\n"
        "\"e\"=%s\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE]\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra]\r\n"
        "@=\"d\"\r\n"
        "\"Path\"=\"C:\\\\x \\\"q\\\"\"\r\n"
        "\"Count\"=dword:0000002a\r\n"
        "\"Bin\"=hex:01,fe\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra\\Sub]\r\n"
        "\r\n";
    const auto with = [&](const std::string& head, const std::string& expand) {
        std::string text = head + body;
        return text.replace(text.find("%s"), 2, expand);
    };
    EXPECT_EQ(AsText(WriteRegFile(SmallTree(), RegFormat::Regedit4)),
              with("REGEDIT4\r\n", "hex(2):25,41,25,00"));
    const auto wide = WriteRegFile(SmallTree(), RegFormat::Version5);
    ASSERT_GE(wide.size(), 2u);
    EXPECT_EQ(wide[0], 0xFF);
    EXPECT_EQ(wide[1], 0xFE);
    EXPECT_EQ(WideToText(wide), with("Windows Registry Editor Version 5.00\r\n",
                                     "hex(2):25,00,41,00,25,00,00,00"));
}

TEST(RegFileWrite, EmptyTree) {
    EXPECT_EQ(AsText(WriteRegFile(RegistryTree(), RegFormat::Regedit4)), "REGEDIT4\r\n\r\n");
    EXPECT_EQ(WideToText(WriteRegFile(RegistryTree(), RegFormat::Version5)),
              "Windows Registry Editor Version 5.00\r\n\r\n");
}

TEST(RegFileWrite, RootOrderAndValueOrder) {
    RegistryTree tree;
    tree.CreateKey("HKEY_CURRENT_CONFIG\\c");
    tree.CreateKey("HKEY_USERS\\u");
    tree.Root("HKEY_CLASSES_ROOT")->SetValue("", 1, Sz("root value only"));
    const auto s = tree.CreateKey("HKLM\\S");
    for (const char* name : {"z", "a", "M"}) s->SetValue(name, 4, DwordBytes(0));
    EXPECT_EQ(AsText(WriteRegFile(tree, RegFormat::Regedit4)),
              "REGEDIT4\r\n"
              "\r\n[HKEY_CLASSES_ROOT]\r\n@=\"root value only\"\r\n"
              "\r\n[HKEY_LOCAL_MACHINE]\r\n"
              "\r\n[HKEY_LOCAL_MACHINE\\S]\r\n"
              "\"z\"=dword:00000000\r\n\"a\"=dword:00000000\r\n\"M\"=dword:00000000\r\n"
              "\r\n[HKEY_USERS]\r\n"
              "\r\n[HKEY_USERS\\u]\r\n"
              "\r\n[HKEY_CURRENT_CONFIG]\r\n"
              "\r\n[HKEY_CURRENT_CONFIG\\c]\r\n"
              "\r\n");
}

struct DataCase {
    const char* what;
    RegValue value;
    const char* version5;
    const char* regedit4;
};

class RegFileValueData : public ::testing::TestWithParam<DataCase> {};

TEST_P(RegFileValueData, Formats) {
    const DataCase& c = GetParam();
    EXPECT_EQ(FormatRegValueData(c.value), c.version5);
    EXPECT_EQ(FormatRegValueData(c.value, RegFormat::Version5), c.version5);
    EXPECT_EQ(FormatRegValueData(c.value, RegFormat::Regedit4), c.regedit4);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegFileValueData,
    ::testing::Values(
        DataCase{"string", {"n", 1, Sz("a\\b\"c;#")}, "\"a\\\\b\\\"c;#\"", "\"a\\\\b\\\"c;#\""},
        DataCase{"high characters", {"n", 1, Sz("\x80\xe9")}, "\"\x80\xe9\"", "\"\x80\xe9\""},
        // Strings the quoted form cannot carry exactly keep every byte as hex(1).
        DataCase{"embedded zero", {"n", 1, {'a', 0, 'b', 0}}, "hex(1):61,00,00,00,62,00,00,00",
                 "hex(1):61,00,62,00"},
        DataCase{"no terminator", {"n", 1, {'a'}}, "hex(1):61,00", "hex(1):61"},
        DataCase{"line break", {"n", 1, Sz("a\r\nb")}, "hex(1):61,00,0d,00,0a,00,62,00,00,00",
                 "hex(1):61,0d,0a,62,00"},
        DataCase{"dword", {"n", 4, DwordBytes(1)}, "dword:00000001", "dword:00000001"},
        DataCase{"short dword", {"n", 4, {1, 2, 3}}, "hex(4):01,02,03", "hex(4):01,02,03"},
        DataCase{"binary", {"n", 3, {0x0a, 0xff}}, "hex:0a,ff", "hex:0a,ff"},
        DataCase{"expand", {"n", 2, Sz("%\x80%")}, "hex(2):25,00,ac,20,25,00,00,00",
                 "hex(2):25,80,25,00"},
        DataCase{"unassigned byte", {"n", 7, {0x81, 0, 0}}, "hex(7):81,00,00,00,00,00",
                 "hex(7):81,00,00"},
        DataCase{"largest type", {"n", 0xFFFFFFFFu, {}}, "hex(ffffffff):", "hex(ffffffff):"}));

TEST(RegFileValueData, LongDataStaysOnOneLine) {
    const std::string text = FormatRegValueData(RegValue{"n", 3, std::vector<std::uint8_t>(100, 0x11)});
    EXPECT_EQ(text.size(), 4 + 100 * 3 - 1);
    EXPECT_EQ(text.find('\\'), std::string::npos);
}

// The value lines of a one-value export, without the key around them.
std::string ValueLines(const std::string& name, Dword type, std::vector<std::uint8_t> data) {
    RegistryTree tree;
    tree.CreateKey("HKEY_CURRENT_USER\\W")->SetValue(name, type, std::move(data));
    const std::string text = AsText(WriteRegFile(tree, RegFormat::Regedit4));
    const std::string keyLine = "[HKEY_CURRENT_USER\\W]\r\n";
    const auto start = text.find(keyLine) + keyLine.size();
    return text.substr(start, text.size() - start - 4);  // without the closing blank line
}

std::vector<std::uint8_t> Counting(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

TEST(RegFileWrap, RegeditLineOfEighteenThenTwentyFive) {
    // "DigitalProductId"=hex: is 23 wide: 18 bytes bring it to 77.
    const std::string lines = ValueLines("DigitalProductId", 3, Counting(18 + 25 + 2));
    EXPECT_EQ(lines,
              "\"DigitalProductId\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,\\\r\n"
              "  12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,\\\r\n"
              "  2b,2c");
}

// A line breaks once a byte brings it to 77 characters, never after the
// last byte, and never before the first; escapes and the type count.
TEST(RegFileWrap, AtTheBoundary) {
    // "name"=hex: is the name's length + 7 wide.
    const std::string name74(74 - 7, 'n');  // 74 + 3 reaches 77 after the first byte
    EXPECT_EQ(ValueLines(name74, 3, {0xa0, 0xa1}), "\"" + name74 + "\"=hex:a0,\\\r\n  a1");
    EXPECT_EQ(ValueLines(name74, 3, {0xa0}), "\"" + name74 + "\"=hex:a0") << "no break after the last byte";
    const std::string name73(73 - 7, 'n');  // 76 after one byte
    EXPECT_EQ(ValueLines(name73, 3, {0xa0, 0xa1}), "\"" + name73 + "\"=hex:a0,a1");
    const std::string name120(120, 'n');
    EXPECT_EQ(ValueLines(name120, 0x100, {1, 2, 3}), "\"" + name120 + "\"=hex(100):01,\\\r\n  02,03");
    // "a\\b"=hex(7): is 14 wide: 21 bytes bring it to 77.
    std::string first = "\"a\\\\b\"=hex(7):";
    for (int i = 0; i < 21; ++i) first += "41,";
    EXPECT_EQ(ValueLines("a\\b", 7, std::vector<std::uint8_t>(23, 0x41)), first + "\\\r\n  41,41");
}

RegistryTree AwkwardTree() {
    RegistryTree tree;
    const auto key = tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Caf\xe9 \x80\x81\xff ]x[ \"q\"");
    key->SetValue("", 1, Sz("default"));
    key->SetValue("@", 1, Sz("named at"));
    key->SetValue("back\\slash \"quote\" ;semi #hash", 1, Sz("v;#\\\"\x9f"));
    key->SetValue("zero inside", 1, {'a', 0, 'b', 0});
    key->SetValue("no terminator", 1, {'a', 'b'});
    key->SetValue("no data", 1, {});
    key->SetValue("line breaks", 1, Sz("a\r\nb\rc\n"));
    key->SetValue("dword", 4, DwordBytes(0x80000001u));
    key->SetValue("short dword", 4, {1, 2});
    key->SetValue("empty binary", 3, {});
    key->SetValue("long binary", 3, Counting(300));
    key->SetValue("expand", 2, Sz("%SystemRoot%\\\x80\x81\x8d\x8f\x90\x9d"));
    key->SetValue("multi", 7, {'a', 0, 0xe9, 0, 0});
    key->SetValue("odd expand", 2, {'x'});
    key->SetValue("qword", 11, Counting(8));
    key->SetValue("odd type", 0x12345678u, {0xde, 0xad});
    key->SetValue(std::string(200, 'N'), 0, Counting(40));
    for (const char* name : {"b", "_x", "Z", "a", "B2"}) {
        tree.CreateKey(std::string("HKEY_CURRENT_USER\\Order\\") + name)->SetValue(name, 1, Sz(name));
    }
    tree.CreateKey("HKEY_USERS\\.DEFAULT\\Empty\\Deeper");
    tree.Root("HKEY_CURRENT_CONFIG")->SetValue("root", 4, DwordBytes(7));
    return tree;
}

class RegFileRoundTrip : public ::testing::TestWithParam<RegFormat> {};

TEST_P(RegFileRoundTrip, WriteReadWriteIsByteIdentical) {
    const RegistryTree original = AwkwardTree();
    const auto first = WriteRegFile(original, GetParam());
    RegistryTree reread;
    const auto error = ApplyRegFile(reread, first);
    ASSERT_FALSE(error) << "line " << error->line << ": " << error->message;
    EXPECT_TRUE(reread == original);
    EXPECT_EQ(DiffTrees(original, reread).size(), 0u);
    EXPECT_EQ(WriteRegFile(reread, GetParam()), first);
    EXPECT_EQ(DetectRegFormat(first), GetParam());
}

INSTANTIATE_TEST_SUITE_P(BothFormats, RegFileRoundTrip,
                         ::testing::Values(RegFormat::Version5, RegFormat::Regedit4),
                         [](const auto& info) {
                             return info.param == RegFormat::Version5 ? "Version5" : "Regedit4";
                         });

TEST(RegFileRoundTripAcross, Regedit4ToVersion5AndBack) {
    const RegistryTree original = AwkwardTree();
    RegistryTree viaR4;
    ASSERT_FALSE(ApplyRegFile(viaR4, WriteRegFile(original, RegFormat::Regedit4)));
    RegistryTree viaV5;
    ASSERT_FALSE(ApplyRegFile(viaV5, WriteRegFile(viaR4, RegFormat::Version5)));
    EXPECT_TRUE(viaV5 == original);
}

TEST(RegFileCodePage, EveryByteWidensAndNarrowsBack) {
    for (int byte = 0; byte < 256; ++byte) {
        const char16_t unit = WidenAnsi(static_cast<std::uint8_t>(byte));
        EXPECT_EQ(NarrowToAnsi(unit), static_cast<std::uint8_t>(byte)) << byte;
    }
    EXPECT_EQ(WidenAnsi(0x80), u'\u20ac');
    EXPECT_EQ(WidenAnsi(0x9f), u'\u0178');
    EXPECT_EQ(WidenAnsi(0x81), u'\u0081');
    EXPECT_EQ(NarrowToAnsi(u'\u0080'), std::nullopt) << "U+0080 is not in code page 1252";
    EXPECT_EQ(NarrowToAnsi(u'\u0100'), std::nullopt);
    EXPECT_EQ(NarrowToAnsi(u'\xd800'), std::nullopt);
}

}  // namespace
}  // namespace veltra::sim::testing
