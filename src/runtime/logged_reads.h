// Registry reads whose failures go into the installer's log: the key opened
// for reading, the value read within its buffer, and a line for whichever of
// the two failed. The caller only learns whether a value came back.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "runtime/registry_ops.h"

namespace veltra::runtime {

std::optional<std::string> ReadLoggedString(platform::Platform& platform, platform::HKey root, const char* keyPath,
                                            const char* valueName, std::size_t capacity = kPathBuffer);

}  // namespace veltra::runtime
