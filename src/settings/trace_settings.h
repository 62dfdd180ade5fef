// TraceSettings: the tracing switches of the legacy client key
// "SOFTWARE\Morvane\KESHCLIENT". Its class-wide place is its own, apart from
// ClientSettings', although both start at the same key.
#pragma once

#include <array>
#include <string_view>

#include "settings/settings_core.h"

namespace veltra::settings {

enum class TraceValue : std::size_t { EnableTrace, TraceLevel, TraceDest, TraceFile };

inline constexpr std::array<ValueInfo, 4> kTraceValues = {{
    // value name     stored as  capacity  saved when
    {"EnableTrace",   kDword,    0,    SaveRule::kChangedOrForced},
    {"TraceLevel",    kDword,    0,    SaveRule::kChangedOrForced},
    {"TraceDest",     kDword,    0,    SaveRule::kChangedOrForced},
    {"TraceFile",     kString,   260,  SaveRule::kForcedOrChangedFits},
}};

// Load reads the file first, then the switches.
inline constexpr std::array<std::size_t, 4> kTraceLoadOrder = {
    RowIndex(TraceValue::TraceFile), RowIndex(TraceValue::EnableTrace), RowIndex(TraceValue::TraceLevel),
    RowIndex(TraceValue::TraceDest)};

class TraceSettings {
public:
    explicit TraceSettings(SettingsContext& context);

    void Load(std::string_view keyPath, bool useCurrentUser);
    // The snapshot is left as Load took it: a second unforced save writes the
    // same changes again.
    void Save(std::string_view keyPath, bool force, bool useCurrentUser);
    void SetRoot(std::string_view keyPath, bool useCurrentUser) { core_.SetPlace(keyPath, useCurrentUser); }
    void LoadCurrent();
    void SaveChanged();
    void SaveAll();

    Dword& Number(TraceValue row) { return core_.values().field(RowIndex(row)).number; }
    ValueBuffer& Buffer(TraceValue row) { return core_.values().field(RowIndex(row)).buffer; }
    const ValueStore& values() const { return core_.values(); }

    Dword Get(TraceValue row, Dword* target) const { return core_.Get(RowIndex(row), target); }
    Dword Get(TraceValue row, void* buffer, Dword* size) const { return core_.Get(RowIndex(row), buffer, size); }
    Dword Set(TraceValue row, Dword value) const { return core_.Set(RowIndex(row), value); }
    Dword SetText(TraceValue row, const char* text) const { return core_.SetText(RowIndex(row), text); }

    SettingsLocation& place() const { return core_.place(); }

private:
    SettingsCore core_;
};

}  // namespace veltra::settings
