// The files port over the machine's in-memory drives, and the path rules the
// rest of the simulator shares: Windows paths ("C:\Dir\File") normalised and
// compared ignoring case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/sim/machine.h"

namespace veltra::sim {

// "C:\a\.\b\..\c\" -> "C:\a\c": drive letter upper-cased, '/' taken as '\',
// "." and ".." folded, no trailing backslash. nullopt when the path is not an
// absolute drive path.
std::optional<std::string> NormalizeWindowsPath(std::string_view path);

// Direct access to the machine's files for the installer engine, the bench and
// tests (no fault injection, no trace: these are not calls of the library).
// Paths are Windows paths compared ignoring case; parents are created as
// needed. False or nullopt for a bad path or a missing file.
bool PutDriveFile(Machine& machine, std::string_view windowsPath, std::string_view bytes);
bool MakeDriveFolder(Machine& machine, std::string_view windowsPath);
bool RemoveDriveFile(Machine& machine, std::string_view windowsPath);
bool DriveFileExists(const Machine& machine, std::string_view windowsPath);
std::optional<std::string> ReadDriveFile(const Machine& machine, std::string_view windowsPath);

class SimFiles final : public platform::Files {
public:
    explicit SimFiles(Machine& machine) : machine_(machine) {}

    platform::Dword GetFileAttributes(const char* path) override;
    bool SetFileAttributes(const char* path, platform::Dword attributes) override;
    bool CopyFile(const char* from, const char* to, bool failIfExists) override;
    bool DeleteFile(const char* path) override;
    bool MoveFileEx(const char* from, const char* to, platform::Dword flags) override;
    bool CreateDirectory(const char* path, const char* sddl) override;
    bool RemoveDirectory(const char* path) override;
    int ShellDeleteTree(const char* path, unsigned flags) override;
    std::vector<platform::FindEntry> FindFiles(const char* pattern) override;
    std::unique_ptr<platform::FileStream> Open(const char* path, platform::OpenMode mode) override;
    platform::Dword SearchPath(const char* folder, const char* fileName, const char* extension,
                               char* buffer, platform::Dword cch) override;

private:
    bool Fail(std::string_view operation, std::string_view subject, platform::Dword code);
    bool Succeed(std::string_view operation, std::string_view subject);
    std::optional<platform::Dword> Injected(std::string_view operation, std::string_view subject);
    std::optional<std::string> Normal(std::string_view path) const;

    Machine& machine_;
};

}  // namespace veltra::sim
