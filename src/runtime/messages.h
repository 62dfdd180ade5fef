// Message boxes and their owner window: one caption, the fixed style set.
#pragma once

#include <string>

#include "platform/ui.h"

namespace veltra::runtime {

inline constexpr const char* kCaption = "Veltra Authentication Agent for Windows";

// The style combinations the library uses (MB_* flags).
namespace style {
inline constexpr platform::Dword kServiceError = 0x00200010;       // deferred errors
inline constexpr platform::Dword kServiceErrorCancelTryContinue = 0x00200016;
inline constexpr platform::Dword kServiceNotice = 0x00200000;
inline constexpr platform::Dword kForegroundWarning = 0x00010030;  // immediate warnings
inline constexpr platform::Dword kForegroundError = 0x00010010;
inline constexpr platform::Dword kForegroundNotice = 0x00010000;
inline constexpr platform::Dword kForegroundYesNo = 0x00010024;
inline constexpr platform::Dword kGinaConflictQuestion = 0x00010121;
inline constexpr platform::Dword kChallengeAllConfirmation = 0x00010134;
inline constexpr platform::Dword kRetryCancelError = 0x00000015;
}  // namespace style

// MessageBoxA with the library's caption; returns the button pressed.
int ShowMessage(platform::Windows& windows, platform::Hwnd owner, const std::string& text,
                platform::Dword style);

// An invisible, topmost popup of the dialog class, to own dialogs so that they
// come up in front of the installer's wizard. Destroyed with the Window.
platform::Window CreateOwnerWindow(platform::Windows& windows);

}  // namespace veltra::runtime
