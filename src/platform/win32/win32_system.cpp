#include "platform/win32/win32_system.h"

#include <cstdio>
#include <cstdlib>

#include "platform/win32/handles.h"

namespace veltra::win32 {

using platform::Dword;

Dword Win32System::GetLastError() {
    return ::GetLastError();
}

void Win32System::SetLastError(Dword code) {
    ::SetLastError(code);
}

Dword Win32System::ExpandEnvironmentStrings(const char* source, char* buffer, Dword cch) {
    return ::ExpandEnvironmentStringsA(source, buffer, cch);
}

Dword Win32System::GetEnvironmentVariable(const char* name, char* buffer, Dword cch) {
    return ::GetEnvironmentVariableA(name, buffer, cch);
}

int Win32System::PutEnv(const char* assignment) {
    return ::_putenv(assignment);
}

Dword Win32System::GetSystemDirectory(char* buffer, Dword cch) {
    return ::GetSystemDirectoryA(buffer, cch);
}

Dword Win32System::GetWindowsMajorVersion() {
    // The low byte of GetVersion's low word is the major version.
    return LOBYTE(LOWORD(::GetVersion()));
}

platform::MutexHandle Win32System::CreateMutex(const char* name) {
    return FromNative<platform::MutexTag>(::CreateMutexA(nullptr, FALSE, name));
}

bool Win32System::CloseMutex(platform::MutexHandle mutex) {
    return ::CloseHandle(ToNative<HANDLE>(mutex)) != FALSE;
}

bool Win32System::IsModuleLoaded(const char* path) {
    return ::GetModuleHandleA(path) != nullptr;
}

platform::ModuleHandle Win32System::LoadLibrary(const char* path) {
    return FromNative<platform::ModuleTag>(::LoadLibraryA(path));
}

bool Win32System::FreeLibrary(platform::ModuleHandle module) {
    return ::FreeLibrary(ToNative<HMODULE>(module)) != FALSE;
}

bool Win32System::CallWindowExport(platform::ModuleHandle module, const char* exportName,
                                   platform::Hwnd owner, int* result) {
    // GetProcAddress leaves 127 (ERROR_PROC_NOT_FOUND) as the last error.
    const FARPROC address = ::GetProcAddress(ToNative<HMODULE>(module), exportName);
    if (address == nullptr) return false;
    using WindowExport = int(WINAPI*)(HWND);
    const auto entry = reinterpret_cast<WindowExport>(reinterpret_cast<void (*)()>(address));
    const int returned = entry(ToHwnd(owner));
    if (result != nullptr) *result = returned;
    return true;
}

bool Win32System::GetCPInfo(platform::CodePageInfo& info) {
    CPINFO native{};
    if (::GetCPInfo(CP_ACP, &native) == FALSE) return false;
    info.codePage = ::GetACP();
    info.maxCharSize = native.MaxCharSize;
    info.leadByteRanges.clear();
    // Pairs of first and last lead byte, closed by a zero pair.
    for (int i = 0; i + 1 < MAX_LEADBYTES && native.LeadByte[i] != 0; i += 2) {
        info.leadByteRanges.emplace_back(native.LeadByte[i], native.LeadByte[i + 1]);
    }
    return true;
}

int Win32System::CompareStringIgnoreCase(std::string_view a, std::string_view b) {
    // Empty strings are settled here rather than passed with a length of 0.
    if (a.empty() || b.empty()) {
        return a.empty() && b.empty() ? platform::kCstrEqual
               : a.empty()            ? platform::kCstrLessThan
                                      : platform::kCstrGreaterThan;
    }
    return ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                            b.data(), static_cast<int>(b.size()));
}

void Win32System::WriteStdout(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace veltra::win32
