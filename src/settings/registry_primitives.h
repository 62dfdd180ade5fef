// The seven typed registry value primitives every settings value goes
// through. Each opens its key for the one operation and closes it again; no
// handle outlives a call. They report through the codes of result_codes.h and
// never throw.
//
// Each value operation also comes without the root argument, for
// HKEY_LOCAL_MACHINE, where every agent key lives.
#pragma once

#include "platform/registry.h"
#include "settings/result_codes.h"

namespace veltra::settings {

// The value's raw bytes into buffer. *size is the capacity on entry and the
// number of bytes stored on success (a string's terminator included, as
// stored). The type is neither asked for nor checked, so REG_SZ, unexpanded
// REG_EXPAND_SZ and REG_BINARY data all arrive as they are; this is also how
// binary values (digests, certificates, keys) are read. A value larger than
// the capacity fails (5001) and the buffer is then not to be used.
Dword ReadRegString(platform::Registry& registry, platform::HKey root, const char* keyPath,
                    const char* valueName, void* buffer, Dword* size);

// A number kept as decimal text: read as at most 64 bytes of any type and
// converted as atoi does (see decimal_text.h). The type is not checked, so a
// REG_DWORD 1 (bytes 01 00 00 00) reads as 0. On failure *target is unchanged.
Dword ReadRegDecimal(platform::Registry& registry, platform::HKey root, const char* keyPath,
                     const char* valueName, Dword* target);

// A REG_DWORD of exactly 4 bytes; any other type or size fails (5001) and
// leaves *target unchanged.
Dword ReadRegDword(platform::Registry& registry, platform::HKey root, const char* keyPath,
                   const char* valueName, Dword* target);

// REG_SZ / REG_EXPAND_SZ of text[0, length) and a terminator. An empty text
// is never written (5002): the stored value stays as it was. The key path is
// created as needed, and the old value is deleted first so that a value of
// another type is replaced cleanly (the value then moves to the end of its
// key's value order, as on Windows).
Dword WriteRegString(platform::Registry& registry, platform::HKey root, const char* keyPath,
                     const char* valueName, const char* text, Dword length);
Dword WriteRegExpandString(platform::Registry& registry, platform::HKey root, const char* keyPath,
                           const char* valueName, const char* text, Dword length);

// REG_DWORD, 4 bytes little-endian, written over whatever is there.
Dword WriteRegDword(platform::Registry& registry, platform::HKey root, const char* keyPath,
                    const char* valueName, Dword value);

// REG_BINARY of exactly length bytes (never zero), written over whatever is there.
Dword WriteRegBinary(platform::Registry& registry, platform::HKey root, const char* keyPath,
                     const char* valueName, const void* data, Dword length);

// The same seven under HKEY_LOCAL_MACHINE.
Dword ReadRegString(platform::Registry& registry, const char* keyPath, const char* valueName,
                    void* buffer, Dword* size);
Dword ReadRegDecimal(platform::Registry& registry, const char* keyPath, const char* valueName,
                     Dword* target);
Dword ReadRegDword(platform::Registry& registry, const char* keyPath, const char* valueName,
                   Dword* target);
Dword WriteRegString(platform::Registry& registry, const char* keyPath, const char* valueName,
                     const char* text, Dword length);
Dword WriteRegExpandString(platform::Registry& registry, const char* keyPath, const char* valueName,
                           const char* text, Dword length);
Dword WriteRegDword(platform::Registry& registry, const char* keyPath, const char* valueName,
                    Dword value);
Dword WriteRegBinary(platform::Registry& registry, const char* keyPath, const char* valueName,
                     const void* data, Dword length);

// "REG_NONE", "REG_SZ", ... "REG_MULTI_SZ" for 0 to 7; "REG_NONE" for any other number.
const char* RegTypeName(Dword type);

}  // namespace veltra::settings
