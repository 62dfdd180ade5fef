// Differences between two registry trees, in the order reports show them.
#include <gtest/gtest.h>

#include <functional>
#include <random>
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
