// The services port over the Service Control Manager calls of advapi32.
#pragma once

#include "platform/services.h"

namespace veltra::win32 {

class Win32Services final : public platform::Services {
public:
    platform::ScHandle OpenSCManager(platform::Dword access) override;
    platform::ScHandle CreateService(platform::ScHandle manager,
                                     const platform::ServiceConfig& config) override;
    bool ChangeServiceDescription(platform::ScHandle service, const char* description) override;
    bool CloseServiceHandle(platform::ScHandle handle) override;
};

}  // namespace veltra::win32
