// Earlier agents on the machine, and the per-user upgrade key that carries
// what was found from the detection to the steps that migrate it.
//
// The detectors are plain functions: the installation steps that run later
// (settings capture, pre-install capture, restoration, rollback, the
// challenge group) call them again instead of trusting a property.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace veltra::upgrade {

// Which previous Authentication Agent an upgrade comes from.
using UpgradeId = platform::Dword;
inline constexpr UpgradeId UpgradeIdNone = 10;       // nothing upgradable
inline constexpr UpgradeId UpgradeIdLegacyKey = 11;  // registered under the Morvane key
inline constexpr UpgradeId UpgradeIdCurrentKey = 12; // registered under the current key

// The legacy key's agent was always shipped under this product code.
inline constexpr const char* kLegacyKeyProductCode = "{3C7E1A52-8B04-4F6D-9E21-5A0C6D4B7F13}";

// HKEY_CURRENT_USER: exists from a detection that found an upgradable agent
// until the restoration or a rollback deletes it.
inline constexpr const char* kUpgradeKey = "SOFTWARE\\VeltraAgentUpgrade";
inline constexpr const char* kUpgradeVersionIdValue = "UpgradeVersionID";
inline constexpr const char* kUpgradeProductIdValue = "ProductID";

// Product codes, names and versions are held in buffers of this size; a
// registry string that does not fit counts as absent.
inline constexpr std::size_t kUpgradeBuffer = 260;

// 0, or 1603 after telling the administrator that an installed Dizo-Do
// Darorav of version 4.5 or later duplicates the agent.
platform::Dword CheckSignOnManagerConflict(platform::Platform& platform);

enum LegacyKeshAgent : platform::Dword {
    kNoLegacyKeshAgent = 0,
    kUpgradableLegacyKeshAgent = 1,   // 5.5 or 5.6, still registered for removal
    kOldLegacyKeshAgent = 2,          // anything else of it that is left
};
LegacyKeshAgent DetectLegacyKeshAgent(platform::Platform& platform);

enum class AgentVersionMode {
    Detect = 0,  // inspect the machine
    Record = 1,  // read what the detection recorded in the upgrade key
};
// The previous agent's identifier; productCode receives its product code
// (at most kUpgradeBuffer - 1 characters), empty with UpgradeIdNone.
UpgradeId GetPreviousAgentVersion(platform::Platform& platform, AgentVersionMode mode,
                                  std::string& productCode);

// Writes the upgrade key. The registry error of creating the key, else that
// of closing it.
platform::Dword SaveUpgradeState(platform::Platform& platform, UpgradeId id,
                                 const std::string& productCode);
// Deletes the upgrade key with everything saved under it; errors ignored.
void DeleteUpgradeState(platform::Platform& platform);

}  // namespace veltra::upgrade
