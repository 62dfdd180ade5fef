#include "platform/win32/win32_shell.h"

#include "platform/win32/handles.h"

namespace veltra::win32 {

std::intptr_t Win32Shell::ShellExecute(platform::Hwnd owner, const char* verb, const char* file,
                                       const char* parameters, const char* directory, int show) {
    // The result is an instance handle only in name: a number above 32 for success.
    return reinterpret_cast<std::intptr_t>(
        ::ShellExecuteA(ToHwnd(owner), verb, file, parameters, directory, show));
}

}  // namespace veltra::win32
