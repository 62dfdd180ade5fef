// The package's own roads: a package created by the test package through the
// simulated installer, then a silent installation run from the folder it made.
#include "cli/roads.h"
#include "package_fixture.h"
#include "platform/sim/engine/engine.h"

namespace veltra::testing {
namespace {

namespace engine = sim::engine;

const engine::Package& ThePackage() {
    static const engine::Package package = [] {
        std::string error;
        std::optional<engine::Package> read = engine::ReadPackage(cli::BenchPackage(), error);
        EXPECT_TRUE(read) << error;
        return read.value_or(engine::Package{});
    }();
    return package;
}

const std::string kSystem = "C:\\WINDOWS\\system32\\";

class PackageRoads : public PackageTest {
protected:
    PackageRoads() {
        machine.environment = {{"windir", "C:\\WINDOWS"}, {"SystemRoot", "C:\\WINDOWS"},
                               {"ProgramFiles", "C:\\Program Files"}, {"TEMP", "C:\\Temp"}};
        machine.registry.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
        PutFolder("C:\\Temp\\");
        PutFolder(kSystem);
        machine.session.properties.clear();
    }
    engine::InstallOutcome Road(const std::vector<std::pair<std::string, std::string>>& commandLine, int uiLevel) {
        engine::EngineOptions options;
        options.commandLine = commandLine;
        options.uiLevel = uiLevel;
        return engine::RunInstallation(ThePackage(), machine, options);
    }
};

TEST_F(PackageRoads, ASilentInstallationFromACreatedPackageInstallsWhatItsBuilderChose) {
    PutFile(kPackageSource + "Veltra Authentication Agent for Windows.msi", "the package");
    PutFile("E:\\Chosen\\kvconf.rec", "server record");
    PutFile("E:\\Chosen\\kvroot.crt", "server root");
    PutFile("E:\\Chosen\\server.cer", "server certificate");

    const engine::InstallOutcome creation =
        Road({{"PACKAGE_CREATE", "1"}, {"_LAC", "1"}, {"PATHTOFILE", "E:\\Chosen\\kvconf.rec"},
              {"PATHTOFILE_KVROOT", "E:\\Chosen\\kvroot.crt"}, {kCertPathProperty, "E:\\Chosen\\server.cer"},
              {"_UNLOCK_ENABLED", "True"}, {"_TIME_OUT", "15"}},
             5);

    EXPECT_EQ(creation.result, 1603u) << "package creation never goes on into an installation";
    EXPECT_EQ(creation.properties.count("PACKAGE_CREATE_ERROR"), 0u);
    EXPECT_EQ(ReadFile(kPackageOut + "Veltra Authentication Agent for Windows.msi"), "the package");
    EXPECT_TRUE(ReadFile(kPackageOut + "silentInstall.bat")
                    .ends_with("\r\nREM\r\nmsiexec /qn /i \"D:\\Package\\SilentInstallPackage\\Veltra "
                               "Authentication Agent for Windows.msi\""));
    EXPECT_TRUE(ReadFile(kOptionsFile).starts_with("InstallSilentDAC=0\r\nInstallSilentLAC=1\r\n"));
    EXPECT_EQ(ReadFile(kPackageOut + "kvconf.rec"), "server record");

    // The administrator runs silentInstall.bat.
    machine.session.properties = {{"SourceDir", kPackageOut}};
    machine.session.sourcePaths["SourceDir"] = kPackageOut;
    const engine::InstallOutcome silent = Road({}, 2);

    EXPECT_EQ(silent.result, 0u) << silent.error;
    EXPECT_EQ(silent.properties.at("InstallSilentLAC"), "1");
    EXPECT_EQ(silent.properties.at("PIN_UNLOCK_TIMEOUT"), "15");
    EXPECT_EQ(silent.properties.at("SILENT_INSTALL_SET_GINA_ON"), "True");
    EXPECT_TRUE(silent.properties.at("ADDLOCAL").starts_with("LocalAuthClient,")) << silent.properties.at("ADDLOCAL");
    EXPECT_EQ(machine.session.featureStates[silent.properties.at("ProductCode")]["LocalAuthClient"],
              platform::kInstallStateLocal);
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(machine.unansweredDialog);
}

}  // namespace
}  // namespace veltra::testing
