// GetSilentInstallOptions: a silent installation from a package folder takes
// the package wizard's choices from the options file beside the package, as
// properties of the same names, and chooses the features to install from
// them, as the wizard would have.
#include <iterator>
#include <optional>
#include <string>

#include "runtime/actions.h"
#include "runtime/deferred_data.h"
#include "runtime/messages.h"
#include "runtime/session.h"
#include "silentpackage/install_folders.h"
#include "silentpackage/options_file.h"
#include "silentpackage/text_mode_file.h"

namespace veltra::actions {
namespace {

constexpr const char* kOptionsMissing =
    "The Silent Install Options cannot be found.\n"
    "Be sure the Create Package Utility has been\n"
    "run before performing a Silent Installation, or\n"
    "be sure to run the Silent Installation from the\n"
    "\"Silent Install Package\" directory.";

struct Component {
    const char* optionName;
    const char* feature;
    bool isAgent;  // the autoregistration component is not one on its own
};

// In the order the features are listed in "ADDLOCAL".
constexpr Component kComponents[] = {
    {"InstallSilentDAC", "DomainAuthClient", true},
    {"InstallSilentLAC", "LocalAuthClient", true},
    {"InstallSilentAUTOREG", "Autoreg", false},
    {"InstallSilentRAS", "RemoteAuthServer", true},
    {"InstallSilentEAP", "RemoteAuthClient", true},
};
constexpr std::size_t kDomainClient = 0;
constexpr std::size_t kAutoreg = 2;

}  // namespace

platform::Dword GetSilentInstallOptions(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    if (!runtime::GetMsiProperty(installer, "PATCH").empty() ||
        runtime::GetMsiProperty(installer, "UILevel") != "2") {
        return platform::kErrorSuccess;
    }

    silentpackage::SetupInstallDir(platform);
    silentpackage::SetupDayfileInstallDirs(platform);

    const std::optional<std::string> options = silentpackage::ReadTextFile(
        platform, runtime::JoinStrings("\\", {runtime::GetMsiSourcePath(installer, "SourceDir"),
                                             silentpackage::kOptionsFileName}));
    if (!options) {
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, kOptionsMissing,
                             runtime::style::kForegroundError);
        return platform::kErrorInstallFailure;
    }

    installer.SetProperty("DoInstallOptions", "True");
    for (const silentpackage::OptionEntry& entry : silentpackage::ReadOptionEntries(*options)) {
        installer.SetProperty(entry.name.c_str(), entry.value.c_str());
    }
    installer.SetProperty("SILENT_INSTALL_SET_GINA_ON", "True");

    // A component is chosen by exactly "1". Without any agent the domain
    // client is installed.
    bool chosen[std::size(kComponents)];
    bool anyAgent = false;
    for (std::size_t i = 0; i < std::size(kComponents); ++i) {
        chosen[i] = runtime::GetMsiProperty(installer, kComponents[i].optionName) == "1";
        anyAgent = anyAgent || (chosen[i] && kComponents[i].isAgent);
    }
    if (!anyAgent) chosen[kDomainClient] = true;
    std::string features;
    for (std::size_t i = 0; i < std::size(kComponents); ++i) {
        if (!chosen[i]) continue;
        if (!features.empty()) features += ',';
        features += kComponents[i].feature;
    }
    // The certificate of the autoregistration goes where the silent
    // installation's copies put it.
    if (chosen[kAutoreg]) {
        installer.SetProperty(
            "CERT_PATH.5B8A2E71_C4D9_4A36_B0F2_7D1E9C3A6F58",
            runtime::JoinStrings("\\", {runtime::GetMsiProperty(installer, "TempFolder"), "server.cer"}).c_str());
    }
    installer.SetProperty("ADDLOCAL", features.c_str());
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
