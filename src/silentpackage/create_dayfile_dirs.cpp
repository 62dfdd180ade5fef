// CreateDAYFILE_DIRS (deferred): creates the offline services' day-file
// folder, locked down to the system and the administrators, and moves the
// domain secret saved earlier in the installation into it.
//
// CustomActionData: the folder in which "domaininfo.dat" waits (the
// installer's temporary folder, where the settings capture for an upgrade
// left the previous agent's copy). Without the move a domain host would lose
// its domain secret, so a failed copy rolls the installation back.
#include <optional>
#include <string>

#include "platform/platform.h"
#include "runtime/actions.h"
#include "runtime/agent_keys.h"
#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/logged_reads.h"
#include "runtime/messages.h"
#include "runtime/registry_ops.h"
#include "runtime/session.h"
#include "silentpackage/domain_secret.h"
#include "silentpackage/locked_folder.h"

namespace veltra::actions {
namespace {

using silentpackage::kDomainSecretFile;
using silentpackage::kMigrationFailedMessage;

using platform::Dword;

// The source folder is read into a path buffer; a longer one does not fit.
constexpr std::size_t kSourceFolderMaxLength = runtime::kPathBuffer - 1;


// The services' keys in the order they are asked; the first that names a
// day-file folder decides.
constexpr const char* kOfflineServiceKeys[] = {
    runtime::kLocalOfflineServiceKey,
    runtime::kDomainOfflineServiceKey,
    runtime::kDomainHostOfflineServiceKey,
};

std::optional<std::string> ReadDayfileDir(platform::Platform& platform) {
    for (const char* keyPath : kOfflineServiceKeys) {
        if (auto folder = runtime::ReadLoggedString(platform, platform::kHkeyLocalMachine, keyPath, "DayfileDir")) {
            return folder;
        }
    }
    return std::nullopt;
}

bool Exists(platform::Files& files, const std::string& path) {
    return files.GetFileAttributes(path.c_str()) != platform::kInvalidFileAttributes;
}

}  // namespace

Dword CreateDAYFILE_DIRS(platform::Platform& platform) {
    std::string sourceFolder = runtime::GetMsiProperty(platform.installer, "CustomActionData");
    if (sourceFolder.size() > kSourceFolderMaxLength) {
        runtime::LogFailure(platform, "MsiGetPropertyA", "CustomActionData", platform::kErrorMoreData);
        sourceFolder.clear();
    }
    if (sourceFolder.empty()) return platform::kErrorInstallFailure;

    const std::optional<std::string> recorded = ReadDayfileDir(platform);
    if (!recorded) return platform::kErrorSuccess;
    // The folder ends with one backslash; a recorded folder that already
    // ends with one does not get a second.
    std::string dayfileDir = *recorded;
    if (dayfileDir.empty() || dayfileDir.back() != '\\') dayfileDir += '\\';

    if (!Exists(platform.files, dayfileDir)) {
        silentpackage::CreateFolderLevels(platform, dayfileDir, silentpackage::kDayfileFolderSecurity);
    }

    const std::string source = runtime::JoinStrings("\\", {sourceFolder, kDomainSecretFile});
    const std::string destination = runtime::JoinStrings("\\", {dayfileDir, kDomainSecretFile});
    if (Exists(platform.files, source)) {
        if (!platform.files.CopyFile(source.c_str(), destination.c_str(), false)) {
            runtime::LogLastError(platform, "CopyFileA", destination);
            runtime::ShowMessage(platform.windows, platform::Hwnd{}, kMigrationFailedMessage,
                                 runtime::style::kServiceError);
            return platform::kErrorInstallFailure;
        }
    }
    // The secret must not stay behind in the temporary folder; one that was
    // never there is no error.
    if (!platform.files.DeleteFile(source.c_str()) &&
        platform.system.GetLastError() != platform::kErrorFileNotFound) {
        runtime::LogLastError(platform, "DeleteFileA", source);
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
