#include "runtime/registry_ops.h"

#include <cstring>
#include <vector>

namespace veltra::runtime {

using platform::Dword;

Dword OpenKey(platform::Registry& registry, platform::HKey parent, const char* path, Dword access,
              platform::RegKey& key) {
    key = platform::RegKey(registry);
    return registry.OpenKeyEx(parent, path, access, key.put());
}

Dword CreateKey(platform::Registry& registry, platform::HKey parent, const char* path, Dword access,
                platform::RegKey& key) {
    key = platform::RegKey(registry);
    return registry.CreateKeyEx(parent, path, access, key.put(), nullptr);
}

Dword QueryString(platform::Registry& registry, platform::HKey key, const char* name,
                  std::size_t capacity, std::string& value, Dword* byteCount) {
    value.clear();
    if (byteCount != nullptr) *byteCount = 0;
    std::vector<std::uint8_t> buffer(capacity + 1, 0);  // one spare zero past the buffer
    Dword size = static_cast<Dword>(capacity);
    Dword type = 0;
    const Dword status = registry.QueryValueEx(key, name, &type, buffer.data(), &size);
    if (status != platform::kErrorSuccess) return status;
    if (byteCount != nullptr) *byteCount = size;
    const auto* text = reinterpret_cast<const char*>(buffer.data());
    value.assign(text, strnlen(text, size));
    return status;
}

std::optional<std::string> ReadString(platform::Registry& registry, platform::HKey key,
                                      const char* name, std::size_t capacity) {
    std::string value;
    if (QueryString(registry, key, name, capacity, value) != platform::kErrorSuccess) return std::nullopt;
    return value;
}

std::optional<Dword> ReadDword(platform::Registry& registry, platform::HKey key, const char* name) {
    std::uint8_t bytes[4] = {0};
    Dword size = sizeof bytes;
    Dword type = 0;
    if (registry.QueryValueEx(key, name, &type, bytes, &size) != platform::kErrorSuccess || size != 4) {
        return std::nullopt;
    }
    return static_cast<Dword>(bytes[0]) | (static_cast<Dword>(bytes[1]) << 8) |
           (static_cast<Dword>(bytes[2]) << 16) | (static_cast<Dword>(bytes[3]) << 24);
}

Dword WriteString(platform::Registry& registry, platform::HKey key, const char* name,
                  std::string_view value, Dword type) {
    std::string text(value);
    return registry.SetValueEx(key, name, type, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                               static_cast<Dword>(text.size() + 1));
}

Dword WriteDword(platform::Registry& registry, platform::HKey key, const char* name, Dword value) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 24)};
    return registry.SetValueEx(key, name, platform::kRegDword, bytes, sizeof bytes);
}

}  // namespace veltra::runtime
