#include "platform/sim/sim_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace veltra::sim {

namespace fs = std::filesystem;
using platform::Dword;

namespace {

std::vector<std::string> SplitComponents(std::string_view rest) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : rest) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) parts.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}

// The entry of `folder` whose name equals `name` ignoring case.
std::optional<fs::path> FindEntryIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) return folder / name;
    const std::string folded = FoldCase(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (FoldCase(it->path().filename().string()) == folded) return it->path();
    }
    return std::nullopt;
}

// Wildcard match of * and ? ignoring case, as FindFirstFile does for names.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
    const std::string p = FoldCase(pattern);
    const std::string n = FoldCase(name);
    std::size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

bool FileNameHasNoExtension(std::string_view name) {
    const auto slash = name.find_last_of("\\/");
    const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
    return last.find('.') == std::string_view::npos;
}

class HostFileStream final : public platform::FileStream {
public:
    explicit HostFileStream(std::FILE* file) : file_(file) {}
    ~HostFileStream() override { std::fclose(file_); }
    std::size_t Read(void* buffer, std::size_t size) override { return std::fread(buffer, 1, size, file_); }
    std::size_t Write(const void* data, std::size_t size) override { return std::fwrite(data, 1, size, file_); }
    bool ReadLine(char* buffer, std::size_t size) override {
        if (size == 0 || size > static_cast<std::size_t>(INT32_MAX)) return false;
        return std::fgets(buffer, static_cast<int>(size), file_) != nullptr;
    }
    bool AtEnd() const override { return std::feof(file_) != 0; }

private:
    std::FILE* file_;
};

}  // namespace

std::optional<std::string> NormalizeWindowsPath(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') return std::nullopt;
    const char letter = static_cast<char>(FoldCase(path.substr(0, 1))[0]);
    if (letter < 'A' || letter > 'Z') return std::nullopt;
    if (path.size() > 2 && path[2] != '\\' && path[2] != '/') return std::nullopt;
    std::vector<std::string> parts;
    for (std::string& part : SplitComponents(path.substr(2))) {
        if (part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(std::move(part));
    }
    std::string result{letter, ':'};
    for (const std::string& part : parts) result += "\\" + part;
    if (parts.empty()) result += "\\";
    return result;
}

namespace {

// The host path spelled exactly as the Windows path is. Most paths an action
// uses are spelled as they are on disk, so one look-up settles them and the
// case-insensitive walk, a directory read per level, is the exception.
fs::path ExactHostPath(const Machine& machine, const std::string& normal) {
    fs::path path = machine.drivesRoot / normal.substr(0, 1);
    for (const std::string& part : SplitComponents(std::string_view(normal).substr(2))) path /= part;
    return path;
}

}  // namespace

std::optional<fs::path> HostPath(const Machine& machine, std::string_view windowsPath) {
    const auto normal = NormalizeWindowsPath(windowsPath);
    if (!normal) return std::nullopt;
    std::error_code ec;
    if (fs::path exact = ExactHostPath(machine, *normal); fs::exists(exact, ec)) return exact;
    auto current = FindEntryIgnoringCase(machine.drivesRoot, normal->substr(0, 1));
    if (!current) return std::nullopt;
    const std::vector<std::string> parts = SplitComponents(std::string_view(*normal).substr(2));
    std::string prefix = normal->substr(0, 2);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        prefix += '\\';
        prefix += parts[i];
        const bool folder = i + 1 < parts.size();
        if (folder) {
            const auto known = machine.resolvedFolders.find(prefix);
            if (known != machine.resolvedFolders.end() && fs::is_directory(known->second, ec)) {
                current = known->second;
                continue;
            }
        }
        current = FindEntryIgnoringCase(*current, parts[i]);
        if (!current) return std::nullopt;
        if (folder) machine.resolvedFolders[prefix] = *current;
    }
    return current;
}

std::optional<fs::path> HostPathForCreate(const Machine& machine, std::string_view windowsPath) {
    const auto normal = NormalizeWindowsPath(windowsPath);
    if (!normal) return std::nullopt;
    const fs::path exact = ExactHostPath(machine, *normal);
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    // The folder is spelled as on disk: only the last name needs matching.
    if (exact.has_parent_path() && exact != machine.drivesRoot / normal->substr(0, 1) &&
        fs::is_directory(exact.parent_path(), ec)) {
        const std::string last = exact.filename().string();
        return FindEntryIgnoringCase(exact.parent_path(), last).value_or(exact);
    }
    fs::path current = machine.drivesRoot / normal->substr(0, 1);
    if (auto drive = FindEntryIgnoringCase(machine.drivesRoot, normal->substr(0, 1))) current = *drive;
    bool resolving = true;
    for (const std::string& part : SplitComponents(std::string_view(*normal).substr(2))) {
        std::optional<fs::path> found;
        if (resolving) found = FindEntryIgnoringCase(current, part);
        if (found) {
            current = *found;
        } else {
            resolving = false;
            current /= part;
        }
    }
    return current;
}

std::string WindowsPathOf(const Machine& machine, const fs::path& host) {
    const fs::path relative = host.lexically_relative(machine.drivesRoot);
    std::string result;
    bool first = true;
    for (const fs::path& part : relative) {
        if (first) {
            result = FoldCase(part.string()) + ":";
            first = false;
        } else {
            result += "\\" + part.string();
        }
    }
    if (result.size() == 2) result += "\\";
    return result;
}

bool PutDriveFile(Machine& machine, std::string_view windowsPath, std::string_view bytes) {
    const auto host = HostPathForCreate(machine, windowsPath);
    if (!host) return false;
    std::error_code ec;
    fs::create_directories(host->parent_path(), ec);
    std::ofstream out(*host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool MakeDriveFolder(Machine& machine, std::string_view windowsPath) {
    const auto host = HostPathForCreate(machine, windowsPath);
    if (!host) return false;
    std::error_code ec;
    fs::create_directories(*host, ec);
    return fs::is_directory(*host, ec);
}

bool RemoveDriveFile(Machine& machine, std::string_view windowsPath) {
    const auto host = HostPath(machine, windowsPath);
    std::error_code ec;
    return host && fs::is_regular_file(*host, ec) && fs::remove(*host, ec);
}

bool DriveFileExists(const Machine& machine, std::string_view windowsPath) {
    const auto host = HostPath(machine, windowsPath);
    std::error_code ec;
    return host && fs::is_regular_file(*host, ec);
}

std::optional<std::string> ReadDriveFile(const Machine& machine, std::string_view windowsPath) {
    const auto host = HostPath(machine, windowsPath);
    std::error_code ec;
    if (!host || !fs::is_regular_file(*host, ec)) return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool SimFiles::Fail(std::string_view operation, std::string_view subject, Dword code) {
    machine_.lastError = code;
    machine_.trace.Record(operation, subject, code);
    return false;
}

bool SimFiles::Succeed(std::string_view operation, std::string_view subject) {
    machine_.lastError = platform::kErrorSuccess;
    machine_.trace.Record(operation, subject, 0);
    return true;
}

std::optional<Dword> SimFiles::Injected(std::string_view operation, std::string_view subject) {
    return machine_.faults.Check(operation, subject);
}

Dword SimFiles::GetFileAttributes(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("GetFileAttributesA", subject)) {
        Fail("GetFileAttributesA", subject, *code);
        return platform::kInvalidFileAttributes;
    }
    const auto host = HostPath(machine_, subject);
    if (!host) {
        const auto parent = NormalizeWindowsPath(subject);
        const bool folderMissing =
            parent && !HostPath(machine_, parent->substr(0, parent->rfind('\\') == 2 ? 3 : parent->rfind('\\')));
        Fail("GetFileAttributesA", subject,
             folderMissing ? platform::kErrorPathNotFound : platform::kErrorFileNotFound);
        return platform::kInvalidFileAttributes;
    }
    std::error_code ec;
    const bool isFolder = fs::is_directory(*host, ec);
    Dword attributes = isFolder ? platform::kFileAttributeDirectory : platform::kFileAttributeArchive;
    if (const auto it = machine_.attributes.find(*NormalizeWindowsPath(subject)); it != machine_.attributes.end()) {
        attributes = it->second | (isFolder ? platform::kFileAttributeDirectory : 0);
    }
    Succeed("GetFileAttributesA", subject);
    return attributes;
}

bool SimFiles::SetFileAttributes(const char* path, Dword attributes) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("SetFileAttributesA", subject)) return Fail("SetFileAttributesA", subject, *code);
    if (!HostPath(machine_, subject)) return Fail("SetFileAttributesA", subject, platform::kErrorFileNotFound);
    // FILE_ATTRIBUTE_NORMAL is only valid alone; it means "no other attribute".
    machine_.attributes[*NormalizeWindowsPath(subject)] =
        attributes & ~static_cast<Dword>(platform::kFileAttributeDirectory);
    return Succeed("SetFileAttributesA", subject);
}

namespace {

bool IsReadOnly(const Machine& machine, const std::string& normal) {
    const auto it = machine.attributes.find(normal);
    return it != machine.attributes.end() && (it->second & platform::kFileAttributeReadOnly) != 0;
}

}  // namespace

bool SimFiles::CopyFile(const char* from, const char* to, bool failIfExists) {
    const std::string source = from != nullptr ? from : "";
    const std::string target = to != nullptr ? to : "";
    const std::string subject = source + " -> " + target;
    if (auto code = Injected("CopyFileA", target)) return Fail("CopyFileA", subject, *code);
    const auto sourceHost = HostPath(machine_, source);
    std::error_code ec;
    if (!sourceHost || fs::is_directory(*sourceHost, ec)) {
        return Fail("CopyFileA", subject, sourceHost ? platform::kErrorAccessDenied : platform::kErrorFileNotFound);
    }
    const auto targetNormal = NormalizeWindowsPath(target);
    const auto targetHost = HostPathForCreate(machine_, target);
    if (!targetNormal || !targetHost) return Fail("CopyFileA", subject, platform::kErrorPathNotFound);
    if (machine_.filesInUse.contains(source) || machine_.filesInUse.contains(*targetNormal)) {
        return Fail("CopyFileA", subject, platform::kErrorSharingViolation);
    }
    if (!fs::is_directory(targetHost->parent_path(), ec)) return Fail("CopyFileA", subject, platform::kErrorPathNotFound);
    if (fs::exists(*targetHost, ec)) {
        if (failIfExists) return Fail("CopyFileA", subject, platform::kErrorFileExists);
        if (fs::is_directory(*targetHost, ec) || IsReadOnly(machine_, *targetNormal)) {
            return Fail("CopyFileA", subject, platform::kErrorAccessDenied);
        }
    }
    if (fs::equivalent(*sourceHost, *targetHost, ec)) return Fail("CopyFileA", subject, platform::kErrorSharingViolation);
    fs::copy_file(*sourceHost, *targetHost, fs::copy_options::overwrite_existing, ec);
    if (ec) return Fail("CopyFileA", subject, platform::kErrorAccessDenied);
    // The copy takes the source's attributes, as CopyFile does.
    const auto sourceAttributes = machine_.attributes.find(*NormalizeWindowsPath(source));
    if (sourceAttributes != machine_.attributes.end()) {
        machine_.attributes[*targetNormal] = sourceAttributes->second;
    } else {
        machine_.attributes.erase(*targetNormal);
    }
    return Succeed("CopyFileA", subject);
}

bool SimFiles::DeleteFile(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("DeleteFileA", subject)) return Fail("DeleteFileA", subject, *code);
    const auto host = HostPath(machine_, subject);
    if (!host) return Fail("DeleteFileA", subject, platform::kErrorFileNotFound);
    const std::string normal = *NormalizeWindowsPath(subject);
    std::error_code ec;
    if (fs::is_directory(*host, ec) || IsReadOnly(machine_, normal)) {
        return Fail("DeleteFileA", subject, platform::kErrorAccessDenied);
    }
    if (machine_.filesInUse.contains(normal)) return Fail("DeleteFileA", subject, platform::kErrorSharingViolation);
    fs::remove(*host, ec);
    if (ec) return Fail("DeleteFileA", subject, platform::kErrorAccessDenied);
    machine_.attributes.erase(normal);
    return Succeed("DeleteFileA", subject);
}

bool SimFiles::MoveFileEx(const char* from, const char* to, Dword flags) {
    const std::string source = from != nullptr ? from : "";
    const std::string target = to != nullptr ? to : "";
    const std::string subject = source + " -> " + target;
    if (auto code = Injected("MoveFileExA", source)) return Fail("MoveFileExA", subject, *code);
    const auto sourceHost = HostPath(machine_, source);
    if (!sourceHost) return Fail("MoveFileExA", subject, platform::kErrorFileNotFound);
    const std::string sourceNormal = *NormalizeWindowsPath(source);
    const auto targetNormal = NormalizeWindowsPath(target);
    const auto targetHost = HostPathForCreate(machine_, target);
    std::error_code ec;
    if (!targetNormal || !targetHost || !fs::is_directory(targetHost->parent_path(), ec)) {
        return Fail("MoveFileExA", subject, platform::kErrorPathNotFound);
    }
    if (machine_.filesInUse.contains(sourceNormal) || machine_.filesInUse.contains(*targetNormal)) {
        return Fail("MoveFileExA", subject, platform::kErrorSharingViolation);
    }
    const bool sameFile = fs::exists(*targetHost, ec) && fs::equivalent(*sourceHost, *targetHost, ec);
    if (fs::exists(*targetHost, ec) && !sameFile) {
        if ((flags & platform::kMoveFileReplaceExisting) == 0) {
            return Fail("MoveFileExA", subject, platform::kErrorAlreadyExists);
        }
        if (fs::is_directory(*targetHost, ec) || IsReadOnly(machine_, *targetNormal)) {
            return Fail("MoveFileExA", subject, platform::kErrorAccessDenied);
        }
        fs::remove(*targetHost, ec);
    }
    fs::rename(*sourceHost, *targetHost, ec);
    if (ec) return Fail("MoveFileExA", subject, platform::kErrorAccessDenied);
    if (const auto it = machine_.attributes.find(sourceNormal); it != machine_.attributes.end()) {
        const Dword attributes = it->second;
        machine_.attributes.erase(it);
        machine_.attributes[*targetNormal] = attributes;
    }
    return Succeed("MoveFileExA", subject);
}

bool SimFiles::CreateDirectory(const char* path, const char* sddl) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("CreateDirectoryA", subject)) return Fail("CreateDirectoryA", subject, *code);
    const auto normal = NormalizeWindowsPath(subject);
    const auto host = HostPathForCreate(machine_, subject);
    if (!normal || !host) return Fail("CreateDirectoryA", subject, platform::kErrorPathNotFound);
    std::error_code ec;
    if (fs::exists(*host, ec)) return Fail("CreateDirectoryA", subject, platform::kErrorAlreadyExists);
    if (!fs::is_directory(host->parent_path(), ec)) return Fail("CreateDirectoryA", subject, platform::kErrorPathNotFound);
    fs::create_directory(*host, ec);
    if (ec) return Fail("CreateDirectoryA", subject, platform::kErrorAccessDenied);
    if (sddl != nullptr) machine_.folderSecurity[*normal] = sddl;
    return Succeed("CreateDirectoryA", subject);
}

bool SimFiles::RemoveDirectory(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("RemoveDirectoryA", subject)) return Fail("RemoveDirectoryA", subject, *code);
    const auto host = HostPath(machine_, subject);
    std::error_code ec;
    if (!host) return Fail("RemoveDirectoryA", subject, platform::kErrorFileNotFound);
    if (!fs::is_directory(*host, ec)) return Fail("RemoveDirectoryA", subject, platform::kErrorDirectory);
    if (!fs::is_empty(*host, ec)) return Fail("RemoveDirectoryA", subject, platform::kErrorDirNotEmpty);
    fs::remove(*host, ec);
    if (ec) return Fail("RemoveDirectoryA", subject, platform::kErrorAccessDenied);
    machine_.folderSecurity.erase(*NormalizeWindowsPath(subject));
    machine_.attributes.erase(*NormalizeWindowsPath(subject));
    return Succeed("RemoveDirectoryA", subject);
}

int SimFiles::ShellDeleteTree(const char* path, unsigned /*flags*/) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("SHFileOperationA", subject)) {
        Fail("SHFileOperationA", subject, *code);
        return static_cast<int>(*code);
    }
    const auto host = HostPath(machine_, subject);
    if (!host) {
        Fail("SHFileOperationA", subject, platform::kErrorFileNotFound);
        return static_cast<int>(platform::kErrorFileNotFound);
    }
    const std::string normal = *NormalizeWindowsPath(subject);
    for (const auto& inUse : machine_.filesInUse) {
        if (FoldCase(inUse).starts_with(FoldCase(normal))) {
            Fail("SHFileOperationA", subject, platform::kErrorSharingViolation);
            return static_cast<int>(platform::kErrorSharingViolation);
        }
    }
    std::error_code ec;
    fs::remove_all(*host, ec);
    // Attributes of everything below go with it.
    for (auto it = machine_.attributes.begin(); it != machine_.attributes.end();) {
        const std::string folded = FoldCase(it->first);
        const std::string prefix = FoldCase(normal);
        it = (folded == prefix || folded.starts_with(prefix + "\\")) ? machine_.attributes.erase(it) : std::next(it);
    }
    Succeed("SHFileOperationA", subject);
    return 0;
}

std::vector<platform::FindEntry> SimFiles::FindFiles(const char* pattern) {
    const std::string subject = pattern != nullptr ? pattern : "";
    std::vector<platform::FindEntry> entries;
    if (auto code = Injected("FindFirstFileA", subject)) {
        Fail("FindFirstFileA", subject, *code);
        return entries;
    }
    const auto slash = subject.find_last_of("\\/");
    if (slash == std::string::npos) {
        Fail("FindFirstFileA", subject, platform::kErrorPathNotFound);
        return entries;
    }
    const std::string namePattern = subject.substr(slash + 1);
    const auto folder = HostPath(machine_, subject.substr(0, slash == 2 ? 3 : slash));
    std::error_code ec;
    if (!folder || !fs::is_directory(*folder, ec)) {
        Fail("FindFirstFileA", subject, platform::kErrorPathNotFound);
        return entries;
    }
    const std::string folderNormal = *NormalizeWindowsPath(subject.substr(0, slash == 2 ? 3 : slash));
    const bool isRoot = folderNormal.size() == 3;
    if (!isRoot) {
        for (const char* dots : {".", ".."}) {
            if (WildcardMatch(namePattern, dots)) entries.push_back({dots, platform::kFileAttributeDirectory});
        }
    }
    std::vector<platform::FindEntry> found;
    for (fs::directory_iterator it(*folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!WildcardMatch(namePattern, name)) continue;
        const std::string full = folderNormal + (isRoot ? "" : "\\") + name;
        const bool isFolder = it->is_directory(ec);
        Dword attributes = isFolder ? platform::kFileAttributeDirectory : platform::kFileAttributeArchive;
        if (const auto a = machine_.attributes.find(full); a != machine_.attributes.end()) {
            attributes = a->second | (isFolder ? platform::kFileAttributeDirectory : 0);
        }
        found.push_back({name, attributes});
    }
    // NTFS lists a folder in upper-case order.
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return FoldCase(a.name) < FoldCase(b.name); });
    entries.insert(entries.end(), found.begin(), found.end());
    if (entries.empty()) {
        Fail("FindFirstFileA", subject, platform::kErrorFileNotFound);
    } else {
        Succeed("FindFirstFileA", subject);
    }
    return entries;
}

std::unique_ptr<platform::FileStream> SimFiles::Open(const char* path, platform::OpenMode mode) {
    const std::string subject = path != nullptr ? path : "";
    const char* operation = mode == platform::OpenMode::Read ? "fopen(r)" : "fopen(w)";
    if (auto code = Injected(operation, subject)) {
        Fail(operation, subject, *code);
        return nullptr;
    }
    const auto normal = NormalizeWindowsPath(subject);
    const auto host = mode == platform::OpenMode::Read ? HostPath(machine_, subject)
                                                       : HostPathForCreate(machine_, subject);
    std::error_code ec;
    if (!normal || !host || fs::is_directory(*host, ec)) {
        Fail(operation, subject, platform::kErrorFileNotFound);
        return nullptr;
    }
    if (machine_.filesInUse.contains(*normal)) {
        Fail(operation, subject, platform::kErrorSharingViolation);
        return nullptr;
    }
    if (mode != platform::OpenMode::Read && fs::exists(*host, ec) && IsReadOnly(machine_, *normal)) {
        Fail(operation, subject, platform::kErrorAccessDenied);
        return nullptr;
    }
    const char* hostMode = mode == platform::OpenMode::Read ? "rb" : mode == platform::OpenMode::Write ? "wb" : "ab";
    std::FILE* file = std::fopen(host->c_str(), hostMode);
    if (file == nullptr) {
        Fail(operation, subject, platform::kErrorPathNotFound);
        return nullptr;
    }
    Succeed(operation, subject);
    return std::make_unique<HostFileStream>(file);
}

Dword SimFiles::SearchPath(const char* folder, const char* fileName, const char* extension, char* buffer,
                           Dword cch) {
    const std::string name = fileName != nullptr ? fileName : "";
    std::string candidateName = name;
    // The default extension applies only to a name without one.
    if (extension != nullptr && FileNameHasNoExtension(name)) candidateName += extension;
    std::vector<std::string> folders;
    if (name.find('\\') != std::string::npos || name.find(':') != std::string::npos) {
        folders.push_back("");
    } else if (folder != nullptr) {
        folders.push_back(folder);
    } else {
        const auto systemRoot = machine_.environment.find("SystemRoot");
        const std::string windows = systemRoot != machine_.environment.end() ? systemRoot->second : "C:\\WINDOWS";
        folders.push_back(windows + "\\system32");
        folders.push_back(windows);
        if (const auto path = machine_.environment.find("PATH"); path != machine_.environment.end()) {
            std::string entry;
            for (char c : path->second + ";") {
                if (c == ';') {
                    if (!entry.empty()) folders.push_back(entry);
                    entry.clear();
                } else {
                    entry += c;
                }
            }
        }
    }
    const std::string subject = (folder != nullptr ? std::string(folder) + "|" : std::string()) + candidateName;
    if (auto code = Injected("SearchPathA", subject)) {
        Fail("SearchPathA", subject, *code);
        return 0;
    }
    for (const std::string& base : folders) {
        std::string full = base.empty() ? candidateName
                                        : base + (base.back() == '\\' ? "" : "\\") + candidateName;
        const auto host = HostPath(machine_, full);
        std::error_code ec;
        if (!host || fs::is_directory(*host, ec)) continue;
        if (full.size() + 1 > cch) {
            Succeed("SearchPathA", subject);
            return static_cast<Dword>(full.size() + 1);
        }
        std::memcpy(buffer, full.c_str(), full.size() + 1);
        Succeed("SearchPathA", subject);
        return static_cast<Dword>(full.size());
    }
    Fail("SearchPathA", subject, platform::kErrorFileNotFound);
    return 0;
}

}  // namespace veltra::sim
