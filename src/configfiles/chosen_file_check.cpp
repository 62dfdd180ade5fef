#include "configfiles/chosen_file_check.h"

#include <string>

#include "runtime/log.h"
#include "runtime/messages.h"
#include "runtime/session.h"
#include "runtime/text.h"

namespace veltra::configfiles {
namespace {

// A path property is read into a buffer of the platform's path limit.
constexpr std::size_t kPathCapacity = 260;

// Reads the chosen path and hands it on, unchanged, to the copy actions.
std::string TakeChosenPath(platform::Installer& installer, const ChosenFileCheck& check) {
    installer.SetProperty(check.okProperty, "0");
    std::string path = runtime::GetMsiPropertyFixed(installer, check.pathProperty, kPathCapacity);
    installer.SetProperty(check.sourceProperty, path.c_str());
    return path;
}

}  // namespace

void CheckChosenFile(platform::Platform& platform, const ChosenFileCheck& check) {
    const std::string path = TakeChosenPath(platform.installer, check);
    const platform::Dword attributes = platform.files.GetFileAttributes(path.c_str());

    std::string message;
    if (attributes == platform::kInvalidFileAttributes) {
        runtime::LogLastError(platform, "GetFileAttributesA", path);
        message = path + check.missingText;
    } else if (check.requiredName != nullptr &&
               !runtime::EqualsIgnoreCase(platform.system, runtime::FileNamePart(platform.system, path),
                                          check.requiredName)) {
        message = check.nameMessage;
    } else if ((attributes & platform::kFileAttributeSystem) != 0) {
        message = path + check.systemFileText;
    } else if ((attributes & platform::kFileAttributeDirectory) == 0) {
        platform.installer.SetProperty(check.okProperty, "1");
        return;
    } else {
        // A directory is caught only after the name test, so a folder that
        // happens to carry the required name still gets this message.
        message = path + check.directoryText;
    }
    runtime::ShowMessage(platform.windows, platform::Hwnd{}, message,
                         runtime::style::kForegroundWarning);
}

void CheckChosenFileSilently(platform::Platform& platform, const ChosenFileCheck& check) {
    const std::string path = TakeChosenPath(platform.installer, check);
    if (platform.files.GetFileAttributes(path.c_str()) == platform::kInvalidFileAttributes) {
        runtime::LogLastError(platform, "GetFileAttributesA", path);
        return;
    }
    platform.installer.SetProperty(check.okProperty, "1");
}

}  // namespace veltra::configfiles
