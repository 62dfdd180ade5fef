// CreatePackageFolder: package creation starts by making the folder
// "SilentInstallPackage" beside the installation package, putting a copy of
// the package into it and writing the script that installs it silently. The
// copies of the server files and the options follow into the same folder.
#include <string>

#include "configfiles/file_placement.h"
#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/messages.h"
#include "runtime/session.h"
#include "silentpackage/text_mode_file.h"

namespace veltra::actions {
namespace {

constexpr const char* kPackageFileName = "Veltra Authentication Agent for Windows.msi";
constexpr const char* kLaunchScriptName = "silentInstall.bat";

constexpr const char* kOverwriteQuestion =
    "The Create Installation Package Wizard has detected\n"
    "a current package folder.\n\n"
    "If you want to overwrite this folder, click Yes.\n"
    "If you do not want to overwrite this folder, click No to exit.\n";
constexpr const char* kCannotCreateFolder = "Cannot create the Silent Install Package directory";

// Everything but the command on its last line, which has no line end.
constexpr const char* kLaunchScriptHead =
    "@echo off\n"
    "REM This file was created when you created the network installation package.\n"
    "REM When you execute this file, the uncommented line at the end of the file\n"
    "REM silently installs Veltra Authentication Agent for Windows.  As long as you\n"
    "REM do not move this file from its current location, you can execute the file\n"
    "REM by double-clicking on the filename, or by specifying the filename on a DOS\n"
    "REM command line and pressing ENTER.\n"
    "REM\n"
    "REM To execute this file from a different location by double-clicking it,\n"
    "REM uncomment the following line:\n"
    "REM   msiexec /qn /i \"Veltra Authentication Agent for Windows.msi\"\n"
    "REM\n"
    "REM To execute this file from a different location from a DOS command line,\n"
    "REM uncomment the following line, and edit it to specify the location of\n"
    "REM the file:\n"
    "REM   msiexec /qn /i \"<drive>\\<package_dir>\\Veltra Authentication Agent for Windows.msi\"\n"
    "REM\n"
    "REM You can also invoke the file by including the previous command line in\n"
    "REM a script, (for example, a start-up script).\n"
    "REM\n"
    "REM Utility created command:\n"
    "REM\n";

platform::Dword FailPackageCreation(platform::Platform& platform) {
    platform.installer.SetProperty("PACKAGE_CREATE_ERROR", "1");
    return platform::kErrorInstallFailure;
}

}  // namespace

platform::Dword CreatePackageFolder(platform::Platform& platform) {
    const std::string sourceFolder = runtime::GetMsiSourcePath(platform.installer, "SourceDir");
    const std::string packageFolder = runtime::JoinStrings("\\", {sourceFolder, "SilentInstallPackage"});

    // An earlier package goes only when the administrator says so; a box
    // that could not be shown counts as No.
    if (configfiles::FileExists(platform.files, packageFolder)) {
        const int answer = runtime::ShowMessage(platform.windows, platform::Hwnd{}, kOverwriteQuestion,
                                                runtime::style::kForegroundYesNo);
        if (answer != platform::kIdYes) return FailPackageCreation(platform);
        const int deleted = platform.files.ShellDeleteTree(
            packageFolder.c_str(), platform::kFofSilent | platform::kFofNoConfirmation | platform::kFofNoErrorUi);
        // What could not be deleted makes the folder's creation fail below.
        if (deleted != 0) runtime::LogFailure(platform, "SHFileOperationA", packageFolder,
                                             static_cast<platform::Dword>(deleted));
    }

    if (!platform.files.CreateDirectory(packageFolder.c_str(), nullptr)) {
        runtime::LogLastError(platform, "CreateDirectoryA", packageFolder);
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, kCannotCreateFolder,
                             runtime::style::kForegroundNotice);
        return FailPackageCreation(platform);
    }

    // A package that cannot be copied is not reported here: the folder is
    // still usable once the administrator puts the package into it.
    const std::string packageCopy = runtime::JoinStrings("\\", {packageFolder, kPackageFileName});
    configfiles::NormaliseFile(platform.files, packageCopy);
    const std::string packageSource = runtime::JoinStrings("\\", {sourceFolder, kPackageFileName});
    if (!platform.files.CopyFile(packageSource.c_str(), packageCopy.c_str(), /*failIfExists=*/false)) {
        runtime::LogLastError(platform, "CopyFileA", packageCopy);
    }

    // Without its script the package would install nothing; this ends
    // package creation like a folder that cannot be made.
    const std::string script = std::string(kLaunchScriptHead) + "msiexec /qn /i \"" + packageCopy + "\"";
    if (!silentpackage::WriteTextFile(platform, runtime::JoinStrings("\\", {packageFolder, kLaunchScriptName}),
                                      script)) {
        return FailPackageCreation(platform);
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
