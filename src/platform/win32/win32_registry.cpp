#include "platform/win32/win32_registry.h"

#include "platform/win32/handles.h"

namespace veltra::win32 {
namespace {

platform::Dword Result(LONG status) {
    return static_cast<platform::Dword>(status);
}

}  // namespace

using platform::Dword;
using platform::HKey;

Dword Win32Registry::OpenKeyEx(HKey parent, const char* subKey, Dword access, HKey* result) {
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(ToHkey(parent), subKey, 0, access, &opened);
    if (result != nullptr)
        *result = status == ERROR_SUCCESS ? FromNative<platform::HKeyTag>(opened) : HKey{};
    return Result(status);
}

Dword Win32Registry::CreateKeyEx(HKey parent, const char* subKey, Dword access, HKey* result,
                                 Dword* disposition) {
    HKEY created = nullptr;
    DwordInOut how(disposition);
    const LONG status =
        ::RegCreateKeyExA(ToHkey(parent), subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                          nullptr, &created, how.get());
    if (result != nullptr)
        *result = status == ERROR_SUCCESS ? FromNative<platform::HKeyTag>(created) : HKey{};
    return Result(status);
}

Dword Win32Registry::CloseKey(HKey key) {
    return Result(::RegCloseKey(ToHkey(key)));
}

Dword Win32Registry::QueryValueEx(HKey key, const char* name, Dword* type, std::uint8_t* data,
                                  Dword* cbData) {
    DwordInOut valueType(type);
    DwordInOut size(cbData);
    return Result(
        ::RegQueryValueExA(ToHkey(key), name, nullptr, valueType.get(), data, size.get()));
}

Dword Win32Registry::SetValueEx(HKey key, const char* name, Dword type, const std::uint8_t* data,
                                Dword cbData) {
    return Result(::RegSetValueExA(ToHkey(key), name, 0, type, data, cbData));
}

Dword Win32Registry::DeleteValue(HKey key, const char* name) {
    return Result(::RegDeleteValueA(ToHkey(key), name));
}

Dword Win32Registry::DeleteKey(HKey parent, const char* subKey) {
    return Result(::RegDeleteKeyA(ToHkey(parent), subKey));
}

Dword Win32Registry::DeleteTree(HKey parent, const char* subKey) {
    return Result(static_cast<LONG>(::SHDeleteKeyA(ToHkey(parent), subKey)));
}

Dword Win32Registry::EnumKeyEx(HKey key, Dword index, char* name, Dword* cchName) {
    DwordInOut length(cchName);
    return Result(::RegEnumKeyExA(ToHkey(key), index, name, length.get(), nullptr, nullptr, nullptr,
                                  nullptr));
}

Dword Win32Registry::EnumValue(HKey key, Dword index, char* name, Dword* cchName, Dword* type,
                               std::uint8_t* data, Dword* cbData) {
    DwordInOut length(cchName);
    DwordInOut valueType(type);
    DwordInOut size(cbData);
    return Result(::RegEnumValueA(ToHkey(key), index, name, length.get(), nullptr, valueType.get(),
                                  data, size.get()));
}

Dword Win32Registry::QueryInfoKey(HKey key, Dword* subKeys, Dword* maxSubKeyLen, Dword* values,
                                  Dword* maxValueNameLen, Dword* maxValueLen) {
    DwordInOut subKeyCount(subKeys);
    DwordInOut subKeyLength(maxSubKeyLen);
    DwordInOut valueCount(values);
    DwordInOut valueNameLength(maxValueNameLen);
    DwordInOut valueLength(maxValueLen);
    return Result(::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, subKeyCount.get(),
                                     subKeyLength.get(), nullptr, valueCount.get(),
                                     valueNameLength.get(), valueLength.get(), nullptr, nullptr));
}

}  // namespace veltra::win32
