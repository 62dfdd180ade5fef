#include "platform/win32/win32_accounts.h"

#include <string>

#include "platform/win32/handles.h"

namespace veltra::win32 {
namespace {

using platform::Dword;

// Text in the system code page as UTF-16; "" when it cannot be converted.
std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return wide;
}

// The identifier's own header gives its length: revision, sub-authority
// count, six bytes of authority, then four bytes per sub-authority. Bytes
// short of that length are not an identifier, and the system must not read
// past them.
bool HoldsWholeSid(const platform::SidBytes& sid) {
    return sid.size() >= 8 && sid.size() >= 8 + 4 * static_cast<std::size_t>(sid[1]);
}

}  // namespace

Dword Win32Accounts::NetLocalGroupAdd(const std::string& name, const std::string& comment) {
    std::wstring wideName = Widen(name);
    std::wstring wideComment = Widen(comment);
    LOCALGROUP_INFO_1 info{};
    info.lgrpi1_name = wideName.data();
    info.lgrpi1_comment = wideComment.data();
    DWORD badField = 0;
    return ::NetLocalGroupAdd(nullptr, 1, reinterpret_cast<LPBYTE>(&info), &badField);
}

Dword Win32Accounts::NetLocalGroupAddMembers(const std::string& group,
                                             const platform::SidBytes& member) {
    if (!HoldsWholeSid(member)) return ERROR_INVALID_PARAMETER;
    std::wstring wideGroup = Widen(group);
    platform::SidBytes sid = member;
    LOCALGROUP_MEMBERS_INFO_0 info{};
    info.lgrmi0_sid = sid.data();
    return ::NetLocalGroupAddMembers(nullptr, wideGroup.c_str(), 0, reinterpret_cast<LPBYTE>(&info),
                                     1);
}

Dword Win32Accounts::NetUserModalsGet2(platform::NetBufferHandle* buffer,
                                       platform::SidBytes* domainId) {
    *buffer = {};
    domainId->clear();
    LPBYTE raw = nullptr;
    const NET_API_STATUS status = ::NetUserModalsGet(nullptr, 2, &raw);
    if (status != NERR_Success) {
        if (raw != nullptr) ::NetApiBufferFree(raw);
        return status;
    }
    *buffer = FromNative<platform::NetBufferTag>(raw);
    const auto* info = reinterpret_cast<const USER_MODALS_INFO_2*>(raw);
    if (info->usrmod2_domain_id != nullptr) {
        // The header's count gives the length. An identifier may be invalid
        // (the caller asks IsValidSid), so the count is bounded by the most
        // any identifier has rather than trusted to size the copy.
        const auto* bytes = static_cast<const std::uint8_t*>(info->usrmod2_domain_id);
        const std::size_t count = bytes[1] <= SID_MAX_SUB_AUTHORITIES ? bytes[1] : 0;
        domainId->assign(bytes, bytes + 8 + 4 * count);
    }
    return NERR_Success;
}

Dword Win32Accounts::NetApiBufferFree(platform::NetBufferHandle buffer) {
    return ::NetApiBufferFree(ToNative<LPVOID>(buffer));
}

bool Win32Accounts::IsValidSid(const platform::SidBytes& sid) {
    if (!HoldsWholeSid(sid)) return false;
    platform::SidBytes copy = sid;
    return ::IsValidSid(copy.data()) != FALSE;
}

}  // namespace veltra::win32
