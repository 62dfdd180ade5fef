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

class TraceSettings : public SettingsRows<TraceValue> {
public:
    explicit TraceSettings(SettingsContext& context);

    void Load(KeyPathRef keyPath, bool useCurrentUser);
    // The snapshot is left as Load took it: a second unforced save writes the
    // same changes again.
    void Save(KeyPathRef keyPath, bool force, bool useCurrentUser);
    void LoadCurrent();
    void SaveChanged();
    void SaveAll();

private:
};

}  // namespace veltra::settings
