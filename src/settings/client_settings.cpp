#include "settings/client_settings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace veltra::settings {

namespace {
constexpr std::size_t kEventLogControl = RowIndex(ClientValue::EventLogControl);
constexpr std::size_t kPrimaryInterfaceIP = RowIndex(ClientValue::PrimaryInterfaceIP);
}  // namespace

ClientSettings::ClientSettings(SettingsContext& context)
    : SettingsRows(context, &SettingsContext::client, kClientValues, true) {}

Dword ClientSettings::GetPrimaryInterfaceIP(void* buffer, Dword* size, Dword* readResult) const {
    if (buffer == nullptr || size == nullptr || *size < kAddressCapacity) return kRegResultBadArgument;
    const Dword capacity = *size;
    *readResult = core_.Get(kPrimaryInterfaceIP, buffer, size);
    if (*readResult != kRegResultSuccess) {
        auto* bytes = static_cast<std::uint8_t*>(buffer);
        std::fill(std::copy(kNoInterfaceAddress.begin(), kNoInterfaceAddress.end(), bytes), bytes + capacity,
                  std::uint8_t{0});
        *size = capacity;
    }
    return kRegResultSuccess;
}

Dword ClientSettings::Get(ClientValue row, void* buffer, Dword* size) const {
    if (row != ClientValue::PrimaryInterfaceIP) return core_.Get(RowIndex(row), buffer, size);
    Dword readResult = kRegResultSuccess;
    return GetPrimaryInterfaceIP(buffer, size, &readResult);
}

void ClientSettings::Load(KeyPathRef keyPath, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.ReadRow(kEventLogControl);

    std::array<std::uint8_t, kAddressCapacity> address{};
    Dword size = kAddressCapacity;
    Dword readResult = kRegResultSuccess;
    GetPrimaryInterfaceIP(address.data(), &size, &readResult);
    core_.values().field(kPrimaryInterfaceIP).buffer.StoreRead(std::span(address).first(size));
    core_.values().set_lastRead(kPrimaryInterfaceIP, readResult);

    core_.values().TakeSnapshot();
}

void ClientSettings::Save(KeyPathRef keyPath, bool force, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    ValueStore& values = core_.values();
    if (force || values.Changed(kEventLogControl)) {
        values.snapshot(kEventLogControl).number = values.field(kEventLogControl).number;
        core_.WriteRow(kEventLogControl);
    }
    if (values.ShouldSave(kPrimaryInterfaceIP, force)) core_.WriteRow(kPrimaryInterfaceIP);
}

void ClientSettings::LoadCurrent() {
    Load(place().current(), false);
}

void ClientSettings::SaveChanged() {
    Save(place().current(), false, false);
}

void ClientSettings::SaveAll() {
    Save(place().current(), true, false);
}

}  // namespace veltra::settings
