// RasSettings: the key of the agent's remote-access and EAP component, with
// its two EAP method subkeys "15" and "32".
#pragma once

#include <array>
#include <string_view>

#include "settings/settings_core.h"

namespace veltra::settings {

// The rows of the value table, in the order Save walks them.
enum class RasValue : std::size_t {
    BannerEnabled, ChallengeGroup, BannerText, ConvertEapFQNames, DefaultDomain, DialMode,
    DomainPromptDisabled, EapMode, Enabled, InitTimeOut, MajorVersion, MinorVersion, NASAgentCheck,
    NoUsernameInEventLog, ProtocolId, RegTimeOut, SendDomainName, ValidateUserNames,
    FriendlyName15, IdentityPath15, InteractiveUIPath15, InvokePasswordDialog15,
    InvokeUsernameDialog15, MPPEEncryptionSupported15, Path15, RequireConfigUI15,
    StandaloneSupported15,
    FriendlyName32, IdentityPath32, InteractiveUIPath32, InvokePasswordDialog32,
    InvokeUsernameDialog32, MPPEEncryptionSupported32, Path32, RequireConfigUI32,
    StandaloneSupported32,
    UseInnerName,  // accessors only
};

// Numbers are written when changed or forced; strings when forced, or when
// changed and shorter than their capacity.
inline constexpr std::array<ValueInfo, 37> kRasValues = {{
    // value name                stored as  capacity  saved when                      key
    {"BannerEnabled",            kDecimal,  0,    SaveRule::kChangedOrForced},
    {"ChallengeGroup",           kString,   512,  SaveRule::kForcedOrChangedFits},
    {"BannerText",               kString,   1001, SaveRule::kForcedOrChangedFits},
    {"ConvertEapFQNames",        kDecimal,  0,    SaveRule::kChangedOrForced},
    {"DefaultDomain",            kString,   254,  SaveRule::kForcedOrChangedFits},
    {"DialMode",                 kDword,    0,    SaveRule::kChangedOrForced},
    {"DomainPromptDisabled",     kDecimal,  0,    SaveRule::kChangedOrForced},
    {"EapMode",                  kDword,    0,    SaveRule::kChangedOrForced},
    {"Enabled",                  kDword,    0,    SaveRule::kChangedOrForced},
    {"InitTimeOut",              kDword,    0,    SaveRule::kChangedOrForced},
    {"MajorVersion",             kDword,    0,    SaveRule::kChangedOrForced},
    {"MinorVersion",             kDword,    0,    SaveRule::kChangedOrForced},
    {"NASAgentCheck",            kDecimal,  0,    SaveRule::kChangedOrForced},
    {"NoUsernameInEventLog",     kDecimal,  0,    SaveRule::kChangedOrForced},
    {"ProtocolId",               kDecimal,  0,    SaveRule::kChangedOrForced},
    {"RegTimeOut",               kDword,    0,    SaveRule::kChangedOrForced},
    {"SendDomainName",           kDecimal,  0,    SaveRule::kChangedOrForced},
    {"ValidateUserNames",        kDecimal,  0,    SaveRule::kChangedOrForced},
    {"FriendlyName",             kString,   256,  SaveRule::kForcedOrChangedFits, ValueKey::kEap15},
    {"IdentityPath",             kExpand,   512,  SaveRule::kForcedOrChangedFits, ValueKey::kEap15},
    {"InteractiveUIPath",        kExpand,   512,  SaveRule::kForcedOrChangedFits, ValueKey::kEap15},
    {"InvokePasswordDialog",     kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap15},
    {"InvokeUsernameDialog",     kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap15},
    {"MPPEEncryptionSupported",  kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap15},
    {"Path",                     kExpand,   260,  SaveRule::kForcedOrChangedFits, ValueKey::kEap15},
    {"RequireConfigUI",          kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap15},
    {"StandaloneSupported",      kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap15},
    {"FriendlyName",             kString,   256,  SaveRule::kForcedOrChangedFits, ValueKey::kEap32},
    {"IdentityPath",             kExpand,   512,  SaveRule::kForcedOrChangedFits, ValueKey::kEap32},
    {"InteractiveUIPath",        kExpand,   512,  SaveRule::kForcedOrChangedFits, ValueKey::kEap32},
    {"InvokePasswordDialog",     kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap32},
    {"InvokeUsernameDialog",     kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap32},
    {"MPPEEncryptionSupported",  kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap32},
    {"Path",                     kExpand,   260,  SaveRule::kForcedOrChangedFits, ValueKey::kEap32},
    {"RequireConfigUI",          kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap32},
    {"StandaloneSupported",      kDword,    0,    SaveRule::kChangedOrForced,     ValueKey::kEap32},
    {"UseInnerName",             kDecimal,  0,    SaveRule::kAccessorOnly},
}};

class RasSettings : public SettingsRows<RasValue> {
public:
    // withBuffers false builds an object without string buffers: it cannot
    // load (5003), and its Save writes the numbers only.
    explicit RasSettings(SettingsContext& context, bool withBuffers = true);

    // Sets the class's place, reads every value (failures leave fields as
    // they were) and takes the snapshot. 5003 without buffers, and then
    // nothing changes, not even the class's place.
    Dword Load(KeyPathRef keyPath, bool useCurrentUser);
    // Sets the class's place and writes what changed since Load, or every
    // value when forced. Write failures are not reported.
    void Save(KeyPathRef keyPath, bool force, bool useCurrentUser);
    Dword LoadCurrent();
    void SaveChanged();
    void SaveAll();

    // The fields.
    bool ownsBuffers() const { return withBuffers_; }

    // Accessors straight to the registry at the class's current place.
    // "DialMode" 1 also registers the agent as the RAS security host.
    Dword Set(RasValue row, Dword value) const;

private:
    // "DLLPath" (for mode 1) and then "DialMode".
    Dword WriteDialMode(Dword value) const;
    bool withBuffers_;
};

}  // namespace veltra::settings
