// The system port: what kernel32 gives a process besides files (the last
// error, environment, named mutexes, loaded modules, the system folder, the
// operating system version) and the process's standard output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/types.h"

namespace veltra::platform {

struct MutexTag;
using MutexHandle = Handle<MutexTag>;
struct ModuleTag;
using ModuleHandle = Handle<ModuleTag>;
struct WindowTag;
using Hwnd = Handle<WindowTag>;

// CSTR_LESS_THAN, CSTR_EQUAL, CSTR_GREATER_THAN of CompareStringA.
inline constexpr int kCstrLessThan = 1;
inline constexpr int kCstrEqual = 2;
inline constexpr int kCstrGreaterThan = 3;

// The ANSI code page all the library's text is in (GetACP with GetCPInfo):
// in a double-byte code page such as 932 a lead byte starts a two-byte
// character whose second byte may be any value, '\\' (0x5C) included.
struct CodePageInfo {
    unsigned codePage = 1252;
    unsigned maxCharSize = 1;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> leadByteRanges;  // inclusive
};

class System {
public:
    virtual ~System() = default;

    // GetLastError / SetLastError: every port call that Win32 reports this way
    // leaves its code here.
    virtual Dword GetLastError() = 0;
    virtual void SetLastError(Dword code) = 0;

    // ExpandEnvironmentStringsA: the length needed including the terminator;
    // the text is copied only when it fits. Unknown %NAME% stays as written.
    virtual Dword ExpandEnvironmentStrings(const char* source, char* buffer, Dword cch) = 0;
    // GetEnvironmentVariableA: length copied, or the size needed, or 0 (203).
    virtual Dword GetEnvironmentVariable(const char* name, char* buffer, Dword cch) = 0;
    // _putenv("NAME=value"): 0 on success.
    virtual int PutEnv(const char* assignment) = 0;
    // GetSystemDirectoryA.
    virtual Dword GetSystemDirectory(char* buffer, Dword cch) = 0;
    // The major version of the running Windows (5 for XP and 2003).
    virtual Dword GetWindowsMajorVersion() = 0;

    // CreateMutexA(no security, not owned, name): null on failure; the last
    // error is 183 when the mutex already existed.
    virtual MutexHandle CreateMutex(const char* name) = 0;
    virtual bool CloseMutex(MutexHandle mutex) = 0;

    // GetModuleHandleA: whether a module of that path is loaded in this process.
    virtual bool IsModuleLoaded(const char* path) = 0;
    // LoadLibraryA / FreeLibrary.
    virtual ModuleHandle LoadLibrary(const char* path) = 0;
    virtual bool FreeLibrary(ModuleHandle module) = 0;
    // GetProcAddress of a stdcall export taking a window handle and returning
    // an int, and the call itself. False (last error 127) when there is no
    // such export; otherwise *result holds what the export returned.
    virtual bool CallWindowExport(ModuleHandle module, const char* exportName, Hwnd owner,
                                  int* result) = 0;

    // GetACP and GetCPInfo(CP_ACP): false (last error set) when it fails.
    virtual bool GetCPInfo(CodePageInfo& info) = 0;
    // CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE) over both whole
    // strings: kCstrLessThan, kCstrEqual or kCstrGreaterThan; 0 (last error
    // set) on failure. Case folds as the ANSI code page has it (é and É are
    // one letter in 1252), never inside a two-byte character.
    virtual int CompareStringIgnoreCase(std::string_view a, std::string_view b) = 0;

    // Diagnostic lines on the process's standard output.
    virtual void WriteStdout(std::string_view text) = 0;
};

// Owns a mutex handle.
class Mutex {
public:
    Mutex(System& system, MutexHandle handle) : system_(&system), handle_(handle) {}
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    ~Mutex() {
        if (handle_) system_->CloseMutex(handle_);
    }
    explicit operator bool() const { return static_cast<bool>(handle_); }

private:
    System* system_;
    MutexHandle handle_;
};

// Owns a loaded module.
class Module {
public:
    Module(System& system, ModuleHandle handle) : system_(&system), handle_(handle) {}
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    ~Module() {
        if (handle_) system_->FreeLibrary(handle_);
    }
    ModuleHandle get() const { return handle_; }
    explicit operator bool() const { return static_cast<bool>(handle_); }

private:
    System* system_;
    ModuleHandle handle_;
};

}  // namespace veltra::platform
