#include "settings/trace_settings.h"

#include <string>

namespace veltra::settings {

TraceSettings::TraceSettings(SettingsContext& context)
    : SettingsRows(context, &SettingsContext::trace, kTraceValues, true) {}

void TraceSettings::Load(std::string_view keyPath, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.LoadRows(kTraceLoadOrder);
}

void TraceSettings::Save(std::string_view keyPath, bool force, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.SaveRows(force);
}

void TraceSettings::LoadCurrent() {
    const std::string keyPath = place().keyPath;
    Load(keyPath, false);
}

void TraceSettings::SaveChanged() {
    const std::string keyPath = place().keyPath;
    Save(keyPath, false, false);
}

void TraceSettings::SaveAll() {
    const std::string keyPath = place().keyPath;
    Save(keyPath, true, false);
}

}  // namespace veltra::settings
