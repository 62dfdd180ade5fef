// The tally of compatible agents. When the wizard starts, the agent features
// installed are counted; each component the administrator deselects lowers
// the tally; a tally that has moved but not reached zero means a real change
// that leaves something installed, and the selection may proceed.
#include <cstddef>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "runtime/actions.h"
#include "runtime/session.h"
#include "selection/agent_features.h"

namespace veltra::actions {
namespace {

using platform::Dword;

constexpr const char* kInstalledCount = "NUM_INSTALLED_AGENTS";
constexpr const char* kTalliedCount = "NUM_TALLIED_AGENTS";
constexpr const char* kOkAgents = "OK_AGENTS";

// Counts live in 10-byte buffers; their leading digits are the number, and
// anything else counts as 0. A value too long for the buffer is read as its
// first nine characters.
constexpr std::size_t kCountBuffer = 10;

int ReadCount(platform::Installer& installer, const char* property) {
    const std::string text = runtime::GetMsiPropertyFixed(installer, property, kCountBuffer);
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

void WriteCount(platform::Installer& installer, const char* property, int count) {
    installer.SetProperty(property, std::to_string(count).c_str());
}

}  // namespace

Dword InitCompatibleAgents(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    const std::string productCode = runtime::GetMsiProperty(installer, "ProductCode");
    if (productCode.empty()) return platform::kErrorInstallFailure;

    int installed = 0;
    for (const char* feature : {selection::kLocalAuthClient, selection::kDomainAuthClient,
                                selection::kDomainAuthServer, selection::kRemoteAuthClient,
                                selection::kRemoteAuthServer, selection::kAutoreg}) {
        if (selection::IsFeatureInstalled(installer, productCode, feature)) ++installed;
    }
    WriteCount(installer, kInstalledCount, installed);
    WriteCount(installer, kTalliedCount, installed);
    installer.SetProperty(kOkAgents, "0");
    return platform::kErrorSuccess;
}

Dword DecrementInstalledAgentsCount(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    WriteCount(installer, kTalliedCount, ReadCount(installer, kTalliedCount) - 1);
    return platform::kErrorSuccess;
}

Dword TallyCompatibleAgents(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;
    const int tallied = ReadCount(installer, kTalliedCount);
    const int installed = ReadCount(installer, kInstalledCount);
    if (tallied != installed && tallied != 0) installer.SetProperty(kOkAgents, "1");
    return platform::kErrorSuccess;
}

Dword OverrideTallyCompatibleAgents(platform::Platform& platform) {
    platform.installer.SetProperty(kOkAgents, "1");
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
