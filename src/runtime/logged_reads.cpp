#include "runtime/logged_reads.h"

#include "runtime/log.h"

namespace veltra::runtime {

std::optional<std::string> ReadLoggedString(platform::Platform& platform, platform::HKey root, const char* keyPath,
                                            const char* valueName, std::size_t capacity) {
    platform::RegKey key;
    const platform::Dword opened = OpenKey(platform.registry, root, keyPath, platform::kKeyRead, key);
    if (opened != platform::kErrorSuccess) {
        LogFailure(platform, "RegOpenKeyExA", RegistryPath(root, keyPath), opened);
        return std::nullopt;
    }
    std::string value;
    const platform::Dword read = QueryString(platform.registry, key.get(), valueName, capacity, value);
    if (read != platform::kErrorSuccess) {
        LogFailure(platform, "RegQueryValueExA", RegistryPath(root, keyPath, valueName), read);
        return std::nullopt;
    }
    return value;
}

}  // namespace veltra::runtime
