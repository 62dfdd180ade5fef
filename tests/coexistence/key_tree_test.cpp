// Tree copy and delete with their fixed buffers, partial results, and the
// shared DLL reference counts.
#include <string>

#include "cli/report.h"
#include "coexistence/key_tree.h"
#include "coexistence/shared_dlls.h"
#include "support/sim_fixture.h"

namespace veltra::coexistence {
namespace {

using platform::kHkeyLocalMachine;
const std::string kHklm = "HKEY_LOCAL_MACHINE\\";

class KeyTreeTest : public testing::SimFixture {
protected:
    platform::Platform& p() { return sim.platform(); }
    void SetSized(const std::string& key, const std::string& name, std::size_t bytes) {
        machine.registry.CreateKey(kHklm + key)->SetValue(name, platform::kRegBinary, std::vector<std::uint8_t>(bytes, 7));
    }
    std::vector<std::string> ValueNames(const std::string& key) const {
        std::vector<std::string> names;
        if (auto node = machine.registry.FindKey(kHklm + key)) {
            for (const auto& value : node->values()) names.push_back(value.name);
        }
        return names;
    }
};

TEST_F(KeyTreeTest, CopyOfAMissingSourceGivesTheOpenErrorAndCreatesNothing) {
    EXPECT_EQ(CopyKeyTree(p(), kHkeyLocalMachine, "SOFTWARE\\Nowhere", "SOFTWARE\\Dest"), 2u);
    EXPECT_FALSE(KeyExists(kHklm + "SOFTWARE\\Dest"));
    EXPECT_EQ(machine.standardOutput, "");
}

// The enumeration of a key's values stops at the first one that does not fit
// (data over 4096 bytes, or a name of 260 characters or more); its subkeys are
// still copied, and the entry is listed, whole, in the machine's record.
TEST_F(KeyTreeTest, AValueThatDoesNotFitEndsThatKeysValuesOnly) {
    struct Case {
        const char* what;
        std::string bigName;
        std::size_t bigSize;
        sim::UnfitEntry listed;
    };
    const std::string longName(260, 'n');
    const Case cases[] = {
        {"data of 4097 bytes", "Big", 4097, {"RegEnumValueA", "", "Big", "data", 4097, 4096}},
        {"a 260-character name", longName, 4, {"RegEnumValueA", "", longName, "name", 261, 260}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        machine.registry.DeleteKeyTree(kHklm + "SOFTWARE\\Src");
        machine.registry.DeleteKeyTree(kHklm + "SOFTWARE\\Dst");
        machine.standardOutput.clear();
        machine.unfitEntries.clear();
        SetSized("SOFTWARE\\Src", "Before", 4096);  // exactly the buffer: copied
        SetSized("SOFTWARE\\Src", c.bigName, c.bigSize);
        SetString(kHklm + "SOFTWARE\\Src", "After", "lost");
        SetString(kHklm + "SOFTWARE\\Src\\Sub", "Kept", "yes");

        EXPECT_EQ(CopyKeyTree(p(), kHkeyLocalMachine, "SOFTWARE\\Src", "SOFTWARE\\Dst"), 0u);
        EXPECT_EQ(ValueNames("SOFTWARE\\Dst"), std::vector<std::string>{"Before"});
        EXPECT_EQ(GetString(kHklm + "SOFTWARE\\Dst\\Sub", "Kept"), "yes");
        EXPECT_EQ(machine.standardOutput,
                  "lCopyKeyRecurse() - enum vals done (234)\nlCopyKeyRecurse() - enum vals done (259)\n");
        sim::UnfitEntry expected = c.listed;
        expected.key = kHklm + "SOFTWARE\\Src";
        ASSERT_EQ(machine.unfitEntries.size(), 1u);
        EXPECT_EQ(machine.unfitEntries[0], expected);
    }
}

TEST_F(KeyTreeTest, ASubkeyThatCannotBeCopiedStopsItsSiblingsAndStillGivesZero) {
    for (const char* sub : {"A", "B", "C"}) SetString(kHklm + "SOFTWARE\\Src\\" + sub, "v", sub);
    machine.faults.Add({"RegOpenKeyExA", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Src\\B", 0, 5});

    EXPECT_EQ(CopyKeyTree(p(), kHkeyLocalMachine, "SOFTWARE\\Src", "SOFTWARE\\Dst"), 0u);
    EXPECT_TRUE(KeyExists(kHklm + "SOFTWARE\\Dst\\A"));
    EXPECT_FALSE(KeyExists(kHklm + "SOFTWARE\\Dst\\B"));
    EXPECT_FALSE(KeyExists(kHklm + "SOFTWARE\\Dst\\C"));
    EXPECT_NE(machine.standardOutput.find("lCopyKeyRecurse(B) failed! (5)\n"), std::string::npos);
}

TEST_F(KeyTreeTest, CopyRegistryValueRefusesDataOverItsBuffer) {
    SetSized("SOFTWARE\\Src", "Fits", 4096);
    SetSized("SOFTWARE\\Src", "Big", 4097);
    EXPECT_EQ(CopyRegistryValue(p(), kHkeyLocalMachine, "SOFTWARE\\Src", "SOFTWARE\\Dst", "Big"), 234u);
    EXPECT_FALSE(KeyExists(kHklm + "SOFTWARE\\Dst"));  // nothing created for a value not read
    EXPECT_EQ(CopyRegistryValue(p(), kHkeyLocalMachine, "SOFTWARE\\Src", "SOFTWARE\\Dst", "Fits"), 0u);
    EXPECT_EQ(GetValue(kHklm + "SOFTWARE\\Dst", "Fits")->data.size(), 4096u);
    EXPECT_EQ(CopyRegistryValue(p(), kHkeyLocalMachine, "SOFTWARE\\Src", "SOFTWARE\\Dst", "None"), 2u);
}

TEST_F(KeyTreeTest, TheBenchReportNamesWhatDidNotFit) {
    SetSized("SOFTWARE\\Src", "Big", 5000);
    CopyKeyTree(p(), kHkeyLocalMachine, "SOFTWARE\\Src", "SOFTWARE\\Dst");
    cli::RunReport report;
    cli::TakeRecords(machine, report);
    EXPECT_TRUE(machine.unfitEntries.empty());
    EXPECT_NE(cli::RenderText(report).find("  RegEnumValueA [HKEY_LOCAL_MACHINE\\SOFTWARE\\Src] \"Big\": data needs "
                                           "5000 bytes, buffer 4096\n"),
              std::string::npos);
    EXPECT_EQ(cli::RenderJson(report)["unfit"][0]["needed"], 5000);
}

TEST_F(KeyTreeTest, DeleteRemovesEveryLevelAndReportsOnlyTheOpening) {
    for (const char* key : {"T\\A\\A1\\deep", "T\\A\\A2", "T\\B\\B1", "T\\B\\B2\\x\\y", "T\\C"}) {
        SetString(kHklm + "SOFTWARE\\" + key, "v", "1");
    }
    SetString(kHklm + "SOFTWARE\\Tail", "v", "stays");
    EXPECT_EQ(DeleteKeyTree(p(), kHkeyLocalMachine, "SOFTWARE\\T"), 0u);
    EXPECT_FALSE(KeyExists(kHklm + "SOFTWARE\\T"));
    EXPECT_TRUE(KeyExists(kHklm + "SOFTWARE\\Tail"));
    EXPECT_EQ(DeleteKeyTree(p(), kHkeyLocalMachine, "SOFTWARE\\T"), 2u);

    // A part that cannot go stays, with its parents, and the result is still 0.
    SetString(kHklm + "SOFTWARE\\U\\A\\Locked", "v", "1");
    SetString(kHklm + "SOFTWARE\\U\\B", "v", "1");
    machine.faults.Add({"RegDeleteKeyA", "HKEY_LOCAL_MACHINE\\SOFTWARE\\U\\A\\Locked", 0, 5});
    EXPECT_EQ(DeleteKeyTree(p(), kHkeyLocalMachine, "SOFTWARE\\U"), 0u);
    EXPECT_TRUE(KeyExists(kHklm + "SOFTWARE\\U\\A\\Locked"));
    EXPECT_FALSE(KeyExists(kHklm + "SOFTWARE\\U\\B"));
}

TEST_F(KeyTreeTest, SharedDllCountsMoveByOneAndNeverBelowZero) {
    const std::string shared = kHklm + kSharedDllsKey;
    const char* file = "C:\\WINDOWS\\system32\\kvmsg.dll";
    struct Case {
        const char* what;
        std::optional<platform::Dword> before;
        bool add;
        platform::Dword after;
    };
    const Case cases[] = {
        {"add, absent", std::nullopt, true, 1}, {"add, 2", 2, true, 3},
        {"release, 3", 3, false, 2},           {"release, 1 leaves 0", 1, false, 0},
        {"release, 0", 0, false, 0},           {"release, absent", std::nullopt, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        machine.registry.DeleteKeyTree(shared);
        machine.registry.CreateKey(shared);
        if (c.before) SetDword(shared, file, *c.before);
        EXPECT_EQ(c.add ? AddSharedDllReference(p(), file) : ReleaseSharedDllReference(p(), file), 0u);
        EXPECT_EQ(GetValue(shared, file)->type, platform::kRegDword);
        EXPECT_EQ(GetDword(shared, file), c.after);
    }
    // The type is not checked: a string "7" counts as its bytes, 0x37.
    SetString(shared, file, "7");
    EXPECT_EQ(AddSharedDllReference(p(), file), 0u);
    EXPECT_EQ(GetDword(shared, file), 0x38u);

    machine.registry.DeleteKeyTree(shared);
    EXPECT_EQ(AddSharedDllReference(p(), file), 2u);
    EXPECT_FALSE(KeyExists(shared));
}

}  // namespace
}  // namespace veltra::coexistence
