// ValidateNumericTextFields: the wizard's PIN-unlock time-out and attempts
// must be whole numbers. The wizard's page stays open while "_TEXTFIELDS_OK"
// is "0".
#include <string>

#include "runtime/actions.h"
#include "runtime/messages.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

// 15 characters and the terminator.
constexpr std::size_t kFieldCapacity = 16;

struct NumericField {
    const char* property;
    const char* message;
};

constexpr NumericField kNumericFields[] = {
    {"_TIME_OUT",
     "The \"Time-out\" text field contains non-numeric characters.\nSpecify an integer value."},
    {"_ATTEMPTS",
     "The \"Attempts\" text field contains non-numeric characters.\nSpecify an integer value."},
};

// An empty field is left to its default and passes.
bool IsDigitsOnly(const std::string& text) {
    return text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

platform::Dword ValidateNumericTextFields(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    installer.SetProperty("_TEXTFIELDS_OK", "0");

    for (const NumericField& field : kNumericFields) {
        if (!IsDigitsOnly(runtime::GetMsiPropertyFixed(installer, field.property, kFieldCapacity))) {
            // One message at a time: the administrator corrects this field first.
            runtime::ShowMessage(platform.windows, platform::Hwnd{}, field.message,
                                 runtime::style::kServiceNotice);
            return platform::kErrorSuccess;
        }
    }
    installer.SetProperty("_TEXTFIELDS_OK", "1");
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
