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
        StopCase{"a line without =", "A=x\r\nB\r\nC=y\r\n", {{"A", "x"}, {"C", std::nullopt}}},
        StopCase{"a line without a name", "=x\r\nB=y\r\n", {{"B", std::nullopt}}},
        StopCase{"Ctrl-Z ends the text", "A=x\r\nB=y\x1A" "C=z\r\n", {{"A", "x"}, {"B", "y"}, {"C", std::nullopt}}},
        StopCase{"a line of 3,000 characters is read in pieces of 2,048", kLong + "\r\nB=y\r\n",
                 {{std::string(2000, 'n'), std::string(47, 'v')}, {"B", std::nullopt}}},
        StopCase{"a line of exactly 2,048 characters leaves its line end as a blank line",
                 "A=" + std::string(2046, 'v') + "\r\nB=y\r\n", {{"A", std::string(2046, 'v')}, {"B", std::nullopt}}}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return LabelName(info.param.label); });

TEST_F(OptionsReader, TheFeaturesFollowTheFiveComponentsInTheirOrder) {
    const struct {
        std::string dac, lac, autoreg, ras, eap;
        std::string addlocal;
    } cases[] = {
        {"", "", "1", "", "", "DomainAuthClient,Autoreg"},
        {"1", "1", "1", "1", "1", "DomainAuthClient,LocalAuthClient,Autoreg,RemoteAuthServer,RemoteAuthClient"},
        {"0", "0", "0", "0", "1", "RemoteAuthClient"},
        {"1 ", "true", "0", "01", "0", "DomainAuthClient"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.addlocal);
        machine.session.properties.clear();
        SetProperty("UILevel", "2");
        SetProperty("TempFolder", "C:\\Temp\\");
        SetProperty("ADDLOCAL", "LocalAuthClient");
        std::string file;
        for (const auto& [name, value] : {std::pair{"DAC", c.dac}, {"LAC", c.lac}, {"AUTOREG", c.autoreg},
                                          {"RAS", c.ras}, {"EAP", c.eap}}) {
            if (!value.empty()) file += "InstallSilent" + std::string(name) + "=" + value + "\r\n";
        }
        PutFile(kOptionsBeside, file);

        EXPECT_EQ(Run("GetSilentInstallOptions"), 0u);

        EXPECT_EQ(Property("ADDLOCAL"), c.addlocal);
        EXPECT_EQ(Property(kCertPathProperty), c.autoreg == "1" ? "C:\\Temp\\server.cer" : "");
    }
}

// Outside a first silent installation the file is ignored; without it a
// silent installation stops.
TEST_F(OptionsReader, OnlyAFirstSilentInstallationReadsTheFileAndNeedsIt) {
    const struct {
        std::string uiLevel, patch;
        bool file;
        platform::Dword result;
    } cases[] = {{"2", "", false, 1603}, {"3", "", true, 0}, {"5", "", true, 0}, {"2", "D:\\fix.msp", true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("UILevel " + c.uiLevel + " PATCH " + c.patch);
        machine.session.properties = {{"UILevel", c.uiLevel}, {"PATCH", c.patch}, {"ADDLOCAL", "LocalAuthClient"}};
        if (c.file) PutFile(kOptionsBeside, "InstallSilentRAS=1\r\n");
        if (!c.file) Answer(platform::kIdOk);

        EXPECT_EQ(Run("GetSilentInstallOptions"), c.result);

        EXPECT_EQ(Property("ADDLOCAL"), "LocalAuthClient");
        for (const char* name : {"InstallSilentRAS", "DoInstallOptions", "SILENT_INSTALL_SET_GINA_ON"}) {
            EXPECT_EQ(Property(name), "") << name;
        }
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{kOptionsMissing});
}

}  // namespace
}  // namespace veltra::testing
