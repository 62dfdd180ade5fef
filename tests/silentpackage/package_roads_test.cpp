// A package created on machine A, installed silently on machine B: the
// builder's choices and exactly the chosen settings arrive.
#include "support/test_package.h"
#include "package_fixture.h"
#include "platform/sim/engine/engine.h"

namespace veltra::testing {
namespace {

namespace engine = sim::engine;

const std::string kWinlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kGina =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Settings\\KVGINA";

engine::InstallOutcome Road(sim::Machine& machine, const std::vector<std::pair<std::string, std::string>>& commandLine,
                            int uiLevel) {
    engine::EngineOptions options;
    options.commandLine = commandLine;
    options.uiLevel = uiLevel;
    return engine::RunInstallation(TestPackage(), machine, options);
}

TEST_F(PackageTest, ASilentInstallationFromACreatedPackageSeesWhatItsBuilderChose) {
    machine.environment = {{"windir", "C:\\WINDOWS"}, {"ProgramFiles", "C:\\Program Files"}, {"TEMP", "C:\\Temp"}};
    machine.registry.CreateKey(kWinlogon);
    // Machine A's agent settings: the password pair (a string and binary data) is
    // chosen, the group pair is not.
    const std::vector<sim::RegValue> settings = {{"ReserveOption", platform::kRegSz, {'1', 0}},
                                                 {"ReservePassword", platform::kRegBinary, {0x0A, 0xFF, 0x00, 0x7F}},
                                                 {"ChallengeGroup", platform::kRegSz, {'T', 'o', 'k', 0}},
                                                 {"Enabled", platform::kRegDword, {1, 0, 0, 0}}};
    for (const sim::RegValue& value : settings) {
        machine.registry.CreateKey(kGina)->SetValue(value.name, value.type, value.data);
    }
    machine.session.properties.clear();
    PutFolder("C:\\WINDOWS\\system32");
    PutFolder("C:\\Temp");
    PutFile(kPackageSource + "Veltra Authentication Agent for Windows.msi", "the package");
    for (const char* name : {"kvconf.rec", "kvroot.crt", "server.cer"}) PutFile("E:\\Chosen\\" + std::string(name));

    const engine::InstallOutcome creation = Road(
        machine,
        {{"PACKAGE_CREATE", "1"}, {"_LAC", "1"}, {"_AUTOREG", "1"}, {"PATHTOFILE", "E:\\Chosen\\kvconf.rec"},
         {"PATHTOFILE_KVROOT", "E:\\Chosen\\kvroot.crt"}, {kCertPathProperty, "E:\\Chosen\\server.cer"},
         {"_UNLOCK_ENABLED", "True"}, {"_TIME_OUT", "15"}, {"_ATTEMPTS", "3"},
         {"WINLOGON_LEGALNOTICETEXT", "Line one\nLine = two\r\n\nEnd"}, {"WINLOGON_LEGALNOTICECAPTION", "Notice = read"},
         {"_WINDOWS_PASSWORD_STATE", "true"}, {"_IMPORT_BITMAP", "TRUE"}, {"_ENABLE_NOVELL_PASSWORD_UPDATE", "1"},
         {"_REGISTRY_CONFIG_STATE", "True"}, {"_REGISTRY_CONFIG_PASSWD", "True"}},
        5);

    EXPECT_EQ(creation.result, 1603u) << "package creation never goes on into an installation";
    EXPECT_EQ(creation.properties.count("PACKAGE_CREATE_ERROR"), 0u);
    EXPECT_EQ(ReadFile(kPackageOut + "Veltra Authentication Agent for Windows.msi"), "the package");
    // Only the exact "True" is on; the notice's line breaks travel as byte 1.
    EXPECT_EQ(ReadFile(kOptionsFile),
              "InstallSilentDAC=0\r\nInstallSilentLAC=1\r\nInstallSilentAUTOREG=1\r\nInstallSilentRAS=0\r\n"
              "InstallSilentEAP=0\r\nAUTH_CONFIG_DIALOG=1\r\nAUTHCONFIGSELECTED=1\r\nAGENT_ACTIVATION_STATE=False\r\n"
              "WINDOWS_PASSWORD_STATE=False\r\nIMPORT_CUSTOMBITMAP_STATE=False\r\nENABLE_NOVELL_PASSWORD_UPDATE=1\r\n"
              "PIN_UNLOCK_ENABLED_STATE=True\r\nPIN_UNLOCK_TIMEOUT=15\r\nPIN_UNLOCK_ATTEMPTS=3\r\n"
              "WINLOGON_LEGALNOTICETEXT=Line one\x01Line = two\r\x01\x01" "End\r\nWINLOGON_LEGALNOTICECAPTION=Notice = read\r\n"
              "REGISTRY_CONFIG_STATE=True\r\nREGISTRY_CONFIG_GROUP=False\r\nREGISTRY_CONFIG_PASSWD=True\r\n");
    EXPECT_EQ(ReadFile(kPackageOut + "registryConfigFile.bin").find("ReserveOption"), std::string::npos);

    // The administrator runs silentInstall.bat on machine B: a new session, from the package folder.
    machine.registry = sim::RegistryTree();
    for (const std::string& key : {kWinlogon, kGina}) machine.registry.CreateKey(key);
    machine.session.properties = {{"SourceDir", kPackageOut}};
    machine.session.sourcePaths["SourceDir"] = kPackageOut;
    const engine::InstallOutcome silent = Road(machine, {}, 2);

    EXPECT_EQ(silent.result, 0u) << silent.error;
    for (const auto& [name, value] : std::map<std::string, std::string>{
             {"PIN_UNLOCK_ENABLED_STATE", "True"}, {"PIN_UNLOCK_TIMEOUT", "15"}, {"REGISTRY_CONFIG_GROUP", "False"},
             {"WINLOGON_LEGALNOTICETEXT", "Line one\nLine = two\r\n\nEnd"}, {kCertPathProperty, "C:\\Temp\\server.cer"}}) {
        EXPECT_EQ(silent.properties.count(name) ? silent.properties.at(name) : "(absent)", value) << name;
    }
    EXPECT_TRUE(silent.properties.at("ADDLOCAL").starts_with("LocalAuthClient,Autoreg")) << silent.properties.at("ADDLOCAL");
    EXPECT_EQ(machine.session.featureStates[silent.properties.at("ProductCode")]["LocalAuthClient"],
              platform::kInstallStateLocal);
    const sim::RegNode& gina = *machine.registry.FindKey(kGina);
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const sim::RegValue* arrived = gina.FindValue(settings[i].name);
        EXPECT_EQ(arrived ? std::optional(*arrived) : std::nullopt, i < 2 ? std::optional(settings[i]) : std::nullopt)
            << settings[i].name;
    }
    EXPECT_FALSE(FileExists("C:\\Temp\\registryConfigFile.bin"));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(machine.unansweredDialog);
}

}  // namespace
}  // namespace veltra::testing
