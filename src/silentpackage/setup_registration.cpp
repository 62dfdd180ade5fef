// SetupRegistration (immediate): composes the registration page's address
// into "FINALURL": the new version, whether this installation replaces an
// earlier agent and which version that was, and the Windows major version.
// The installed components are not known yet; "#" holds their place.
#include <optional>
#include <string>

#include "runtime/actions.h"
#include "runtime/agent_keys.h"
#include "runtime/registry_ops.h"
#include "silentpackage/registration_page.h"

namespace veltra::actions {
namespace {

using platform::Dword;

// The host is the vendor's; the path and the query keys are what its page reads.
constexpr const char* kRegistrationPage = "http://www.veltrasecurity.com/go/register/agent.asp?";
constexpr std::size_t kVersionPropertyBuffer = 10;  // room for 9 characters

constexpr const char* kLegacyAgentRootKey = "SOFTWARE\\Morvane\\Veltra Authentication Agent\\CurrentVersion";
// An agent older still kept its version with the GINA's settings; its
// product key tells that such an agent is there.
constexpr const char* kOldestAgentProductKey = "SOFTWARE\\Morvane\\Veltra Kesh/Agent for Windows";
constexpr const char* kOldestAgentGinaKey = "SOFTWARE\\Morvane\\KVGINA";

struct Version {
    Dword major = 0;
    Dword minor = 0;
};

bool OpenForReading(platform::Registry& registry, const char* path, platform::RegKey& key) {
    return runtime::OpenKey(registry, platform::kHkeyLocalMachine, path, platform::kKeyRead, key) ==
           platform::kErrorSuccess;
}

bool OldestAgentPresent(platform::Registry& registry) {
    platform::RegKey product;
    return OpenForReading(registry, kOldestAgentProductKey, product);
}

// The version of the agent this installation replaces, from the first key
// that opens; an upgrade only when that key holds both numbers.
std::optional<Version> FindPreviousVersion(platform::Registry& registry) {
    platform::RegKey key;
    if (!OpenForReading(registry, kLegacyAgentRootKey, key) &&
        !OpenForReading(registry, runtime::kAgentRootKey, key) &&
        !(OldestAgentPresent(registry) && OpenForReading(registry, kOldestAgentGinaKey, key))) {
        return std::nullopt;
    }
    const std::optional<Dword> major = runtime::ReadDword(registry, key.get(), "MajorVersion");
    const std::optional<Dword> minor = runtime::ReadDword(registry, key.get(), "MinorVersion");
    if (!major || !minor) return std::nullopt;
    return Version{*major, *minor};
}

}  // namespace

Dword SetupRegistration(platform::Platform& platform) {
    const std::string newVersion =
        silentpackage::ReadPropertyWithin(platform.installer, "VELTRA_KESH_CLIENT_MAJOR_VER", kVersionPropertyBuffer) +
        "." +
        silentpackage::ReadPropertyWithin(platform.installer, "VELTRA_KESH_CLIENT_MINOR_VER", kVersionPropertyBuffer);
    const std::optional<Version> previous = FindPreviousVersion(platform.registry);
    const Dword windowsMajor = platform.system.GetWindowsMajorVersion();

    std::string address = kRegistrationPage;
    address += "Product=NT+Agent";
    address += "&Components=";
    address += silentpackage::kComponentsPlaceholder;
    address += "&Version=" + newVersion;
    if (previous) {
        address += "&Upgrade=YES&Upgrade+From=" + std::to_string(previous->major) + "." +
                   std::to_string(previous->minor);
    } else {
        address += "&Upgrade=NO";
    }
    address += "&OS=Microsoft+Windows";
    address += "&OS+Version=" + std::to_string(windowsMajor);

    platform.installer.SetProperty(silentpackage::kFinalUrlProperty, address.c_str());
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
