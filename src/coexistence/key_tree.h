// Registry tree helpers of the coexistence code: one value or a whole key
// tree copied from one place to another, a whole tree deleted, and DWORD
// reads and writes on keys that may not have opened. They work on raw paths
// under one root the caller gives and know nothing about the products.
//
// The buffers are fixed, as the products sharing these keys expect: names of
// 260 bytes, data of 4096 bytes. An entry that does not fit is never cut
// short: a value read fails, and a tree copy stops taking values from that key
// (its subkeys are still copied).
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace veltra::coexistence {

inline constexpr std::size_t kTreeNameBuffer = 260;
inline constexpr std::size_t kTreeDataBuffer = 4096;

// The value `name` of `source` written under `destination` (created when
// missing) with the same type and bytes. 0, or the first registry error.
platform::Dword CopyRegistryValue(platform::Platform& platform, platform::HKey root,
                                  const char* source, const char* destination, const char* name);

// The tree under `source` copied into `destination`. 0 when the source opened
// and the destination could be created (a copy that stops deeper down still
// gives 0), else that error code.
platform::Dword CopyKeyTree(platform::Platform& platform, platform::HKey root, const char* source,
                            const char* destination);

// The values and then the subkeys of one open key copied into another. Always
// 0; it tells on standard output where it stopped.
platform::Dword lCopyKeyRecurse(platform::Platform& platform, platform::HKey source,
                                platform::HKey destination);

// The key `path` under `parent` (a root or an open key) with every subkey.
// The error of opening it, else 0 (also when part of it could not go).
platform::Dword DeleteKeyTree(platform::Platform& platform, platform::HKey parent, const char* path);

// A 4-byte value: 0 when the key is null or the value cannot be read.
void GetDwordValue(platform::Platform& platform, platform::HKey key, const char* name,
                   platform::Dword* target);
// REG_DWORD; nothing happens when the key is null.
void SetDwordValue(platform::Platform& platform, platform::HKey key, const char* name,
                   const platform::Dword* value);

}  // namespace veltra::coexistence
