// Security center pages and help files on a machine with the agent and the
// security center; the authenticator utility is added where a case needs it.
#include <string>

#include "coexistence/help_files.h"
#include "coexistence/security_center_pages.h"
#include "support/sim_fixture.h"

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

}  // namespace
}  // namespace veltra::coexistence
