// The shell port (shell32): opening a document or web address.
#pragma once

#include <cstdint>

#include "platform/system.h"

namespace veltra::platform {

inline constexpr int kSwShowMaximized = 3;

class Shell {
public:
    virtual ~Shell() = default;
    // ShellExecuteA: a value above 32 means success.
    virtual std::intptr_t ShellExecute(Hwnd owner, const char* verb, const char* file,
                                       const char* parameters, const char* directory,
                                       int show) = 0;
};

}  // namespace veltra::platform
