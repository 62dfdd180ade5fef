// The registry port: the ANSI advapi32/shlwapi registry calls the library uses,
// with their Win32 arguments, result codes and length protocols.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/types.h"

namespace veltra::platform {

struct HKeyTag;
using HKey = Handle<HKeyTag>;

// Predefined roots carry their Win32 values so that traces read as on Windows.
inline constexpr HKey kHkeyClassesRoot{0x80000000u};
inline constexpr HKey kHkeyCurrentUser{0x80000001u};
inline constexpr HKey kHkeyLocalMachine{0x80000002u};
inline constexpr HKey kHkeyUsers{0x80000003u};
inline constexpr HKey kHkeyCurrentConfig{0x80000005u};

inline constexpr bool IsPredefinedKey(HKey key) {
    return key.value >= 0x80000000u && key.value <= 0x80000006u;
}

// Access masks.
inline constexpr Dword kKeyQueryValue = 0x0001;
inline constexpr Dword kKeySetValue = 0x0002;
inline constexpr Dword kKeyRead = 0x20019;
inline constexpr Dword kKeyWrite = 0x20006;
inline constexpr Dword kKeyAllAccess = 0xF003F;

// Value types.
inline constexpr Dword kRegNone = 0;
inline constexpr Dword kRegSz = 1;
inline constexpr Dword kRegExpandSz = 2;
inline constexpr Dword kRegBinary = 3;
inline constexpr Dword kRegDword = 4;
inline constexpr Dword kRegMultiSz = 7;
inline constexpr Dword kRegQword = 11;

// RegCreateKeyEx dispositions.
inline constexpr Dword kRegCreatedNewKey = 1;
inline constexpr Dword kRegOpenedExistingKey = 2;

// Every call returns a Win32 error code (LONG in the API, never negative here).
// Value names may be null or "" for the default value, as in Win32.
class Registry {
public:
    virtual ~Registry() = default;

    virtual Dword OpenKeyEx(HKey parent, const char* subKey, Dword access, HKey* result) = 0;
    virtual Dword CreateKeyEx(HKey parent, const char* subKey, Dword access, HKey* result,
                              Dword* disposition) = 0;
    virtual Dword CloseKey(HKey key) = 0;

    // RegQueryValueExA: type and data are optional; *cbData is in/out. With a
    // too-small buffer: 234 and the needed size; with data null: 0 and the size.
    virtual Dword QueryValueEx(HKey key, const char* name, Dword* type, std::uint8_t* data,
                               Dword* cbData) = 0;
    virtual Dword SetValueEx(HKey key, const char* name, Dword type, const std::uint8_t* data,
                             Dword cbData) = 0;
    virtual Dword DeleteValue(HKey key, const char* name) = 0;

    // RegDeleteKeyA: refuses (5) a key that still has subkeys.
    virtual Dword DeleteKey(HKey parent, const char* subKey) = 0;
    // SHDeleteKeyA: the key with its whole tree.
    virtual Dword DeleteTree(HKey parent, const char* subKey) = 0;

    // RegEnumKeyExA / RegEnumValueA: 259 past the end; *cchName in characters
    // without the terminator on return, with it on entry.
    virtual Dword EnumKeyEx(HKey key, Dword index, char* name, Dword* cchName) = 0;
    virtual Dword EnumValue(HKey key, Dword index, char* name, Dword* cchName, Dword* type,
                            std::uint8_t* data, Dword* cbData) = 0;

    // RegQueryInfoKeyA, reduced to the counts and maximum lengths.
    virtual Dword QueryInfoKey(HKey key, Dword* subKeys, Dword* maxSubKeyLen, Dword* values,
                               Dword* maxValueNameLen, Dword* maxValueLen) = 0;
};

// Owns one open key and closes it through the port that opened it.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(Registry& registry) : registry_(&registry) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept
        : registry_(other.registry_), key_(std::exchange(other.key_, HKey{})) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            reset();
            registry_ = other.registry_;
            key_ = std::exchange(other.key_, HKey{});
        }
        return *this;
    }
    ~RegKey() { reset(); }

    HKey get() const { return key_; }
    explicit operator bool() const { return static_cast<bool>(key_); }

    // For passing to OpenKeyEx/CreateKeyEx: closes any key held first.
    HKey* put() {
        reset();
        return &key_;
    }

    // Gives the key up unclosed, for a caller that closes it itself because
    // it needs the result of closing.
    HKey release() { return std::exchange(key_, HKey{}); }

    void reset() {
        if (key_ && registry_ != nullptr && !IsPredefinedKey(key_)) registry_->CloseKey(key_);
        key_ = HKey{};
    }

private:
    Registry* registry_ = nullptr;
    HKey key_{};
};

}  // namespace veltra::platform
