// The identifier of a local account, built from the account domain's
// identifier the way InitializeSid and GetSidSubAuthority lay it out:
// revision 1, the sub-authority count, six bytes of authority (big-endian),
// then each sub-authority as four little-endian bytes.
#include <algorithm>

#include "runtime/log.h"
#include "services/challenge.h"

namespace veltra::services {
namespace {

constexpr std::uint8_t kSidRevision = 1;
constexpr std::size_t kSidMaxSubAuthorities = 15;
constexpr std::size_t kSidHeader = 8;  // revision, count, authority

void PutSubAuthority(platform::SidBytes& sid, std::size_t index, std::uint32_t value) {
    for (std::size_t byte = 0; byte < 4; ++byte) {
        sid[kSidHeader + 4 * index + byte] = static_cast<std::uint8_t>(value >> (8 * byte));
    }
}

std::uint32_t SubAuthorityOf(const platform::SidBytes& sid, std::size_t index) {
    std::uint32_t value = 0;
    for (std::size_t byte = 0; byte < 4; ++byte) {
        const std::size_t at = kSidHeader + 4 * index + byte;
        if (at < sid.size()) value |= static_cast<std::uint32_t>(sid[at]) << (8 * byte);
    }
    return value;
}

}  // namespace

platform::SidBytes BuildLocalAccountSid(platform::Platform& platform, platform::Dword rid) {
    platform::NetBuffer modals(platform.accounts);
    platform::SidBytes domain;
    const platform::Dword status = platform.accounts.NetUserModalsGet2(modals.Receive(), &domain);
    if (status != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "NetUserModalsGet", "level 2", status);
        return {};
    }
    if (!platform.accounts.IsValidSid(domain)) {
        platform.system.WriteStdout("usrInfo->usermod2_domain_id is an Invalid Sid\n");
    }

    // The domain's own header is trusted as far as the bytes go: an invalid
    // identifier still gives its authority and sub-authorities, as the
    // system's accessors would read them.
    const std::size_t domainCount = domain.size() >= 2 ? domain[1] : 0;
    platform::SidBytes sid(kSidHeader + 4 * (domainCount + 1), 0);
    if (domainCount + 1 <= kSidMaxSubAuthorities) {
        sid[0] = kSidRevision;
        sid[1] = static_cast<std::uint8_t>(domainCount + 1);
        for (std::size_t i = 2; i < kSidHeader && i < domain.size(); ++i) sid[i] = domain[i];
    } else {
        // The header stays zero, and the member add refuses the identifier.
        platform.system.WriteStdout("Failed to initialize pSid\n");
    }
    for (std::size_t i = 0; i < domainCount; ++i) PutSubAuthority(sid, i, SubAuthorityOf(domain, i));
    PutSubAuthority(sid, domainCount, rid);
    return sid;
}

}  // namespace veltra::services
