// The Dizo-Do Darorav of version 4.5 and later does what the agent does; the
// two cannot share a machine, so its presence stops the installation.
#include "runtime/log.h"
#include "runtime/messages.h"
#include "runtime/registry_ops.h"
#include "upgrade/upgrade_state.h"
#include "upgrade/version_numbers.h"

namespace veltra::upgrade {
namespace {

constexpr const char* kDizoDoDesktopKey = "SOFTWARE\\Veltra Security\\Veltra Dizo-Do Darorav\\Desktop";

constexpr const char* kDizoDoConflictMessage =
    "The installation program has detected an installation\n"
    "of the Veltra Dizo-Do Darorav that duplicates the functionality\n"
    "of Veltra Authentication Agent for Windows.  This installation\n"
    "of Veltra Authentication Agent for Windows cannot continue unless\n"
    "the Veltra Dizo-Do Darorav installation is removed.\n";

}  // namespace

platform::Dword CheckSignOnManagerConflict(platform::Platform& platform) {
    platform::RegKey key;
    const platform::Dword opened =
        runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kDizoDoDesktopKey, platform::kKeyRead, key);
    if (opened != platform::kErrorSuccess) {
        if (opened != platform::kErrorFileNotFound) {
            runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(platform::kHkeyLocalMachine, kDizoDoDesktopKey), opened);
        }
        return platform::kErrorSuccess;
    }
    std::string version;
    const platform::Dword read =
        runtime::QueryString(platform.registry, key.get(), "ProductVersion", kUpgradeBuffer, version);
    if (read != platform::kErrorSuccess) {
        if (read != platform::kErrorFileNotFound) {
            runtime::LogFailure(platform, "RegQueryValueExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, kDizoDoDesktopKey, "ProductVersion"), read);
        }
        return platform::kErrorSuccess;
    }

    std::string_view rest = version;
    const int major = DecimalValue(NextPiece(rest, "."));
    const int minor = DecimalValue(NextPiece(rest, "."));
    // Both parts are tested on their own, so 5.0 passes: the versions that
    // conflict are the 4.5 to 4.9 line and the x.5-and-later ones after it.
    if (major >= 4 && minor >= 5) {
        runtime::Log(platform.installer, "the Dizo-Do Darorav " + version + " duplicates the agent");
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, kDizoDoConflictMessage, runtime::style::kForegroundWarning);
        return platform::kErrorInstallFailure;
    }
    return platform::kErrorSuccess;
}

}  // namespace veltra::upgrade
