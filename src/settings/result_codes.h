// The result codes of the settings store. The registry's own codes never leave
// it: a primitive folds every registry failure into one code, because no
// caller treats two registry failures differently.
#pragma once

#include "platform/types.h"

namespace veltra::settings {

using platform::Dword;

inline constexpr Dword kRegResultSuccess = 0;
// The key could not be opened or created, the value could not be read or
// written, or a DWORD value had the wrong type or size.
inline constexpr Dword kRegResultRegistryError = 5001;
// A required pointer is null, a size is zero, or a string to write is empty.
inline constexpr Dword kRegResultBadArgument = 5002;
// A settings object built without buffers was asked to load.
inline constexpr Dword kRegResultNoBuffers = 5003;

}  // namespace veltra::settings
