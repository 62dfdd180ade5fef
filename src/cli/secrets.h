// What a report must never show: the library's own list of secrets, shared
// with the installer log.
#pragma once

#include "runtime/secrets.h"

namespace veltra::cli {

using runtime::IsSecretProperty;
using runtime::IsSecretValueName;
using runtime::kMasked;

}  // namespace veltra::cli
