#include "settings/network_settings.h"

#include <string>

namespace veltra::settings {

static_assert(kNetworkValues.size() == RowIndex(NetworkValue::TestMode) + 1);

NetworkSettings::NetworkSettings(SettingsContext& context)
    : SettingsRows(context, &SettingsContext::network, kNetworkValues, true) {}

void NetworkSettings::Load(std::string_view keyPath, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.LoadRows();
}

void NetworkSettings::Save(std::string_view keyPath, bool force, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.SaveRows(force);
}

void NetworkSettings::LoadCurrent() {
    const std::string keyPath = place().keyPath;
    Load(keyPath, false);
}

void NetworkSettings::SaveChanged() {
    const std::string keyPath = place().keyPath;
    Save(keyPath, false, false);
}

void NetworkSettings::SaveAll() {
    const std::string keyPath = place().keyPath;
    Save(keyPath, true, false);
}

}  // namespace veltra::settings
