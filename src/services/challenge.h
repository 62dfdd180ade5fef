// The challenge configuration: which users the agent challenges at logon,
// and the local group whose members it leaves alone so that at least the
// Administrator can still log on when every other user is challenged.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace veltra::services {

// The challenge modes of "AUTHCONFIGSELECTED".
inline constexpr const char* kChallengeDefault = "1";  // nothing is written
inline constexpr const char* kChallengeAllButExcluded = "2";
inline constexpr const char* kChallengeAlternative = "3";

inline constexpr const char* kExcludeGroupName = "ExcludeGroup";
inline constexpr const char* kExcludeGroupComment = "Local users in this group will not be challenged";
// The relative identifier of the built-in Administrator account.
inline constexpr platform::Dword kAdministratorRid = 500;

// A flag property read into the 10-byte buffer it is kept in: nullopt when
// the read fails or the value does not fit.
std::optional<std::string> ReadChallengeFlag(platform::Installer& installer, const char* name);

// The identifier of a local account: the account domain's identifier with
// rid appended. Diagnostic lines go to standard output; empty when the
// account domain cannot be read at all.
platform::SidBytes BuildLocalAccountSid(platform::Platform& platform, platform::Dword rid);

// Creates the exclude group (or finds it) and puts the local Administrator
// in it (or finds him there). False, with the failure logged, otherwise.
bool SetUpExcludeGroup(platform::Platform& platform);

}  // namespace veltra::services
