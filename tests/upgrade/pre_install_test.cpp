// The pre-install capture and the VPN tool: their data, what the capture
// keeps and clears, programs in use moved aside, every failure.
#include "support/sim_fixture.h"
#include "upgrade/file_moves.h"
#include "upgrade/registry_store_file.h"

namespace veltra::testing {
namespace {

const std::string kSystem = "C:\\WINDOWS\\system32\\";
const std::string kHelp = "C:\\WINDOWS\\Help\\";
const std::string kAgentDir = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
const std::string kRepository = kAgentDir + "VeltraKeshAgentRepository\\";
const std::string kStore = kRepository + "Agent_5_Store\\";
const std::string kStoreFile = kStore + "registryStoreFile.txt";
const std::string kUtility = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authenticator Utility";

std::string Data(const std::string& first, const std::string& challenge = "2") {
    return kSystem + ";C:\\WINDOWS\\;" + kAgentDir + ";" + first + ";" + challenge;
}

class PreInstall : public SimFixture {
protected:
    platform::Platform& P() { return sim.platform(); }
};

TEST_F(PreInstall, RemoveOrRenameFileDeletesOrMovesAsideAProgramInUse) {
    struct Case {
        std::string label;
        bool inUse;
        bool olderMoved;
        std::string fault;  // an operation that fails on the file
        bool staysUnderItsName;
    };
    const Case cases[] = {
        {"a read-only file is deleted", false, false, "", false},
        {"a program in use is renamed", true, false, "", false},
        {"an older moved copy is replaced", true, true, "", false},
        {"a rename that fails leaves it", true, true, "MoveFileExA", true},
    };
    const std::string file = kSystem + "kvgina.dll";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine = sim::Machine();
        PutFile(file, "current");
        machine.attributes[file] = platform::kFileAttributeReadOnly;
        if (c.olderMoved) PutFile(file + "_moved", "older");
        if (c.inUse) machine.filesInUse.insert(file);
        if (!c.fault.empty()) machine.faults.Add({c.fault, "", 0, 5});

        upgrade::RemoveOrRenameFile(P(), file);

        EXPECT_EQ(FileExists(file), c.staysUnderItsName);
        const bool moved = c.inUse && !c.staysUnderItsName;
        EXPECT_EQ(FileExists(file + "_moved"), moved || c.olderMoved);
        if (moved) {
            EXPECT_EQ(ReadFile(file + "_moved"), "current");
            EXPECT_TRUE(machine.filesInUse.contains(file + "_moved"));
        }
    }
    upgrade::RemoveOrRenameFile(P(), kSystem + "absent.dll");  // nothing to do, nothing made
    EXPECT_FALSE(FileExists(kSystem + "absent.dll_moved"));
}

TEST_F(PreInstall, CopyFileIfPresentLeavesAWritableCopy) {
    PutFile("C:\\A\\src", "new");
    machine.attributes["C:\\A\\src"] = platform::kFileAttributeReadOnly;
    PutFile("C:\\B\\dst", "old");
    upgrade::CopyFileIfPresent(P(), "C:\\A\\src", "C:\\B\\dst");
    EXPECT_EQ(ReadFile("C:\\B\\dst"), "new");
    EXPECT_EQ(P().files.GetFileAttributes("C:\\B\\dst"), platform::kFileAttributeNormal);
    upgrade::CopyFileIfPresent(P(), "C:\\A\\none", "C:\\B\\dst");  // a missing source changes nothing
    EXPECT_EQ(ReadFile("C:\\B\\dst"), "new");
}

TEST_F(PreInstall, PartnersPackTheirFields) {
    struct Case {
        std::string installed, challenge;
        bool withInstallDir;
        std::string expected;
    };
    const Case cases[] = {
        {"", "2", true, Data("1", "2")},
        {"1", "", true, Data("0", "1")},                     // left empty by the wizard
        {"", "123456789", true, Data("1", "123456789")},     // nine characters fit
        {"", "1234567890", true, Data("1", "1")},            // ten do not
        {"", "2", false, kSystem + ";C:\\WINDOWS\\;1;2"},    // a missing folder moves the rest up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        SetProperty("SystemFolder", kSystem);
        SetProperty("WindowsFolder", "C:\\WINDOWS\\");
        SetProperty("INSTALLDIR", c.withInstallDir ? kAgentDir : "");
        SetProperty("Installed", c.installed);
        SetProperty("AUTHCONFIGSELECTED", c.challenge);
        EXPECT_EQ(Run("SetDeferredPreProcessData"), 0u);
        EXPECT_EQ(Property("PreProcessAgentInstall"), c.expected);
    }
    EXPECT_EQ(Run("SetDeferredStopVpnTool"), 0u);
    EXPECT_EQ(Property("StopVpnTool"), "");
    SetProperty("INSTALLDIR", kAgentDir);
    EXPECT_EQ(Run("SetDeferredStopVpnTool"), 0u);
    EXPECT_EQ(Property("StopVpnTool"), kAgentDir);
}

TEST_F(PreInstall, LegacyKeshAgentIsCapturedAndItsProgramsCleared) {
    machine = SampleMachine("upgrade-kesh55");
    machine.filesInUse.insert(kSystem + "kvgina.dll");  // Winlogon has it loaded
    PutFile(kSystem + "kvgina.dll_moved", "older");
    PutFile(kSystem + "kvconf.rec", "record");
    const std::string ras = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\KVRAS";
    SetDword(ras, "EapMode", 0xFFFFFFFF);                          // signed decimal
    SetString(ras, "ProtocolId", std::string(260, '7'));            // does not fit: no line
    machine.registry.FindKey(ras + "\\15")->DeleteValue("RequireConfigUI");  // missing: no line

    EXPECT_EQ(RunDeferred("PreProcessAgentInstall", Data("1")), 0u);

    EXPECT_EQ(ReadFile(kStoreFile),
              "AUTHCONFIGSELECTED=2\r\nLAC_Enabled=1\r\nRAS_Enabled=1\r\nRAS_DialMode=2\r\nRAS_EapMode=-1\r\n"
              "RAS_InitTimeOut=30\r\nRAS_RegTimeOut=60\r\nRAS_ConvertEapFQNames=0\r\n"
              "RAS15_InvokePasswordDialog=1\r\nRAS15_InvokeUsernameDialog=1\r\nRAS15_MPPEEncryptionSupported=0\r\n"
              "RAS15_StandaloneSupported=1\r\n");
    std::vector<std::string> stored;
    for (const auto& entry : P().files.FindFiles((kStore + "*").c_str())) stored.push_back(entry.name);
    EXPECT_EQ(stored, (std::vector<std::string>{".", "..", "keshclnt.dll", "kvagentrt.dll", "kvbstop.exe",
                                                "kvcontrl.cpl", "kvcontrl.hlp", "kvgina.dll", "kvmsg.dll",
                                                "kvras.dll", "kvui.dll", "registryStoreFile.txt"}));
    EXPECT_EQ(ReadFile(kRepository + "kvconf.rec_Saveit"), "record");
    EXPECT_FALSE(FileExists(kRepository + "kvroot.crt_Saveit"));
    // Replaced programs are gone; the one in use waits under its moved name.
    for (const char* gone : {"kvbstop.exe", "kvras.dll", "kvgina.dll", "kvcontrl.cpl", "kvagentrt.dll"}) {
        EXPECT_FALSE(FileExists(kSystem + gone)) << gone;
    }
    EXPECT_NE(ReadFile(kSystem + "kvgina.dll_moved"), "older");
    EXPECT_FALSE(FileExists(kHelp + "kvcontrl.hlp"));
    EXPECT_TRUE(FileExists(kSystem + "keshclnt.dll"));  // shared with the client; not in the way
}

TEST_F(PreInstall, FailuresAndMaintenanceRuns) {
    struct Case {
        std::string label;
        std::string machineName;  // "" a clean machine
        std::string data;
        bool repository;  // the repository folder exists before
        std::string fault;
        platform::Dword result;
        bool storeFile;   // registryStoreFile.txt written
        bool cleared;     // the earlier agents' programs are gone
        bool repositoryAfter;
    };
    const std::string createStore = "CreateDirectoryA:" + kStore;
    const Case cases[] = {
        {"no data", "", "", false, "", 1603, false, false, false},
        {"maintenance without the repository folder", "", Data("0"), false, "", 1603, false, false, false},
        {"a folder level that cannot be made", "", Data("1"), false,
         "CreateDirectoryA:C:\\Program Files\\Veltra Security", 1603, false, false, false},
        {"clean first installation", "", Data("1"), false, "", 0, false, true, true},
        {"a legacy agent that cannot be upgraded", "upgrade-kesh54", Data("1"), false, "", 1603, false, false, true},
        {"the legacy store folder cannot be made", "upgrade-kesh55", Data("1"), false, createStore, 1603, false, false, true},
        {"the settings file cannot be written", "upgrade-kesh55", Data("1"), false, "fopen(w)", 0, false, true, true},
        {"maintenance captures but clears nothing", "upgrade-kesh55", Data("0"), true, "", 0, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine = c.machineName.empty() ? sim::Machine() : SampleMachine(c.machineName);
        PutFolder("C:\\Program Files");
        if (c.repository) PutFolder(kRepository);
        PutFile(kSystem + "da_svc.exe");
        PutFile(kHelp + "kvcontrl.GID");
        SetString(kUtility, "InstallDir", "C:\\Utility");  // left behind: the utility itself is gone
        if (!c.fault.empty()) {
            const auto colon = c.fault.find(':');
            machine.faults.Add({c.fault.substr(0, colon), colon == std::string::npos ? "" : c.fault.substr(colon + 1), 0, 5});
        }

        EXPECT_EQ(RunDeferred("PreProcessAgentInstall", c.data), c.result);

        EXPECT_EQ(FileExists(kStoreFile), c.storeFile);
        EXPECT_EQ(!FileExists(kSystem + "da_svc.exe"), c.cleared);
        EXPECT_EQ(!FileExists(kHelp + "kvcontrl.GID"), c.cleared);
        EXPECT_EQ(!KeyExists(kUtility), c.cleared);
        EXPECT_EQ(P().files.GetFileAttributes(kRepository.c_str()) != platform::kInvalidFileAttributes,
                  c.repositoryAfter);
    }
}

TEST_F(PreInstall, StopVpnToolNeedsOnlyItsData) {
    EXPECT_EQ(RunDeferred("StopVpnTool", ""), 1603u);
    EXPECT_EQ(RunDeferred("StopVpnTool", kAgentDir), 0u);  // no tool at all
    PutFile(kAgentDir + "vpnTool.exe");
    machine.filesInUse.insert(kAgentDir + "vpnTool.exe");  // running on its own
    EXPECT_EQ(RunDeferred("StopVpnTool", kAgentDir), 0u);
    EXPECT_TRUE(FileExists(kAgentDir + "vpnTool.exe"));
}

// The settings file's lines read back as they were written; a line without a
// name or a value ends the reading.
TEST(RegistryStoreFile, LinesReadBackUpToTheFirstBrokenOne) {
    const std::string text = upgrade::RegistryStoreLine("AUTHCONFIGSELECTED", "1") +
                             upgrade::RegistryStoreLine("RAS_EapMode", -1) + "RAS_ProtocolId=17 note,x\n" +
                             "=5\nLAC_Enabled=1\n";
    EXPECT_EQ(upgrade::ReadRegistryStoreEntries(text),
              (std::vector<upgrade::RegistryStoreEntry>{
                  {"AUTHCONFIGSELECTED", "1"}, {"RAS_EapMode", "-1"}, {"RAS_ProtocolId", "17"}}));
    EXPECT_TRUE(upgrade::ReadRegistryStoreEntries("LAC_Enabled=\nRAS_Enabled=1\n").empty());
}

}  // namespace
}  // namespace veltra::testing
