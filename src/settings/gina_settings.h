// GinaSettings: the key of the agent's logon component. Challenge group, PIN
// handling, the reserve password, domain-name handling and the logon bitmap.
//
// Its particular points: "AllowLocalAuth" lives in the network key (the
// NetworkSettings class's current key path, under this class's root); some
// values are written only by a forced save, some never; and the reserve
// password is never stored in plain text: a new one is kept only as its MD5
// digest, which Save writes.
#pragma once

#include <array>
#include <string_view>

#include "platform/digest.h"
#include "settings/network_settings.h"
#include "settings/settings_core.h"

namespace veltra::settings {

// The rows of the value table: Save's order first, then the values Save never
// writes, then the values only the accessors reach.
enum class GinaValue : std::size_t {
    ChallengeGroup, ReserveOption, SendDomainName, LogonPromptPassword, AllowLocalAuth,
    EnablePinUnlock, EnableNovellPasswordUpdate, PinLifetime, PinAttempts, Enabled,
    ReservePassword, IsDac, IsDacSecond, CustomBitMap,
    InstallPath, MajorVersion, MinorVersion, UseKeshProxy,
    TokaraLogonType, TokaraAuthMechType, TokaraUserDomain, TokaraTokenSN, TokaraTokenUser, HPKey,
    PrimaryDomain, DomainCache,
};

inline constexpr std::array<ValueInfo, 26> kGinaValues = {{
    // value name                     stored as  capacity  saved when                      key
    {"ChallengeGroup",                kString,   512,  SaveRule::kFitsChangedOrForced},
    {"ReserveOption",                 kDecimal,  0,    SaveRule::kChangedOrForced},
    {"SendDomainName",                kDecimal,  0,    SaveRule::kChangedOrForced},
    {"LogonPromptPassword",           kDword,    0,    SaveRule::kChangedOrForced},
    {"AllowLocalAuth",                kDword,    0,    SaveRule::kChangedOrForced, ValueKey::kNetworkKey},
    {"EnablePinUnlock",               kDword,    0,    SaveRule::kChangedOrForced},
    {"EnableNovellPasswordUpdate",    kDword,    0,    SaveRule::kChangedOrForced},
    {"PinLifetime",                   kDword,    0,    SaveRule::kChangedOrForced},
    {"PinAttempts",                   kDword,    0,    SaveRule::kChangedOrForced},
    {"Enabled",                       kDword,    0,    SaveRule::kChangedOrForced},
    // The stored digest, carried as raw bytes.
    {"ReservePassword",               kBinary,   512,  SaveRule::kFitsChangedOrForced, ValueKey::kClassKey, true},
    // Two fields bound to one value; a forced save writes both, the second last.
    {"IsDac",                         kDword,    0,    SaveRule::kForced},
    {"IsDac",                         kDword,    0,    SaveRule::kForced},
    {"CustomBitMap",                  kString,   260,  SaveRule::kForced},
    {"InstallPath",                   kString,   260,  SaveRule::kNever},
    {"MajorVersion",                  kDword,    0,    SaveRule::kNever},
    {"MinorVersion",                  kDword,    0,    SaveRule::kNever},
    {"UseKeshProxy",                  kDecimal,  0,    SaveRule::kNever},
    {"TokaraLogonType",               kDword,    0,    SaveRule::kAccessorOnly},
    {"TokaraAuthMechType",            kDword,    0,    SaveRule::kAccessorOnly},
    // Text written as REG_BINARY, without its terminator.
    {"TokaraUserDomain",              kBinary,   0,    SaveRule::kAccessorOnly},
    {"TokaraTokenSN",                 kBinary,   0,    SaveRule::kAccessorOnly},
    {"TokaraTokenUser",               kBinary,   0,    SaveRule::kAccessorOnly},
    {"HPKey",                         kBinary,   0,    SaveRule::kAccessorOnly, ValueKey::kClassKey, true},
    {"PrimaryDomain",                 kString,   0,    SaveRule::kAccessorOnly},
    {"DomainCache",                   kString,   0,    SaveRule::kAccessorOnly},
}};

// The order in which Load reads the values.
inline constexpr std::array<std::size_t, 18> kGinaLoadOrder = {
    RowIndex(GinaValue::AllowLocalAuth),  RowIndex(GinaValue::ChallengeGroup),
    RowIndex(GinaValue::Enabled),         RowIndex(GinaValue::EnablePinUnlock),
    RowIndex(GinaValue::EnableNovellPasswordUpdate), RowIndex(GinaValue::InstallPath),
    RowIndex(GinaValue::CustomBitMap),    RowIndex(GinaValue::LogonPromptPassword),
    RowIndex(GinaValue::MajorVersion),    RowIndex(GinaValue::MinorVersion),
    RowIndex(GinaValue::PinAttempts),     RowIndex(GinaValue::PinLifetime),
    RowIndex(GinaValue::ReserveOption),   RowIndex(GinaValue::SendDomainName),
    RowIndex(GinaValue::UseKeshProxy),    RowIndex(GinaValue::ReservePassword),
    RowIndex(GinaValue::IsDac),           RowIndex(GinaValue::IsDacSecond),
};

class GinaSettings : public SettingsRows<GinaValue> {
public:
    // The longest reserve password the agent accepts, in bytes.
    static constexpr std::size_t kReservePasswordMaxLength = 15;

    explicit GinaSettings(SettingsContext& context);
    ~GinaSettings();
    GinaSettings(const GinaSettings&) = delete;
    GinaSettings& operator=(const GinaSettings&) = delete;

    // Sets the class's place, reads every loaded value (failures leave fields
    // as they were) and takes the snapshot.
    void Load(KeyPathRef keyPath, bool useCurrentUser);
    // Sets the class's place, writes by the rules of the table, then the new
    // reserve password's digest when one was given.
    void Save(KeyPathRef keyPath, bool force, bool useCurrentUser);
    void LoadCurrent();
    void SaveChanged();
    void SaveAll();

    // A new reserve password for the next Save: at most 15 bytes, else 5002
    // and nothing changes. Only its digest is kept; the caller wipes its own
    // copy of the text. 5001 if the digest cannot be computed.
    Dword SetNewReservePassword(std::string_view password);
    bool newReservePasswordSet() const { return newPasswordSet_; }
    // A binary row (the Tokara values, "HPKey") takes the text's bytes
    // without the terminator. "ReservePassword" takes a password and stores
    // its 16-byte digest.
    Dword SetText(GinaValue row, const char* text) const;

    // Built and destroyed with this object; Load and Save leave it alone.
    NetworkSettings& network() { return network_; }

private:
    // The digest of the new reserve password, and whether one was given.
    platform::Md5Digest newPasswordDigest_{};
    bool newPasswordSet_ = false;
    NetworkSettings network_;
};

}  // namespace veltra::settings
