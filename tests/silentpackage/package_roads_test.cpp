// The package's own roads through the simulated installer: a package created
// with the wizard's choices, then a silent installation from the folder it
// made, which sees those choices again.
#include <map>

#include "cli/roads.h"
#include "package_fixture.h"
#include "platform/sim/engine/engine.h"

namespace veltra::testing {
namespace {

namespace engine = sim::engine;

engine::InstallOutcome Road(sim::Machine& machine, const std::vector<std::pair<std::string, std::string>>& commandLine,
                            int uiLevel) {
    static const engine::Package package = [] {
        std::string error;
        std::optional<engine::Package> read = engine::ReadPackage(cli::BenchPackage(), error);
        EXPECT_TRUE(read) << error;
        return read.value_or(engine::Package{});
    }();
    engine::EngineOptions options;
    options.commandLine = commandLine;
    options.uiLevel = uiLevel;
    return engine::RunInstallation(package, machine, options);
}

TEST_F(PackageTest, ASilentInstallationFromACreatedPackageSeesWhatItsBuilderChose) {
    machine.environment = {{"windir", "C:\\WINDOWS"}, {"ProgramFiles", "C:\\Program Files"}, {"TEMP", "C:\\Temp"}};
    machine.registry.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
    machine.session.properties.clear();
    PutFolder("C:\\WINDOWS\\system32");
    PutFile(kPackageSource + "Veltra Authentication Agent for Windows.msi", "the package");
    for (const char* name : {"kvconf.rec", "kvroot.crt", "server.cer"}) PutFile("E:\\Chosen\\" + std::string(name));

    const engine::InstallOutcome creation = Road(
        machine,
        {{"PACKAGE_CREATE", "1"}, {"_LAC", "1"}, {"_AUTOREG", "1"}, {"PATHTOFILE", "E:\\Chosen\\kvconf.rec"},
         {"PATHTOFILE_KVROOT", "E:\\Chosen\\kvroot.crt"}, {kCertPathProperty, "E:\\Chosen\\server.cer"},
         {"_UNLOCK_ENABLED", "True"}, {"_TIME_OUT", "15"}, {"_ATTEMPTS", "3"},
         {"WINLOGON_LEGALNOTICETEXT", "Line one\nLine = two\n\nEnd"}, {"_REGISTRY_CONFIG_GROUP", "True"}},
        5);

    EXPECT_EQ(creation.result, 1603u) << "package creation never goes on into an installation";
    EXPECT_EQ(creation.properties.count("PACKAGE_CREATE_ERROR"), 0u);
    EXPECT_EQ(ReadFile(kPackageOut + "Veltra Authentication Agent for Windows.msi"), "the package");
    EXPECT_TRUE(ReadFile(kPackageOut + "silentInstall.bat").ends_with("\r\nREM\r\nmsiexec /qn /i \"" + kPackageOut +
                                                                     "Veltra Authentication Agent for Windows.msi\""));

    // The administrator runs silentInstall.bat: a new session, from the package folder.
    machine.session.properties = {{"SourceDir", kPackageOut}};
    machine.session.sourcePaths["SourceDir"] = kPackageOut;
    const engine::InstallOutcome silent = Road(machine, {}, 2);

    EXPECT_EQ(silent.result, 0u) << silent.error;
    const std::map<std::string, std::string> expected = {
        {"InstallSilentDAC", "0"}, {"InstallSilentLAC", "1"}, {"InstallSilentAUTOREG", "1"},
        {"InstallSilentRAS", "0"}, {"InstallSilentEAP", "0"}, {"AUTH_CONFIG_DIALOG", "1"},
        {"AUTHCONFIGSELECTED", "1"}, {"AGENT_ACTIVATION_STATE", "False"}, {"ENABLE_NOVELL_PASSWORD_UPDATE", "0"},
        {"PIN_UNLOCK_ENABLED_STATE", "True"}, {"PIN_UNLOCK_TIMEOUT", "15"}, {"PIN_UNLOCK_ATTEMPTS", "3"},
        {"WINLOGON_LEGALNOTICETEXT", "Line one\nLine = two\n\nEnd"}, {"REGISTRY_CONFIG_STATE", "False"},
        {"REGISTRY_CONFIG_GROUP", "True"}, {"DoInstallOptions", "True"}, {"SILENT_INSTALL_SET_GINA_ON", "True"},
        {kCertPathProperty, "C:\\Temp\\server.cer"}};
    for (const auto& [name, value] : expected) {
        const auto it = silent.properties.find(name);
        EXPECT_EQ(it != silent.properties.end() ? it->second : "(absent)", value) << name;
    }
    EXPECT_TRUE(silent.properties.at("ADDLOCAL").starts_with("LocalAuthClient,Autoreg")) << silent.properties.at("ADDLOCAL");
    EXPECT_EQ(machine.session.featureStates[silent.properties.at("ProductCode")]["LocalAuthClient"],
              platform::kInstallStateLocal);
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(machine.unansweredDialog);
}

}  // namespace
}  // namespace veltra::testing
