// Writing .reg files the way regedit exports them, and round trips.
// Also the differences between two registry trees, in the order reports show them.
#include <gtest/gtest.h>

#include "regfile_helpers.h"
#include <functional>
#include <random>
#include <sstream>

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


// One change per line: "kind key [name] before -> after" with the data as a
// .reg file shows it.
std::string Describe(const std::vector<RegChange>& changes) {
    static const char* kKinds[] = {"KeyAdded", "KeyDeleted", "ValueAdded", "ValueChanged", "ValueDeleted"};
    std::ostringstream out;
    for (const RegChange& change : changes) {
        out << kKinds[change.kind] << ' ' << change.key;
        if (change.kind >= RegChange::ValueAdded) out << " [" << change.name << ']';
        if (change.before) out << ' ' << FormatRegValueData(*change.before, RegFormat::Regedit4);
        if (change.before || change.after) out << " ->";
        if (change.after) out << ' ' << FormatRegValueData(*change.after, RegFormat::Regedit4);
        out << '\n';
    }
    return out.str();
}

TEST(RegFileDiff, AddedKeyListsItsValuesAndSubkeys) {
    RegistryTree before;
    before.CreateKey("HKLM\\SOFTWARE");
    RegistryTree after = before;
    const auto added = after.CreateKey("HKLM\\SOFTWARE\\New");
    added->SetValue("b", 4, DwordBytes(1));
    added->SetValue("a", 1, Sz("x"));
    after.CreateKey("HKLM\\SOFTWARE\\New\\Sub")->SetValue("", 3, {0xff});
    EXPECT_EQ(Describe(DiffTrees(before, after)),
              "KeyAdded HKEY_LOCAL_MACHINE\\SOFTWARE\\New\n"
              "ValueAdded HKEY_LOCAL_MACHINE\\SOFTWARE\\New [b] -> dword:00000001\n"
              "ValueAdded HKEY_LOCAL_MACHINE\\SOFTWARE\\New [a] -> \"x\"\n"
              "KeyAdded HKEY_LOCAL_MACHINE\\SOFTWARE\\New\\Sub\n"
              "ValueAdded HKEY_LOCAL_MACHINE\\SOFTWARE\\New\\Sub [] -> hex:ff\n");
    EXPECT_EQ(Describe(DiffTrees(after, before)),
              "KeyDeleted HKEY_LOCAL_MACHINE\\SOFTWARE\\New\n"
              "ValueDeleted HKEY_LOCAL_MACHINE\\SOFTWARE\\New [b] dword:00000001 ->\n"
              "ValueDeleted HKEY_LOCAL_MACHINE\\SOFTWARE\\New [a] \"x\" ->\n"
              "KeyDeleted HKEY_LOCAL_MACHINE\\SOFTWARE\\New\\Sub\n"
              "ValueDeleted HKEY_LOCAL_MACHINE\\SOFTWARE\\New\\Sub [] hex:ff ->\n");
}

TEST(RegFileDiff, ValueChangesInOrder) {
    RegistryTree before;
    const auto key = before.CreateKey("HKCU\\K");
    key->SetValue("keep", 1, Sz("same"));
    key->SetValue("gone1", 1, Sz("1"));
    key->SetValue("data", 1, Sz("old"));
    key->SetValue("gone2", 1, Sz("2"));
    key->SetValue("type", 1, Sz("1"));
    RegistryTree after = before;
    const auto changed = after.FindKey("HKCU\\K");
    changed->DeleteValue("gone1");
    changed->DeleteValue("gone2");
    changed->SetValue("new", 4, DwordBytes(2));
    changed->SetValue("DATA", 1, Sz("new"));
    changed->SetValue("type", 2, Sz("1"));
    EXPECT_EQ(Describe(DiffTrees(before, after)),
              "ValueDeleted HKEY_CURRENT_USER\\K [gone1] \"1\" ->\n"
              "ValueDeleted HKEY_CURRENT_USER\\K [gone2] \"2\" ->\n"
              "ValueChanged HKEY_CURRENT_USER\\K [data] \"old\" -> \"new\"\n"
              "ValueChanged HKEY_CURRENT_USER\\K [type] \"1\" -> hex(2):31,00\n"
              "ValueAdded HKEY_CURRENT_USER\\K [new] -> dword:00000002\n");
}

TEST(RegFileDiff, KeysAndRootValuesInTreeOrderAcrossRoots) {
    RegistryTree before;
    before.CreateKey("HKLM\\S\\b");
    before.CreateKey("HKLM\\S\\Z");
    RegistryTree after;
    after.CreateKey("HKLM\\S\\_x");
    after.CreateKey("HKLM\\S\\a");
    after.CreateKey("HKLM\\S\\Z");
    after.CreateKey("HKCR\\.reg");
    after.CreateKey("HKCC\\c");
    after.Root("HKEY_USERS")->SetValue("v", 4, DwordBytes(3));
    EXPECT_EQ(Describe(DiffTrees(before, after)),
              "KeyAdded HKEY_CLASSES_ROOT\\.reg\n"
              "KeyAdded HKEY_LOCAL_MACHINE\\S\\a\n"
              "KeyDeleted HKEY_LOCAL_MACHINE\\S\\b\n"
              "KeyAdded HKEY_LOCAL_MACHINE\\S\\_x\n"
              "ValueAdded HKEY_USERS [v] -> dword:00000003\n"
              "KeyAdded HKEY_CURRENT_CONFIG\\c\n");
}

// A baseline keeps no copy, so its report must come out exactly as a
// comparison with a copy taken at the same moment would: whatever was
// changed, deleted with its subtree, re-created under the same name or
// changed back.
TEST(RegFileDiff, BaselineReportsWhatACopyWould) {
    using Script = std::function<void(RegistryTree&)>;
    const std::vector<std::pair<const char*, Script>> scripts = {
        {"changed back", [](RegistryTree& t) { t.FindKey("HKLM\\S\\A")->SetValue("v", 1, Sz("x")); t.FindKey("HKLM\\S\\A")->SetValue("v", 1, Sz("a")); }},
        {"inner change, then the subtree deleted", [](RegistryTree& t) {
             t.FindKey("HKLM\\S\\A\\Deep")->SetValue("d", 4, DwordBytes(9));
             t.DeleteKeyTree("HKLM\\S\\A");
         }},
        {"deleted and re-created", [](RegistryTree& t) {
             t.DeleteKeyTree("HKLM\\S\\A");
             t.CreateKey("HKLM\\s\\a\\deep")->SetValue("v", 1, Sz("new"));
         }},
        {"a new key changed after it was made", [](RegistryTree& t) {
             const auto key = t.CreateKey("HKCU\\New\\Sub");
             key->SetValue("1", 1, Sz("1"));
             key->DeleteValue("1");
             t.CreateKey("HKCU\\New\\Other");
             t.DeleteKeyTree("HKCU\\New\\Other");
         }},
        {"many values", [](RegistryTree& t) {
             const auto key = t.FindKey("HKLM\\S\\Many");
             for (int i = 0; i < 40; i += 3) key->DeleteValue("n" + std::to_string(i));
             for (int i = 1; i < 40; i += 4) key->SetValue("N" + std::to_string(i), 4, DwordBytes(1));
         }},
        {"roots replaced", [](RegistryTree& t) { t = RegistryTree(); t.CreateKey("HKLM\\S\\B"); }},
    };
    for (const auto& [name, script] : scripts) {
        RegistryTree tree;
        tree.CreateKey("HKLM\\S\\A")->SetValue("v", 1, Sz("a"));
        tree.CreateKey("HKLM\\S\\A\\Deep")->SetValue("d", 4, DwordBytes(1));
        tree.CreateKey("HKLM\\S\\B")->SetValue("", 1, Sz("b"));
        for (std::uint32_t i = 0; i < 40; ++i) tree.CreateKey("HKLM\\S\\Many")->SetValue("n" + std::to_string(i), 4, DwordBytes(i));
        const RegistryTree copy = tree;
        const auto baseline = tree.StartBaseline();
        script(tree);
        EXPECT_EQ(Describe(DiffSince(*baseline, tree)), Describe(DiffTrees(copy, tree))) << name;
    }

    // And over a long random walk of changes on a small name space, where
    // keys and values come and go many times.
    std::minstd_rand random(7);
    RegistryTree tree;
    const char* paths[] = {"HKLM\\A", "HKLM\\A\\B", "HKLM\\A\\B\\C", "HKLM\\D", "HKCU\\A"};
    for (const char* path : paths) tree.CreateKey(path)->SetValue("a", 4, DwordBytes(0));
    const RegistryTree start = tree;
    const auto baseline = tree.StartBaseline();
    RegistryTree middle;
    std::unique_ptr<RegistryBaseline> second;
    for (int step = 0; step < 600; ++step) {
        const std::string path = paths[random() % 5];
        const std::string value = std::string(1, static_cast<char>('a' + random() % 3));
        switch (random() % 4) {
            case 0: tree.CreateKey(path)->SetValue(value, 4, DwordBytes(static_cast<std::uint32_t>(random() % 3))); break;
            case 1: if (const auto key = tree.FindKey(path)) key->DeleteValue(value); break;
            case 2: tree.DeleteKeyTree(path); break;
            default: tree.CreateKey(path); break;
        }
        if (step % 50 == 0) {
            ASSERT_EQ(Describe(DiffSince(*baseline, tree)), Describe(DiffTrees(start, tree))) << step;
        }
        // A second baseline from the middle on records beside the first.
        if (step == 300) {
            middle = tree;
            second = tree.StartBaseline();
        }
    }
    EXPECT_EQ(Describe(DiffSince(*second, tree)), Describe(DiffTrees(middle, tree)));
    EXPECT_EQ(Describe(DiffSince(*baseline, tree)), Describe(DiffTrees(start, tree)));
}

}  // namespace
}  // namespace veltra::sim::testing
