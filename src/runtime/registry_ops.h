// The registry operations as the actions use them: keys opened into owners,
// strings read into fixed buffers, values written with their terminators.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace veltra::runtime {

inline constexpr std::size_t kPathBuffer = 260;

// RegOpenKeyExA into an owner; the status as Win32 gives it.
platform::Dword OpenKey(platform::Registry& registry, platform::HKey parent, const char* path,
                        platform::Dword access, platform::RegKey& key);
// RegCreateKeyExA (non-volatile, no class, default security) into an owner.
platform::Dword CreateKey(platform::Registry& registry, platform::HKey parent, const char* path,
                          platform::Dword access, platform::RegKey& key);

// RegQueryValueExA of a string into a buffer of `capacity` bytes. On 0, value
// holds the text up to its first zero and byteCount the stored length; a value
// that does not fit gives 234 and an empty value. The type is not checked.
platform::Dword QueryString(platform::Registry& registry, platform::HKey key, const char* name,
                            std::size_t capacity, std::string& value,
                            platform::Dword* byteCount = nullptr);

// The same, for callers that only care whether a usable string was read.
std::optional<std::string> ReadString(platform::Registry& registry, platform::HKey key,
                                      const char* name, std::size_t capacity = kPathBuffer);

// A 4-byte value of any type read as a DWORD; absent when missing or of
// another length.
std::optional<platform::Dword> ReadDword(platform::Registry& registry, platform::HKey key,
                                         const char* name);

// RegSetValueExA of a string with its terminating zero counted.
platform::Dword WriteString(platform::Registry& registry, platform::HKey key, const char* name,
                            std::string_view value, platform::Dword type = platform::kRegSz);
platform::Dword WriteDword(platform::Registry& registry, platform::HKey key, const char* name,
                           platform::Dword value);

}  // namespace veltra::runtime
