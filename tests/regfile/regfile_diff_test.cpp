// Differences between two registry trees, in the order reports show them.
#include <gtest/gtest.h>

#include <sstream>

#include "regfile_helpers.h"

namespace veltra::sim::testing {
namespace {

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

}  // namespace
}  // namespace veltra::sim::testing
