// The version resources port over version.dll.
#pragma once

#include "platform/versions.h"

namespace veltra::win32 {

class Win32Versions final : public platform::Versions {
public:
    platform::Dword GetFileVersionInfoSize(const char* path) override;
    bool GetFileVersionInfo(const char* path, std::vector<std::uint8_t>& block) override;
    bool VerQueryValue(const std::vector<std::uint8_t>& block, const char* subBlock,
                       const void** value, unsigned* length) override;
};

}  // namespace veltra::win32
