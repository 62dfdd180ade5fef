// The accounts port: local groups and the account domain's identifier
// (netapi32, advapi32). Security identifiers travel as their binary layout.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/types.h"

namespace veltra::platform {

using SidBytes = std::vector<std::uint8_t>;

// A buffer that a network management call allocated (LPBYTE *bufptr).
struct NetBufferTag;
using NetBufferHandle = Handle<NetBufferTag>;

class Accounts {
public:
    virtual ~Accounts() = default;
    // NetLocalGroupAdd(NULL, 1, {name, comment}): the local machine, level 1;
    // both strings are wide in the real call, converted from the code page.
    // 0, 2223 (NERR_GroupExists), 1379 (ERROR_ALIAS_EXISTS) or another code.
    virtual Dword NetLocalGroupAdd(const std::string& name, const std::string& comment) = 0;
    // NetLocalGroupAddMembers(NULL, group, 0, {sid}, 1): 0, 1378
    // (ERROR_MEMBER_IN_ALIAS), or another code.
    virtual Dword NetLocalGroupAddMembers(const std::string& group, const SidBytes& member) = 0;
    // NetUserModalsGet(NULL, 2, &buffer): the buffer (USER_MODALS_INFO_2),
    // which stays allocated until NetApiBufferFree, and the bytes of its
    // usrmod2_domain_id as the system laid them out (the header's count of
    // sub-authorities gives the length, whether or not it is valid).
    virtual Dword NetUserModalsGet2(NetBufferHandle* buffer, SidBytes* domainId) = 0;
    virtual Dword NetApiBufferFree(NetBufferHandle buffer) = 0;
    // IsValidSid.
    virtual bool IsValidSid(const SidBytes& sid) = 0;
};

// Owns a buffer of a network management call; frees it through the port.
class NetBuffer {
public:
    NetBuffer() = default;
    explicit NetBuffer(Accounts& accounts) : accounts_(&accounts) {}
    NetBuffer(const NetBuffer&) = delete;
    NetBuffer& operator=(const NetBuffer&) = delete;
    NetBuffer(NetBuffer&& other) noexcept
        : accounts_(other.accounts_), handle_(std::exchange(other.handle_, {})) {}
    NetBuffer& operator=(NetBuffer&& other) noexcept {
        if (this != &other) {
            Reset();
            accounts_ = other.accounts_;
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    ~NetBuffer() { Reset(); }

    // Where the call writes the buffer it allocates.
    NetBufferHandle* Receive() {
        Reset();
        return &handle_;
    }
    NetBufferHandle get() const { return handle_; }
    void Reset() {
        if (handle_ && accounts_ != nullptr) accounts_->NetApiBufferFree(handle_);
        handle_ = {};
    }

private:
    Accounts* accounts_ = nullptr;
    NetBufferHandle handle_;
};

}  // namespace veltra::platform
