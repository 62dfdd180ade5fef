// The read half of the value primitives: raw bytes, decimal text, DWORD.
#include <cstdint>

#include "settings/decimal_text.h"
#include "settings/registry_primitives.h"

namespace veltra::settings {

using platform::HKey;
using platform::Registry;

namespace {

// RegOpenKeyExA for reading values only; the owner closes the key on every path.
bool OpenForQuery(Registry& registry, HKey root, const char* keyPath, platform::RegKey& key) {
    key = platform::RegKey(registry);
    return registry.OpenKeyEx(root, keyPath, platform::kKeyQueryValue, key.put()) ==
           platform::kErrorSuccess;
}

// The decimal reading looks at no more than this many bytes.
constexpr Dword kDecimalTextCapacity = 64;

}  // namespace

Dword ReadRegString(Registry& registry, HKey root, const char* keyPath, const char* valueName,
                    void* buffer, Dword* size) {
    if (keyPath == nullptr || valueName == nullptr || buffer == nullptr || size == nullptr ||
        *size == 0) {
        return kRegResultBadArgument;
    }
    platform::RegKey key;
    if (!OpenForQuery(registry, root, keyPath, key)) return kRegResultRegistryError;
    const Dword status =
        registry.QueryValueEx(key.get(), valueName, nullptr, static_cast<std::uint8_t*>(buffer), size);
    return status == platform::kErrorSuccess ? kRegResultSuccess : kRegResultRegistryError;
}

Dword ReadRegDecimal(Registry& registry, HKey root, const char* keyPath, const char* valueName,
                     Dword* target) {
    if (keyPath == nullptr || valueName == nullptr || target == nullptr) return kRegResultBadArgument;
    std::uint8_t text[kDecimalTextCapacity] = {};
    Dword size = kDecimalTextCapacity;
    const Dword result = ReadRegString(registry, root, keyPath, valueName, text, &size);
    if (result != kRegResultSuccess) return result;
    // The whole zero-filled buffer is parsed, as the bytes past the value are zeros.
    *target = ParseDecimalText(text);
    return kRegResultSuccess;
}

Dword ReadRegDword(Registry& registry, HKey root, const char* keyPath, const char* valueName,
                   Dword* target) {
    if (keyPath == nullptr || valueName == nullptr || target == nullptr) return kRegResultBadArgument;
    platform::RegKey key;
    if (!OpenForQuery(registry, root, keyPath, key)) return kRegResultRegistryError;
    std::uint8_t bytes[4] = {};
    Dword size = sizeof bytes;
    Dword type = platform::kRegNone;
    const Dword status = registry.QueryValueEx(key.get(), valueName, &type, bytes, &size);
    if (status != platform::kErrorSuccess || type != platform::kRegDword || size != sizeof bytes) {
        return kRegResultRegistryError;
    }
    *target = static_cast<Dword>(bytes[0]) | (static_cast<Dword>(bytes[1]) << 8) |
              (static_cast<Dword>(bytes[2]) << 16) | (static_cast<Dword>(bytes[3]) << 24);
    return kRegResultSuccess;
}

Dword ReadRegString(Registry& registry, const char* keyPath, const char* valueName, void* buffer,
                    Dword* size) {
    return ReadRegString(registry, platform::kHkeyLocalMachine, keyPath, valueName, buffer, size);
}

Dword ReadRegDecimal(Registry& registry, const char* keyPath, const char* valueName, Dword* target) {
    return ReadRegDecimal(registry, platform::kHkeyLocalMachine, keyPath, valueName, target);
}

Dword ReadRegDword(Registry& registry, const char* keyPath, const char* valueName, Dword* target) {
    return ReadRegDword(registry, platform::kHkeyLocalMachine, keyPath, valueName, target);
}

}  // namespace veltra::settings
