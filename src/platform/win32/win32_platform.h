// Every port over the real system, bundled as the Platform an action takes.
// Built on the stack of an exported action for the session it was given; it
// allocates nothing, so building it cannot fail.
#pragma once

#include "platform/platform.h"
#include "platform/win32/win32_accounts.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_installer.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_versions.h"
#include "platform/win32/win32_windows.h"

namespace veltra::win32 {

class Win32Platform {
public:
    explicit Win32Platform(MSIHANDLE session)
        // clang-format off
        : installer_(session),
          platform_{installer_, registry_, files_, system_, windows_,
                    services_, accounts_, versions_, shell_} {}
    // clang-format on
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    platform::Platform& platform() { return platform_; }

private:
    Win32Installer installer_;
    Win32Registry registry_;
    Win32Files files_;
    Win32System system_;
    Win32Windows windows_;
    Win32Services services_;
    Win32Accounts accounts_;
    Win32Versions versions_;
    Win32Shell shell_;
    platform::Platform platform_;
};

}  // namespace veltra::win32
