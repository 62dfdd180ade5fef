// ReadWinlogonGinaDll: the first GINA of the chain, as Winlogon's GinaDLL
// stores it.
#include "gina/gina_chain.h"
#include "gina/gina_names.h"
#include "runtime/registry_ops.h"

namespace veltra::gina {

platform::Dword ReadWinlogonGinaDll(platform::Registry& registry, NameBuffer* buffer) {
    const std::size_t room = buffer != nullptr ? buffer->capacity : 0;
    if (buffer != nullptr) {
        buffer->capacity = 0;
        buffer->text.clear();
    }

    platform::RegKey winlogon;
    platform::Dword status = runtime::OpenKey(registry, platform::kHkeyLocalMachine, kWinlogonKey,
                                              platform::kKeyAllAccess, winlogon);
    if (status != platform::kErrorSuccess) return status;

    std::string gina;
    platform::Dword byteCount = 0;
    status = runtime::QueryString(registry, winlogon.get(), kGinaDllValue, runtime::kPathBuffer,
                                  gina, &byteCount);
    if (status == platform::kErrorSuccess) {
        // The caller's buffer must hold the stored bytes with one to spare;
        // the capacity then reports the stored byte count, terminator included.
        if (buffer != nullptr && room >= std::size_t{byteCount} + 1) {
            buffer->text = gina;
            buffer->capacity = byteCount;
        } else {
            status = kGinaNameTooSmall;
        }
    }
    return status;
}

}  // namespace veltra::gina
