// Reading .reg files: every value form, deletions, comments, both formats and
// the conversion of a Version 5 file's text to the ANSI code page.
// Also inputs that once upset the reader (most found by fuzzing): refused, or
// accepted and unchanged through a write and a second read.
#include <gtest/gtest.h>

#include "regfile_helpers.h"

namespace veltra::sim::testing {
namespace {

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra";

// Applies an ANSI file and expects it to be accepted.
RegistryTree Load(std::string_view text) {
    RegistryTree tree;
    const auto error = ApplyRegFile(tree, Ansi(text));
    EXPECT_FALSE(error.has_value()) << "line " << error->line << ": " << error->message;
    return tree;
}

TEST(RegFileRead, ValueForms) {
    const RegistryTree tree = Load(
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra]\r\n"
        "@=\"default\"\r\n"
        "\"Text\"=\"C:\\\\Program Files\\\\Veltra \\\"Agent\\\"\"\r\n"
        "\"Empty\"=\"\"\r\n"
        "\"One\"=dword:1\r\n"
        "\"Full\"=dword:FFFFFFFF\r\n"
        "\"Bin\"=hex:0a,ff,00\r\n"
        "\"NoBytes\"=hex:\r\n"
        "\"Expand\"=hex(2):25,50,41,54,48,25,00\r\n"
        "\"Multi\"=hex(7):61,00,62,00,00\r\n"
        "\"Odd\"=hex(100):1\r\n"
        "\"Max\"=hex(ffffffff):AB\r\n"
        "\"Spaced\"  =  dword:00000002\r\n");
    const std::vector<RegValue> expected = {
        {"", 1, Sz("default")},
        {"Text", 1, Sz("C:\\Program Files\\Veltra \"Agent\"")},
        {"Empty", 1, Sz("")},
        {"One", 4, DwordBytes(1)},
        {"Full", 4, DwordBytes(0xFFFFFFFFu)},
        {"Bin", 3, {0x0a, 0xff, 0x00}},
        {"NoBytes", 3, {}},
        {"Expand", 2, Sz("%PATH%")},
        {"Multi", 7, {'a', 0, 'b', 0, 0}},
        {"Odd", 0x100, {0x01}},
        {"Max", 0xFFFFFFFFu, {0xAB}},
        {"Spaced", 4, DwordBytes(2)},
    };
    const auto key = tree.FindKey(kKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->values(), expected);
}

TEST(RegFileRead, HexContinuationForms) {
    const RegistryTree tree = Load(
        "REGEDIT4\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra]\n"
        "\"Plain\"=hex:11,22,\\\n"
        "  33,44\n"
        "\"Commented\"=hex:11,22,\\ ;comment\n"
        "  33,\\;another\n"
        "44\n"
        "\"BlankAndCommentLines\"=hex:11,\\\n"
        "\n"
        "  ;comment line\n"
        "  22,33,44\n"
        "\"BlanksBeforeBackslash\"=hex:11,22,  \\\n"
        "\t33,44\n"
        "\"TrailingComma\"=hex:11,22,33,44,\n"
        "\"CommentEnds\"=hex:11,22,;comment\n"
        "\"Spaces\"=hex: 11, 22 ,33\n");
    const std::vector<std::uint8_t> four = {0x11, 0x22, 0x33, 0x44};
    EXPECT_EQ(tree.FindKey(kKey)->values(),
              (std::vector<RegValue>{{"Plain", 3, four}, {"Commented", 3, four}, {"BlankAndCommentLines", 3, four},
                                     {"BlanksBeforeBackslash", 3, four}, {"TrailingComma", 3, four},
                                     {"CommentEnds", 3, {0x11, 0x22}}, {"Spaces", 3, {0x11, 0x22, 0x33}}}));
}

TEST(RegFileRead, CommentsAndVoidLines) {
    // ';' starts a comment; '#' after a value voids the whole line, as regedit
    // imports it; "\#" at a continuation voids the value.
    const RegistryTree tree = Load(
        "REGEDIT4\n"
        "; a comment\n"
        "# another\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra] ; key comment\n"
        "   ; indented comment\n"
        "\"Kept\"=\"a\" ;comment\n"
        "\"KeptDword\"=dword:1234;5678\n"
        "\"HashInside\"=\"a#b;c\"\n"
        "\"VoidString\"=\"a\"#comment\n"
        "\"VoidDword\"=dword:00000001 #comment\n"
        "\"VoidHex\"=hex:01,\\#comment\n"
        "\"AfterVoid\"=\"b\"\n"
        "\"VoidByHashLine\"=hex:01,\\\n"
        "#comment\n"
        "\"Last\"=\"c\"");  // no final line break
    EXPECT_EQ(tree.FindKey(kKey)->values(),
              (std::vector<RegValue>{{"Kept", 1, Sz("a")}, {"KeptDword", 4, DwordBytes(0x1234)},
                                     {"HashInside", 1, Sz("a#b;c")}, {"AfterVoid", 1, Sz("b")}, {"Last", 1, Sz("c")}}));
}

TEST(RegFileRead, KeysKeepTheirSpellingAndRootsIgnoreCase) {
    RegistryTree tree;
    tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra");
    ASSERT_FALSE(ApplyRegFile(tree, Ansi("REGEDIT4\n"
                                         "[hkey_local_machine\\software\\VELTRA\\New Key\\]\n"
                                         "\"v\"=dword:1\n"
                                         "[HKEY_CURRENT_USER]\n"
                                         "@=\"root value\"\n"
                                         "[HKEY_USERS\\.DEFAULT\\Empty]\n")));
    const auto key = tree.FindKey("HKLM\\SOFTWARE\\Veltra\\New Key");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->name(), "New Key");
    EXPECT_EQ(tree.FindKey("HKLM\\SOFTWARE")->name(), "SOFTWARE");
    EXPECT_EQ(tree.FindKey("HKLM\\SOFTWARE\\VELTRA")->name(), "Veltra");
    EXPECT_EQ(ValueAt(tree, "HKEY_CURRENT_USER", "")->data, Sz("root value"));
    EXPECT_TRUE(tree.FindKey("HKEY_USERS\\.DEFAULT\\Empty")) << "a key without values is created";
}

TEST(RegFileRead, ValueLineReplacesInPlaceAndRespellsNothing) {
    RegistryTree tree;
    tree.CreateKey(kKey)->SetValue("First", 1, Sz("1"));
    tree.FindKey(kKey)->SetValue("Second", 1, Sz("2"));
    ASSERT_FALSE(ApplyRegFile(tree, Ansi("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra]\n"
                                         "\"FIRST\"=dword:7\n")));
    const auto& values = tree.FindKey(kKey)->values();
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], (RegValue{"First", 4, DwordBytes(7)}));
}

TEST(RegFileRead, Deletions) {
    RegistryTree tree;
    tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Deep\\Deeper")->SetValue("x", 1, Sz("x"));
    tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kept")->SetValue("a", 1, Sz("a"));
    tree.FindKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kept")->SetValue("b", 1, Sz("b"));
    tree.FindKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Kept")->SetValue("", 1, Sz("d"));
    const auto held = tree.FindKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Deep");
    ASSERT_FALSE(ApplyRegFile(tree, Ansi("REGEDIT4\n"
                                         "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\gone]\n"
                                         "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Never\\There]\n"
                                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Again]\n"
                                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kept]\n"
                                         "\"a\"=-\n"
                                         "\"absent\"=-\n"
                                         "@=  - ;comment\n"
                                         "\"b\"=- #void: b stays\n")));
    EXPECT_FALSE(tree.FindKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Deep"));
    EXPECT_TRUE(tree.FindKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone\\Again")) << "created again after the deletion";
    EXPECT_TRUE(held->deleted()) << "an open handle sees its key deleted";
    EXPECT_FALSE(ValueAt(tree, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kept", "a"));
    EXPECT_FALSE(ValueAt(tree, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kept", ""));
    EXPECT_TRUE(ValueAt(tree, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Kept", "b"));
}

TEST(RegFileRead, Version5TextBecomesAnsi) {
    // U+20AC is 0x80 in code page 1252, U+00E9 is 0xE9, U+0081 is the
    // unassigned byte 0x81.
    const auto bytes = Wide(
        u"Windows Registry Editor Version 5.00\r\n"
        u"\r\n"
        u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Caf\u00e9]\r\n"
        u"\"Pr\u00e9\"=\"\u20ac5 \u0081\"\r\n"
        u"\"Expand\"=hex(2):25,00,ac,20,25,00,00,00\r\n"
        u"\"Multi\"=hex(7):61,00,00,00,00,00\r\n"
        u"\"Sz\"=hex(1):e9,00,00,00\r\n"
        u"\"Bin\"=hex:ac,20\r\n");
    RegistryTree tree;
    ASSERT_FALSE(ApplyRegFile(tree, bytes));
    // Binary data stays raw.
    EXPECT_EQ(tree.FindKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Caf\xe9")->values(),
              (std::vector<RegValue>{{"Pr\xe9", 1, Sz("\x80" "5 \x81")}, {"Expand", 2, Sz("%\x80%")},
                                     {"Multi", 7, {'a', 0, 0}}, {"Sz", 1, Sz("\xe9")}, {"Bin", 3, {0xac, 0x20}}}));
}

TEST(RegFileRead, HeaderDecidesStringDataNotEncoding) {
    // A Version 5 header in an ANSI file: strings are ANSI bytes, but hex(2)
    // data is UTF-16LE as in any Version 5 file.
    const RegistryTree ansiV5 = Load(
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X]\n"
        "\"s\"=\"\xe9\"\n\"e\"=hex(2):41,00,00,00\n");
    EXPECT_EQ(ValueAt(ansiV5, "HKEY_CURRENT_USER\\X", "s")->data, Sz("\xe9"));
    EXPECT_EQ(ValueAt(ansiV5, "HKEY_CURRENT_USER\\X", "e")->data, Sz("A"));

    // A REGEDIT4 header in a UTF-16 file: hex(2) bytes are taken as they are.
    RegistryTree wideR4;
    ASSERT_FALSE(ApplyRegFile(wideR4, WideAscii("REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n"
                                                "\"e\"=hex(2):41,00,00,00\r\n")));
    EXPECT_EQ(ValueAt(wideR4, "HKEY_CURRENT_USER\\X", "e")->data,
              (std::vector<std::uint8_t>{0x41, 0, 0, 0}));
}

TEST(RegFileRead, LineEnds) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        const std::string text = std::string("REGEDIT4") + end + "[HKEY_CURRENT_USER\\X]" + end +
                                 "\"a\"=hex:01,\\" + end + "  02" + end;
        const RegistryTree tree = Load(text);
        EXPECT_EQ(ValueAt(tree, "HKEY_CURRENT_USER\\X", "a")->data, (std::vector<std::uint8_t>{1, 2}));
    }
}

TEST(RegFileDetect, Formats) {
    EXPECT_EQ(DetectRegFormat(Ansi("REGEDIT4")), RegFormat::Regedit4);
    EXPECT_EQ(DetectRegFormat(WideAscii("Windows Registry Editor Version 5.00\r\n", false)),
              RegFormat::Version5);
    EXPECT_EQ(DetectRegFormat(Ansi("Windows Registry Editor Version 5.00\n")), RegFormat::Version5);
    EXPECT_EQ(DetectRegFormat(WideAscii("REGEDIT4\r\n")), RegFormat::Regedit4);
    EXPECT_EQ(DetectRegFormat(Ansi("regedit4\r\n")), std::nullopt);
    EXPECT_EQ(DetectRegFormat({}), std::nullopt);
}

struct BadFile {
    std::string text;
    int line;
    const char* message;  // a part of the message
};

class RegFileErrors : public ::testing::TestWithParam<BadFile> {};

// An empty tree is built while the file is read, any other only after the
// whole file was checked: both must come out of a refused file as they went in.
TEST_P(RegFileErrors, NamesTheLineAndChangesNothing) {
    const BadFile& bad = GetParam();
    for (const bool empty : {true, false}) {
        RegistryTree tree;
        if (!empty) tree.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Before")->SetValue("v", 1, Sz("v"));
        const RegistryTree before = tree;
        const auto error = ApplyRegFile(tree, Ansi(bad.text));
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->line, bad.line) << error->message;
        EXPECT_NE(error->message.find(bad.message), std::string::npos) << error->message;
        EXPECT_TRUE(tree == before) << "a refused file changes nothing";
    }
}

// Five good lines, the sixth is the one under test.
std::string Tail(std::string_view lines) {
    return "REGEDIT4\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Before]\n"
           "\"Applied\"=\"only if the file is accepted\"\n"
           "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Before]\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\n" + std::string(lines);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegFileErrors,
    ::testing::Values(
        BadFile{"", 1, "does not start with the header"},
        BadFile{"\n\nREGEDIT4\n", 1, "does not start with the header"},
        BadFile{"regedit4\n", 1, "\"REGEDIT4\""},
        BadFile{"REGEDIT4 FOO\n", 1, "header"},
        BadFile{"REGEDIT4\n\n; comment\n@=\"b\"\n", 4, "before any [KEY] line"},
        BadFile{Tail("\"a\"=\"unclosed\n"), 6, "no closing quote"},
        BadFile{Tail("\"a\"=\"bad \\n escape\"\n"), 6, "unknown escape \\n"},
        BadFile{Tail("\"unclosed=\"x\"\n"), 6, "expected = after the value name"},
        BadFile{Tail("\"a\"=dword:\n"), 6, "dword: takes 1 to 8 hex digits"},
        BadFile{Tail("\"a\"=dword:123456789\n"), 6, "dword: takes 1 to 8 hex digits"},
        BadFile{Tail("\"a\"=dword:0x12\n"), 6, "unexpected text after the dword value: \"x12\""},
        BadFile{Tail("\"a\"=hex(0x2):00\n"), 6, "hex(N): takes a type of 1 to 8 hex digits"},
        BadFile{Tail("\"a\"=hex(123456789):00\n"), 6, "hex(N): takes a type of 1 to 8 hex digits"},
        BadFile{Tail("\"a\"=hex(2)00\n"), 6, "expected : after hex"},
        BadFile{Tail("\"a\"=hex:100\n"), 6, "more than two hex digits"},
        BadFile{Tail("\"a\"=hex:11,22\\\n  33\n"), 6, "must follow a comma"},
        BadFile{Tail("\"a\"=hex:11 22\n"), 6, "separated by commas"},
        BadFile{Tail("\"a\"=hex:,11\n"), 6, "comma in hex data without a byte"},
        BadFile{Tail("\"a\"=hex:11,\\ 22\n"), 6, "unexpected text after the line continuation"},
        BadFile{Tail("\"a\"=hex:11,\\\n  22,\\\n  zz\n"), 8, "unexpected \"z\" in hex data"},
        BadFile{Tail("\"a\"=-\"x\"\n"), 6, "unexpected text after the deletion mark -"},
        BadFile{Tail("\"a\"=str(2):\"x\"\n"), 6, "unknown value data \"str(2):\"x\"\""},
        BadFile{Tail("\"a\"=\"x\" junk\n"), 6, "unexpected text after the string: \"junk\""},
        BadFile{Tail("a=\"x\"\n"), 6, "expected a [KEY] line"},
        BadFile{Tail("[HKLM\\SOFTWARE\\Y]\n"), 6,
                "unknown root \"HKLM\" (write it in full: HKEY_LOCAL_MACHINE)"},
        BadFile{Tail("[ HKEY_LOCAL_MACHINE\\Y]\n"), 6, "unknown root \" HKEY_LOCAL_MACHINE\""},
        BadFile{Tail("[- HKEY_LOCAL_MACHINE\\Y]\n"), 6, "unknown root \" HKEY_LOCAL_MACHINE\""},
        BadFile{Tail("[-HKEY_LOCAL_MACHINE]\n"), 6, "a root key cannot be deleted"},
        BadFile{Tail("[HKEY_LOCAL_MACHINE\\Y\n"), 6, "no closing ]"},
        BadFile{Tail("[HKEY_LOCAL_MACHINE\\Y] junk\n"), 6, "unexpected text after the key name: \"junk\""},
        BadFile{Tail("[]\n"), 6, "must start with a root"},
        BadFile{Tail("[HKEY_LOCAL_MACHINE\\" + std::string(256, 'k') + "]\n"), 6,
                "longer than 255 characters"},
        BadFile{Tail("[-HKEY_LOCAL_MACHINE\\Y]\n\"a\"=\"b\"\n"), 7, "follows a [-KEY] deletion"},
        // The value is void from the '#'; the line after it stands alone.
        BadFile{Tail("\"a\"=hex:11,\\\n  #void\n  22\n"), 8, "expected a [KEY] line"},
        BadFile{Tail("\"a\"=hex:11,\\#void\n  22\n"), 7, "expected a [KEY] line"}));

TEST(RegFileErrorsWide, CharacterOutsideTheCodePage) {
    RegistryTree tree;
    const auto inName = ApplyRegFile(tree, Wide(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                                u"[HKEY_CURRENT_USER\\X]\r\n"
                                                u"\"ok\"=\"\u00e9\"\r\n"
                                                u"\"\u4e2d\"=\"x\"\r\n"));
    ASSERT_TRUE(inName);
    EXPECT_EQ(inName->line, 5);
    EXPECT_NE(inName->message.find("the value name holds a character that the ANSI code page (1252) lacks"),
              std::string::npos) << inName->message;

    const auto inData = ApplyRegFile(tree, Wide(u"Windows Registry Editor Version 5.00\r\n"
                                                u"[HKEY_CURRENT_USER\\X]\r\n"
                                                u"\"e\"=hex(2):41,00,\\\r\n"
                                                u"  94,03,00,00\r\n"));
    ASSERT_TRUE(inData);
    EXPECT_EQ(inData->line, 3) << "the value's first line";
    EXPECT_NE(inData->message.find("string data"), std::string::npos);
    EXPECT_FALSE(tree.FindKey("HKEY_CURRENT_USER\\X"));
}

TEST(RegFileErrorsWide, OddStringDataAndOddFile) {
    RegistryTree tree;
    const auto odd = ApplyRegFile(tree, WideAscii("Windows Registry Editor Version 5.00\r\n"
                                                  "[HKEY_CURRENT_USER\\X]\r\n"
                                                  "\"e\"=hex(7):41,00,00\r\n"));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->line, 3);
    EXPECT_NE(odd->message.find("even number of bytes"), std::string::npos);

    auto bytes = WideAscii("REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n");
    bytes.push_back('x');
    const auto truncated = ApplyRegFile(tree, bytes);
    ASSERT_TRUE(truncated);
    EXPECT_EQ(truncated->line, 3);
    EXPECT_NE(truncated->message.find("middle of a UTF-16 character"), std::string::npos);
}


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
