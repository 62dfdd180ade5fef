// The options file: the writer's defaults and buffers (a full wizard is on the
// package's road), and the reader's properties and features.
// Also CreatePackageFolder: the folder, the copy of the package, the launch
// script, and what an earlier package folder costs.
#include <map>
#include <optional>

#include "package_fixture.h"
#include <vector>

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


class OptionsWriter : public PackageTest {
protected:
    OptionsWriter() { PutFolder(kPackageOut); }
};

TEST_F(OptionsWriter, AnEmptyWizardTakesEachLinesDefaultAndLeavesTheNoticeOut) {
    const std::string expected =
        "InstallSilentDAC=0\r\nInstallSilentLAC=0\r\nInstallSilentAUTOREG=0\r\nInstallSilentRAS=0\r\n"
        "InstallSilentEAP=0\r\nAUTH_CONFIG_DIALOG=1\r\nAUTHCONFIGSELECTED=1\r\nAGENT_ACTIVATION_STATE=False\r\n"
        "WINDOWS_PASSWORD_STATE=False\r\nIMPORT_CUSTOMBITMAP_STATE=False\r\nENABLE_NOVELL_PASSWORD_UPDATE=0\r\n"
        "PIN_UNLOCK_ENABLED_STATE=False\r\nPIN_UNLOCK_TIMEOUT=\r\nPIN_UNLOCK_ATTEMPTS=\r\n"
        "REGISTRY_CONFIG_STATE=False\r\nREGISTRY_CONFIG_GROUP=False\r\nREGISTRY_CONFIG_PASSWD=False\r\n";
    // An earlier read-only file is replaced.
    PutFile(kOptionsFile, "InstallSilentLAC=1\r\n");
    machine.attributes[kOptionsFile] = platform::kFileAttributeReadOnly;

    EXPECT_EQ(Run("RecordInstallOptions"), 1603u);

    EXPECT_EQ(ReadFile(kOptionsFile), expected);
}

// Values read into fixed buffers: one that does not fit takes the default.
TEST_F(OptionsWriter, AValueLongerThanItsBufferCountsAsUnreadable) {
    const struct {
        std::string property, value, line;
    } cases[] = {
        {"InstallSilentDAC", std::string(127, '1'), "InstallSilentDAC=" + std::string(127, '1')},
        {"InstallSilentDAC", std::string(128, '1'), "InstallSilentDAC=0"},
        {"_ATTEMPTS", std::string(128, '5'), "PIN_UNLOCK_ATTEMPTS="},
        {"_ENABLE_NOVELL_PASSWORD_UPDATE", "1abc", "ENABLE_NOVELL_PASSWORD_UPDATE=1"},
        {"_ENABLE_NOVELL_PASSWORD_UPDATE", "1abcd", "ENABLE_NOVELL_PASSWORD_UPDATE=0"},
        {"_ENABLE_NOVELL_PASSWORD_UPDATE", "01", "ENABLE_NOVELL_PASSWORD_UPDATE=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.property + "=" + c.value);
        machine.session.properties.clear();
        SetProperty(c.property, c.value);

        EXPECT_EQ(Run("RecordInstallOptions"), 1603u);

        EXPECT_NE(("\n" + ReadFile(kOptionsFile)).find("\n" + c.line + "\r\n"), std::string::npos);
    }
}

TEST_F(OptionsWriter, AFileThatCannotBeMadeEndsPackageCreationWithoutTheRegistryFile) {
    SetProperty("_REGISTRY_CONFIG_STATE", "True");
    machine.faults.Add(*sim::ParseFaultRule("fopen(w):" + kOptionsFile, nullptr));

    EXPECT_EQ(Run("RecordInstallOptions"), 1603u);

    EXPECT_FALSE(FileExists(kOptionsFile));
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "1");
    EXPECT_FALSE(FileExists(kPackageOut + "registryConfigFile.bin"));
}


const std::string kPackageName = "Veltra Authentication Agent for Windows.msi";
const std::string kScript = kPackageOut + "silentInstall.bat";
const std::string kEarlier = kPackageOut + "kvconf.rec";

const std::string kQuestion =
    "The Create Installation Package Wizard has detected\na current package folder.\n\n"
    "If you want to overwrite this folder, click Yes.\n"
    "If you do not want to overwrite this folder, click No to exit.\n|65572";
const std::string kCannotCreate = "Cannot create the Silent Install Package directory|65536";

class PackageFolder : public PackageTest {};

TEST_F(PackageFolder, TheScriptInstallsTheCopyOfThePackageByItsFullPath) {
    PutFile(kPackageSource + kPackageName, "the package");

    EXPECT_EQ(Run("CreatePackageFolder"), 0u);

    EXPECT_EQ(ReadFile(kPackageOut + kPackageName), "the package");
    EXPECT_EQ(ReadFile(kScript),
              "@echo off\r\n"
              "REM This file was created when you created the network installation package.\r\n"
              "REM When you execute this file, the uncommented line at the end of the file\r\n"
              "REM silently installs Veltra Authentication Agent for Windows.  As long as you\r\n"
              "REM do not move this file from its current location, you can execute the file\r\n"
              "REM by double-clicking on the filename, or by specifying the filename on a DOS\r\n"
              "REM command line and pressing ENTER.\r\n"
              "REM\r\n"
              "REM To execute this file from a different location by double-clicking it,\r\n"
              "REM uncomment the following line:\r\n"
              "REM   msiexec /qn /i \"Veltra Authentication Agent for Windows.msi\"\r\n"
              "REM\r\n"
              "REM To execute this file from a different location from a DOS command line,\r\n"
              "REM uncomment the following line, and edit it to specify the location of\r\n"
              "REM the file:\r\n"
              "REM   msiexec /qn /i \"<drive>\\<package_dir>\\Veltra Authentication Agent for Windows.msi\"\r\n"
              "REM\r\n"
              "REM You can also invoke the file by including the previous command line in\r\n"
              "REM a script, (for example, a start-up script).\r\n"
              "REM\r\n"
              "REM Utility created command:\r\n"
              "REM\r\n"
              "msiexec /qn /i \"D:\\Package\\SilentInstallPackage\\Veltra Authentication Agent for Windows.msi\"");
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), "");
    EXPECT_TRUE(Messages().empty());
}

struct FolderCase {
    std::string label;
    bool earlierFolder;
    std::vector<int> answers;
    bool earlierFileInUse;
    std::string fault;  // a call that fails, as --fail takes it
    platform::Dword result;
    std::vector<std::string> messages;
    bool earlierFileLeft, scriptWritten;
};

void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.label; }

class PackageFolderCases : public PackageFolder, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(PackageFolderCases, AnEarlierFolderGoesOnlyOnYes) {
    const FolderCase& c = GetParam();
    if (c.earlierFolder) PutFile(kEarlier, "earlier");
    if (c.earlierFileInUse) machine.filesInUse.insert(kEarlier);
    for (const int answer : c.answers) Answer(answer);
    if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, nullptr));

    EXPECT_EQ(Run("CreatePackageFolder"), c.result);

    EXPECT_EQ(Messages(), c.messages);
    EXPECT_EQ(Property("PACKAGE_CREATE_ERROR"), c.result == 0 ? "" : "1");
    EXPECT_EQ(FileExists(kEarlier), c.earlierFileLeft);
    EXPECT_EQ(FileExists(kScript), c.scriptWritten);
    EXPECT_FALSE(machine.unansweredDialog);
}

INSTANTIATE_TEST_SUITE_P(
    Folder, PackageFolderCases,
    ::testing::Values(
        FolderCase{"Yes replaces the earlier folder", true, {platform::kIdYes}, false, "", 0, {kQuestion}, false, true},
        FolderCase{"No leaves it untouched", true, {platform::kIdNo}, false, "", 1603, {kQuestion}, true, false},
        FolderCase{"a question that cannot be shown counts as No", true, {}, false, "MessageBoxA", 1603,
                   {kQuestion}, true, false},
        FolderCase{"a file in use keeps the folder, which cannot then be made", true, {platform::kIdYes, platform::kIdOk}, true, "",
                   1603, {kQuestion, kCannotCreate}, true, false},
        FolderCase{"a folder that cannot be made", false, {platform::kIdOk}, false, "CreateDirectoryA", 1603,
                   {kCannotCreate}, false, false},
        FolderCase{"a script that cannot be written ends package creation", false, {}, false,
                   "fopen(w)", 1603, {}, false, false},
        FolderCase{"a package that cannot be copied is not reported", false, {}, false, "CopyFileA", 0,
                   {}, false, true}),
    kNameByLabel);

}  // namespace
}  // namespace veltra::testing
