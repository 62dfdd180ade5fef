// CheckFieldLength: when the administrator chose to save into an Active
// Directory field, that field must be named.
#include "runtime/actions.h"
#include "runtime/messages.h"
#include "runtime/session.h"
#include "runtime/text.h"

namespace veltra::actions {

platform::Dword CheckFieldLength(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    installer.SetProperty("DA_AD_ATTR_OK", "0");

    const std::string saveToAd = runtime::GetMsiPropertyFixed(installer, "DA_SAVE_TO_AD", 24);
    if (runtime::EqualsIgnoreCase(saveToAd, "1") &&
        runtime::GetMsiPropertyFixed(installer, "DA_AD_ATTR", 260).empty()) {
        runtime::ShowMessage(platform.windows, platform::Hwnd{},
                             "The Active Directory Field name must be specified.\n",
                             runtime::style::kForegroundWarning);
        return platform::kErrorSuccess;
    }
    installer.SetProperty("DA_AD_ATTR_OK", "1");
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
