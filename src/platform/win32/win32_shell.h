// The shell port over shell32.
#pragma once

#include "platform/shell.h"

namespace veltra::win32 {

class Win32Shell final : public platform::Shell {
public:
    std::intptr_t ShellExecute(platform::Hwnd owner, const char* verb, const char* file,
                               const char* parameters, const char* directory, int show) override;
};

}  // namespace veltra::win32
