// Security descriptors in SDDL text, as the simulated machine keeps a
// folder's security: the owner, the group and the access entries of the
// discretionary list, parsed the way ConvertStringSecurityDescriptorTo-
// SecurityDescriptorA reads them, so that a text Windows refuses is refused
// here with the same code.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace veltra::sim {

// One access entry, "(type;flags;rights;object;inherited object;trustee)".
struct AccessEntry {
    std::string type;     // "A" allow, "D" deny, "OA", "OD", "AU", ...
    std::string flags;    // inheritance flags as written ("CI", "OICI", "")
    std::string rights;   // "GA", "FR", "0x1f01ff", ...
    std::string trustee;  // an alias ("SY") or an identifier ("S-1-5-32-544")
};

struct SecurityDescriptor {
    std::string owner;  // "" when the text sets none
    std::string group;
    bool hasDacl = false;
    std::string daclFlags;  // "P", "AI", ... as written
    std::vector<AccessEntry> dacl;
    bool hasSacl = false;
    std::vector<AccessEntry> sacl;
};

// Parses SDDL text. On failure: nullopt and the code Windows leaves as the
// last error: 1336 (ERROR_INVALID_ACL) for a malformed access list or
// entry, 87 (ERROR_INVALID_PARAMETER) for anything else.
std::optional<SecurityDescriptor> ParseSddl(std::string_view text, platform::Dword* error);

// "Administrators (BA)", "Local System (SY)"; an identifier or an unknown
// alias as written.
std::string TrusteeName(std::string_view trustee);

// The descriptor as a reader wants it: "owner Administrators (BA)",
// "group Local System (SY)", then one line per access entry, such as
// "allow generic all to Local System (SY)".
std::vector<std::string> DescribeSecurity(const SecurityDescriptor& descriptor);

}  // namespace veltra::sim
