// CreatePackageFolder: the package folder, the copy of the package and the
// launch script, and what an earlier package folder costs.
#include <vector>

#include "package_fixture.h"

namespace veltra::testing {
namespace {

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
