// GetSilentInstallOptions: the options file read back into properties, where
// its reading stops, and the features chosen from it.
#include <map>
#include <optional>

#include "package_fixture.h"

namespace veltra::testing {
namespace {

const std::string kOptionsBeside = kPackageSource + "packageOptionsFile.txt";
const std::string kOptionsMissing =
    "The Silent Install Options cannot be found.\nBe sure the Create Package Utility has been\n"
    "run before performing a Silent Installation, or\nbe sure to run the Silent Installation from the\n"
    "\"Silent Install Package\" directory.|65552";

TEST_F(PackageTest, ReadingStopsAtTheFirstLineWithoutNameOrValueAndChoosesTheFeatures) {
    const std::string kDomain = "DomainAuthClient";
    const struct {
        std::string label, file;                                        // bytes on disk
        std::map<std::string, std::optional<std::string>> properties;  // nullopt: not set
    } cases[] = {
        {"line ends on disk are read as one line feed and byte 1 as a line break",
         "A=x\r\nNOTICE=one\x01two\r\x01three\r\nEQ=a=b==\r\nLAST=no line end",
         {{"A", "x"}, {"NOTICE", "one\ntwo\r\nthree"}, {"EQ", "a=b=="}, {"LAST", "no line end"}}},
        {"an empty value", "A=x\r\nPIN_UNLOCK_TIMEOUT=\r\nB=y\r\n", {{"A", "x"}, {"PIN_UNLOCK_TIMEOUT", {}}, {"B", {}}}},
        {"a line without =", "A=x\r\nB\r\nC=y\r\n", {{"A", "x"}, {"C", {}}}},
        {"a line without a name", "=x\r\nB=y\r\n", {{"B", {}}}},
        {"Ctrl-Z ends the text", "A=x\r\nB=y\x1A" "C=z\r\n", {{"A", "x"}, {"B", "y"}, {"C", {}}}},
        {"a line of 3,000 characters is read in pieces of 2,048",
         std::string(2000, 'n') + "=" + std::string(999, 'v') + "\r\nB=y\r\n",
         {{std::string(2000, 'n'), std::string(47, 'v')}, {"B", {}}}},
        {"a line of exactly 2,048 characters leaves its line end as a blank line",
         "A=" + std::string(2046, 'v') + "\r\nB=y\r\n", {{"A", std::string(2046, 'v')}, {"B", {}}}},
        // The features follow the five components in their order; only an exact
        // "1" chooses one, and without an agent the domain client is installed.
        {"the autoregistration is no agent", "InstallSilentAUTOREG=1",
         {{"ADDLOCAL", kDomain + ",Autoreg"}, {kCertPathProperty, "C:\\Temp\\server.cer"}}},
        {"every component", "InstallSilentDAC=1\nInstallSilentLAC=1\nInstallSilentAUTOREG=1\nInstallSilentRAS=1\n"
                            "InstallSilentEAP=1",
         {{"ADDLOCAL", kDomain + ",LocalAuthClient,Autoreg,RemoteAuthServer,RemoteAuthClient"}}},
        {"one agent", "InstallSilentEAP=1", {{"ADDLOCAL", "RemoteAuthClient"}, {kCertPathProperty, {}}}},
        {"nearly 1", "InstallSilentDAC=1 \nInstallSilentLAC=true\nInstallSilentRAS=01", {{"ADDLOCAL", kDomain}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        machine.session.properties = {{"UILevel", "2"}, {"TempFolder", "C:\\Temp\\"}, {"ADDLOCAL", "LocalAuthClient"}};
        PutFile(kOptionsBeside, c.file);

        EXPECT_EQ(Run("GetSilentInstallOptions"), 0u);

        for (const auto& [name, value] : c.properties) {
            EXPECT_EQ(machine.session.properties.contains(name) ? std::optional(Property(name)) : std::nullopt, value)
                << name;
        }
        EXPECT_EQ(Property("DoInstallOptions") + Property("SILENT_INSTALL_SET_GINA_ON"), "TrueTrue");
    }
}

// Outside a first silent installation the file is ignored; without it a
// silent installation stops.
TEST_F(PackageTest, OnlyAFirstSilentInstallationReadsTheOptionsFileAndNeedsIt) {
    const std::tuple<std::string, std::string, platform::Dword> cases[] = {
        {"2", "", 1603}, {"3", "", 0}, {"5", "", 0}, {"2", "D:\\fix.msp", 0}};
    for (const auto& [uiLevel, patch, result] : cases) {
        SCOPED_TRACE("UILevel " + uiLevel + " PATCH " + patch);
        machine.session.properties = {{"UILevel", uiLevel}, {"PATCH", patch}, {"ADDLOCAL", "LocalAuthClient"}};
        if (result == 0) PutFile(kOptionsBeside, "InstallSilentRAS=1\r\n");
        if (result != 0) Answer(platform::kIdOk);

        EXPECT_EQ(Run("GetSilentInstallOptions"), result);

        EXPECT_EQ(Property("ADDLOCAL"), "LocalAuthClient");
        EXPECT_EQ(Property("InstallSilentRAS") + Property("DoInstallOptions") + Property("SILENT_INSTALL_SET_GINA_ON"), "");
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{kOptionsMissing});
}

}  // namespace
}  // namespace veltra::testing
