#include "services/interactive_desktop.h"

#include "runtime/log.h"

namespace veltra::services {

InteractiveDesktop::InteractiveDesktop(platform::Platform& platform) : platform_(platform) {
    platform::Windows& windows = platform.windows;
    interactiveStation_ = windows.OpenWindowStation("WinSta0", platform::kMaximumAllowed);
    if (!interactiveStation_) {
        error_ = platform.system.GetLastError();
        runtime::LogFailure(platform, "OpenWindowStationA", "WinSta0", error_);
        return;
    }
    savedStation_ = windows.GetProcessWindowStation();
    savedDesktop_ = windows.GetThreadDesktop();
    if (!windows.SetProcessWindowStation(interactiveStation_)) {
        runtime::LogLastError(platform, "SetProcessWindowStation", "WinSta0");
    }
    inputDesktop_ = windows.OpenInputDesktop(platform::kMaximumAllowed);
    if (!inputDesktop_) {
        error_ = platform.system.GetLastError();
        runtime::LogFailure(platform, "OpenInputDesktop", "", error_);
        return;
    }
    if (!windows.SetThreadDesktop(inputDesktop_)) {
        runtime::LogLastError(platform, "SetThreadDesktop", "input desktop");
    }
}

InteractiveDesktop::~InteractiveDesktop() {
    platform::Windows& windows = platform_.windows;
    if (inputDesktop_) {
        windows.SetThreadDesktop(savedDesktop_);
        windows.CloseDesktop(inputDesktop_);
    }
    if (interactiveStation_) {
        windows.SetProcessWindowStation(savedStation_);
        windows.CloseWindowStation(interactiveStation_);
    }
}

}  // namespace veltra::services
