// GetSilentInstallOptions: the options file read back into properties, where
// its reading stops, and the features chosen from it.
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "platform/sim/engine/engine.h"

#include "package_fixture.h"

namespace veltra::testing {
namespace {

const std::string kOptionsBeside = kPackageSource + "packageOptionsFile.txt";
const std::string kOptionsMissing =
    "The Silent Install Options cannot be found.\nBe sure the Create Package Utility has been\n"
    "run before performing a Silent Installation, or\nbe sure to run the Silent Installation from the\n"
    "\"Silent Install Package\" directory.|65552";

class OptionsReader : public PackageTest {
protected:
    OptionsReader() { SetProperty("UILevel", "2"); }
};

struct StopCase {
    std::string label;
    std::string file;  // bytes on disk
    std::map<std::string, std::optional<std::string>> properties;  // nullopt: not set
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.label; }

class OptionsStop : public OptionsReader, public ::testing::WithParamInterface<StopCase> {};

TEST_P(OptionsStop, ReadingStopsAtTheFirstLineWithoutNameOrValue) {
    PutFile(kOptionsBeside, GetParam().file);

    EXPECT_EQ(Run("GetSilentInstallOptions"), 0u);

    for (const auto& [name, value] : GetParam().properties) {
        EXPECT_EQ(machine.session.properties.contains(name) ? std::optional(Property(name)) : std::nullopt, value)
            << name;
    }
    EXPECT_EQ(Property("DoInstallOptions"), "True");
    EXPECT_EQ(Property("SILENT_INSTALL_SET_GINA_ON"), "True");
}

const std::string kLong = std::string(2000, 'n') + "=" + std::string(999, 'v');  // 3,000 characters

INSTANTIATE_TEST_SUITE_P(
    Lines, OptionsStop,
    ::testing::Values(
        StopCase{"line ends on disk are read as one line feed and byte 1 as a line break",
                 "A=x\r\nNOTICE=one\x01two\r\x01three\r\nEQ=a=b==\r\nLAST=no line end",
                 {{"A", "x"}, {"NOTICE", "one\ntwo\r\nthree"}, {"EQ", "a=b=="}, {"LAST", "no line end"}}},
        StopCase{"an empty value", "A=x\r\nPIN_UNLOCK_TIMEOUT=\r\nB=y\r\n",
                 {{"A", "x"}, {"PIN_UNLOCK_TIMEOUT", std::nullopt}, {"B", std::nullopt}}},
        StopCase{"a blank line", "A=x\r\n\r\nB=y\r\n", {{"A", "x"}, {"B", std::nullopt}}},
        StopCase{"a line without =", "A=x\r\nB\r\nC=y\r\n", {{"A", "x"}, {"C", std::nullopt}}},
        StopCase{"a line without a name", "=x\r\nB=y\r\n", {{"B", std::nullopt}}},
        StopCase{"Ctrl-Z ends the text", "A=x\r\nB=y\x1A" "C=z\r\n", {{"A", "x"}, {"B", "y"}, {"C", std::nullopt}}},
        StopCase{"a line of 3,000 characters is read in pieces of 2,048", kLong + "\r\nB=y\r\n",
                 {{std::string(2000, 'n'), std::string(47, 'v')}, {"B", std::nullopt}}},
        StopCase{"its second piece can be a line of its own",
                 std::string(2000, 'n') + "=" + std::string(47, 'v') + "X=y\r\nB=z\r\n",
                 {{"X", "y"}, {"B", "z"}}},
        StopCase{"a line of exactly 2,048 characters leaves its line end as a blank line",
                 "A=" + std::string(2046, 'v') + "\r\nB=y\r\n", {{"A", std::string(2046, 'v')}, {"B", std::nullopt}}}),
    [](const ::testing::TestParamInfo<StopCase>& info) {
        std::string name;
        for (const char ch : info.param.label) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST_F(OptionsReader, TheFeaturesFollowTheFiveComponentsInTheirOrder) {
    const struct {
        std::string dac, lac, autoreg, ras, eap;
        std::string addlocal;
    } cases[] = {
        {"0", "0", "0", "0", "0", "DomainAuthClient"},
        {"", "", "1", "", "", "DomainAuthClient,Autoreg"},
        {"0", "true", "0", "0", "0", "DomainAuthClient"},
        {"1", "1", "1", "1", "1", "DomainAuthClient,LocalAuthClient,Autoreg,RemoteAuthServer,RemoteAuthClient"},
        {"0", "1", "1", "0", "1", "LocalAuthClient,Autoreg,RemoteAuthClient"},
        {"0", "0", "0", "1", "0", "RemoteAuthServer"},
        {"1 ", "01", "0", "0", "0", "DomainAuthClient"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.addlocal);
        machine.session.properties.clear();
        SetProperty("UILevel", "2");
        SetProperty("TempFolder", "C:\\Temp\\");
        SetProperty("ADDLOCAL", "LocalAuthClient");
        std::string file;
        const std::pair<std::string, std::string> lines[] = {{"InstallSilentDAC", c.dac},
                                                             {"InstallSilentLAC", c.lac},
                                                             {"InstallSilentAUTOREG", c.autoreg},
                                                             {"InstallSilentRAS", c.ras},
                                                             {"InstallSilentEAP", c.eap}};
        for (const auto& [name, value] : lines) {
            if (!value.empty()) file += name + "=" + value + "\r\n";
        }
        PutFile(kOptionsBeside, file);

        EXPECT_EQ(Run("GetSilentInstallOptions"), 0u);

        EXPECT_EQ(Property("ADDLOCAL"), c.addlocal);
        EXPECT_EQ(Property(kCertPathProperty), c.autoreg == "1" ? "C:\\Temp\\server.cer" : "");
    }
}

TEST_F(OptionsReader, OnlyAFirstSilentInstallationReadsTheFile) {
    const struct {
        std::string uiLevel, patch;
    } cases[] = {{"3", ""}, {"5", ""}, {"", ""}, {"2", "D:\\fix.msp"}};
    for (const auto& c : cases) {
        SCOPED_TRACE("UILevel " + c.uiLevel + " PATCH " + c.patch);
        machine.session.properties.clear();
        SetProperty("UILevel", c.uiLevel);
        SetProperty("PATCH", c.patch);
        SetProperty("ADDLOCAL", "LocalAuthClient");
        PutFile(kOptionsBeside, "InstallSilentRAS=1\r\n");

        EXPECT_EQ(Run("GetSilentInstallOptions"), 0u);

        EXPECT_EQ(Property("InstallSilentRAS"), "");
        EXPECT_EQ(Property("ADDLOCAL"), "LocalAuthClient");
        EXPECT_EQ(Property("DoInstallOptions"), "");
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(OptionsReader, WithoutTheFileTheInstallationStops) {
    SetProperty("ADDLOCAL", "LocalAuthClient");
    Answer(platform::kIdOk);

    EXPECT_EQ(Run("GetSilentInstallOptions"), 1603u);

    EXPECT_EQ(Messages(), std::vector<std::string>{kOptionsMissing});
    EXPECT_EQ(Property("ADDLOCAL"), "LocalAuthClient");
    EXPECT_EQ(Property("DoInstallOptions"), "");
    EXPECT_EQ(Property("SILENT_INSTALL_SET_GINA_ON"), "");
}

// What the package wizard chose comes back on the machine that installs from
// the package, the legal notice's line breaks and "=" included.
TEST_F(PackageTest, TheSilentInstallationSeesWhatThePackageWizardChose) {
    PutFolder(kPackageOut);
    for (const auto& [name, value] : std::map<std::string, std::string>{
             {"InstallSilentLAC", "1"}, {"InstallSilentAUTOREG", "1"}, {"AUTHCONFIGSELECTED", "3"},
             {"_AGENT_ACTIVATION_STATE", "True"}, {"_ENABLE_NOVELL_PASSWORD_UPDATE", "1"},
             {"_UNLOCK_ENABLED", "True"}, {"_TIME_OUT", "15"}, {"_ATTEMPTS", "3"},
             {"WINLOGON_LEGALNOTICETEXT", "Line one\nLine = two\n\nEnd"}, {"WINLOGON_LEGALNOTICECAPTION", "Notice"},
             {"_REGISTRY_CONFIG_GROUP", "True"}}) {
        SetProperty(name, value);
    }
    EXPECT_EQ(Run("RecordInstallOptions"), 1603u);

    // Another machine runs the package from the package folder.
    TempDir otherDrives;
    sim::Machine target(otherDrives.path());
    const std::filesystem::path folder = otherDrives.path() / "D" / "Package" / "SilentInstallPackage";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "packageOptionsFile.txt", std::ios::binary) << ReadFile(kOptionsFile);
    target.session.sourcePaths["SourceDir"] = kPackageOut;
    target.session.properties["UILevel"] = "2";
    target.session.properties["TempFolder"] = "C:\\Temp\\";

    EXPECT_EQ(sim::engine::RunLibraryAction(*runtime::FindAction("GetSilentInstallOptions"), target, std::nullopt),
              0u);

    const std::map<std::string, std::string> expected = {
        {"InstallSilentDAC", "0"}, {"InstallSilentLAC", "1"}, {"InstallSilentAUTOREG", "1"},
        {"InstallSilentRAS", "0"}, {"InstallSilentEAP", "0"}, {"AUTH_CONFIG_DIALOG", "1"},
        {"AUTHCONFIGSELECTED", "3"}, {"AGENT_ACTIVATION_STATE", "True"}, {"WINDOWS_PASSWORD_STATE", "False"},
        {"IMPORT_CUSTOMBITMAP_STATE", "False"}, {"ENABLE_NOVELL_PASSWORD_UPDATE", "1"},
        {"PIN_UNLOCK_ENABLED_STATE", "True"}, {"PIN_UNLOCK_TIMEOUT", "15"}, {"PIN_UNLOCK_ATTEMPTS", "3"},
        {"WINLOGON_LEGALNOTICETEXT", "Line one\nLine = two\n\nEnd"}, {"WINLOGON_LEGALNOTICECAPTION", "Notice"},
        {"REGISTRY_CONFIG_STATE", "False"}, {"REGISTRY_CONFIG_GROUP", "True"}, {"REGISTRY_CONFIG_PASSWD", "False"},
        {"DoInstallOptions", "True"}, {"SILENT_INSTALL_SET_GINA_ON", "True"},
        {"ADDLOCAL", "LocalAuthClient,Autoreg"}, {kCertPathProperty, "C:\\Temp\\server.cer"}};
    for (const auto& [name, value] : expected) {
        const auto it = target.session.properties.find(name);
        EXPECT_EQ(it != target.session.properties.end() ? it->second : "(absent)", value) << name;
    }
}

}  // namespace
}  // namespace veltra::testing
