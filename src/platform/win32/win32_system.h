// The system port over kernel32 (last error, environment, mutexes, modules,
// the system folder and version) and the C runtime's standard output.
#pragma once

#include "platform/system.h"

namespace veltra::win32 {

class Win32System final : public platform::System {
public:
    using Dword = platform::Dword;

    Dword GetLastError() override;
    void SetLastError(Dword code) override;
    Dword ExpandEnvironmentStrings(const char* source, char* buffer, Dword cch) override;
    Dword GetEnvironmentVariable(const char* name, char* buffer, Dword cch) override;
    int PutEnv(const char* assignment) override;
    Dword GetSystemDirectory(char* buffer, Dword cch) override;
    Dword GetWindowsMajorVersion() override;
    platform::MutexHandle CreateMutex(const char* name) override;
    bool CloseMutex(platform::MutexHandle mutex) override;
    bool IsModuleLoaded(const char* path) override;
    platform::ModuleHandle LoadLibrary(const char* path) override;
    bool FreeLibrary(platform::ModuleHandle module) override;
    bool CallWindowExport(platform::ModuleHandle module, const char* exportName,
                          platform::Hwnd owner, int* result) override;
    bool GetCPInfo(platform::CodePageInfo& info) override;
    int CompareStringIgnoreCase(std::string_view a, std::string_view b) override;
    void WriteStdout(std::string_view text) override;
};

}  // namespace veltra::win32
