// The server files along the test package's own roads.
// Also RepositionDataForCopy: the source files come into the temporary folder
// and the source properties follow them there.
#include <map>

#include "support/test_package.h"
#include "configfiles_test_support.h"
#include "platform/sim/engine/engine.h"

namespace veltra::testing {
namespace {

namespace engine = sim::engine;

const std::string kProduct = "{8E5B2C71-4F0A-4D39-9B6E-2A7C1D3F5E90}";
const std::string kAgentDir = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
const std::string kAgentRepository = kAgentDir + "VeltraKeshAgentRepository\\";
const std::string kPackage = "D:\\Package\\";
const std::string kPackageOut = kPackage + "SilentInstallPackage\\";
const std::string kTemp = "C:\\Temp\\";
const std::string kWinlogon = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const std::string kSystem = "C:\\WINDOWS\\system32\\";

struct RoadCase {
    std::string label;
    std::map<std::string, std::string> filesBefore;  // path -> content; a path ending in "\\" is a folder
    bool installedBefore;  // the local client is installed, its root certificate read-only
    std::string fault;     // a platform call that fails, as agentca --fail takes it
    std::vector<std::pair<std::string, std::string>> commandLine;
    int uiLevel;
    std::vector<int> answers;
    std::optional<platform::Dword> result;
    std::map<std::string, std::optional<std::string>> filesAfter;  // nullopt: absent
    std::map<std::string, std::string> properties;                  // "" : absent
    std::vector<std::string> messages;
};

void PrintTo(const RoadCase& c, std::ostream* out) { *out << c.label; }

const std::string kServer = "E:\\From Server\\";

std::vector<RoadCase> Cases() {
    const std::vector<std::pair<std::string, std::string>> chosen = {
        {"ADDLOCAL", "LocalAuthClient"},
        {"PATHTOFILE", kServer + "kvconf.rec"},
        {"PATHTOFILE_KVROOT", kServer + "kvroot.crt"}};
    const std::map<std::string, std::string> serverFiles = {{kServer + "kvconf.rec", "server record"},
                                                             {kServer + "kvroot.crt", "server root"}};
    const std::map<std::string, std::string> installedFiles = {{kSystem + "kvconf.rec", "installed record"},
                                                                {kSystem + "kvroot.crt", "installed root"}};
    // A silent installation: the package's options file chooses the local
    // client, and the copy states are given as the package's tables would.
    const std::string options = kPackage + "packageOptionsFile.txt";
    const std::string optionsText = "InstallSilentLAC=1\r\n";
    const std::vector<std::pair<std::string, std::string>> silent = {
        {"ADDLOCAL", "LocalAuthClient"}, {"COPYKVCONFREC", "1"}, {"COPYKVROOTCRT", "1"}};
    // The builder's choices; CreatePackageFolder makes the package folder.
    const std::map<std::string, std::string> creation = {
        {"E:\\Chosen\\kvconf.rec", "server record"}, {"E:\\Chosen\\kvroot.crt", "server root"},
        {"E:\\Chosen\\server.cer", "server certificate"}, {"E:\\Chosen\\logo.bmp", "banner"}};
    const std::vector<std::pair<std::string, std::string>> creating = {
        {"PACKAGE_CREATE", "1"}, {"ADDLOCAL", "LocalAuthClient"}, {"_LAC", "1"},
        {"PATHTOFILE", "E:\\Chosen\\kvconf.rec"}, {"PATHTOFILE_KVROOT", "E:\\Chosen\\kvroot.crt"},
        {"BITMAPFILE", "E:\\Chosen\\logo.bmp"}, {kCertProperty, "E:\\Chosen\\server.cer"},
        {"_IMPORT_BITMAP", "True"}};
    auto with = [](std::map<std::string, std::string> files, const std::map<std::string, std::string>& more) {
        files.insert(more.begin(), more.end());
        return files;
    };
    return {
        {"the wizard's files are copied into the system folder through the temporary folder",
         serverFiles, false, "", chosen, 5, {}, 0,
         {{kSystem + "kvconf.rec", "server record"}, {kSystem + "kvroot.crt", "server root"}},
         {{"CopyKvconfRec", kTemp + "kvconf.rec;" + kSystem + ";1;" + kAgentRepository},
          {"CopyKvrootCrt", kTemp + "kvroot.crt;" + kSystem + ";1;" + kAgentRepository},
          {"COPYKVCONFREC", "1"}, {"COPYKVROOTCRT", "1"}, {"KVCONF_SOURCE", ""}, {"KVROOT_SOURCE", ""}},
         {}},
        // A chosen file that is gone is refused; the copy then removes the
        // installed file unless an installed component needs it, and the local
        // client (whose marker the installer has just laid down) needs the record.
        {"missing choices keep the record the local client needs and drop the root certificate",
         installedFiles, false, "",
         {{"ADDLOCAL", "LocalAuthClient"}, {"PATHTOFILE", "E:\\Gone\\kvconf.rec"},
          {"PATHTOFILE_KVROOT", "E:\\Gone\\kvroot.crt"}},
         5, {platform::kIdOk, platform::kIdOk}, 0,
         {{kSystem + "kvconf.rec", "installed record"}, {kSystem + "kvroot.crt", std::nullopt}},
         {{"COPYKVCONFREC", "0"}, {"KVCONF_OKFILE", "0"}},
         {"E:\\Gone\\kvconf.rec does not exist.\nRespecify the location of your kvconf.rec file.",
          "E:\\Gone\\kvroot.crt does not exist.\nRespecify the location of your kvroot.crt file."}},
        // After the wizard its verdict stands: the execution sequence does not
        // mark a refused file for copying just because it exists.
        {"a wrongly named choice is refused by the wizard with its message and not copied",
         {{"E:\\Mail\\kvroot.crt.txt", "attachment"}}, false, "",
         {{"ADDLOCAL", "LocalAuthClient"}, {"PATHTOFILE_KVROOT", "E:\\Mail\\kvroot.crt.txt"}}, 5,
         {platform::kIdOk}, 0, {{kSystem + "kvroot.crt", std::nullopt}},
         {{"KVROOT_OKFILE", "0"}, {"COPYKVROOTCRT", "0"}},
         {"The chosen file name must be \"kvroot.crt\".\nRespecify the location of your kvroot.crt file."}},
        {"a silent installation takes everything from beside the package",
         {{options, optionsText}, {kPackage + "kvconf.rec", "package record"}, {kPackage + "kvroot.crt", "package root"},
          {kPackage + "server.cer", "package certificate"}, {kPackage + "gina_banner.bmp", "package banner"},
          {kPackage + "registryConfigFile.bin", "package registry"}},
         false, "", silent, 2, {}, 0,
         {{kSystem + "kvconf.rec", "package record"}, {kSystem + "kvroot.crt", "package root"},
          {kTemp + "gina_banner.bmp", "package banner"}, {kTemp + "server.cer", "package certificate"},
          {kTemp + "registryConfigFile.bin", "package registry"}},
         {{"CopyKvconfRec", kTemp + "kvconf.rec;" + kSystem + ";1;" + kAgentRepository},
          {"BITMAPFILE_SOURCE", kTemp + "gina_banner.bmp"}, {kCertProperty, kTemp + "server.cer"}},
         {}},
        {"a silent package without the record rolls the installation back",
         {{options, optionsText}, {kPackage + "kvroot.crt", "package root"}}, false, "", silent, 2, {platform::kIdOk}, 1603,
         {{kSystem + "kvconf.rec", std::nullopt}, {kSystem + "kvroot.crt", std::nullopt},
          {kAgentRepository + "LocalClientKEY.txt", std::nullopt}},
         {},
         {KvconfFamily().installFailure}},
        {"a silent package without the record keeps an earlier one",
         {{options, optionsText}, {kPackage + "kvroot.crt", "package root"}, {kSystem + "kvconf.rec", "installed record"}}, false, "",
         silent, 2, {}, 0,
         {{kSystem + "kvconf.rec", "installed record"}, {kSystem + "kvroot.crt", "package root"}},
         {},
         {}},
        {"a repair with new files replaces the installed ones",
         with(installedFiles, {{"E:\\New\\kvconf.rec", "new record"}, {"E:\\New\\kvroot.crt", "new root"}}), true, "",
         {{"REINSTALL", "ALL"}, {"PATHTOFILE", "E:\\New\\kvconf.rec"}, {"PATHTOFILE_KVROOT", "E:\\New\\kvroot.crt"}},
         5, {}, 0,
         {{kSystem + "kvconf.rec", "new record"}, {kSystem + "kvroot.crt", "new root"}},
         {},
         {}},
        // Without a source the first field of the copy data is empty and the
        // others move up: the copy looks in the wrong place and leaves the files.
        {"a repair without source paths leaves the installed files", installedFiles, true, "",
         {{"REINSTALL", "ALL"}}, 5, {}, 0,
         {{kSystem + "kvconf.rec", "installed record"}, {kSystem + "kvroot.crt", "installed root"}},
         {{"CopyKvconfRec", ";" + kSystem + ";0;" + kAgentRepository}},
         {}},
        {"package creation fills the package folder", creation, false, "", creating, 5, {}, std::nullopt,
         {{kPackageOut + "kvconf.rec", "server record"}, {kPackageOut + "kvroot.crt", "server root"},
          {kPackageOut + "server.cer", "server certificate"}, {kPackageOut + "gina_banner.bmp", "banner"}},
         {{"KVCONF_DEST", kPackageOut}, {"KVROOT_DEST", kPackageOut}, {"PACKAGE_CREATE_ERROR", ""}},
         {}},
        {"package creation stops when a server file cannot be copied", creation, false,
         "CopyFileA:" + kPackageOut + "kvconf.rec", creating, 5, {platform::kIdOk}, 1603,
         {{kPackageOut + "kvconf.rec", std::nullopt}, {kPackageOut + "kvroot.crt", std::nullopt}},
         {{"PACKAGE_CREATE_ERROR", "1"}},
         {KvconfFamily().packageFailure}},
    };
}

class ServerFileRoads : public SimFixture, public ::testing::WithParamInterface<RoadCase> {
protected:
    ServerFileRoads() {
        machine.environment = {{"windir", "C:\\WINDOWS"}, {"SystemRoot", "C:\\WINDOWS"},
                               {"ProgramFiles", "C:\\Program Files"}, {"TEMP", "C:\\Temp"}};
        SetProperty("SourceDir", kPackage);
        machine.session.sourcePaths["SourceDir"] = kPackage;
        for (const std::string& folder : {kTemp, kSystem, kPackage}) PutFolder(folder);
        machine.registry.CreateKey(kWinlogon);
    }

    void InstallLocalClient() {
        machine.session.products[kProduct]["InstallLocation"] = kAgentDir;
        machine.session.featureStates[kProduct]["LocalAuthClient"] = platform::kInstallStateLocal;
        PutFile(kAgentDir + "KeshGina.dll");
        PutFile(kAgentRepository + "LocalClientKEY.txt");
        SetString(kWinlogon, "GinaDLL", kAgentDir + "KeshGina.dll");
        machine.attributes[kSystem + "kvroot.crt"] = platform::kFileAttributeReadOnly;
    }
};

TEST_P(ServerFileRoads, LeaveTheServerFilesWhereThePackageWantsThem) {
    const RoadCase& c = GetParam();
    for (const auto& [path, content] : c.filesBefore) {
        if (path.ends_with("\\")) {
            PutFolder(path);
        } else {
            PutFile(path, content);
        }
    }
    if (c.installedBefore) InstallLocalClient();
    if (!c.fault.empty()) machine.faults.Add(*sim::ParseFaultRule(c.fault, nullptr));
    for (const int answer : c.answers) Answer(answer);
    engine::EngineOptions options;
    options.commandLine = c.commandLine;
    options.uiLevel = c.uiLevel;

    const engine::InstallOutcome outcome = engine::RunInstallation(TestPackage(), machine, options);

    if (c.result) {
        EXPECT_EQ(outcome.result, *c.result) << outcome.error;
    }
    for (const auto& [path, content] : c.filesAfter) {
        EXPECT_EQ(FileExists(path) ? std::optional(ReadFile(path)) : std::nullopt, content) << path;
    }
    for (const auto& [name, value] : c.properties) {
        const auto it = outcome.properties.find(name);
        EXPECT_EQ(it == outcome.properties.end() ? "" : it->second, value) << name;
    }
    std::vector<std::string> messages;
    for (const sim::DialogRecord& dialog : machine.dialogs) {
        messages.push_back(dialog.text);
        EXPECT_EQ(dialog.caption, kCaption);
    }
    EXPECT_EQ(messages, c.messages);
    EXPECT_FALSE(machine.unansweredDialog.has_value());
}

INSTANTIATE_TEST_SUITE_P(Package, ServerFileRoads, ::testing::ValuesIn(Cases()), kNameByLabel);


class Reposition : public ConfigFilesTest {
protected:
    // The wizard's choices, each with its own content.
    void ChooseEverything() {
        PutFile("E:\\Chosen\\server.cer", "chosen certificate");
        PutFile("E:\\Chosen\\kvconf.rec", "chosen record");
        PutFile("E:\\Chosen\\kvroot.crt", "chosen root");
        SetProperty(kCertProperty, "E:\\Chosen\\server.cer");
        SetProperty("KVCONF_SOURCE", "E:\\Chosen\\kvconf.rec");
        SetProperty("KVROOT_SOURCE", "E:\\Chosen\\kvroot.crt");
    }

    // What a silent installation package holds beside the package file.
    void FillPackage(const std::string& folder) {
        PutFile(folder + "server.cer", "package certificate");
        PutFile(folder + "kvconf.rec", "package record");
        PutFile(folder + "kvroot.crt", "package root");
        PutFile(folder + "gina_banner.bmp", "package banner");
        PutFile(folder + "registryConfigFile.bin", "package registry");
    }
};

TEST_F(Reposition, AnInteractiveRunIgnoresThePackageFolder) {
    FillPackage(kSourceDir);
    SetProperty("BITMAPFILE_SOURCE", "E:\\Chosen\\banner.bmp");

    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);

    EXPECT_EQ(Property("KVCONF_SOURCE"), "");
    EXPECT_EQ(Property("KVROOT_SOURCE"), "");
    EXPECT_EQ(Property(kCertProperty), "");
    EXPECT_EQ(Property("BITMAPFILE_SOURCE"), "E:\\Chosen\\banner.bmp");
    EXPECT_FALSE(FileExists(kTempFolder + "kvconf.rec"));
    EXPECT_FALSE(FileExists(kTempFolder + "gina_banner.bmp"));
    EXPECT_FALSE(FileExists(kTempFolder + "registryConfigFile.bin"));
}

TEST_F(Reposition, AChoiceThatIsGoneKeepsItsProperty) {
    SetProperty("KVCONF_SOURCE", "E:\\Gone\\kvconf.rec");
    PutFile("E:\\Chosen\\kvroot.crt", "chosen root");
    SetProperty("KVROOT_SOURCE", "E:\\Chosen\\kvroot.crt");

    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);

    EXPECT_EQ(Property("KVCONF_SOURCE"), "E:\\Gone\\kvconf.rec");
    EXPECT_FALSE(FileExists(kTempFolder + "kvconf.rec"));
    EXPECT_EQ(Property("KVROOT_SOURCE"), kTempFolder + "kvroot.crt");
}

// A leftover that cannot be replaced is never installed in place of the choice.
TEST_F(Reposition, AFailedCopyIsIgnoredAndThePropertyKeepsTheChoice) {
    ChooseEverything();
    PutFile(kTempFolder + "kvroot.crt", "leftover");
    machine.filesInUse.insert(kTempFolder + "kvroot.crt");
    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);
    EXPECT_EQ(Property("KVROOT_SOURCE"), "E:\\Chosen\\kvroot.crt");
    EXPECT_EQ(Property("KVCONF_SOURCE"), kTempFolder + "kvconf.rec");
    ExpectNoDialog();

    SetProperty("COPYKVROOTCRT", "1");
    EXPECT_EQ(Run("SetDeferredKvrootData"), 0u);
    EXPECT_EQ(RunDeferred("CopyKvrootCrt", Property("CopyKvrootCrt")), 0u);
    EXPECT_EQ(ReadFile(kSystemFolder + "kvroot.crt"), "chosen root");
}

// Without a temporary folder the copies would land in the root of the drive.
TEST_F(Reposition, AnUnreadableTempFolderCopiesNothing) {
    SetProperty("UILevel", "2");
    FillPackage(kSourceDir);
    machine.faults.Add({"MsiGetPropertyA", "TempFolder", 0, platform::kErrorNotEnoughMemory, 0});
    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);
    EXPECT_FALSE(FileExists("C:\\kvconf.rec"));
    EXPECT_FALSE(FileExists("C:\\gina_banner.bmp"));
    EXPECT_EQ(Property("KVCONF_SOURCE"), "");
    EXPECT_EQ(Property("BITMAPFILE_SOURCE"), "");
}

TEST_F(Reposition, ASilentPackageWithoutServerFilesLeavesTheChoices) {
    SetProperty("UILevel", "2");
    ChooseEverything();

    EXPECT_EQ(Run("RepositionDataForCopy"), 0u);

    EXPECT_EQ(Property("KVCONF_SOURCE"), "E:\\Chosen\\kvconf.rec");
    EXPECT_FALSE(FileExists(kTempFolder + "kvconf.rec"));
    EXPECT_EQ(Property("BITMAPFILE_SOURCE"), "");
}

// A silent removal or patch ("ALL" matched case-sensitively) takes the server
// files from the system folder, without banner or registry file.
TEST_F(Reposition, ASilentRemovalOrPatchTakesTheServerFilesFromTheSystemFolder) {
    struct Case {
        std::string label;
        std::string property, value, uiLevel;
        std::string record, banner;  // in the temporary folder afterwards; "" absent
    };
    const Case cases[] = {
        {"removal", "REMOVE", "ALL", "2", "installed record", ""},
        {"removal among others", "REMOVE", "Autoreg,ALL", "2", "installed record", ""},
        {"patch", "PATCH", "D:\\Updates\\fix.msp", "2", "installed record", ""},
        {"interactive removal", "REMOVE", "ALL", "5", "chosen record", ""},
        {"removal in other case", "REMOVE", "all", "2", "package record", "package banner"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.session.properties.erase("REMOVE");
        machine.session.properties.erase("PATCH");
        SetProperty("UILevel", c.uiLevel);
        SetProperty(c.property, c.value);
        FillPackage(kSourceDir);
        FillPackage(kSystemFolder);
        PutFile(kSystemFolder + "kvconf.rec", "installed record");
        if (c.uiLevel != "2") ChooseEverything();

        EXPECT_EQ(Run("RepositionDataForCopy"), 0u);

        EXPECT_EQ(ReadFile(kTempFolder + "kvconf.rec"), c.record);
        EXPECT_EQ(Property("KVCONF_SOURCE"), kTempFolder + "kvconf.rec");
        EXPECT_EQ(FileExists(kTempFolder + "gina_banner.bmp") ? ReadFile(kTempFolder + "gina_banner.bmp") : "",
                  c.banner);
        EXPECT_EQ(FileExists(kTempFolder + "registryConfigFile.bin"), !c.banner.empty());
    }
}

}  // namespace
}  // namespace veltra::testing
