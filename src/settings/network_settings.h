// NetworkSettings: the agent's largest key. How the agent reaches the
// authentication server, how domain clients and hosts register, which
// machines are exempt from or subject to verification, session-certificate
// lifetimes, the restore mode and the domain secret material.
//
// "DomainSecret", "DCCert" and "DCKey" are secret: the object only carries
// their bytes from one key to another and never shows them.
#pragma once

#include <array>
#include <string_view>

#include "settings/settings_core.h"

namespace veltra::settings {

// The rows of the value table, in the order Save walks them.
enum class NetworkValue : std::size_t {
    AuthenticationMode, DomainClientsRegistration, DomainHostsRegistration, DCContactPolicy,
    ThirdPartyKerberos, InteractiveOnly, KeshClientPort, KeshProxyPort, DACEnabled,
    DisbaleNetBIOSLookup, Enabled, NeverExpire, ReconnectEAAuth, ReconnectTokara, ScreenLock,
    SendDomainName, SessionCertLifetime, TSSessionCertLifetime, UseNWSessionCert, UseTWSessionCert,
    ExemptMachines, VerifyMachines, AllowLocalAuth, RestoreModeEnabled,
    ExemptMachinesCheckDomainLocalGroups,
    RestoreModeUser, ChallengeGroup, ExemptMachinesGroup, DomainSecret, MultiuserDelimiter,
    VerifyMachinesGroup, RegistrationGroup,
    InstallPath, CACertPath,
    DCCert, DCKey,
    Client, MajorVersion, MinorVersion, Server, TestMode,
};

// Rule "changed": numbers written when changed or forced. Rule "bounded":
// the same, and only while the string is shorter than its capacity or the
// binary length word is no larger than it. Rule "forced": only when forced
// (a string only while it fits).
inline constexpr std::array<ValueInfo, 41> kNetworkValues = {{
    // value name                            stored as  capacity  saved when
    {"AuthenticationMode",                   kDword,    0,    SaveRule::kChangedOrForced},
    {"DomainClientsRegistration",            kDword,    0,    SaveRule::kChangedOrForced},
    {"DomainHostsRegistration",              kDword,    0,    SaveRule::kChangedOrForced},
    {"DCContactPolicy",                      kDword,    0,    SaveRule::kChangedOrForced},
    {"3rdPartyKerberos",                     kDword,    0,    SaveRule::kChangedOrForced},
    {"InteractiveOnly",                      kDword,    0,    SaveRule::kChangedOrForced},
    {"KeshClientPort",                       kDword,    0,    SaveRule::kChangedOrForced},
    {"KeshProxyPort",                        kDword,    0,    SaveRule::kChangedOrForced},
    {"DACEnabled",                           kDword,    0,    SaveRule::kChangedOrForced},
    // Spelled so by the agent that reads it; the correct spelling is not ours.
    {"DisbaleNetBIOSLookup",                 kDword,    0,    SaveRule::kChangedOrForced},
    {"Enabled",                              kDword,    0,    SaveRule::kChangedOrForced},
    {"NeverExpire",                          kDword,    0,    SaveRule::kChangedOrForced},
    {"ReconnectEAAuth",                      kDword,    0,    SaveRule::kChangedOrForced},
    {"ReconnectTokara",                      kDword,    0,    SaveRule::kChangedOrForced},
    {"ScreenLock",                           kDword,    0,    SaveRule::kChangedOrForced},
    {"SendDomainName",                       kDword,    0,    SaveRule::kChangedOrForced},
    {"SessionCertLifetime",                  kDword,    0,    SaveRule::kChangedOrForced},
    {"TSSessionCertLifetime",                kDword,    0,    SaveRule::kChangedOrForced},
    {"UseNWSessionCert",                     kDword,    0,    SaveRule::kChangedOrForced},
    {"UseTWSessionCert",                     kDword,    0,    SaveRule::kChangedOrForced},
    {"ExemptMachines",                       kDword,    0,    SaveRule::kChangedOrForced},
    {"VerifyMachines",                       kDword,    0,    SaveRule::kChangedOrForced},
    {"AllowLocalAuth",                       kDword,    0,    SaveRule::kChangedOrForced},
    {"RestoreModeEnabled",                   kDword,    0,    SaveRule::kChangedOrForced},
    {"ExemptMachinesCheckDomainLocalGroups", kDword,    0,    SaveRule::kChangedOrForced},
    {"RestoreModeUser",                      kString,   256,  SaveRule::kFitsChangedOrForced},
    {"ChallengeGroup",                       kString,   512,  SaveRule::kFitsChangedOrForced},
    {"ExemptMachinesGroup",                  kString,   512,  SaveRule::kFitsChangedOrForced},
    {"DomainSecret",                         kBinary,   1024, SaveRule::kFitsChangedOrForced, ValueKey::kClassKey, true},
    {"MultiuserDelimiter",                   kString,   8,    SaveRule::kFitsChangedOrForced},
    {"VerifyMachinesGroup",                  kString,   512,  SaveRule::kFitsChangedOrForced},
    {"RegistrationGroup",                    kString,   512,  SaveRule::kFitsChangedOrForced},
    {"InstallPath",                          kString,   260,  SaveRule::kForcedFits},
    {"CACertPath",                           kString,   260,  SaveRule::kForcedFits},
    {"DCCert",                               kBinary,   1024, SaveRule::kFitsChangedOrForced, ValueKey::kClassKey, true},
    {"DCKey",                                kBinary,   1024, SaveRule::kFitsChangedOrForced, ValueKey::kClassKey, true},
    {"Client",                               kDword,    0,    SaveRule::kForced},
    {"MajorVersion",                         kDword,    0,    SaveRule::kForced},
    {"MinorVersion",                         kDword,    0,    SaveRule::kForced},
    {"Server",                               kDword,    0,    SaveRule::kForced},
    {"TestMode",                             kDword,    0,    SaveRule::kForced},
}};

class NetworkSettings : public SettingsRows<NetworkValue> {
public:
    explicit NetworkSettings(SettingsContext& context);

    // Sets the class's place, reads every value (failures leave fields as
    // they were) and takes the snapshot.
    void Load(KeyPathRef keyPath, bool useCurrentUser);
    // Sets the class's place and writes by the rules of the table.
    void Save(KeyPathRef keyPath, bool force, bool useCurrentUser);
    void LoadCurrent();
    void SaveChanged();
    void SaveAll();
    Dword SetBytes(NetworkValue row, const void* data, Dword length) const {
        return core_.SetBytes(RowIndex(row), data, length);
    }

private:
};

}  // namespace veltra::settings
