#include "coexistence/shared_dlls.h"

#include "coexistence/key_tree.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::coexistence {

using platform::Dword;

namespace {

// The count read (0 when absent or unreadable, whatever its type), moved by
// one, and written back as REG_DWORD.
Dword MoveCount(platform::Platform& platform, const char* path, bool add) {
    platform::RegKey key;
    if (const Dword status = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kSharedDllsKey,
                                              platform::kKeyAllAccess, key)) {
        runtime::LogFailure(platform, "RegOpenKeyExA", runtime::RegistryPath(platform::kHkeyLocalMachine, kSharedDllsKey), status);
        return status;
    }
    Dword count = 0;
    GetDwordValue(platform, key.get(), path, &count);
    if (add) {
        ++count;
    } else if (count > 0) {
        --count;
    }
    SetDwordValue(platform, key.get(), path, &count);
    return platform::kErrorSuccess;
}

}  // namespace

Dword AddSharedDllReference(platform::Platform& platform, const char* path) {
    return MoveCount(platform, path, true);
}

Dword ReleaseSharedDllReference(platform::Platform& platform, const char* path) {
    return MoveCount(platform, path, false);
}

}  // namespace veltra::coexistence
