// The version resources port (version.dll). The resource block is opaque to
// the logic: it is only passed back to VerQueryValue.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/types.h"

namespace veltra::platform {

class Versions {
public:
    virtual ~Versions() = default;
    // GetFileVersionInfoSizeA: 0 when the file has no version resource.
    virtual Dword GetFileVersionInfoSize(const char* path) = 0;
    // GetFileVersionInfoA into block (resized by the caller to the size above).
    virtual bool GetFileVersionInfo(const char* path, std::vector<std::uint8_t>& block) = 0;
    // VerQueryValueA: "\VarFileInfo\Translation" gives pairs of 16-bit
    // language and code page; "\StringFileInfo\LLLLCCCC\Key" a zero-terminated
    // string. *value points into block; *length counts its units as Windows does.
    virtual bool VerQueryValue(const std::vector<std::uint8_t>& block, const char* subBlock,
                               const void** value, unsigned* length) = 0;
};

}  // namespace veltra::platform
