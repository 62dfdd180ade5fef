// The user-interface port: user32's windows, message boxes and window stations, and
// comdlg32's file-open dialog.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/system.h"
#include "platform/types.h"

namespace veltra::platform {

struct WinStaTag;
using WinStaHandle = Handle<WinStaTag>;
struct DesktopTag;
using DesktopHandle = Handle<DesktopTag>;

// Message box buttons as MessageBoxA returns them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
inline constexpr int kIdTryAgain = 10;
inline constexpr int kIdContinue = 11;

inline constexpr Dword kWsPopup = 0x80000000;
inline constexpr Hwnd kHwndTopmost{static_cast<std::uintptr_t>(-1)};
inline constexpr unsigned kSwpNoSize = 0x0001;
inline constexpr unsigned kSwpNoMove = 0x0002;

inline constexpr Dword kOfnHideReadOnly = 0x00000004;
inline constexpr Dword kMaximumAllowed = 0x02000000;

// The OPENFILENAMEA fields the library sets; the rest are zero.
struct OpenFileNameArgs {
    Dword structSize = 88;
    Hwnd owner{};
    // Filter pairs (description, pattern); the adapter builds the
    // double-zero-terminated list.
    std::vector<std::pair<std::string, std::string>> filter;
    Dword filterIndex = 1;
    std::string title;
    Dword flags = 0;
    std::string defaultExtension;
    Dword maxFile = 260;  // size of the path buffer, terminator included
};

class Windows {
public:
    virtual ~Windows() = default;

    // MessageBoxA: the button pressed, 0 on failure.
    virtual int MessageBox(Hwnd owner, const char* text, const char* caption, Dword style) = 0;

    virtual Hwnd CreateWindowEx(Dword exStyle, const char* className, const char* title,
                                Dword style, int x, int y, int width, int height, Hwnd parent) = 0;
    virtual bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                              unsigned flags) = 0;
    virtual bool DestroyWindow(Hwnd window) = 0;

    // GetOpenFileNameA: path is the in/out file buffer (initial name in, the
    // chosen path out, at most args.maxFile - 1 characters). False on Cancel.
    virtual bool GetOpenFileName(const OpenFileNameArgs& args, std::string& path) = 0;

    virtual WinStaHandle OpenWindowStation(const char* name, Dword access) = 0;
    virtual WinStaHandle GetProcessWindowStation() = 0;
    virtual bool SetProcessWindowStation(WinStaHandle station) = 0;
    virtual bool CloseWindowStation(WinStaHandle station) = 0;
    virtual DesktopHandle OpenInputDesktop(Dword access) = 0;
    virtual DesktopHandle GetThreadDesktop() = 0;
    virtual bool SetThreadDesktop(DesktopHandle desktop) = 0;
    virtual bool CloseDesktop(DesktopHandle desktop) = 0;
};

// Owns a window and destroys it.
class Window {
public:
    Window(Windows& windows, Hwnd hwnd) : windows_(&windows), hwnd_(hwnd) {}
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() {
        if (hwnd_) windows_->DestroyWindow(hwnd_);
    }
    Hwnd get() const { return hwnd_; }

private:
    Windows* windows_;
    Hwnd hwnd_;
};

}  // namespace veltra::platform
