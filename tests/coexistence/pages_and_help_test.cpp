// Security center pages and help files on a machine with the agent and the
// security center; the authenticator utility is added where a case needs it.
// Also tree copy and delete with their fixed buffers and partial results, and
// the shared DLL reference counts.
#include <string>

#include "coexistence/help_files.h"
#include "coexistence/security_center_pages.h"
#include "support/sim_fixture.h"
#include "cli/report.h"
#include "coexistence/key_tree.h"
#include "coexistence/shared_dlls.h"

namespace veltra::coexistence {
namespace {

const std::string kSc = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Security Center";
const std::string kPages = kSc + "\\Pages";
const std::string kAgent = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion";
const std::string kBackup = kAgent + "\\Common\\Interop\\Backup\\Veltra Security Center\\Pages";
const std::string kUtility = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authenticator Utility";
const std::string A = "C:\\Agent\\";
const std::string U = "C:\\Utility\\";
const std::string S = "C:\\Center\\";

class PagesTest : public testing::SimFixture {
protected:
    PagesTest() {
        SetString(kSc, "InstallDir", "C:\\Center");
        for (const char* tab : {"Tab1", "Tab2"}) SetString(kPages + "\\" + tab, "Title", "old");
    }
    platform::Platform& p() { return sim.platform(); }
    void Agent(bool logon = true) {
        SetString(kAgent, "ProductID", "1");
        SetString(kAgent + "\\Common", "InstallPath", A);
        SetDword(kAgent + "\\Components", "Domain Authentication Server", logon ? 1 : 0);
    }
    void Utility() {
        SetString(kUtility + "\\Desktop", "ProductVersion", "4.0");
        SetString(kUtility, "InstallDir", U);
    }
};

TEST_F(PagesTest, SecurityCenterFolderFallsBackOnTheControlPanelPath) {
    machine.registry.FindKey(kSc)->DeleteValue("InstallDir");
    SetString(kSc, "SCA CPL path", "C:\\SC");
    std::string folder;
    EXPECT_TRUE(GetSecurityCenterDir(p(), folder));
    EXPECT_EQ(folder, "C:\\SC\\");
    EXPECT_EQ(GetString(kSc, "InstallDir"), "C:\\SC");
    // A folder that leaves no room for the backslash is not found, never cut.
    SetString(kSc, "InstallDir", std::string(259, 'x'));
    SetString(kSc, "SCA CPL path", std::string(300, 'y'));
    EXPECT_FALSE(GetSecurityCenterDir(p(), folder));
    EXPECT_EQ(folder, "");
}

TEST_F(PagesTest, TabsAreWrittenOnlyWhereTheyExist) {
    struct Case {
        const char* what;
        bool agent, logon, utility, tab1;
        std::string tab1Path;
        int result;
    };
    const Case cases[] = {
        {"agent with logon", true, true, false, true, S + "TabHome.dll", 1},
        {"agent without logon", true, false, false, true, S, 1},
        {"utility alone", false, false, true, true, S + "TabHome.dll", 1},
        {"no Tab1 key", true, true, false, false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        machine.registry = sim::RegistryTree();
        PagesTest::SetString(kSc, "InstallDir", "C:\\Center");
        if (c.tab1) SetString(kPages + "\\Tab1", "Title", "old");
        SetString(kPages + "\\Tab2", "Title", "old");
        if (c.agent) Agent(c.logon);
        if (c.utility) Utility();
        EXPECT_EQ(RegisterSecurityCenterTabs(p()), c.result);
        EXPECT_EQ(KeyExists(kPages + "\\Tab1"), c.tab1);  // never created
        if (c.tab1) {
            EXPECT_EQ(GetString(kPages + "\\Tab1", "PathFile"), c.tab1Path);
            EXPECT_EQ(GetString(kPages + "\\Tab1", "Title"), "Home");
        }
        EXPECT_EQ(GetString(kPages + "\\Tab2", "PathFile"), S + "TabConfiguration.dll");
        EXPECT_EQ(GetString(kPages + "\\Tab2", "Title"), "Configuration");
    }
}

TEST_F(PagesTest, OfflineDaysPageMovesUnderWelcomeAndTab1KeepsItsOwnPage) {
    for (const bool tab1HadPage : {true, false}) {
        SCOPED_TRACE(tab1HadPage ? "W1 had a PathFile" : "W1 had none");
        machine.registry.DeleteKeyTree(kPages);
        machine.registry.DeleteKeyTree(kAgent);
        Agent();
        if (tab1HadPage) SetString(kPages + "\\Tab1\\Welcome", "PathFile", U + "Welcome.dll");
        SetString(kPages + "\\Tab1\\Page z1 TKROfflineDays", "Title", "Offline");
        SetDword(kPages + "\\Tab1\\Page z1 TKROfflineDays\\Settings", "MaxDays", 14);

        EXPECT_EQ(InstallOfflineDaysPage(p()), 0);
        const std::string agentPage = A + "\\ConfigTKRWelcome.dll";
        EXPECT_EQ(GetString(kPages + "\\Tab1\\Welcome", "PathFile"), tab1HadPage ? U + "Welcome.dll" : agentPage);
        EXPECT_EQ(GetString(kPages + "\\Tab2\\Welcome", "PathFile"), agentPage);
        EXPECT_FALSE(KeyExists(kPages + "\\Tab1\\Page z1 TKROfflineDays"));
        EXPECT_EQ(GetDword(kPages + "\\Tab1\\Welcome\\Page z1 TKROfflineDays\\Settings", "MaxDays"), 14u);
    }
}

TEST_F(PagesTest, ArrangeBacksUpPage2ButCannotDeleteItWithASubkey) {
    Agent();
    Utility();
    SetString(kPages + "\\Tab2\\Welcome\\Page 2", "PathFile", U + "P2.dll");
    SetString(kPages + "\\Tab2\\Welcome\\Page 2", "Title", "Two");
    SetString(kPages + "\\Tab2\\Welcome\\Page 2\\Child", "x", "1");
    SetString(kPages + "\\Tab1\\Welcome\\Page 5", "PathFile", U + "P5.dll");
    EXPECT_EQ(ArrangeWelcomePages(p()), 1);
    EXPECT_EQ(GetString(kBackup + "\\Tab2\\Welcome\\Page 2", "PathFile"), U + "P2.dll");
    EXPECT_EQ(GetString(kBackup + "\\Tab2\\Welcome\\Page 2", "Title"), "Two");
    EXPECT_TRUE(KeyExists(kPages + "\\Tab2\\Welcome\\Page 2"));
    EXPECT_FALSE(KeyExists(kPages + "\\Tab1\\Welcome\\Page 5"));
    EXPECT_EQ(GetString(kBackup + "\\Tab1\\Welcome\\Page 5", "PathFile"), U + "P5.dll");

    // Once the agent is gone the utility gets both pages back.
    machine.registry.FindKey(kAgent)->DeleteValue("ProductID");
    machine.registry.DeleteKeyTree(kPages + "\\Tab2\\Welcome\\Page 2");
    EXPECT_EQ(ArrangeWelcomePages(p()), 1);
    EXPECT_EQ(GetString(kPages + "\\Tab2\\Welcome\\Page 2", "Title"), "Two");
    EXPECT_EQ(GetString(kPages + "\\Tab1\\Welcome\\Page 5", "PathFile"), U + "P5.dll");
}

TEST_F(PagesTest, HelpFollowsTheProductsPresent) {
    struct Case {
        const char* what;
        bool agent, utility;
        std::optional<std::string> user, admin;
        std::string agentUserHelp, utilityUserHelp;  // file contents afterwards
    };
    const Case cases[] = {
        {"agent alone", true, false, A + "authagt_userhelp.chm", A + "authagt_adminhelp.chm", "saved agent", "utility"},
        {"both", true, true, S + "authagt_usercombohelp.chm", S + "authagt_admincombohelp.chm", "combo", "combo"},
        {"utility alone", false, true, U + "VeltraAuthHelp.chm", U + "VeltraAuthAdminHelp.chm", "agent", "utility"},
        {"neither", false, false, std::nullopt, std::nullopt, "agent", "utility"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        machine.registry = sim::RegistryTree();
        machine.drives = sim::DriveTree();
        SetString(kSc, "InstallDir", "C:\\Center");
        SetString(kSc, "HelpPathUser", "old");
        SetString(kSc, "HelpPathAdmin", "old");
        SetString(kAgent + "\\Common", "InstallPath", A);
        SetString(kUtility, "InstallDir", U);
        if (c.agent) Agent();
        if (c.utility) Utility();
        PutFile(A + "authagt_userhelp.chm", "agent");
        PutFile(A + "authagt_adminhelp.chm", "agent admin");
        PutFile(A + "VeltraKeshAgentRepository\\authagt_userhelp.chm", "saved agent");
        PutFile(U + "VeltraAuthHelp.chm", "utility");
        PutFile(S + "authagt_usercombohelp.chm", "combo");

        EXPECT_EQ(UpdateHelpPaths(p()), 1);
        EXPECT_EQ(GetString(kSc, "HelpPathUser"), c.user);
        EXPECT_EQ(GetString(kSc, "HelpPathAdmin"), c.admin);
        EXPECT_EQ(ReadFile(A + "authagt_userhelp.chm"), c.agentUserHelp);
        EXPECT_EQ(ReadFile(U + "VeltraAuthHelp.chm"), c.utilityUserHelp);
        // An existing repository copy is never overwritten by a later backup.
        EXPECT_EQ(ReadFile(A + "VeltraKeshAgentRepository\\authagt_userhelp.chm"), "saved agent");
    }
    // Without the security center's key nothing is created.
    Agent();
    machine.registry.DeleteKeyTree(kSc);
    EXPECT_EQ(UpdateHelpPaths(p()), 0);
    EXPECT_FALSE(KeyExists(kSc));
}


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
