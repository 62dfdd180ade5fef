// What a report must never show: secret registry values (node secret, domain
// secret, the DC key and certificate, the reserve password digest) and
// properties that carry a password.
#pragma once

#include <string>
#include <string_view>

namespace veltra::cli {

inline constexpr std::string_view kMasked = "********";

bool IsSecretValueName(std::string_view valueName);
// A property is masked when its name speaks of a password or secret and its
// value is more than a True/False or 0/1 switch.
bool IsSecretProperty(std::string_view name, std::string_view value);

}  // namespace veltra::cli
