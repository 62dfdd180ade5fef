#include "upgrade/eap_copy.h"

namespace veltra::upgrade {
namespace {

using settings::RasValue;

constexpr std::array<RasValue, 4> kTexts15 = {RasValue::FriendlyName15, RasValue::IdentityPath15,
                                              RasValue::InteractiveUIPath15, RasValue::Path15};
constexpr std::array<RasValue, 4> kTexts32 = {RasValue::FriendlyName32, RasValue::IdentityPath32,
                                              RasValue::InteractiveUIPath32, RasValue::Path32};
constexpr std::array<RasValue, 5> kSwitches15 = {
    RasValue::InvokePasswordDialog15, RasValue::InvokeUsernameDialog15, RasValue::MPPEEncryptionSupported15,
    RasValue::RequireConfigUI15, RasValue::StandaloneSupported15};
constexpr std::array<RasValue, 5> kSwitches32 = {
    RasValue::InvokePasswordDialog32, RasValue::InvokeUsernameDialog32, RasValue::MPPEEncryptionSupported32,
    RasValue::RequireConfigUI32, RasValue::StandaloneSupported32};

}  // namespace

void RasText::Read(const settings::RasSettings& ras, settings::RasValue row) {
    platform::Dword size = kCapacity;
    if (ras.Get(row, bytes_.data(), &size) != settings::kRegResultSuccess) bytes_.fill('\0');
    bytes_[kCapacity] = '\0';
}

void RasText::Write(const settings::RasSettings& ras, settings::RasValue row) const {
    ras.SetText(row, bytes_.data());
}

void EapMethodCopy::ReadType15(const settings::RasSettings& ras) {
    for (std::size_t i = 0; i < kTexts15.size(); ++i) texts_[i].Read(ras, kTexts15[i]);
    for (std::size_t i = 0; i < kSwitches15.size(); ++i) ras.Get(kSwitches15[i], &switches_[i]);
}

void EapMethodCopy::WriteAsType32(const settings::RasSettings& ras) const {
    for (std::size_t i = 0; i < kTexts32.size(); ++i) texts_[i].Write(ras, kTexts32[i]);
    for (std::size_t i = 0; i < kSwitches32.size(); ++i) ras.Set(kSwitches32[i], switches_[i]);
}

}  // namespace veltra::upgrade
