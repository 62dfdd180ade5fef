#include "settings/trace_settings.h"

#include <string>

namespace veltra::settings {

TraceSettings::TraceSettings(SettingsContext& context)
    : SettingsRows(context, &SettingsContext::trace, kTraceValues, true) {}

void TraceSettings::Load(KeyPathRef keyPath, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.LoadRows(kTraceLoadOrder);
}

void TraceSettings::Save(KeyPathRef keyPath, bool force, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.SaveRows(force);
}

void TraceSettings::LoadCurrent() {
    Load(place().current(), false);
}

void TraceSettings::SaveChanged() {
    Save(place().current(), false, false);
}

void TraceSettings::SaveAll() {
    Save(place().current(), true, false);
}

}  // namespace veltra::settings
