// registryStoreFile.txt: the legacy Kesh/Agent's settings as the capture
// writes them and the restoration reads them back. One setting a line,
// name "=" value, no blanks, no quoting, lines ended in text mode; the name's
// prefix says whose setting it is: "LAC_" the logon settings, "RAS_" the
// remote-access settings, "RAS15_" those of EAP type 15. The first line is
// the challenge mode, "AUTHCONFIGSELECTED=".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace veltra::upgrade {

inline constexpr const char* kChallengeModeName = "AUTHCONFIGSELECTED";
inline constexpr const char* kLogonPrefix = "LAC_";
inline constexpr const char* kRemoteAccessPrefix = "RAS_";
inline constexpr const char* kEapType15Prefix = "RAS15_";

// A line as written (before text mode): "name=value\n"; a number in signed
// decimal, as the registry's four bytes read as a signed value.
std::string RegistryStoreLine(std::string_view name, std::string_view value);
std::string RegistryStoreLine(std::string_view name, std::int32_t value);

struct RegistryStoreEntry {
    std::string name;
    std::string value;
    bool operator==(const RegistryStoreEntry&) const = default;
};

// The entries of the file's text (as read in text mode), in order. A line's
// name runs up to its first "=", its value from there up to a blank, a comma
// or the line end; the reading stops at the first line without a name or a
// value.
std::vector<RegistryStoreEntry> ReadRegistryStoreEntries(std::string_view text);

}  // namespace veltra::upgrade
