// The system's reference counts of shared DLLs: one REG_DWORD per file, named
// by the file's full path, under HKEY_LOCAL_MACHINE's SharedDLLs key.
#pragma once

#include "platform/platform.h"

namespace veltra::coexistence {

inline constexpr const char* kSharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// One more reference to the file. The error of opening SharedDLLs, else 0.
platform::Dword AddSharedDllReference(platform::Platform& platform, const char* path);
// One reference fewer, never below 0; the value stays, even at 0.
platform::Dword ReleaseSharedDllReference(platform::Platform& platform, const char* path);

}  // namespace veltra::coexistence
