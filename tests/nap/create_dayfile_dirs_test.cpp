// The day-file folder and the domain secret: which key names the folder, its
// locked-down levels (and the SDDL rules behind them), the migration's failure.
#include "platform/sim/faults.h"
#include "platform/sim/sddl.h"
#include "platform/sim/sim_files.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

const std::string kServices = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\";
const std::string kTemp = "C:\\WINDOWS\\Temp\\";
const std::string kLocked = "O:BAG:SYD:(A;;GA;;;SY)(A;;GA;;;BA)";
const std::string kMigrationFailed =
    "The installation failed to migrate\nthe current domain secret.\n\n"
    "The installation changes will be rolled back now\nto maintain offline data integrity.";

class DayfileDirs : public SimFixture {
protected:
    DayfileDirs() {
        PutFolder("C:\\WINDOWS\\Temp");
        PutFile(kTemp + "domaininfo.dat", "secret");
    }
};

struct KeyCase {
    std::vector<std::pair<std::string, std::string>> values;  // key under the agent root, DayfileDir ("" = key only)
    std::string created;                                     // "" = nothing
};

void PrintTo(const KeyCase& c, std::ostream* out) { *out << (c.created.empty() ? "nothing" : c.created); }

class DayfileDirKeys : public DayfileDirs, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DayfileDirKeys, TheFirstServiceKeyWithAFolderDecides) {
    for (const auto& [key, folder] : GetParam().values) {
        if (folder.empty()) SetString(kServices + key, "Other", "x");
        else SetString(kServices + key, "DayfileDir", folder);
    }
    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", kTemp), 0u);
    const std::string& created = GetParam().created;
    if (created.empty()) {
        EXPECT_TRUE(machine.folderSecurity.empty());
        EXPECT_TRUE(FileExists(kTemp + "domaininfo.dat"));
    } else {
        EXPECT_EQ(machine.folderSecurity[created], kLocked);
        EXPECT_EQ(ReadFile(created + "\\domaininfo.dat"), "secret");
        EXPECT_FALSE(FileExists(kTemp + "domaininfo.dat"));
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, DayfileDirKeys, ::testing::Values(
    KeyCase{{}, ""},
    KeyCase{{{"Local\\OASVC", ""}, {"Domain\\OASVC", "C:\\Dom"}}, "C:\\Dom"},
    KeyCase{{{"Local\\OASVC", "C:\\Loc"}, {"Domain\\OASVC", "C:\\Dom"}}, "C:\\Loc"},
    KeyCase{{{"DomainHost\\OASVC", "C:\\Host\\"}}, "C:\\Host"},
    // A folder that does not fit the 260-byte buffer counts as absent.
    KeyCase{{{"Local\\OASVC", "C:\\" + std::string(257, 'x')}, {"Domain\\OASVC", "C:\\Dom"}}, "C:\\Dom"}));

TEST_F(DayfileDirs, MissingLevelsAreCreatedOneByOneAndExistingOnesKeepTheirSecurity) {
    PutFolder("C:\\A");
    machine.folderSecurity["C:\\A"] = "O:SYG:SYD:(A;;GA;;;WD)";
    SetString(kServices + "Local\\OASVC", "DayfileDir", "C:\\A\\B\\C");
    machine.trace.enabled = true;

    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", kTemp), 0u);

    std::vector<std::string> creations;
    for (const auto& line : machine.trace.lines()) {
        if (line.operation == "CreateDirectoryA") creations.push_back(line.subject);
    }
    EXPECT_EQ(creations, (std::vector<std::string>{"C:\\A\\B", "C:\\A\\B\\C"}));
    EXPECT_EQ(machine.folderSecurity, (sim::NameMap<std::string>{
                                          {"C:\\A", "O:SYG:SYD:(A;;GA;;;WD)"}, {"C:\\A\\B", kLocked}, {"C:\\A\\B\\C", kLocked}}));
    EXPECT_EQ(ReadFile("C:\\A\\B\\C\\domaininfo.dat"), "secret");
}

TEST_F(DayfileDirs, WithoutADomainSecretTheFolderIsStillMade) {
    sim::RemoveDriveFile(machine, kTemp + "domaininfo.dat");
    SetString(kServices + "Domain\\OASVC", "DayfileDir", "C:\\Days");
    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", kTemp), 0u);
    EXPECT_EQ(machine.folderSecurity["C:\\Days"], kLocked);
    EXPECT_TRUE(machine.dialogs.empty());
}

class FailedMoves : public DayfileDirs, public ::testing::WithParamInterface<std::string> {};

// The copy itself refused, or a folder that could not be made to copy into.
TEST_P(FailedMoves, KeepTheSecretAndRollBack) {
    SetString(kServices + "Local\\OASVC", "DayfileDir", "C:\\Days\\Here");
    std::string error;
    machine.faults.Add(*sim::ParseFaultRule(GetParam(), &error));

    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", kTemp), 1603u);
    ExpectOneMessage(kMigrationFailed, 0x00200010u);
    EXPECT_EQ(ReadFile(kTemp + "domaininfo.dat"), "secret");
    EXPECT_FALSE(FileExists("C:\\Days\\Here\\domaininfo.dat"));
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedMoves, ::testing::Values("CopyFileA=5", "CreateDirectoryA:C:\\Days=5"));

TEST_F(DayfileDirs, WithoutSourceFolderDataTheActionFails) {
    SetString(kServices + "Local\\OASVC", "DayfileDir", "C:\\Days");
    EXPECT_EQ(RunDeferred("CreateDAYFILE_DIRS", ""), 1603u);
    EXPECT_TRUE(machine.folderSecurity.empty());
}

// The security the simulated machine keeps: what Windows accepts, and the
// code it refuses the rest with.
TEST(FolderSecurityText, ParsesAsWindowsConvertsIt) {
    struct Case {
        std::string sddl;
        platform::Dword error;  // 0: accepted
        std::vector<std::string> described;
    };
    const Case cases[] = {
        {"O:BAG:SYD:(A;;GA;;;SY)(A;;GA;;;BA)", 0,
         {"owner Administrators (BA)", "group Local System (SY)", "allow generic all to Local System (SY)",
          "allow generic all to Administrators (BA)"}},
        {"D:P(D;OICI;GRGW;;;WD)(A;;0x1f01ff;;;S-1-5-32-544)", 0,
         {"deny generic read, generic write to Everyone (WD) (inheritance OICI)", "allow 0x1f01ff to S-1-5-32-544"}},
        {"D:", 0, {"no access for anyone"}},
        {"O:XXG:SY", 87, {}},
        {"Q:BA", 87, {}},
        {"O:BAO:SY", 87, {}},
        {"D:(A;;GA;;SY)", 1336, {}},
        {"D:(Z;;GA;;;SY)", 1336, {}},
        {"D:(A;;GA;;;SY", 1336, {}},
        {"D:(A;XX;GA;;;SY)", 1336, {}},
    };
    for (const Case& c : cases) {
        platform::Dword error = 0;
        const auto parsed = sim::ParseSddl(c.sddl, &error);
        EXPECT_EQ(parsed ? 0u : error, c.error) << c.sddl;
        if (parsed) {
            EXPECT_EQ(sim::DescribeSecurity(*parsed), c.described) << c.sddl;
        }
    }
}

TEST_F(DayfileDirs, AFolderIsNotMadeWithARefusedDescriptor) {
    EXPECT_FALSE(sim.platform().files.CreateDirectory("C:\\Bad", "D:(A;;GA;;SY)"));
    EXPECT_EQ(machine.lastError, 1336u);
    EXPECT_FALSE(FileExists("C:\\Bad"));
}

}  // namespace
}  // namespace veltra::testing
