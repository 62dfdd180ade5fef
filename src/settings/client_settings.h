// ClientSettings: the event-log control and the primary interface address of
// the legacy client key "SOFTWARE\Morvane\KESHCLIENT".
#pragma once

#include <array>
#include <string_view>

#include "settings/settings_core.h"

namespace veltra::settings {

enum class ClientValue : std::size_t { EventLogControl, PrimaryInterfaceIP };

inline constexpr std::array<ValueInfo, 2> kClientValues = {{
    // value name            stored as  capacity  saved when
    {"EventLogControl",      kDword,    0,   SaveRule::kChangedOrForced},
    {"PrimaryInterfaceIP",   kString,   16,  SaveRule::kForcedOrChangedFits},
}};

// What an address that cannot be read counts as.
inline constexpr std::string_view kNoInterfaceAddress = "0.0.0.0";

class ClientSettings : public SettingsRows<ClientValue> {
public:
    static constexpr Dword kAddressCapacity = 16;

    explicit ClientSettings(SettingsContext& context);

    // Sets the class's place and reads both values; an address that cannot be
    // read loads as "0.0.0.0" (in the field and in the snapshot).
    void Load(KeyPathRef keyPath, bool useCurrentUser);
    // Writes "EventLogControl" when forced or changed, and then takes it as
    // the new snapshot (so a second unforced save does not write it again);
    // writes the address when forced, or when changed and shorter than 16.
    void Save(KeyPathRef keyPath, bool force, bool useCurrentUser);
    void LoadCurrent();
    void SaveChanged();
    void SaveAll();
    // "PrimaryInterfaceIP": 5002 for a buffer under 16 bytes; otherwise 0,
    // with "0.0.0.0" (zero-filled to *size) when the value cannot be read.
    using SettingsRows::Get;
    Dword Get(ClientValue row, void* buffer, Dword* size) const;

private:
    // The address read with its fallback; *readResult gets the read's own result.
    Dword GetPrimaryInterfaceIP(void* buffer, Dword* size, Dword* readResult) const;
};

}  // namespace veltra::settings
