// The write half of the value primitives: strings, DWORDs, binary data. Every
// write creates the missing keys of its path.
#include <cstdint>
#include <string>

#include "settings/registry_primitives.h"

namespace veltra::settings {

using platform::HKey;
using platform::Registry;

namespace {

// RegCreateKeyExA: no class, non-volatile, all access, default security.
bool CreateForWrite(Registry& registry, HKey root, const char* keyPath, platform::RegKey& key) {
    key = platform::RegKey(registry);
    return registry.CreateKeyEx(root, keyPath, platform::kKeyAllAccess, key.put(), nullptr) ==
           platform::kErrorSuccess;
}

Dword WriteText(Registry& registry, HKey root, const char* keyPath, const char* valueName,
                const char* text, Dword length, Dword type) {
    if (keyPath == nullptr || valueName == nullptr || text == nullptr || length == 0) {
        return kRegResultBadArgument;
    }
    platform::RegKey key;
    if (!CreateForWrite(registry, root, keyPath, key)) return kRegResultRegistryError;
    // A value of another type under the same name is replaced, not converted.
    registry.DeleteValue(key.get(), valueName);
    // The text and its terminator; the caller's text need not end at length.
    std::string data(text, length);
    const Dword status =
        registry.SetValueEx(key.get(), valueName, type, reinterpret_cast<const std::uint8_t*>(data.c_str()),
                            length + 1);
    return status == platform::kErrorSuccess ? kRegResultSuccess : kRegResultRegistryError;
}

}  // namespace

Dword WriteRegString(Registry& registry, HKey root, const char* keyPath, const char* valueName,
                     const char* text, Dword length) {
    return WriteText(registry, root, keyPath, valueName, text, length, platform::kRegSz);
}

Dword WriteRegExpandString(Registry& registry, HKey root, const char* keyPath, const char* valueName,
                           const char* text, Dword length) {
    return WriteText(registry, root, keyPath, valueName, text, length, platform::kRegExpandSz);
}

Dword WriteRegDword(Registry& registry, HKey root, const char* keyPath, const char* valueName,
                    Dword value) {
    if (keyPath == nullptr || valueName == nullptr) return kRegResultBadArgument;
    platform::RegKey key;
    if (!CreateForWrite(registry, root, keyPath, key)) return kRegResultRegistryError;
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 24)};
    const Dword status = registry.SetValueEx(key.get(), valueName, platform::kRegDword, bytes, sizeof bytes);
    return status == platform::kErrorSuccess ? kRegResultSuccess : kRegResultRegistryError;
}

Dword WriteRegBinary(Registry& registry, HKey root, const char* keyPath, const char* valueName,
                     const void* data, Dword length) {
    if (keyPath == nullptr || valueName == nullptr || data == nullptr || length == 0) {
        return kRegResultBadArgument;
    }
    platform::RegKey key;
    if (!CreateForWrite(registry, root, keyPath, key)) return kRegResultRegistryError;
    const Dword status = registry.SetValueEx(key.get(), valueName, platform::kRegBinary,
                                             static_cast<const std::uint8_t*>(data), length);
    return status == platform::kErrorSuccess ? kRegResultSuccess : kRegResultRegistryError;
}

Dword WriteRegString(Registry& registry, const char* keyPath, const char* valueName, const char* text,
                     Dword length) {
    return WriteRegString(registry, platform::kHkeyLocalMachine, keyPath, valueName, text, length);
}

Dword WriteRegExpandString(Registry& registry, const char* keyPath, const char* valueName,
                           const char* text, Dword length) {
    return WriteRegExpandString(registry, platform::kHkeyLocalMachine, keyPath, valueName, text, length);
}

Dword WriteRegDword(Registry& registry, const char* keyPath, const char* valueName, Dword value) {
    return WriteRegDword(registry, platform::kHkeyLocalMachine, keyPath, valueName, value);
}

Dword WriteRegBinary(Registry& registry, const char* keyPath, const char* valueName, const void* data,
                     Dword length) {
    return WriteRegBinary(registry, platform::kHkeyLocalMachine, keyPath, valueName, data, length);
}

}  // namespace veltra::settings
