// DisplayProperty: a diagnostic aid for package authors. Shows the value of
// the property named in "DisplayProperty", captioned with that name.
#include <string>

#include "runtime/actions.h"
#include "runtime/messages.h"
#include "runtime/session.h"

namespace veltra::actions {

platform::Dword DisplayProperty(platform::Platform& platform) {
    const std::string name = runtime::GetMsiProperty(platform.installer, "DisplayProperty");
    if (name.empty()) return platform::kErrorSuccess;

    const std::string value = runtime::GetMsiProperty(platform.installer, name.c_str());
    // The property's name is the caption here, not the library's own caption.
    platform.windows.MessageBox(platform::Hwnd{}, value.c_str(), name.c_str(),
                                runtime::style::kServiceNotice);
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
