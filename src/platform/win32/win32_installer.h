// The installer port over msi.dll, bound to the session handle the installer
// passed to the exported action.
#pragma once

#include "platform/installer.h"
#include "platform/win32/win32_api.h"

namespace veltra::win32 {

class Win32Installer final : public platform::Installer {
public:
    explicit Win32Installer(MSIHANDLE session) : session_(session) {}

    platform::Dword GetProperty(const char* name, char* buffer, platform::Dword* cch) override;
    platform::Dword SetProperty(const char* name, const char* value) override;
    platform::Dword GetSourcePath(const char* folder, char* buffer, platform::Dword* cch) override;
    platform::Dword GetTargetPath(const char* folder, char* buffer, platform::Dword* cch) override;
    int QueryFeatureState(const char* productCode, const char* feature) override;
    platform::Dword GetProductInfo(const char* productCode, const char* property, char* buffer,
                                   platform::Dword* cch) override;
    int ProcessMessage(platform::Dword messageType, const platform::MessageRecord& record) override;

private:
    MSIHANDLE session_;
};

}  // namespace veltra::win32
