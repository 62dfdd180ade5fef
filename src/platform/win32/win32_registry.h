// The registry port over advapi32's ANSI registry calls and shlwapi's tree
// delete.
#pragma once

#include "platform/registry.h"

namespace veltra::win32 {

class Win32Registry final : public platform::Registry {
public:
    using Dword = platform::Dword;
    using HKey = platform::HKey;

    Dword OpenKeyEx(HKey parent, const char* subKey, Dword access, HKey* result) override;
    Dword CreateKeyEx(HKey parent, const char* subKey, Dword access, HKey* result,
                      Dword* disposition) override;
    Dword CloseKey(HKey key) override;
    Dword QueryValueEx(HKey key, const char* name, Dword* type, std::uint8_t* data,
                       Dword* cbData) override;
    Dword SetValueEx(HKey key, const char* name, Dword type, const std::uint8_t* data,
                     Dword cbData) override;
    Dword DeleteValue(HKey key, const char* name) override;
    Dword DeleteKey(HKey parent, const char* subKey) override;
    Dword DeleteTree(HKey parent, const char* subKey) override;
    Dword EnumKeyEx(HKey key, Dword index, char* name, Dword* cchName) override;
    Dword EnumValue(HKey key, Dword index, char* name, Dword* cchName, Dword* type,
                    std::uint8_t* data, Dword* cbData) override;
    Dword QueryInfoKey(HKey key, Dword* subKeys, Dword* maxSubKeyLen, Dword* values,
                       Dword* maxValueNameLen, Dword* maxValueLen) override;
};

}  // namespace veltra::win32
