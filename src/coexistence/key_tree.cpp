#include "coexistence/key_tree.h"

#include <string>
#include <vector>

#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::coexistence {

using platform::Dword;
using platform::HKey;

namespace {

void WriteLine(platform::Platform& platform, const std::string& line) { platform.system.WriteStdout(line); }

// The subject of a log line: the full path under a root, or the subkey's
// name under an open key.
std::string Where(HKey parent, const char* path) {
    return platform::IsPredefinedKey(parent) ? runtime::RegistryPath(parent, path) : std::string(path);
}

// RegCreateKeyA: the key created or opened with every right.
Dword CreateForCopy(platform::Platform& platform, HKey parent, const char* path, platform::RegKey& key) {
    return runtime::CreateKey(platform.registry, parent, path, platform::kKeyAllAccess, key);
}

// One level of a tree copy: the source opened for reading, the destination
// created, then everything below. The error of either top key, else 0.
Dword CopyBetween(platform::Platform& platform, HKey sourceParent, const char* source,
                  HKey destinationParent, const char* destination) {
    platform::RegKey from;
    if (const Dword status = runtime::OpenKey(platform.registry, sourceParent, source, platform::kKeyRead, from)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", Where(sourceParent, source), status);
        return status;
    }
    platform::RegKey to;
    if (const Dword status = CreateForCopy(platform, destinationParent, destination, to)) {
        runtime::LogFailure(platform, "RegCreateKeyA", Where(destinationParent, destination), status);
        return status;
    }
    lCopyKeyRecurse(platform, from.get(), to.get());
    return platform::kErrorSuccess;
}

}  // namespace

Dword CopyRegistryValue(platform::Platform& platform, HKey root, const char* source,
                        const char* destination, const char* name) {
    platform::RegKey from;
    if (const Dword status = runtime::OpenKey(platform.registry, root, source, platform::kKeyQueryValue, from)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(root, source), status);
        return status;
    }
    std::vector<std::uint8_t> data(kTreeDataBuffer, 0);
    Dword size = static_cast<Dword>(data.size());
    Dword type = 0;
    if (const Dword status = platform.registry.QueryValueEx(from.get(), name, &type, data.data(), &size)) {
        runtime::LogFailure(platform, "RegQueryValueExA", runtime::RegistryPath(root, source, name), status);
        return status;
    }
    platform::RegKey to;
    if (const Dword status = CreateForCopy(platform, root, destination, to)) {
        runtime::LogFailure(platform, "RegCreateKeyA", runtime::RegistryPath(root, destination), status);
        return status;
    }
    const Dword status = platform.registry.SetValueEx(to.get(), name, type, data.data(), size);
    if (status != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegSetValueExA", runtime::RegistryPath(root, destination, name), status);
    }
    return status;
}

Dword CopyKeyTree(platform::Platform& platform, HKey root, const char* source, const char* destination) {
    return CopyBetween(platform, root, source, root, destination);
}

Dword lCopyKeyRecurse(platform::Platform& platform, HKey source, HKey destination) {
    platform::Registry& registry = platform.registry;

    // Values, until the first one that cannot be read: the end of the list,
    // or a name or data too large for the buffers, after which nothing more
    // of this key's values is taken.
    char name[kTreeNameBuffer];
    std::vector<std::uint8_t> data(kTreeDataBuffer, 0);
    Dword ended = platform::kErrorSuccess;
    Dword index = 0;
    for (;; ++index) {
        Dword nameLength = sizeof name;
        Dword size = static_cast<Dword>(data.size());
        Dword type = 0;
        ended = registry.EnumValue(source, index, name, &nameLength, &type, data.data(), &size);
        if (ended != platform::kErrorSuccess) break;
        registry.SetValueEx(destination, name, type, data.data(), size);  // a failed write is passed over
    }
    if (ended != platform::kErrorNoMoreItems) {
        runtime::LogFailure(platform, "RegEnumValueA", "value " + std::to_string(index) + " of a copied key", ended);
    }
    WriteLine(platform, "lCopyKeyRecurse() - enum vals done (" + std::to_string(static_cast<int>(ended)) + ")\n");

    // Subkeys, each copied whole; the first one that cannot be copied ends
    // the copy of this key, leaving the rest behind.
    for (Dword index = 0;; ++index) {
        Dword nameLength = sizeof name;
        if (registry.EnumKeyEx(source, index, name, &nameLength) != platform::kErrorSuccess) break;
        const Dword status = CopyBetween(platform, source, name, destination, name);
        if (status != platform::kErrorSuccess) {
            WriteLine(platform, "lCopyKeyRecurse(" + std::string(name) + ") failed! (" +
                                    std::to_string(static_cast<int>(status)) + ")\n");
            break;
        }
    }
    return platform::kErrorSuccess;
}

Dword DeleteKeyTree(platform::Platform& platform, HKey parent, const char* path) {
    platform::RegKey key;
    if (const Dword status = runtime::OpenKey(platform.registry, parent, path, platform::kKeyAllAccess, key)) {
        if (status != platform::kErrorFileNotFound) runtime::LogFailure(platform, "RegOpenKeyExA", Where(parent, path), status);
        return status;
    }
    // The names first: deleting while enumerating would shift the indexes.
    std::vector<std::string> subkeys;
    char name[kTreeNameBuffer];
    for (Dword index = 0;; ++index) {
        Dword nameLength = sizeof name;
        if (platform.registry.EnumKeyEx(key.get(), index, name, &nameLength) != platform::kErrorSuccess) break;
        subkeys.emplace_back(name);
    }
    for (const std::string& subkey : subkeys) DeleteKeyTree(platform, key.get(), subkey.c_str());
    key.reset();
    // What could not go stays; the caller is told only about the opening.
    if (const Dword status = platform.registry.DeleteKey(parent, path)) {
        runtime::LogFailure(platform, "RegDeleteKeyA", Where(parent, path), status);
    }
    return platform::kErrorSuccess;
}

void GetDwordValue(platform::Platform& platform, HKey key, const char* name, Dword* target) {
    *target = 0;
    if (!key) return;
    Dword size = sizeof *target;
    Dword type = 0;
    std::uint8_t bytes[4] = {0, 0, 0, 0};
    if (platform.registry.QueryValueEx(key, name, &type, bytes, &size) != platform::kErrorSuccess) return;
    // The value's bytes as they lie in memory (little-endian on Windows);
    // a shorter value leaves the upper bytes 0.
    *target = static_cast<Dword>(bytes[0]) | (static_cast<Dword>(bytes[1]) << 8) |
              (static_cast<Dword>(bytes[2]) << 16) | (static_cast<Dword>(bytes[3]) << 24);
}

void SetDwordValue(platform::Platform& platform, HKey key, const char* name, const Dword* value) {
    if (!key) return;
    if (const Dword status = runtime::WriteDword(platform.registry, key, name, *value)) {
        runtime::LogFailure(platform, "RegSetValueExA", name, status);
    }
}

}  // namespace veltra::coexistence
