#include "platform/win32/win32_windows.h"

#include <algorithm>
#include <vector>

#include "platform/win32/handles.h"

namespace veltra::win32 {

using platform::DesktopHandle;
using platform::Dword;
using platform::Hwnd;
using platform::WinStaHandle;

int Win32Windows::MessageBox(Hwnd owner, const char* text, const char* caption, Dword style) {
    return ::MessageBoxA(ToHwnd(owner), text, caption, style);
}

Hwnd Win32Windows::CreateWindowEx(Dword exStyle, const char* className, const char* title,
                                  Dword style, int x, int y, int width, int height, Hwnd parent) {
    return FromHwnd(::CreateWindowExA(exStyle, className, title, style, x, y, width, height,
                                      ToHwnd(parent), nullptr, nullptr, nullptr));
}

bool Win32Windows::SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                                unsigned flags) {
    return ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, cx, cy, flags) != FALSE;
}

bool Win32Windows::DestroyWindow(Hwnd window) {
    return ::DestroyWindow(ToHwnd(window)) != FALSE;
}

bool Win32Windows::GetOpenFileName(const platform::OpenFileNameArgs& args, std::string& path) {
    // The filter is one string of description and pattern pairs, each ended
    // by a zero, the list by one more.
    std::string filter;
    for (const auto& [description, pattern] : args.filter) {
        filter += description;
        filter.push_back('\0');
        filter += pattern;
        filter.push_back('\0');
    }
    filter.push_back('\0');

    const std::size_t capacity = std::max<std::size_t>(args.maxFile, 1);
    std::vector<char> file(capacity, '\0');
    std::copy_n(path.begin(), std::min(path.size(), capacity - 1), file.begin());

    OPENFILENAMEA dialog{};
    // The library's record size is that of the 32-bit layout; a 64-bit build
    // has a larger record and must say so.
    dialog.lStructSize = sizeof(void*) == 4 ? args.structSize : sizeof dialog;
    dialog.hwndOwner = ToHwnd(args.owner);
    dialog.lpstrFilter = args.filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = args.filterIndex;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(capacity);
    dialog.lpstrTitle = args.title.empty() ? nullptr : args.title.c_str();
    dialog.Flags = args.flags;
    // Passed as given: the library's dialogs name an empty default extension,
    // which is not the same request as none at all.
    dialog.lpstrDefExt = args.defaultExtension.c_str();
    if (!::GetOpenFileNameA(&dialog)) return false;
    path.assign(file.data());
    return true;
}

WinStaHandle Win32Windows::OpenWindowStation(const char* name, Dword access) {
    return FromNative<platform::WinStaTag>(::OpenWindowStationA(name, FALSE, access));
}

WinStaHandle Win32Windows::GetProcessWindowStation() {
    return FromNative<platform::WinStaTag>(::GetProcessWindowStation());
}

bool Win32Windows::SetProcessWindowStation(WinStaHandle station) {
    return ::SetProcessWindowStation(ToNative<HWINSTA>(station)) != FALSE;
}

bool Win32Windows::CloseWindowStation(WinStaHandle station) {
    return ::CloseWindowStation(ToNative<HWINSTA>(station)) != FALSE;
}

DesktopHandle Win32Windows::OpenInputDesktop(Dword access) {
    return FromNative<platform::DesktopTag>(::OpenInputDesktop(0, FALSE, access));
}

DesktopHandle Win32Windows::GetThreadDesktop() {
    return FromNative<platform::DesktopTag>(::GetThreadDesktop(::GetCurrentThreadId()));
}

bool Win32Windows::SetThreadDesktop(DesktopHandle desktop) {
    return ::SetThreadDesktop(ToNative<HDESK>(desktop)) != FALSE;
}

bool Win32Windows::CloseDesktop(DesktopHandle desktop) {
    return ::CloseDesktop(ToNative<HDESK>(desktop)) != FALSE;
}

}  // namespace veltra::win32
