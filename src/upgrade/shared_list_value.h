// The shared multi-string lists of the system and of the maker ("Notification
// Packages", "LibrarySearchPaths") and the event-log message-file list, read
// whole and written back whole.
//
// Other products put their own entries on these lists, so a list is never
// read into a fixed buffer: one that is longer than the buffer would come back
// shortened and the other products' entries would be lost. A list that cannot
// be read at all is left alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace veltra::upgrade {

// RegQueryValueExA of the whole value, whatever its length: the size first,
// then the data, again with the needed size while the value grows in
// between. 0 with the type and bytes, or the call's result (2 for absent).
platform::Dword QueryWholeValue(platform::Registry& registry, platform::HKey key, const char* name,
                                platform::Dword& type, std::vector<std::uint8_t>& data);

// A multi-string's entries as readers see them: up to its first empty entry.
std::vector<std::string> MultiStringEntries(const std::vector<std::uint8_t>& data);

// A list value as read: absent, or its entries.
struct ListValue {
    bool present = false;
    std::vector<std::string> entries;
};

// The list under `name` of the open key `key` (whose path `keyPath` names it
// in the log). An absent value is an empty list; nullopt, logged, when the
// value exists but cannot be read.
std::optional<ListValue> ReadListValue(platform::Platform& platform, platform::HKey key,
                                       std::string_view keyPath, const char* name);

// The entries written as REG_MULTI_SZ (each with its zero, then the final
// zero), an absent list included.
void WriteListValue(platform::Platform& platform, platform::HKey key, std::string_view keyPath,
                    const char* name, const std::vector<std::string>& entries);

}  // namespace veltra::upgrade
