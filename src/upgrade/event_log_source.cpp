// UpdateEventLogSource: the Kesh client's event-log source is shared with
// the maker's other products. While the agent is installed its messages come
// also from the shared "CommonLogEvents.dll", named after a ";" behind the
// source's own message file, and the source has 12 categories instead of the
// client's own 9.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/deferred_data.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"
#include "upgrade/shared_list_value.h"
#include "upgrade/shared_registrations.h"

namespace veltra::upgrade {

using platform::Dword;

namespace {

constexpr const char* kSourceKey = "SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\KESHCLIENT";
constexpr const char* kMessageFileValue = "EventMessageFile";
constexpr const char* kCategoryCountValue = "CategoryCount";
constexpr const char* kCommonEventsFile = "CommonLogEvents.dll";
constexpr Dword kCategoriesWithAgent = 12;
constexpr Dword kCategoriesWithoutAgent = 9;

// The message-file list as the event viewer reads it: up to its first zero.
// Read whole: a list longer than any fixed buffer must not come back cut.
std::optional<std::pair<std::string, Dword>> ReadMessageFiles(platform::Platform& platform, platform::HKey key,
                                                              const std::string& keyPath) {
    Dword type = 0;
    std::vector<std::uint8_t> data;
    const Dword status = QueryWholeValue(platform.registry, key, kMessageFileValue, type, data);
    if (status != platform::kErrorSuccess) {
        if (status != platform::kErrorFileNotFound) {
            runtime::LogFailure(platform, "RegQueryValueExA", keyPath + "\\" + kMessageFileValue, status);
        }
        return std::nullopt;
    }
    std::string text(data.begin(), data.end());
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return std::pair{std::move(text), type};
}

}  // namespace

void UpdateEventLogSource(platform::Platform& platform, std::string_view installFolder,
                          std::string_view sharedFolder) {
    const bool agentPresent = AgentInstalledMarkerExists(platform, installFolder);

    const std::string keyPath = runtime::RegistryPath(platform::kHkeyLocalMachine, kSourceKey);
    platform::RegKey key;
    if (const Dword opened =
            runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine, kSourceKey, platform::kKeyAllAccess, key)) {
        // Without the Kesh client there is no source: nothing failed.
        if (opened != platform::kErrorFileNotFound) runtime::LogFailure(platform, "RegOpenKeyExA", keyPath, opened);
        return;
    }

    if (const auto files = ReadMessageFiles(platform, key.get(), keyPath)) {
        const std::string& text = files->first;
        const std::size_t lastSeparator = text.rfind(';');
        std::optional<std::string> changed;
        if (lastSeparator != std::string::npos && !agentPresent) {
            changed = text.substr(0, lastSeparator);
        } else if (lastSeparator == std::string::npos && agentPresent) {
            changed = text + ";" + runtime::JoinStrings("\\", {sharedFolder, kCommonEventsFile});
        }
        if (changed) {
            // Written back as REG_SZ whatever it was stored as: a list that
            // expanded environment strings no longer does (see docs/upgrade.md).
            if (const Dword written =
                    runtime::WriteString(platform.registry, key.get(), kMessageFileValue, *changed, platform::kRegSz)) {
                runtime::LogFailure(platform, "RegSetValueExA", keyPath + "\\" + kMessageFileValue, written);
            }
        }
    }

    if (runtime::ReadDword(platform.registry, key.get(), kCategoryCountValue)) {
        const Dword count = agentPresent ? kCategoriesWithAgent : kCategoriesWithoutAgent;
        if (const Dword written = runtime::WriteDword(platform.registry, key.get(), kCategoryCountValue, count)) {
            runtime::LogFailure(platform, "RegSetValueExA", keyPath + "\\" + kCategoryCountValue, written);
        }
    }
}

}  // namespace veltra::upgrade
