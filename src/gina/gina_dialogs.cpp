// The two questions of the GINA loop and the text that names the GINA file
// they are about.
#include "gina/gina_dialogs.h"

#include "platform/ui.h"
#include "runtime/messages.h"

namespace veltra::gina {
namespace {

constexpr const char* kConflictOpening =
    "The installation program has detected\n"
    "another product using the Gina registry value\n"
    "for controlling access to the system or its\n"
    "resources.  This other product and the Veltra\n"
    "Authentication Agent do not provide support for\n"
    "sharing access control with each other.\n"
    "\n"
    "If you want to continue with the Agent\n"
    "installation, the installation must disable Gina\n"
    "related control of the other product, and replace it\n"
    "with that of the Veltra Authentication Agent.  The other\n"
    "product's control will be reinstated when the Veltra\n"
    "Authentication Agent is uninstalled.\n"
    "\n"
    "To finish the installation, having the Veltra Authentication\n"
    "Agent assume a full control in the manner just described,\n"
    "press \"OK\".  To abort the installation, press \"Cancel\".\n"
    "\n"
    "File: ";

constexpr const char* kStillLoadedOpening =
    "The Windows Installer service cannot disable\n"
    "the Veltra Authentication Agent GINA because it is not at\n"
    "the top of the GINA chain.\n"
    "The Veltra Authentication Agent GINA will remain loaded until\n"
    "the current third-party GINA is uninstalled or disabled.\n"
    "File: ";

// The message buffer of these dialogs, terminator included.
constexpr std::size_t kMessageSize = 2264;

constexpr const char* kNotAvailable = "N/A";

std::string VersionStringOrNotAvailable(platform::Versions& versions, const std::string& file,
                                        const char* key) {
    std::string value;
    if (!GetFileVersionString(versions, file, key, value, kVersionStringSize)) return kNotAvailable;
    return value;
}

}  // namespace

std::string DescribeGinaFile(platform::Platform& platform, std::string_view opening,
                             std::string_view gina) {
    // Where Winlogon would load it from; a GINA the search path does not
    // find is named as the chain names it.
    const std::string name(gina);
    char found[260] = {};
    const platform::Dword length =
        platform.files.SearchPath(nullptr, name.c_str(), ".dll", found, sizeof found);
    const std::string file =
        length != 0 && length < sizeof found ? std::string(found, length) : name;

    std::string text(opening);
    text += file;
    text += "\nProduct: ";
    text += VersionStringOrNotAvailable(platform.versions, file, "ProductName");
    text += "\nDescription: ";
    text += VersionStringOrNotAvailable(platform.versions, file, "FileDescription");
    text += "\nCompany: ";
    text += VersionStringOrNotAvailable(platform.versions, file, "CompanyName");
    // The longest opening with a full path and three full version strings
    // stays well inside the message buffer; the cut only keeps that promise
    // should a text ever grow.
    if (text.size() > kMessageSize - 1) text.resize(kMessageSize - 1);
    return text;
}

int ShowGinaConflictDialog(platform::Platform& platform, std::string_view gina) {
    const std::string text = DescribeGinaFile(platform, kConflictOpening, gina);
    const int button = runtime::ShowMessage(platform.windows, platform::Hwnd{}, text,
                                            runtime::style::kGinaConflictQuestion);
    switch (button) {
        case platform::kIdOk:
        case platform::kIdRetry:
        case platform::kIdIgnore:
        case platform::kIdTryAgain:
        case platform::kIdContinue:
            return platform::kIdContinue;
        default:
            return platform::kIdCancel;
    }
}

int ShowGinaStillLoadedDialog(platform::Platform& platform, std::string_view gina) {
    const std::string text = DescribeGinaFile(platform, kStillLoadedOpening, gina);
    return runtime::ShowMessage(platform.windows, platform::Hwnd{}, text,
                                runtime::style::kServiceErrorCancelTryContinue);
}

}  // namespace veltra::gina
