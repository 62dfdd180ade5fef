#include "cli/capture/capture.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>

#include "cli/capture/capture_scope.h"
#include "platform/sim/sim_files.h"
#include "runtime/secrets.h"

namespace veltra::capture {

using platform::Dword;
using platform::HKey;

namespace {

bool IsStringType(Dword type) {
    return type == platform::kRegSz || type == platform::kRegExpandSz || type == platform::kRegMultiSz;
}

// A string value's text up to its first zero.
std::string ValueText(const sim::RegValue& value) {
    std::string text(value.data.begin(), value.data.end());
    if (const auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
    return text;
}

std::optional<HKey> RootKey(std::string_view name) {
    if (name == "HKEY_LOCAL_MACHINE") return platform::kHkeyLocalMachine;
    if (name == "HKEY_CURRENT_USER") return platform::kHkeyCurrentUser;
    if (name == "HKEY_USERS") return platform::kHkeyUsers;
    if (name == "HKEY_CLASSES_ROOT") return platform::kHkeyClassesRoot;
    return std::nullopt;
}

struct RegistryWalk {
    platform::Registry& registry;
    sim::RegistryTree& tree;
    CaptureSummary& summary;

    void Key(HKey key, const std::string& path, bool subtree) {
        const std::shared_ptr<sim::RegNode> node = tree.CreateKey(path);
        if (!node) return;
        ++summary.keys;
        Dword subkeys = 0, maxSubkeyName = 0, values = 0, maxValueName = 0, maxValueData = 0;
        if (registry.QueryInfoKey(key, &subkeys, &maxSubkeyName, &values, &maxValueName, &maxValueData) != 0) return;
        Values(key, *node, maxValueName + 1, maxValueData);
        if (!subtree) return;
        std::vector<std::string> names;
        std::vector<char> name(maxSubkeyName + 1);
        for (Dword index = 0;; ++index) {
            Dword length = static_cast<Dword>(name.size());
            const Dword result = registry.EnumKeyEx(key, index, name.data(), &length);
            if (result == platform::kErrorMoreData) {  // a longer name arrived meanwhile
                name.resize(name.size() * 2);
                --index;
                continue;
            }
            if (result != 0) break;
            names.emplace_back(name.data(), length);
        }
        for (const std::string& child : names) {
            platform::RegKey opened(registry);
            if (registry.OpenKeyEx(key, child.c_str(), platform::kKeyRead, opened.put()) != 0) continue;
            Key(opened.get(), path + "\\" + child, true);
        }
    }

    // The subkey's name as the machine spells it; nullopt when there is none.
    std::optional<std::string> SubkeyNamed(HKey key, std::string_view wanted) {
        std::vector<char> name(256);
        for (Dword index = 0;; ++index) {
            Dword length = static_cast<Dword>(name.size());
            const Dword result = registry.EnumKeyEx(key, index, name.data(), &length);
            if (result == platform::kErrorMoreData) {
                name.resize(name.size() * 2);
                --index;
                continue;
            }
            if (result != 0) return std::nullopt;
            const std::string_view found(name.data(), length);
            if (sim::CompareFolded(found, wanted) == 0) return std::string(found);
        }
    }

    void Values(HKey key, sim::RegNode& node, Dword nameSize, Dword dataSize) {
        std::vector<char> name(std::max<Dword>(nameSize, 1));
        std::vector<std::uint8_t> data(std::max<Dword>(dataSize, 1));
        for (Dword index = 0;;) {
            Dword nameLength = static_cast<Dword>(name.size());
            Dword dataLength = static_cast<Dword>(data.size());
            Dword type = 0;
            const Dword result =
                registry.EnumValue(key, index, name.data(), &nameLength, &type, data.data(), &dataLength);
            if (result == platform::kErrorMoreData) {
                // Text converted to the code page can take more room than the
                // key's maximum says; grow and read the same value again.
                name.resize(name.size() * 2);
                data.resize(std::max<std::size_t>(data.size() * 2, dataLength));
                continue;
            }
            if (result != 0) break;
            sim::RegValue value{std::string(name.data(), nameLength), type,
                                std::vector<std::uint8_t>(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(dataLength))};
            if (MaskSecretValue(value)) ++summary.maskedValues;
            node.SetValue(value.name, value.type, std::move(value.data));
            ++summary.values;
            ++index;
        }
    }
};

// The values whose data names a GINA file: Winlogon's, and the links the
// chaining products keep.
constexpr std::array<std::string_view, 7> kGinaValues = {
    "GinaDLL", "CtxGinaDLL", "OdysseyPreviousGinaDLL", "KVSupercededGina",
    "PreviousGinaPath", "ThirdPartyGina", "NextGinaToChain"};

struct FileWalk {
    platform::Files& files;
    platform::System& system;
    platform::Versions& versions;
    sim::Machine& out;
    CaptureSummary& summary;
    std::set<std::string, sim::LessIgnoreCase> taken{};

    std::optional<std::string> Expand(const std::string& text) {
        std::vector<char> buffer(512);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Dword needed = system.ExpandEnvironmentStrings(text.c_str(), buffer.data(),
                                                                 static_cast<Dword>(buffer.size()));
            if (needed == 0) return std::nullopt;
            if (needed <= buffer.size()) {
                std::string expanded(buffer.data());
                // An unset variable stays as written: the folder does not exist here.
                if (expanded.find('%') != std::string::npos) return std::nullopt;
                return expanded;
            }
            buffer.resize(needed);
        }
        return std::nullopt;
    }

    void Folder(const std::string& folder) {
        const auto normal = sim::NormalizeWindowsPath(folder);
        if (!normal) return;
        // A folder is taken only two levels below a drive's root or deeper,
        // so that a stray installation path never copies a whole disk.
        if (std::count(normal->begin(), normal->end(), '\\') < 2) return;
        const Dword attributes = files.GetFileAttributes(normal->c_str());
        if (attributes == platform::kInvalidFileAttributes || (attributes & platform::kFileAttributeDirectory) == 0) return;
        sim::MakeDriveFolder(out, *normal);
        for (const platform::FindEntry& entry : files.FindFiles((*normal + "\\*").c_str())) {
            if (entry.name == "." || entry.name == "..") continue;
            const std::string path = *normal + "\\" + entry.name;
            if ((entry.attributes & platform::kFileAttributeDirectory) != 0) {
                Folder(path);
            } else {
                File(path, entry.attributes);
            }
        }
    }

    void Matching(const std::string& folder, const std::string& pattern) {
        const auto normal = sim::NormalizeWindowsPath(folder);
        if (!normal) return;
        for (const platform::FindEntry& entry : files.FindFiles((*normal + "\\" + pattern).c_str())) {
            if ((entry.attributes & platform::kFileAttributeDirectory) == 0) File(*normal + "\\" + entry.name, entry.attributes);
        }
    }

    void File(const std::string& path, Dword attributes) {
        if (!taken.insert(path).second) return;
        auto stream = files.Open(path.c_str(), platform::OpenMode::Read);
        if (!stream) {
            summary.skipped.push_back(path + ": cannot be read");
            return;
        }
        std::string bytes;
        char chunk[1 << 16];
        for (std::size_t count; (count = stream->Read(chunk, sizeof chunk)) > 0;) {
            bytes.append(chunk, count);
            if (bytes.size() > kMaxFileBytes) {
                summary.skipped.push_back(path + ": larger than " + std::to_string(kMaxFileBytes >> 20) + " MB");
                return;
            }
        }
        if (summary.bytes + bytes.size() > kMaxCaptureBytes) {
            summary.skipped.push_back(path + ": the capture has reached " +
                                      std::to_string(kMaxCaptureBytes >> 20) + " MB");
            return;
        }
        if (!sim::PutDriveFile(out, path, bytes)) return;
        ++summary.files;
        summary.bytes += bytes.size();
        const Dword kept = attributes & (platform::kFileAttributeReadOnly | platform::kFileAttributeHidden |
                                         platform::kFileAttributeSystem);
        if (kept != 0) out.attributes[*sim::NormalizeWindowsPath(path)] = kept;
        Version(path);
    }

    // The version strings the library reads to describe a GINA, for every
    // program file that has them.
    void Version(const std::string& path) {
        if (versions.GetFileVersionInfoSize(path.c_str()) == 0) return;
        std::vector<std::uint8_t> block;
        if (!versions.GetFileVersionInfo(path.c_str(), block)) return;
        const void* found = nullptr;
        unsigned length = 0;
        if (!versions.VerQueryValue(block, "\\VarFileInfo\\Translation", &found, &length) || found == nullptr ||
            length < 4) {
            return;
        }
        std::uint16_t pair[2];
        std::memcpy(pair, found, sizeof pair);
        sim::VersionInfo info;
        info.language = pair[0];
        info.codePage = pair[1];
        for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "InternalName",
                                 "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"}) {
            char subBlock[96];
            std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%04X%04X\\%s", pair[0], pair[1], name);
            if (versions.VerQueryValue(block, subBlock, &found, &length) && found != nullptr && length > 0) {
                const auto* text = static_cast<const char*>(found);
                info.strings[name] = std::string(text, strnlen(text, length));
            }
        }
        out.versions[*sim::NormalizeWindowsPath(path)] = std::move(info);
    }

    // A GINA named by a bare file name is looked for in the system folders.
    void Gina(const std::string& name) {
        if (name.empty()) return;
        if (sim::NormalizeWindowsPath(name)) {
            const Dword attributes = files.GetFileAttributes(name.c_str());
            if (attributes != platform::kInvalidFileAttributes && (attributes & platform::kFileAttributeDirectory) == 0) {
                File(*sim::NormalizeWindowsPath(name), attributes);
            }
            return;
        }
        if (name.find('\\') != std::string::npos) return;
        std::vector<std::string> folders;
        char system32[260];
        const Dword length = system.GetSystemDirectory(system32, sizeof system32);
        if (length > 0 && length < sizeof system32) folders.emplace_back(system32, length);
        for (const char* folder : {"%SystemRoot%\\system32", "%SystemRoot%\\SysWOW64"}) {
            if (auto expanded = Expand(folder)) folders.push_back(*expanded);
        }
        for (const std::string& folder : folders) Gina(folder + "\\" + name);
    }
};

// Every string value of that name in the tree, below any key.
void CollectStrings(const sim::RegNode& node, std::span<const std::string_view> names,
                    std::vector<std::string>& found) {
    for (const sim::RegValue& value : node.values()) {
        if (!IsStringType(value.type)) continue;
        for (std::string_view name : names) {
            if (sim::CompareFolded(value.name, name) == 0) found.push_back(ValueText(value));
        }
    }
    for (const auto& [folded, child] : node.subkeys()) CollectStrings(*child, names, found);
}

}  // namespace

bool MaskSecretValue(sim::RegValue& value) {
    const std::string text = IsStringType(value.type) ? ValueText(value) : std::string(value.data.begin(), value.data.end());
    if (!runtime::IsSecretValueName(value.name) && !runtime::IsSecretProperty(value.name, text)) return false;
    value.data.assign(runtime::kMasked.begin(), runtime::kMasked.end());
    if (IsStringType(value.type)) value.data.push_back(0);
    if (value.type == platform::kRegMultiSz) value.data.push_back(0);
    return true;
}

void CaptureRegistry(platform::Registry& registry, sim::RegistryTree& tree, CaptureSummary& summary) {
    RegistryWalk walk{registry, tree, summary};
    for (const RegistryRoot& root : RegistryRoots()) {
        std::size_t slash = root.path.find('\\');
        const auto rootKey = RootKey(std::string_view(root.path).substr(0, slash));
        if (!rootKey) continue;
        // Down to the root key by key, each as the machine spells it, so that
        // the keys above a root are captured as they exist (the user's
        // "Software" stays "Software") even where the root itself does not.
        std::string path = root.path.substr(0, slash);
        std::vector<platform::RegKey> opened;
        HKey parent = *rootKey;
        while (slash != std::string::npos) {
            const std::size_t next = root.path.find('\\', slash + 1);
            const std::string wanted = root.path.substr(slash + 1, next == std::string::npos ? next : next - slash - 1);
            const auto spelled = walk.SubkeyNamed(parent, wanted);
            if (!spelled) break;
            platform::RegKey key(registry);
            if (registry.OpenKeyEx(parent, spelled->c_str(), platform::kKeyRead, key.put()) != 0) break;
            path += "\\" + *spelled;
            parent = key.get();
            opened.push_back(std::move(key));
            slash = next;
            if (slash == std::string::npos) {
                walk.Key(parent, path, root.tree);
            } else {
                tree.CreateKey(path);
            }
        }
    }
}

void CaptureFiles(platform::Files& files, platform::System& system, platform::Versions& versions,
                  sim::Machine& out, CaptureSummary& summary) {
    FileWalk walk{files, system, versions, out, summary};
    for (const FileRule& rule : FileRules()) {
        const auto folder = walk.Expand(rule.folder);
        if (!folder) continue;
        if (rule.pattern.empty()) {
            walk.Folder(*folder);
        } else {
            walk.Matching(*folder, rule.pattern);
        }
    }
    std::vector<std::string> installFolders;
    std::vector<std::string> ginas;
    constexpr std::array<std::string_view, 1> kInstallPath = {"InstallPath"};
    for (const std::string& rootName : sim::RegistryTree::RootNames()) {
        if (const auto root = out.registry.Root(rootName)) {
            CollectStrings(*root, kInstallPath, installFolders);
            CollectStrings(*root, kGinaValues, ginas);
        }
    }
    for (const std::string& folder : installFolders) walk.Folder(folder);
    ginas.push_back("MSGina.dll");
    for (const std::string& gina : ginas) walk.Gina(gina);
}

}  // namespace veltra::capture
