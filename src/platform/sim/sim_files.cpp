#include "platform/sim/sim_files.h"

#include "platform/sim/sddl.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace veltra::sim {

using platform::Dword;

namespace {

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

// An open file over a file's bytes, with stdio's rules: a reader sees the
// bytes as they were when it opened the file; a writer builds new bytes that
// replace the file's at once ("wb" empty, "ab" a copy of the old), so that a
// snapshot taken before keeps the old content; the end-of-file flag is set by
// a read that runs into the end, as feof reports it.
class MemoryFileStream final : public platform::FileStream {
public:
    explicit MemoryFileStream(std::shared_ptr<const std::string> bytes) : reading_(std::move(bytes)) {}
    explicit MemoryFileStream(std::shared_ptr<std::string> bytes) : writing_(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        if (!reading_ || size == 0) return 0;
        const std::size_t count = std::min(size, reading_->size() - position_);
        std::memcpy(buffer, reading_->data() + position_, count);
        position_ += count;
        if (count < size) atEnd_ = true;
        return count;
    }
    std::size_t Write(const void* data, std::size_t size) override {
        if (!writing_) return 0;
        writing_->append(static_cast<const char*>(data), size);
        return size;
    }
    bool ReadLine(char* buffer, std::size_t size) override {
        if (!reading_ || size == 0 || size > static_cast<std::size_t>(INT32_MAX)) return false;
        std::size_t count = 0;
        while (count + 1 < size) {
            if (position_ == reading_->size()) {
                atEnd_ = true;
                break;
            }
            const char c = (*reading_)[position_++];
            buffer[count++] = c;
            if (c == '\n') break;
        }
        if (count == 0 && atEnd_) return false;
        buffer[count] = '\0';
        return true;
    }
    bool AtEnd() const override { return atEnd_; }

private:
    std::shared_ptr<const std::string> reading_;
    std::shared_ptr<std::string> writing_;
    std::size_t position_ = 0;
    bool atEnd_ = false;
};

}  // namespace

namespace {

// True when the path is already in its normal form: "X:\" and parts that are
// neither empty nor "." nor "..", joined by single backslashes.
bool IsNormal(std::string_view path) {
    if (path.size() < 3 || path[0] < 'A' || path[0] > 'Z' || path[1] != ':' || path[2] != '\\') return false;
    if (path.size() == 3) return true;
    std::size_t start = 3;
    for (std::size_t i = 3; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\') {
            if (path[i] == '/') return false;
            continue;
        }
        const std::string_view part = path.substr(start, i - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = i + 1;
    }
    return true;
}

}  // namespace

std::optional<std::string> NormalizeWindowsPath(std::string_view path) {
    if (IsNormal(path)) return std::string(path);
    if (path.size() < 2 || path[1] != ':') return std::nullopt;
    char letter = path[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') return std::nullopt;
    if (path.size() > 2 && path[2] != '\\' && path[2] != '/') return std::nullopt;
    std::string result{letter, ':'};
    result.reserve(path.size() + 1);
    std::size_t i = 2;
    while (i < path.size()) {
        while (i < path.size() && (path[i] == '\\' || path[i] == '/')) ++i;
        std::size_t end = i;
        while (end < path.size() && path[end] != '\\' && path[end] != '/') ++end;
        const std::string_view part = path.substr(i, end - i);
        i = end;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (result.size() > 2) result.resize(result.rfind('\\'));
            continue;
        }
        result += '\\';
        result += part;
    }
    if (result.size() == 2) result += '\\';
    return result;
}

namespace {

const DriveEntry* Lookup(const Machine& machine, std::string_view windowsPath) {
    const auto normal = NormalizeWindowsPath(windowsPath);
    return normal ? machine.drives.Find(*normal) : nullptr;
}

}  // namespace

bool PutDriveFile(Machine& machine, std::string_view windowsPath, std::string_view bytes) {
    const auto normal = NormalizeWindowsPath(windowsPath);
    if (!normal) return false;
    DriveEntry* file = machine.drives.Find(*normal);
    if (file == nullptr) {
        std::string_view parent, name;
        if (!SplitParent(*normal, parent, name)) return false;
        DriveEntry* folder = machine.drives.MakeFolders(parent);
        if (folder == nullptr) return false;
        file = &folder->AddChild(name, false);
    }
    if (file->folder) return false;
    file->bytes = std::make_shared<const std::string>(bytes);
    return true;
}

bool MakeDriveFolder(Machine& machine, std::string_view windowsPath) {
    const auto normal = NormalizeWindowsPath(windowsPath);
    return normal && machine.drives.MakeFolders(*normal) != nullptr;
}

bool RemoveDriveFile(Machine& machine, std::string_view windowsPath) {
    const auto normal = NormalizeWindowsPath(windowsPath);
    if (!normal) return false;
    std::string_view name;
    DriveEntry* folder = machine.drives.ParentFolder(*normal, name);
    const DriveEntry* file = folder != nullptr ? folder->Child(name) : nullptr;
    if (file == nullptr || file->folder) return false;
    folder->RemoveChild(name);
    return true;
}

bool DriveFileExists(const Machine& machine, std::string_view windowsPath) {
    const DriveEntry* entry = Lookup(machine, windowsPath);
    return entry != nullptr && !entry->folder;
}

std::optional<std::string> ReadDriveFile(const Machine& machine, std::string_view windowsPath) {
    const DriveEntry* entry = Lookup(machine, windowsPath);
    if (entry == nullptr || entry->folder) return std::nullopt;
    return *entry->bytes;
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

// A relative path lies below the process's current directory: for the
// installer's custom actions, the system folder the installer service starts
// in. A path on the current drive's root ("\\x") takes that drive.
std::optional<std::string> SimFiles::Normal(std::string_view path) const {
    if (path.empty() || (path.size() >= 2 && path[1] == ':') || path.starts_with("\\\\")) {
        return NormalizeWindowsPath(path);
    }
    const auto root = machine_.environment.find("SystemRoot");
    const std::string current =
        (root != machine_.environment.end() && !root->second.empty() ? root->second : std::string("C:\\WINDOWS")) +
        "\\system32";
    if (path[0] == '\\' || path[0] == '/') return NormalizeWindowsPath(current.substr(0, 2) + std::string(path));
    return NormalizeWindowsPath(current + "\\" + std::string(path));
}

Dword SimFiles::GetFileAttributes(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("GetFileAttributesA", subject)) {
        Fail("GetFileAttributesA", subject, *code);
        return platform::kInvalidFileAttributes;
    }
    const auto normal = Normal(subject);
    const DriveEntry* entry = normal ? machine_.drives.Find(*normal) : nullptr;
    if (entry == nullptr) {
        // A path that names no drive folder at all ("" among them) fails as a
        // missing path, as a path whose folder is missing does.
        std::string_view parent, name;
        const bool folderMissing =
            !normal || !SplitParent(*normal, parent, name) || machine_.drives.Find(parent) == nullptr;
        Fail("GetFileAttributesA", subject,
             folderMissing ? platform::kErrorPathNotFound : platform::kErrorFileNotFound);
        return platform::kInvalidFileAttributes;
    }
    Dword attributes = entry->folder ? platform::kFileAttributeDirectory : platform::kFileAttributeArchive;
    if (const auto it = machine_.attributes.find(*normal); it != machine_.attributes.end()) {
        attributes = it->second | (entry->folder ? platform::kFileAttributeDirectory : 0);
    }
    Succeed("GetFileAttributesA", subject);
    return attributes;
}

bool SimFiles::SetFileAttributes(const char* path, Dword attributes) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("SetFileAttributesA", subject)) return Fail("SetFileAttributesA", subject, *code);
    if (Lookup(machine_, subject) == nullptr) return Fail("SetFileAttributesA", subject, platform::kErrorFileNotFound);
    // FILE_ATTRIBUTE_NORMAL is only valid alone; it means "no other attribute".
    machine_.attributes[*Normal(subject)] =
        attributes & ~static_cast<Dword>(platform::kFileAttributeDirectory);
    return Succeed("SetFileAttributesA", subject);
}

namespace {

bool IsReadOnly(const Machine& machine, const std::string& normal) {
    const auto it = machine.attributes.find(normal);
    return it != machine.attributes.end() && (it->second & platform::kFileAttributeReadOnly) != 0;
}

// True when the normal path `inner` is `outer` or lies below it.
bool IsWithin(std::string_view inner, std::string_view outer) {
    if (inner.size() < outer.size() || CompareFolded(inner.substr(0, outer.size()), outer) != 0) return false;
    return inner.size() == outer.size() || outer.back() == '\\' || inner[outer.size()] == '\\';
}

}  // namespace

bool SimFiles::CopyFile(const char* from, const char* to, bool failIfExists) {
    const std::string source = from != nullptr ? from : "";
    const std::string target = to != nullptr ? to : "";
    const std::string subject = source + " -> " + target;
    if (auto code = Injected("CopyFileA", target)) return Fail("CopyFileA", subject, *code);
    const auto sourceNormal = Normal(source);
    const DriveEntry* file = sourceNormal ? machine_.drives.Find(*sourceNormal) : nullptr;
    if (file == nullptr || file->folder) {
        return Fail("CopyFileA", subject, file != nullptr ? platform::kErrorAccessDenied : platform::kErrorFileNotFound);
    }
    const auto targetNormal = Normal(target);
    if (!targetNormal) return Fail("CopyFileA", subject, platform::kErrorPathNotFound);
    // A running program can be read and so copied, but not written over.
    if (machine_.filesInUse.contains(*targetNormal)) return Fail("CopyFileA", subject, platform::kErrorSharingViolation);
    std::string_view name;
    DriveEntry* folder = machine_.drives.ParentFolder(*targetNormal, name);
    if (folder == nullptr) return Fail("CopyFileA", subject, platform::kErrorPathNotFound);
    DriveEntry* copy = folder->Child(name);
    if (copy != nullptr) {
        if (failIfExists) return Fail("CopyFileA", subject, platform::kErrorFileExists);
        if (copy->folder || IsReadOnly(machine_, *targetNormal)) {
            return Fail("CopyFileA", subject, platform::kErrorAccessDenied);
        }
        if (copy == file) return Fail("CopyFileA", subject, platform::kErrorSharingViolation);
    } else {
        copy = &folder->AddChild(name, false);
    }
    copy->bytes = file->bytes;
    // The copy takes the source's attributes, as CopyFile does.
    const auto sourceAttributes = machine_.attributes.find(*sourceNormal);
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
    const auto normal = Normal(subject);
    const DriveEntry* entry = normal ? machine_.drives.Find(*normal) : nullptr;
    if (entry == nullptr) return Fail("DeleteFileA", subject, platform::kErrorFileNotFound);
    std::string_view name;
    DriveEntry* folder = machine_.drives.ParentFolder(*normal, name);
    if (entry->folder || folder == nullptr || IsReadOnly(machine_, *normal)) {
        return Fail("DeleteFileA", subject, platform::kErrorAccessDenied);
    }
    // A program in use is mapped by the process that runs it: Windows refuses
    // to delete it (access denied), though it may be renamed.
    if (machine_.filesInUse.contains(*normal)) return Fail("DeleteFileA", subject, platform::kErrorAccessDenied);
    folder->RemoveChild(name);
    machine_.attributes.erase(*normal);
    return Succeed("DeleteFileA", subject);
}

bool SimFiles::MoveFileEx(const char* from, const char* to, Dword flags) {
    const std::string source = from != nullptr ? from : "";
    const std::string target = to != nullptr ? to : "";
    const std::string subject = source + " -> " + target;
    if (auto code = Injected("MoveFileExA", source)) return Fail("MoveFileExA", subject, *code);
    const auto sourceNormal = Normal(source);
    std::string_view sourceName;
    DriveEntry* sourceFolder = sourceNormal ? machine_.drives.ParentFolder(*sourceNormal, sourceName) : nullptr;
    DriveEntry* entry = sourceFolder != nullptr ? sourceFolder->Child(sourceName) : nullptr;
    if (entry == nullptr) return Fail("MoveFileExA", subject, platform::kErrorFileNotFound);
    const auto targetNormal = Normal(target);
    std::string_view targetName;
    DriveEntry* targetFolder = targetNormal ? machine_.drives.ParentFolder(*targetNormal, targetName) : nullptr;
    if (targetFolder == nullptr) return Fail("MoveFileExA", subject, platform::kErrorPathNotFound);
    // A move to another drive is a copy and a delete, which the caller must
    // allow; a folder never leaves its drive.
    const bool otherDrive = (*sourceNormal)[0] != (*targetNormal)[0];
    if (otherDrive && (entry->folder || (flags & platform::kMoveFileCopyAllowed) == 0)) {
        return Fail("MoveFileExA", subject, platform::kErrorNotSameDevice);
    }
    DriveEntry* existing = targetFolder->Child(targetName);
    if (existing == entry) return Succeed("MoveFileExA", subject);  // the same name, spelled otherwise
    if (existing != nullptr) {
        if ((flags & platform::kMoveFileReplaceExisting) == 0) {
            return Fail("MoveFileExA", subject, platform::kErrorAlreadyExists);
        }
        if (existing->folder || IsReadOnly(machine_, *targetNormal) || machine_.filesInUse.contains(*targetNormal)) {
            return Fail("MoveFileExA", subject, platform::kErrorAccessDenied);
        }
    }
    // A folder cannot go into itself.
    if (entry->folder && IsWithin(*targetNormal, *sourceNormal)) {
        return Fail("MoveFileExA", subject, platform::kErrorAccessDenied);
    }
    if (existing != nullptr) targetFolder->RemoveChild(targetName);
    const bool inUse = machine_.filesInUse.contains(*sourceNormal);
    if (otherDrive) {
        // Copied, then deleted. A program in use cannot be deleted: the copy
        // is made, the original stays, and MoveFileEx still reports success.
        targetFolder->AddChild(targetName, false).bytes = entry->bytes;
        if (!inUse) sourceFolder->RemoveChild(sourceName);
    } else {
        // A rename; a program in use keeps running from its new name.
        std::unique_ptr<DriveEntry> moved = sourceFolder->RemoveChild(sourceName);
        moved->SetName(targetName);
        targetFolder->AdoptChild(std::move(moved));
        if (inUse) {
            machine_.filesInUse.erase(*sourceNormal);
            machine_.filesInUse.insert(*targetNormal);
        }
    }
    // The attributes go with the file (a copy takes them too).
    machine_.attributes.erase(*targetNormal);
    if (const auto it = machine_.attributes.find(*sourceNormal); it != machine_.attributes.end()) {
        const Dword attributes = it->second;
        if (!(otherDrive && inUse)) machine_.attributes.erase(it);
        machine_.attributes[*targetNormal] = attributes;
    }
    return Succeed("MoveFileExA", subject);
}

bool SimFiles::CreateDirectory(const char* path, const char* sddl) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("CreateDirectoryA", subject)) return Fail("CreateDirectoryA", subject, *code);
    // The descriptor is converted from its text before the folder is made: a
    // text Windows refuses makes no folder.
    if (sddl != nullptr) {
        Dword error = 0;
        if (!ParseSddl(sddl, &error)) return Fail("CreateDirectoryA", subject, error);
    }
    const auto normal = Normal(subject);
    if (!normal) return Fail("CreateDirectoryA", subject, platform::kErrorPathNotFound);
    if (machine_.drives.Find(*normal) != nullptr) return Fail("CreateDirectoryA", subject, platform::kErrorAlreadyExists);
    std::string_view name;
    DriveEntry* folder = machine_.drives.ParentFolder(*normal, name);
    if (folder == nullptr) return Fail("CreateDirectoryA", subject, platform::kErrorPathNotFound);
    folder->AddChild(name, true);
    if (sddl != nullptr) machine_.folderSecurity[*normal] = sddl;
    return Succeed("CreateDirectoryA", subject);
}

bool SimFiles::RemoveDirectory(const char* path) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("RemoveDirectoryA", subject)) return Fail("RemoveDirectoryA", subject, *code);
    const auto normal = Normal(subject);
    const DriveEntry* entry = normal ? machine_.drives.Find(*normal) : nullptr;
    if (entry == nullptr) return Fail("RemoveDirectoryA", subject, platform::kErrorFileNotFound);
    if (!entry->folder) return Fail("RemoveDirectoryA", subject, platform::kErrorDirectory);
    if (!entry->children.empty()) return Fail("RemoveDirectoryA", subject, platform::kErrorDirNotEmpty);
    std::string_view name;
    DriveEntry* folder = machine_.drives.ParentFolder(*normal, name);
    if (folder == nullptr) return Fail("RemoveDirectoryA", subject, platform::kErrorAccessDenied);  // a drive
    folder->RemoveChild(name);
    machine_.folderSecurity.erase(*normal);
    machine_.attributes.erase(*normal);
    return Succeed("RemoveDirectoryA", subject);
}

int SimFiles::ShellDeleteTree(const char* path, unsigned /*flags*/) {
    const std::string subject = path != nullptr ? path : "";
    if (auto code = Injected("SHFileOperationA", subject)) {
        Fail("SHFileOperationA", subject, *code);
        return static_cast<int>(*code);
    }
    const auto normal = Normal(subject);
    DriveEntry* entry = normal ? machine_.drives.Find(*normal) : nullptr;
    if (entry == nullptr) {
        Fail("SHFileOperationA", subject, platform::kErrorFileNotFound);
        return static_cast<int>(platform::kErrorFileNotFound);
    }
    for (const auto& inUse : machine_.filesInUse) {
        if (FoldCase(inUse).starts_with(FoldCase(*normal))) {
            Fail("SHFileOperationA", subject, platform::kErrorSharingViolation);
            return static_cast<int>(platform::kErrorSharingViolation);
        }
    }
    std::string_view name;
    if (DriveEntry* folder = machine_.drives.ParentFolder(*normal, name)) {
        folder->RemoveChild(name);
    } else {
        entry->children.clear();  // a drive empties but stays
    }
    // Attributes of everything below go with it.
    for (auto it = machine_.attributes.begin(); it != machine_.attributes.end();) {
        it = IsWithin(it->first, *normal) ? machine_.attributes.erase(it) : std::next(it);
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
    const auto folderNormal =
        slash == std::string::npos ? std::nullopt : NormalizeWindowsPath(subject.substr(0, slash == 2 ? 3 : slash));
    const DriveEntry* folder = folderNormal ? machine_.drives.Find(*folderNormal) : nullptr;
    if (folder == nullptr || !folder->folder) {
        Fail("FindFirstFileA", subject, platform::kErrorPathNotFound);
        return entries;
    }
    const std::string namePattern = subject.substr(slash + 1);
    const bool isRoot = folderNormal->size() == 3;
    if (!isRoot) {
        for (const char* dots : {".", ".."}) {
            if (WildcardMatch(namePattern, dots)) entries.push_back({dots, platform::kFileAttributeDirectory});
        }
    }
    // A folder's entries are kept in the upper-case order NTFS lists them in.
    std::string full = *folderNormal + (isRoot ? "" : "\\");
    const std::size_t base = full.size();
    for (const auto& child : folder->children) {
        if (!WildcardMatch(namePattern, child->name)) continue;
        full.resize(base);
        full += child->name;
        Dword attributes = child->folder ? platform::kFileAttributeDirectory : platform::kFileAttributeArchive;
        if (const auto a = machine_.attributes.find(full); a != machine_.attributes.end()) {
            attributes = a->second | (child->folder ? platform::kFileAttributeDirectory : 0);
        }
        entries.push_back({child->name, attributes});
    }
    if (entries.empty()) {
        Fail("FindFirstFileA", subject, platform::kErrorFileNotFound);
    } else {
        Succeed("FindFirstFileA", subject);
    }
    return entries;
}

std::unique_ptr<platform::FileStream> SimFiles::Open(const char* path, platform::OpenMode mode) {
    const std::string subject = path != nullptr ? path : "";
    const bool reading = mode == platform::OpenMode::Read;
    const char* operation = reading ? "fopen(r)" : "fopen(w)";
    if (auto code = Injected(operation, subject)) {
        Fail(operation, subject, *code);
        return nullptr;
    }
    const auto normal = Normal(subject);
    DriveEntry* file = normal ? machine_.drives.Find(*normal) : nullptr;
    if (!normal || (file == nullptr && reading) || (file != nullptr && file->folder)) {
        Fail(operation, subject, platform::kErrorFileNotFound);
        return nullptr;
    }
    if (!reading && machine_.filesInUse.contains(*normal)) {
        Fail(operation, subject, platform::kErrorSharingViolation);
        return nullptr;
    }
    if (reading) {
        Succeed(operation, subject);
        return std::make_unique<MemoryFileStream>(file->bytes);
    }
    if (file != nullptr && IsReadOnly(machine_, *normal)) {
        Fail(operation, subject, platform::kErrorAccessDenied);
        return nullptr;
    }
    if (file == nullptr) {
        std::string_view name;
        DriveEntry* folder = machine_.drives.ParentFolder(*normal, name);
        if (folder == nullptr) {
            Fail(operation, subject, platform::kErrorPathNotFound);
            return nullptr;
        }
        file = &folder->AddChild(name, false);
    }
    auto bytes = mode == platform::OpenMode::Append ? std::make_shared<std::string>(*file->bytes)
                                                    : std::make_shared<std::string>();
    file->bytes = bytes;
    Succeed(operation, subject);
    return std::make_unique<MemoryFileStream>(std::move(bytes));
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
        const DriveEntry* entry = Lookup(machine_, full);
        if (entry == nullptr || entry->folder) continue;
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
