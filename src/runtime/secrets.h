// What must never be shown outside the machine: the secret registry values
// (node secret, domain secret, the DC key and certificate, the reserve
// password digest) and properties that carry a password or secret. The
// installer log and the bench mask them by this one list.
#pragma once

#include <string>
#include <string_view>

namespace veltra::runtime {

inline constexpr std::string_view kMasked = "********";

// Compared ignoring case, as registry value names are.
bool IsSecretValueName(std::string_view valueName);

// A property is secret when its name speaks of a password or secret and its
// value is more than a True/False or 0/1 switch.
bool IsSecretProperty(std::string_view name, std::string_view value);

// Deferred data as it may be shown: the fields stay in place, and a field that
// follows the name of a secret property (the name/value pairs of the install
// options) is masked.
std::string MaskDeferredData(std::string_view data);

}  // namespace veltra::runtime
