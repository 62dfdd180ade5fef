// Moving the calling thread onto the interactive desktop for as long as an
// object lives. A deferred action runs in the installer's service, whose
// window station nobody sees; the applet's dialogs must reach the
// administrator on "WinSta0" and its input desktop.
#pragma once

#include "platform/platform.h"

namespace veltra::services {

class InteractiveDesktop {
public:
    // Opens "WinSta0", makes it the process's window station, opens the input
    // desktop and makes it the thread's desktop. A failure of either open
    // ends the move; error() then holds its last error.
    explicit InteractiveDesktop(platform::Platform& platform);
    InteractiveDesktop(const InteractiveDesktop&) = delete;
    InteractiveDesktop& operator=(const InteractiveDesktop&) = delete;
    // Puts back the thread's desktop and the process's window station that
    // were current before, and closes what was opened.
    ~InteractiveDesktop();

    platform::Dword error() const { return error_; }

private:
    platform::Platform& platform_;
    platform::Dword error_ = platform::kErrorSuccess;
    platform::WinStaHandle interactiveStation_{};
    platform::WinStaHandle savedStation_{};
    platform::DesktopHandle inputDesktop_{};
    platform::DesktopHandle savedDesktop_{};
};

}  // namespace veltra::services
