// The files port: kernel32's file and folder calls, the shell's recursive
// delete, and plain byte streams for the text files the library reads and
// writes. Paths are Windows paths ("C:\Dir\file"), compared ignoring case.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace veltra::platform {

inline constexpr Dword kInvalidFileAttributes = 0xFFFFFFFF;
inline constexpr Dword kFileAttributeReadOnly = 0x01;
inline constexpr Dword kFileAttributeHidden = 0x02;
inline constexpr Dword kFileAttributeSystem = 0x04;
inline constexpr Dword kFileAttributeDirectory = 0x10;
inline constexpr Dword kFileAttributeArchive = 0x20;
inline constexpr Dword kFileAttributeNormal = 0x80;

inline constexpr Dword kMoveFileReplaceExisting = 0x1;
inline constexpr Dword kMoveFileCopyAllowed = 0x2;

// SHFileOperationA flags.
inline constexpr unsigned kFofSilent = 0x0004;
inline constexpr unsigned kFofNoConfirmation = 0x0010;
inline constexpr unsigned kFofNoErrorUi = 0x0400;

struct FindEntry {
    std::string name;  // file name only, as stored
    Dword attributes = 0;
};

// An open file (fopen/CreateFile); closed by its destructor.
class FileStream {
public:
    virtual ~FileStream() = default;
    // Bytes read; 0 at the end of the file or on failure.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
    virtual std::size_t Write(const void* data, std::size_t size) = 0;
    // fgets: up to size-1 bytes, stopping after a '\n'; false at the end.
    virtual bool ReadLine(char* buffer, std::size_t size) = 0;
    virtual bool AtEnd() const = 0;
};

enum class OpenMode { Read, Write, Append };

// Every call that Win32 makes report through GetLastError leaves its code in
// the System port's LastError().
class Files {
public:
    virtual ~Files() = default;

    virtual Dword GetFileAttributes(const char* path) = 0;
    virtual bool SetFileAttributes(const char* path, Dword attributes) = 0;
    virtual bool CopyFile(const char* from, const char* to, bool failIfExists) = 0;
    virtual bool DeleteFile(const char* path) = 0;
    virtual bool MoveFileEx(const char* from, const char* to, Dword flags) = 0;
    // sddl: a security descriptor in SDDL text, or null for the default one.
    virtual bool CreateDirectory(const char* path, const char* sddl) = 0;
    virtual bool RemoveDirectory(const char* path) = 0;
    // SHFileOperationA with FO_DELETE: 0 on success.
    virtual int ShellDeleteTree(const char* path, unsigned flags) = 0;

    // FindFirstFileA/FindNextFileA over a pattern such as "C:\Dir\*"; the
    // entries in the order the file system gives them ("." and ".." included
    // for a folder, as Windows does). Empty when nothing matches.
    virtual std::vector<FindEntry> FindFiles(const char* pattern) = 0;

    // Text and binary files; null when the file cannot be opened.
    virtual std::unique_ptr<FileStream> Open(const char* path, OpenMode mode) = 0;

    // SearchPathA: folder null for the default search path; extension may be
    // null. Returns the length copied (without terminator), the needed size
    // with terminator when the buffer is too small, or 0 when not found.
    virtual Dword SearchPath(const char* folder, const char* fileName, const char* extension,
                             char* buffer, Dword cch) = 0;
};

}  // namespace veltra::platform
