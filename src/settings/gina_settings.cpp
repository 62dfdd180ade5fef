#include "settings/gina_settings.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "settings/registry_primitives.h"

namespace veltra::settings {

namespace {

static_assert(kGinaValues.size() == RowIndex(GinaValue::DomainCache) + 1);

void WipeDigest(platform::Md5Digest& digest) {
    volatile std::uint8_t* bytes = digest.data();
    for (std::size_t i = 0; i < digest.size(); ++i) bytes[i] = 0;
}

std::span<const std::uint8_t> BytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

GinaSettings::GinaSettings(SettingsContext& context)
    : SettingsRows(context, &SettingsContext::gina, kGinaValues, true), network_(context) {}

GinaSettings::~GinaSettings() { WipeDigest(newPasswordDigest_); }

void GinaSettings::Load(KeyPathRef keyPath, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.LoadRows(kGinaLoadOrder);
}

void GinaSettings::Save(KeyPathRef keyPath, bool force, bool useCurrentUser) {
    core_.SetPlace(keyPath, useCurrentUser);
    core_.SaveRows(force);
    // After the stored digest, so that a new password replaces whatever that wrote.
    if (newPasswordSet_) {
        WriteRegBinary(core_.context().registry, core_.root(), place().path().c_str(), "ReservePassword",
                       newPasswordDigest_.data(), static_cast<Dword>(newPasswordDigest_.size()));
    }
}

void GinaSettings::LoadCurrent() {
    Load(place().current(), false);
}

void GinaSettings::SaveChanged() {
    Save(place().current(), false, false);
}

void GinaSettings::SaveAll() {
    Save(place().current(), true, false);
}

Dword GinaSettings::SetNewReservePassword(std::string_view password) {
    if (password.size() > kReservePasswordMaxLength) return kRegResultBadArgument;
    const auto digest = platform::Md5(BytesOf(password));
    if (!digest) return kRegResultRegistryError;
    newPasswordDigest_ = *digest;
    newPasswordSet_ = true;
    return kRegResultSuccess;
}

Dword GinaSettings::SetText(GinaValue row, const char* text) const {
    if (row != GinaValue::ReservePassword) return core_.SetText(RowIndex(row), text);
    if (text == nullptr) return kRegResultBadArgument;
    auto digest = platform::Md5(BytesOf(std::string_view(text, std::strlen(text))));
    if (!digest) return kRegResultRegistryError;
    const Dword result = core_.SetBytes(RowIndex(row), digest->data(), static_cast<Dword>(digest->size()));
    WipeDigest(*digest);
    return result;
}

}  // namespace veltra::settings
