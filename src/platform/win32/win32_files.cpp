#include "platform/win32/win32_files.h"

#include <climits>
#include <cstdio>
#include <new>
#include <string>

#include "platform/win32/handles.h"

namespace veltra::win32 {
namespace {

using platform::Dword;

// A C runtime stream. Files are opened in binary mode: the logic writes the
// line ends it means ("\r\n" for the text files Windows tools read), exactly
// as the simulated machine stores them.
class StdioStream final : public platform::FileStream {
public:
    explicit StdioStream(std::FILE* file) : file_(file) {}
    StdioStream(const StdioStream&) = delete;
    StdioStream& operator=(const StdioStream&) = delete;
    ~StdioStream() override { std::fclose(file_); }

    std::size_t Read(void* buffer, std::size_t size) override {
        return std::fread(buffer, 1, size, file_);
    }
    std::size_t Write(const void* data, std::size_t size) override {
        return std::fwrite(data, 1, size, file_);
    }
    bool ReadLine(char* buffer, std::size_t size) override {
        if (size == 0 || size > static_cast<std::size_t>(INT_MAX)) return false;
        return std::fgets(buffer, static_cast<int>(size), file_) != nullptr;
    }
    bool AtEnd() const override { return std::feof(file_) != 0; }

private:
    std::FILE* file_;
};

}  // namespace

Dword Win32Files::GetFileAttributes(const char* path) {
    return ::GetFileAttributesA(path);
}

bool Win32Files::SetFileAttributes(const char* path, Dword attributes) {
    return ::SetFileAttributesA(path, attributes) != FALSE;
}

bool Win32Files::CopyFile(const char* from, const char* to, bool failIfExists) {
    return ::CopyFileA(from, to, failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32Files::DeleteFile(const char* path) {
    return ::DeleteFileA(path) != FALSE;
}

bool Win32Files::MoveFileEx(const char* from, const char* to, Dword flags) {
    return ::MoveFileExA(from, to, flags) != FALSE;
}

bool Win32Files::CreateDirectory(const char* path, const char* sddl) {
    if (sddl == nullptr) return ::CreateDirectoryA(path, nullptr) != FALSE;
    UniqueLocalMemory descriptor;
    PSECURITY_DESCRIPTOR converted = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &converted,
                                                                nullptr)) {
        return false;
    }
    descriptor = UniqueLocalMemory(converted);
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = converted;
    attributes.bInheritHandle = TRUE;
    return ::CreateDirectoryA(path, &attributes) != FALSE;
}

bool Win32Files::RemoveDirectory(const char* path) {
    return ::RemoveDirectoryA(path) != FALSE;
}

int Win32Files::ShellDeleteTree(const char* path, unsigned flags) {
    // The shell takes a list of paths, each ended by a zero, the list by one more.
    std::string from = path != nullptr ? path : "";
    from.push_back('\0');
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = static_cast<FILEOP_FLAGS>(flags);
    return ::SHFileOperationA(&operation);
}

std::vector<platform::FindEntry> Win32Files::FindFiles(const char* pattern) {
    std::vector<platform::FindEntry> entries;
    WIN32_FIND_DATAA found{};
    UniqueFindHandle search(::FindFirstFileA(pattern, &found));
    if (!search) return entries;
    do {
        entries.push_back({found.cFileName, found.dwFileAttributes});
    } while (::FindNextFileA(search.get(), &found));
    return entries;
}

std::unique_ptr<platform::FileStream> Win32Files::Open(const char* path, platform::OpenMode mode) {
    const char* how = "rb";
    if (mode == platform::OpenMode::Write) how = "wb";
    if (mode == platform::OpenMode::Append) how = "ab";
    std::FILE* file = std::fopen(path, how);
    if (file == nullptr) return nullptr;
    std::unique_ptr<platform::FileStream> stream(new (std::nothrow) StdioStream(file));
    if (!stream) std::fclose(file);
    return stream;
}

Dword Win32Files::SearchPath(const char* folder, const char* fileName, const char* extension,
                             char* buffer, Dword cch) {
    return ::SearchPathA(folder, fileName, extension, cch, buffer, nullptr);
}

}  // namespace veltra::win32
