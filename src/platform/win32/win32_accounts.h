// The accounts port over netapi32's local groups and advapi32's identifiers.
// The network management calls exist only with wide strings: names are
// converted from the system code page, as the rest of the library's text is.
#pragma once

#include "platform/accounts.h"

namespace veltra::win32 {

class Win32Accounts final : public platform::Accounts {
public:
    platform::Dword NetLocalGroupAdd(const std::string& name, const std::string& comment) override;
    platform::Dword NetLocalGroupAddMembers(const std::string& group,
                                            const platform::SidBytes& member) override;
    platform::Dword NetUserModalsGet2(platform::NetBufferHandle* buffer,
                                      platform::SidBytes* domainId) override;
    platform::Dword NetApiBufferFree(platform::NetBufferHandle buffer) override;
    bool IsValidSid(const platform::SidBytes& sid) override;
};

}  // namespace veltra::win32
