// The exclude group: the agent does not challenge its members, so with
// "challenge all users" the local Administrator can still log on.
#include "runtime/log.h"
#include "services/challenge.h"

namespace veltra::services {

bool SetUpExcludeGroup(platform::Platform& platform) {
    // A group left by an earlier installation is the one wanted.
    const platform::Dword added = platform.accounts.NetLocalGroupAdd(kExcludeGroupName, kExcludeGroupComment);
    if (added != platform::kErrorSuccess && added != platform::kNerrGroupExists &&
        added != platform::kErrorAliasExists) {
        runtime::LogFailure(platform, "NetLocalGroupAdd", kExcludeGroupName, added);
        return false;
    }
    const platform::SidBytes administrator = BuildLocalAccountSid(platform, kAdministratorRid);
    if (administrator.empty()) return false;
    const platform::Dword member = platform.accounts.NetLocalGroupAddMembers(kExcludeGroupName, administrator);
    if (member != platform::kErrorSuccess && member != platform::kErrorMemberInAlias) {
        runtime::LogFailure(platform, "NetLocalGroupAddMembers", kExcludeGroupName, member);
        return false;
    }
    return true;
}

}  // namespace veltra::services
