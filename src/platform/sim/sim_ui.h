// The user-interface port: every message box and file dialog is recorded and
// answered from the machine's script. A dialog with no scripted answer (or an
// answer that is not one of its buttons) is recorded as unanswered and fails
// as the real call fails (0 / FALSE), so the run is reported, never guessed.
#pragma once

#include <map>

#include "platform/sim/machine.h"
#include "platform/ui.h"

namespace veltra::sim {

class SimUi final : public platform::Windows {
public:
    explicit SimUi(Machine& machine)
        : machine_(machine), gate_(machine.faults, machine.trace, &machine.lastError) {}

    int MessageBox(platform::Hwnd owner, const char* text, const char* caption, platform::Dword style) override;
    platform::Hwnd CreateWindowEx(platform::Dword exStyle, const char* className, const char* title,
                                  platform::Dword style, int x, int y, int width, int height,
                                  platform::Hwnd parent) override;
    bool SetWindowPos(platform::Hwnd window, platform::Hwnd insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override;
    bool DestroyWindow(platform::Hwnd window) override;
    bool GetOpenFileName(const platform::OpenFileNameArgs& args, std::string& path) override;
    platform::WinStaHandle OpenWindowStation(const char* name, platform::Dword access) override;
    platform::WinStaHandle GetProcessWindowStation() override;
    bool SetProcessWindowStation(platform::WinStaHandle station) override;
    bool CloseWindowStation(platform::WinStaHandle station) override;
    platform::DesktopHandle OpenInputDesktop(platform::Dword access) override;
    platform::DesktopHandle GetThreadDesktop() override;
    bool SetThreadDesktop(platform::DesktopHandle desktop) override;
    bool CloseDesktop(platform::DesktopHandle desktop) override;

    std::size_t OpenWindowCount() const { return windows_.size(); }

private:
    std::string OwnerName(platform::Hwnd owner) const;
    Machine& machine_;
    Gate gate_;
    std::uintptr_t nextHandle_ = 0x10000;
    std::map<std::uintptr_t, std::string> windows_;  // handle -> class name
    std::map<std::uintptr_t, std::string> stations_;
    std::map<std::uintptr_t, std::string> desktops_;
    std::uintptr_t processStation_ = 0x1;  // the service's own window station
    std::uintptr_t threadDesktop_ = 0x2;
};

// The buttons a MessageBox style offers.
std::vector<int> ButtonsOfStyle(platform::Dword style);

}  // namespace veltra::sim
