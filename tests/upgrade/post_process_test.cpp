// The post-install restoration and the removal clean-up, action by action
// and along the package's roads.
#include <algorithm>

#include "cli/roads.h"
#include "platform/sim/sim_files.h"
#include "support/sim_fixture.h"
#include "support/test_package.h"
#include "upgrade/version_file.h"

namespace veltra::testing {
namespace {

const std::string kSystem = "C:\\WINDOWS\\system32\\";
const std::string kAgentDir = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
const std::string kRepository = kAgentDir + "VeltraKeshAgentRepository\\";
const std::string kStore = kRepository + "Agent_5_Store\\";
const std::string kMachine = "HKEY_LOCAL_MACHINE\\";
const std::string kAgentRoot = kMachine + "SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion";
const std::string kSettings = kAgentRoot + "\\Settings\\";
const std::string kBrevin = kMachine + "SOFTWARE\\Veltra Security\\Veltra Tokara Brevin\\Desktop";
const std::string kMenu = "C:\\Menu\\";
const std::string kData = kSystem + ";C:\\WINDOWS\\;" + kAgentDir + ";" + kMenu + ";1;C:\\Shared\\AF\\;C:\\Shared\\UI\\;" +
                          "C:\\Shared\\;C:\\Temp\\;C:\\Days\\";

TEST(VersionFile, NumbersComeFromDefineLinesOnly) {
    const std::string farValue = "#define __VMAJOR__" + std::string(1100, ' ') + "9\n";
    const struct {
        std::string text;
        upgrade::AgentVersion expected;
    } cases[] = {
        {"#define __VMAJOR__ 7\r\n#define __VMINOR__ 2\n#define __PLEVEL__ 14\n", {7, 2, 14}},
        {"#define __VMAJOR__ 7\n#define __VMINOR__ 3\n", {7, 3, 0}},             // no patch level: 0
        {"#define __vmajor__\t8abc\n#define VERSION__VMINOR__ 5\n", {8, 5, 0}},   // case ignored; name from the first "_"
        {"# define __VMAJOR__ 7\n//#define __VMINOR__ 1\n#define __PLEVEL__\n", {6, 0, 0}},
        {"#define __VMINOR__ -1\n#define __VMINOR__ 4\n", {6, 4, 0}},             // the last line wins
        {farValue, {6, 0, 0}},  // the value lies beyond the 1020-byte read: a piece of its own
        {"", {6, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(upgrade::ReadAgentVersion(c.text), c.expected) << c.text;
    EXPECT_EQ(upgrade::ReadAgentVersion("#define __PLEVEL__ -1\n").patchLevel, 0xFFFFFFFFu);
}

class PostProcess : public SimFixture {
protected:
    PostProcess() {
        PutFile(kRepository + "VeltraKeshAgentInstalled.txt");
        PutFile(kRepository + "LocalClientKEY.txt");
        machine.registry.CreateKey(kAgentRoot);
        SetProperty("ProductCode", "{P}");
    }
};

TEST_F(PostProcess, PartnerPacksTenFieldsAndTheActionNeedsThem) {
    for (const auto& [name, value] :
         std::map<std::string, std::string>{{"SystemFolder", kSystem}, {"WindowsFolder", "C:\\WINDOWS\\"},
                                            {"INSTALLDIR", kAgentDir}, {"ProgramMenuFolder", kMenu},
                                            {"Installed", "00:00"}, {"VeltraSharedAuthFrameworkFolder", "C:\\Shared\\AF\\"},
                                            {"VeltraSharedBackendUIFolder", "C:\\Shared\\UI\\"},
                                            {"VeltraSharedFolder", "C:\\Shared\\"}, {"TempFolder", "C:\\Temp\\"},
                                            {"DAYFILE_GLOBAL_ROOT", "C:\\Days\\"}}) {
        SetProperty(name, value);
    }
    EXPECT_EQ(Run("SetDeferredPostProcessData"), 0u);
    std::string expected = kData;
    expected.replace(expected.find(";1;"), 3, ";0;");
    EXPECT_EQ(Property("PostProcessAgentInstall"), expected);
    EXPECT_EQ(RunDeferred("PostProcessAgentInstall", ""), 1603u);
}

// A legacy Kesh/Agent 5.5 is still registered: its stored settings are
// applied by name into the new agent's keys, under the default challenge
// mode only, and everything it left is removed in both cases.
TEST_F(PostProcess, LegacySettingsFileIsAppliedByName) {
    const struct {
        std::string mode;
        bool applied;
    } cases[] = {{"1", true}, {"2", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        machine = SampleMachine("upgrade-kesh55");
        PutFile(kRepository + "VeltraKeshAgentInstalled.txt");
        for (const char* key : {"KVGINA", "KVRAS"}) machine.registry.CreateKey(kSettings + key);  // no "KVRAS\15"
        PutFile(kStore + "registryStoreFile.txt", "AUTHCONFIGSELECTED=" + c.mode +
                                                      "\r\nLAC_Enabled=0\r\nRAS_DialMode=1\r\nRAS_Unknown=5\r\n"
                                                      "RAS_ProtocolId=17\r\nRAS15_RequireConfigUI=1\r\n=9\r\nRAS_EapMode=3\r\n");
        PutFile(kStore + "kvgina.dll");
        PutFile(kSystem + "KESHCLNT\\readme.html");
        PutFile(kMenu + "Veltra Kesh Agent\\Help.lnk");

        EXPECT_EQ(RunDeferred("PostProcessAgentInstall", kData), 0u);
        // Unknown names are skipped; the line without a name ends the file; "KVRAS\15" is never created.
        using List = std::vector<sim::RegValue>;
        EXPECT_EQ(Values(kSettings + "KVGINA"), c.applied ? List{DwordValue("Enabled", 0)} : List{});
        const List ras = {DwordValue("DialMode", 1), SzValue("ProtocolId", "17", platform::kRegExpandSz)};
        EXPECT_EQ(Values(kSettings + "KVRAS"), c.applied ? ras : List{});
        EXPECT_FALSE(KeyExists(kSettings + "KVRAS\\15"));
        for (const std::string& gone : {kStore, kSystem + "KESHCLNT\\", kMenu + "Veltra Kesh Agent\\Help.lnk"}) {
            EXPECT_FALSE(FileExists(gone)) << gone;
        }
        EXPECT_FALSE(KeyExists(kMachine + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kesh/Agent for Windows NT"));
    }
}

TEST_F(PostProcess, VersionBrevinFlagAndSavedServerFiles) {
    PutFile(kRepository + "version.h", "#define __VMAJOR__ 6\r\n#define __VMINOR__ 3\r\n");
    machine.registry.CreateKey(kBrevin);
    PutFile(kSystem + "kvconf.rec", "new record");
    PutFile(kRepository + "kvconf.rec_Saveit", "old record");
    PutFile("C:\\Temp\\server.cer");
    EXPECT_EQ(RunDeferred("PostProcessAgentInstall", kData), 0u);
    EXPECT_EQ(Values(kAgentRoot), (std::vector<sim::RegValue>{DwordValue("MajorVersion", 6), DwordValue("MinorVersion", 3),
                                                              DwordValue("PatchVersion", 0)}));
    EXPECT_EQ(GetDword(kBrevin, "Logon"), 1u);  // the agent GINA is not chained
    EXPECT_EQ(ReadFile(kRepository + "kvconf.rec_Saveit"), "new record");
    EXPECT_FALSE(FileExists("C:\\Temp\\server.cer"));

    // Neither key is created where it is missing.
    machine.registry.DeleteKeyTree(kAgentRoot);
    machine.registry.DeleteKeyTree(kBrevin);
    EXPECT_EQ(RunDeferred("PostProcessAgentInstall", kData), 0u);
    EXPECT_FALSE(GetDword(kAgentRoot, "MajorVersion"));
    EXPECT_FALSE(KeyExists(kBrevin));
}

TEST_F(PostProcess, DayFilesOfADroppedServiceGo) {
    SetString("HKEY_CURRENT_USER\\Volatile Environment", "REMOVELACDAYFILES{P}", "C:\\Days\\");
    const std::string local = "C:\\Days\\Veltra Security\\Local\\";
    PutFile(local + "a.dat");
    PutFile(local + "sub\\b.daydata");
    PutFile(local + "keep.txt");
    PutFile("C:\\Days\\Veltra Security\\Domain\\c.dat");  // no marker for the domain client
    EXPECT_EQ(RunDeferred("PostProcessAgentInstall", kData), 0u);
    EXPECT_FALSE(FileExists(local + "a.dat"));
    EXPECT_FALSE(FileExists(local + "sub"));
    EXPECT_TRUE(FileExists(local + "keep.txt"));
    EXPECT_TRUE(FileExists("C:\\Days\\Veltra Security\\Domain\\c.dat"));
    EXPECT_TRUE(GetString("HKEY_CURRENT_USER\\Volatile Environment", "REMOVELACDAYFILES{P}"));  // left in place
}

// With the marker gone: older shared files and server files put back, the
// folders removed as far as they are empty, the client key kept while a
// product keeps its library, the maker key deleted only without subkeys.
TEST_F(PostProcess, RemovalCleanUp) {
    const struct {
        std::string label;
        bool messageLibraryStays;
        bool otherInstallFile;
        bool makerSubkey;
    } cases[] = {
        {"nothing else left", false, false, false},
        {"a sibling keeps kvmsg.dll, a file and a key", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        machine = sim::Machine();
        const std::string older = kSystem + "KvRepository\\";
        for (const char* name : {"kvcontrl.cpl", "kvcontrl.hlp", "kvcontrl.cnt", "kvagentrt.dll", "kvtest.exe", "kvui.dll"}) {
            PutFile(older + name, std::string("older ") + name);
        }
        PutFile(kSystem + "kvcontrl.cpl", "newer");
        machine.attributes[kSystem + "kvcontrl.cpl"] = platform::kFileAttributeReadOnly;
        PutFile(kRepository + "kvroot.crt_Saveit", "saved root");
        PutFile(kSystem + "kvroot.crt", "agent root");
        PutFile(kSystem + "tokara");
        PutFolder("C:\\WINDOWS\\Help");
        PutFile("C:\\Program Files\\Common Files\\x");
        if (c.messageLibraryStays) PutFile(kSystem + "kvmsg.dll");
        if (c.otherInstallFile) PutFile("C:\\Program Files\\Veltra Security\\other.txt");
        SetDword(kMachine + "SOFTWARE\\Morvane\\KESHCLIENT", "EnableTrace", 0);
        SetDword(kSettings + "KVGINA", "Enabled", 1);
        SetString(kMachine + "SOFTWARE\\Veltra Security", "LibrarySearchPaths", "x");
        if (c.makerSubkey) machine.registry.CreateKey(kMachine + "SOFTWARE\\Veltra Security\\Other Product");

        EXPECT_EQ(RunDeferred("PostProcessAgentInstall", kData), 0u);
        EXPECT_EQ(ReadFile(kSystem + "kvcontrl.cpl"), "older kvcontrl.cpl");
        EXPECT_EQ(ReadFile("C:\\WINDOWS\\Help\\kvcontrl.cnt"), "older kvcontrl.cnt");
        EXPECT_EQ(ReadFile(kSystem + "kvroot.crt"), "saved root");
        EXPECT_FALSE(FileExists(kRepository + "kvroot.crt_Saveit"));
        EXPECT_FALSE(FileExists(kAgentDir));
        EXPECT_EQ(FileExists("C:\\Program Files\\Veltra Security"), c.otherInstallFile);
        EXPECT_TRUE(FileExists("C:\\Program Files\\Common Files\\x"));
        EXPECT_FALSE(FileExists(kSystem + "tokara"));  // no keshclnt.dll
        EXPECT_EQ(KeyExists(kMachine + "SOFTWARE\\Morvane\\KESHCLIENT"), c.messageLibraryStays);
        EXPECT_FALSE(KeyExists(kAgentRoot));
        EXPECT_EQ(KeyExists(kMachine + "SOFTWARE\\Veltra Security"), c.makerSubkey);
    }
}

// Every failure site: the action still succeeds, logs the call, and the
// steps after it still run.
TEST_F(PostProcess, EveryFailureIsLoggedAndSkipped) {
    const struct {
        std::string fault;  // operation:subject
        bool installed;     // which branch
        std::string logged;
    } cases[] = {
        {"RegOpenKeyExA:" + kAgentRoot, true, "RegOpenKeyExA " + kAgentRoot + " failed: 5"},
        {"RegSetValueExA:" + kAgentRoot + "\\MinorVersion", true, "RegSetValueExA " + kAgentRoot + "\\MinorVersion failed: 5"},
        {"RegSetValueExA:" + kBrevin + "\\Logon", true, "RegSetValueExA " + kBrevin + "\\Logon failed: 5"},
        {"CopyFileA:" + kRepository + "kvconf.rec_Saveit", true, "CopyFileA " + kRepository + "kvconf.rec_Saveit failed: 5"},
        {"fopen(r):" + kRepository + "version.h", true, kRepository + "version.h failed: 5"},
        {"DeleteFileA:C:\\Temp\\kvroot.crt", true, "DeleteFileA C:\\Temp\\kvroot.crt failed: 5"},
        {"DeleteFileA:C:\\Days\\Veltra Security/Local/a.dat", true, "DeleteFileA C:\\Days\\Veltra Security/Local/a.dat failed: 5"},
        {"CopyFileA:" + kSystem + "kvconf.rec", false, "CopyFileA " + kSystem + "kvconf.rec failed: 5"},
        {"DeleteFileA:" + kRepository + "kvconf.rec_Saveit", false, "DeleteFileA " + kRepository + "kvconf.rec_Saveit failed: 5"},
        {"SetFileAttributesA:" + kRepository + "gina_banner.bmp", false, "SetFileAttributesA " + kRepository + "gina_banner.bmp failed: 5"},
        {"RegOpenKeyExA:HKEY_LOCAL_MACHINE\\SOFTWARE", false, "RegOpenKeyExA HKEY_LOCAL_MACHINE\\SOFTWARE failed: 5"},
        {"RegQueryInfoKeyA:HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security", false,
         "RegQueryInfoKeyA HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security failed: 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        machine = sim::Machine();
        if (c.installed) PutFile(kRepository + "VeltraKeshAgentInstalled.txt");
        machine.registry.CreateKey(kAgentRoot);
        machine.registry.CreateKey(kBrevin);
        PutFile(kRepository + "version.h", "#define __VMINOR__ 1\n");
        PutFile(kSystem + "kvconf.rec", "record");
        PutFile(kRepository + "kvconf.rec_Saveit", "saved");
        PutFile(kRepository + "gina_banner.bmp");
        PutFile("C:\\Temp\\kvroot.crt");
        SetString("HKEY_CURRENT_USER\\Volatile Environment", "REMOVELACDAYFILES{P}", "C:\\Days\\");
        PutFile("C:\\Days\\Veltra Security\\Local\\a.dat");
        SetProperty("ProductCode", "{P}");
        const auto cut = c.fault.find(':');
        machine.faults.Add({c.fault.substr(0, cut), c.fault.substr(cut + 1), 0, 5});

        EXPECT_EQ(RunDeferred("PostProcessAgentInstall", kData), 0u);
        EXPECT_NE(Log().find(c.logged), std::string::npos) << Log();
        // The tail runs after either branch, whatever failed before it.
        if (c.fault.find("Logon") == std::string::npos) {
            EXPECT_EQ(GetDword(kBrevin, "Logon"), 1u);
        }
    }
}

class PostProcessRoad : public ::testing::Test {
protected:
    // A failing deferred action would roll the road back: success is enough.
    static void Road(sim::Machine& m, const char* road, bool answerYes = false) {
        if (answerYes) m.messageBoxAnswers.push_back(platform::kIdYes);
        const auto outcome = cli::RunRoad(*cli::FindRoad(road), TestPackage(), m);
        EXPECT_EQ(outcome.result, 0u) << outcome.error;
    }
    static std::vector<sim::RegValue> Values(const sim::Machine& m, const std::string& key) {
        const auto node = m.registry.FindKey(key);
        return node ? node->values() : std::vector<sim::RegValue>{};
    }
};

// An earlier agent's logon and client settings are carried over value by
// value, and the upgrade key is gone at the end.
TEST_F(PostProcessRoad, EveryPreviousSettingIsCarriedOver) {
    const struct {
        std::string machine;
        std::string oldGina;
    } cases[] = {
        {"upgrade-prev-currentkey", kSettings + "KVGINA"},
        {"upgrade-prev-legacykey", kMachine + "SOFTWARE\\Morvane\\KVGINA"},
    };
    const std::string client = kMachine + "SOFTWARE\\Morvane\\KESHCLIENT";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.machine);
        sim::Machine m = SampleMachine(c.machine);
        const auto gina = Values(m, c.oldGina);
        const auto clientBefore = Values(m, client);
        ASSERT_FALSE(gina.empty());
        Road(m, "install", true);
        for (const auto& [key, before] : {std::pair{kSettings + "KVGINA", gina}, std::pair{client, clientBefore}}) {
            const auto after = Values(m, key);
            for (const sim::RegValue& value : before) {
                // Retired values are never carried; the node secret comes back padded.
                if (value.name == "ChallengeFirst" || value.name == "UseKeshProxy" || value.name == "NodeSecret") continue;
                EXPECT_NE(std::find(after.begin(), after.end(), value), after.end()) << key << "\\" << value.name;
            }
        }
        EXPECT_FALSE(m.registry.FindKey("HKEY_CURRENT_USER\\SOFTWARE\\VeltraAgentUpgrade"));
    }
}

// The legacy Kesh/Agent 5.5: its settings end up in the new agent's keys
// (which the product's own registry rows create; the test package has none,
// so they are laid down first), and its store and entries are gone.
TEST_F(PostProcessRoad, LegacyKeshAgentSettingsReachTheNewKeys) {
    sim::Machine m = SampleMachine("upgrade-kesh55");
    for (const char* key : {"KVGINA", "KVRAS", "KVRAS\\15"}) m.registry.CreateKey(kSettings + key);
    const auto ras = Values(m, kMachine + "SOFTWARE\\Morvane\\KVRAS");
    const auto eap = Values(m, kMachine + "SOFTWARE\\Morvane\\KVRAS\\15");
    Road(m, "install", true);
    const auto dword = [&](const std::string& key, const char* name) {
        const auto node = m.registry.FindKey(key);
        const sim::RegValue* value = node ? node->FindValue(name) : nullptr;
        return value ? std::optional<std::vector<std::uint8_t>>(value->data) : std::nullopt;
    };
    ASSERT_FALSE(ras.empty());
    for (const sim::RegValue& value : ras) EXPECT_EQ(dword(kSettings + "KVRAS", value.name.c_str()), value.data) << value.name;
    for (const sim::RegValue& value : eap) EXPECT_EQ(dword(kSettings + "KVRAS\\15", value.name.c_str()), value.data) << value.name;
    EXPECT_FALSE(sim::DriveFileExists(m, kStore));
    EXPECT_FALSE(m.registry.FindKey(kMachine + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kesh/Agent for Windows NT"));
}

// Installed beside every sibling product and removed again: the agent's keys
// and folders go, the siblings' shared entries stay.
TEST_F(PostProcessRoad, RemovalBesideTheSiblingsKeepsTheirEntries) {
    sim::Machine m = SampleMachine("sibling-all");
    Road(m, "install");
    Road(m, "remove");
    EXPECT_FALSE(m.registry.FindKey(kMachine + "SOFTWARE\\Veltra Security\\Veltra Authentication Agent"));
    EXPECT_FALSE(sim::DriveFileExists(m, kRepository));
    for (const std::string& kept :
         {kMachine + "SOFTWARE\\Veltra Security\\Veltra Authenticator Utility",
          kMachine + "SOFTWARE\\Veltra Security\\Veltra Security Center",
          std::string("HKEY_CURRENT_USER\\SOFTWARE\\Veltra Security\\Veltra Authenticator Utility"),
          kMachine + "SOFTWARE\\VeltraKeshAgents\\Web"}) {
        EXPECT_TRUE(m.registry.FindKey(kept)) << kept;
    }
}

TEST_F(PostProcessRoad, AFreshInstallationRecordsItsVersion) {
    sim::Machine m = SampleMachine("upgrade-orphan");
    Road(m, "install");
    EXPECT_TRUE(m.registry.FindKey(kMachine + "SOFTWARE\\Veltra Security\\Veltra Security Center\\Pages\\Tab2"));
    EXPECT_TRUE(sim::DriveFileExists(m, kRepository + "kvconf.rec_Saveit"));
}

}  // namespace
}  // namespace veltra::testing
