// The user-interface port over user32 (message boxes, windows, window
// stations and desktops) and comdlg32 (the file-open dialog).
#pragma once

#include "platform/ui.h"

namespace veltra::win32 {

class Win32Windows final : public platform::Windows {
public:
    using Dword = platform::Dword;
    using Hwnd = platform::Hwnd;

    int MessageBox(Hwnd owner, const char* text, const char* caption, Dword style) override;
    Hwnd CreateWindowEx(Dword exStyle, const char* className, const char* title, Dword style, int x,
                        int y, int width, int height, Hwnd parent) override;
    bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override;
    bool DestroyWindow(Hwnd window) override;
    bool GetOpenFileName(const platform::OpenFileNameArgs& args, std::string& path) override;
    platform::WinStaHandle OpenWindowStation(const char* name, Dword access) override;
    platform::WinStaHandle GetProcessWindowStation() override;
    bool SetProcessWindowStation(platform::WinStaHandle station) override;
    bool CloseWindowStation(platform::WinStaHandle station) override;
    platform::DesktopHandle OpenInputDesktop(Dword access) override;
    platform::DesktopHandle GetThreadDesktop() override;
    bool SetThreadDesktop(platform::DesktopHandle desktop) override;
    bool CloseDesktop(platform::DesktopHandle desktop) override;
};

}  // namespace veltra::win32
