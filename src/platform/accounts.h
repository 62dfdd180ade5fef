// The accounts port: local groups and the account domain's identifier
// (netapi32, advapi32). Security identifiers travel as their binary layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace veltra::platform {

using SidBytes = std::vector<std::uint8_t>;

class Accounts {
public:
    virtual ~Accounts() = default;
    // NetLocalGroupAdd at level 1 (name and comment) on the local machine:
    // 0, 2223 (NERR_GroupExists), 1379 (ERROR_ALIAS_EXISTS) or another code.
    virtual Dword NetLocalGroupAdd(const std::string& name, const std::string& comment) = 0;
    // NetLocalGroupAddMembers at level 0 with one member: 0, 1378, or a code.
    virtual Dword NetLocalGroupAddMembers(const std::string& group, const SidBytes& member) = 0;
    // NetUserModalsGet level 2: the account domain's identifier (usrmod2_domain_id).
    virtual Dword GetAccountDomainSid(SidBytes& sid) = 0;
    // IsValidSid.
    virtual bool IsValidSid(const SidBytes& sid) = 0;
};

}  // namespace veltra::platform
