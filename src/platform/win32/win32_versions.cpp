#include "platform/win32/win32_versions.h"

#include "platform/win32/handles.h"

namespace veltra::win32 {

platform::Dword Win32Versions::GetFileVersionInfoSize(const char* path) {
    DWORD ignored = 0;
    return ::GetFileVersionInfoSizeA(path, &ignored);
}

bool Win32Versions::GetFileVersionInfo(const char* path, std::vector<std::uint8_t>& block) {
    if (block.empty()) return false;
    return ::GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data()) != FALSE;
}

bool Win32Versions::VerQueryValue(const std::vector<std::uint8_t>& block, const char* subBlock,
                                  const void** value, unsigned* length) {
    if (block.empty()) return false;
    void* found = nullptr;
    UINT size = 0;
    // The ANSI query converts the resource's strings inside the block, in the
    // room GetFileVersionInfoSizeA asked for; the block is the caller's own.
    if (!::VerQueryValueA(block.data(), subBlock, &found, &size)) return false;
    if (value != nullptr) *value = found;
    if (length != nullptr) *length = size;
    return true;
}

}  // namespace veltra::win32
