// Moving one row of a value table between the registry and a field, or
// between the registry and a caller's buffer (the Get/Set accessors), with
// the primitive that the row's StoredAs names.
#pragma once

#include <string>

#include "settings/settings_context.h"
#include "settings/value_store.h"

namespace veltra::settings {

// The key path a row lives in for a class whose current place is classPlace.
std::string RowKeyPath(const SettingsContext& context, const SettingsLocation& classPlace,
                       const ValueInfo& info);

// Reads the row into its field. A failed read leaves the field exactly as it
// was (buffer and size word); the result is the primitive's.
Dword ReadField(platform::Registry& registry, platform::HKey root, const std::string& keyPath,
                const ValueInfo& info, ValueField& field);

// Writes the field: a number with its StoredAs, a string's text, a binary
// value's first size() bytes.
Dword WriteField(platform::Registry& registry, platform::HKey root, const std::string& keyPath,
                 const ValueInfo& info, const ValueField& field);

// The accessors: straight between the registry and the caller, never
// touching a settings object. Asking a number of a string row, or the other
// way round, gives 5002.
Dword GetNumber(platform::Registry& registry, platform::HKey root, const std::string& keyPath,
                const ValueInfo& info, Dword* target);
Dword GetBytes(platform::Registry& registry, platform::HKey root, const std::string& keyPath,
               const ValueInfo& info, void* buffer, Dword* size);
Dword SetNumber(platform::Registry& registry, platform::HKey root, const std::string& keyPath,
                const ValueInfo& info, Dword value);
// A string row takes the text with its terminator; a binary row takes the
// text's bytes without it.
Dword SetText(platform::Registry& registry, platform::HKey root, const std::string& keyPath,
              const ValueInfo& info, const char* text);
Dword SetBytes(platform::Registry& registry, platform::HKey root, const std::string& keyPath,
               const ValueInfo& info, const void* data, Dword length);

}  // namespace veltra::settings
