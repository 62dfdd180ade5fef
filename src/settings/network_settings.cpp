#include "settings/network_settings.h"

#include <string>

namespace veltra::settings {

static_assert(kNetworkValues.size() == RowIndex(NetworkValue::TestMode) + 1);

NetworkSettings::NetworkSettings(SettingsContext& context)
    : SettingsRows(context, &SettingsContext::network, kNetworkValues, true) {}

void NetworkSettings::Load(KeyPathRef keyPath, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.LoadRows();
}

void NetworkSettings::Save(KeyPathRef keyPath, bool force, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.SaveRows(force);
}

void NetworkSettings::LoadCurrent() {
    Load(place().current(), false);
}

void NetworkSettings::SaveChanged() {
    Save(place().current(), false, false);
}

void NetworkSettings::SaveAll() {
    Save(place().current(), true, false);
}

}  // namespace veltra::settings
