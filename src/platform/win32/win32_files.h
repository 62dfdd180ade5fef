// The files port over kernel32's ANSI file calls, the shell's recursive
// delete and the C runtime's streams.
#pragma once

#include "platform/files.h"

namespace veltra::win32 {

class Win32Files final : public platform::Files {
public:
    using Dword = platform::Dword;

    Dword GetFileAttributes(const char* path) override;
    bool SetFileAttributes(const char* path, Dword attributes) override;
    bool CopyFile(const char* from, const char* to, bool failIfExists) override;
    bool DeleteFile(const char* path) override;
    bool MoveFileEx(const char* from, const char* to, Dword flags) override;
    bool CreateDirectory(const char* path, const char* sddl) override;
    bool RemoveDirectory(const char* path) override;
    int ShellDeleteTree(const char* path, unsigned flags) override;
    std::vector<platform::FindEntry> FindFiles(const char* pattern) override;
    std::unique_ptr<platform::FileStream> Open(const char* path, platform::OpenMode mode) override;
    Dword SearchPath(const char* folder, const char* fileName, const char* extension, char* buffer,
                     Dword cch) override;
};

}  // namespace veltra::win32
