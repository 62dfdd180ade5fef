// SetAgentGinaInChain: puts the agent GINA at the end of the Winlogon chain,
// in the place Microsoft's GINA would otherwise take, or takes it out and
// puts back what it displaced.
#include "gina/chain_walk.h"
#include "gina/gina_chain.h"
#include "gina/gina_names.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::gina {
namespace {

using platform::Dword;

// The caller's name buffer as the chain reports into it. Each report is
// copied only when it fits the capacity the caller gave, and the capacity
// then becomes the length copied; a report that does not fit leaves the
// buffer as the last report that did ("" and 0 when none did).
class NameReport {
public:
    explicit NameReport(NameBuffer* name)
        : name_(name), room_(name != nullptr ? name->capacity : 0) {
        if (name_ == nullptr) return;
        name_->capacity = 0;
        name_->text.clear();
    }

    void operator()(std::string_view text) {
        if (name_ == nullptr || text.size() + 1 > room_) return;
        name_->text.assign(text);
        name_->capacity = text.size();
    }

private:
    NameBuffer* name_;
    std::size_t room_;
};

platform::RegKey OpenWinlogon(platform::Platform& platform) {
    platform::RegKey key;
    const Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine,
                                          kWinlogonKey, platform::kKeyAllAccess, key);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA",
                            runtime::RegistryPath(platform::kHkeyLocalMachine, kWinlogonKey), opened);
    }
    return key;
}

// Takes the agent GINA off the end of the chain and links the GINA it
// displaced back in, when that GINA's file is still there.
Dword UnlinkAgentGina(platform::Platform& platform, const GinaChainWalk& walk) {
    platform::Registry& registry = platform.registry;
    // The agent GINA is not at the end of the chain: nothing of ours to undo.
    if (!IsAgentGina(platform.system, GinaIdentity(platform.system, walk.lastExisting))) return platform::kErrorSuccess;

    const Dword restored = AccessNextGina(platform, GinaAccess::Restore, walk.insertionPoint,
                                          nullptr, {}, nullptr, nullptr);
    Dword result = restored;

    if (platform::RegKey winlogon = OpenWinlogon(platform)) {
        std::string superseded;
        const Dword read = runtime::QueryString(registry, winlogon.get(), kSupercededGinaValue,
                                                runtime::kPathBuffer, superseded);
        if (read != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegQueryValueExA",
                                runtime::RegistryPath(platform::kHkeyLocalMachine, kWinlogonKey,
                                                      kSupercededGinaValue),
                                read);
        } else {
            if (GinaFileExists(platform, superseded)) {
                result = AccessNextGina(platform, GinaAccess::Write, walk.insertionPoint, nullptr,
                                        superseded, nullptr, nullptr);
            }
            // Forgotten either way: a GINA whose file is gone cannot come back.
            registry.DeleteValue(winlogon.get(), kSupercededGinaValue);
        }
    }

    // Winlogon keeps a loaded GINA until it restarts.
    if (restored == platform::kErrorSuccess && IsAgentGinaLoaded(platform.system)) {
        result = kGinaStillLoaded;
    }
    return result;
}

// Links the agent GINA in at the end of the chain. Without force it only
// follows Microsoft's GINA, the legacy agent's or its own; with force it
// displaces whatever is there and remembers it for the way out.
Dword LinkAgentGina(platform::Platform& platform, const GinaChainWalk& walk, NameReport& report,
                    bool force, std::string_view agentPath) {
    platform::Registry& registry = platform.registry;
    report(GinaIdentity(platform.system, walk.lastExisting));

    if (force) {
        if (platform::RegKey winlogon = OpenWinlogon(platform)) {
            runtime::WriteString(registry, winlogon.get(), kSupercededGinaValue, walk.lastExisting);
        }
        return AccessNextGina(platform, GinaAccess::Write, walk.insertionPoint, nullptr, agentPath,
                              nullptr, nullptr);
    }

    const bool endsAtUnknownGina =
        walk.status == platform::kErrorSuccess && !walk.known && walk.exists;
    if (endsAtUnknownGina) {
        const std::string_view identity = GinaIdentity(platform.system, walk.lastExisting);
        if (!IsAcceptedAtChainEnd(platform.system, identity)) {
            // Another product's GINA holds the end of the chain: the
            // administrator decides.
            report(walk.lastExisting);
            return kGinaConflict;
        }
        // The legacy agent's GINA is replaced without asking, but remembered.
        if (IsLegacyGina(platform.system, identity)) {
            if (platform::RegKey winlogon = OpenWinlogon(platform)) {
                runtime::WriteString(registry, winlogon.get(), kSupercededGinaValue,
                                     kLegacyGinaFile);
            }
        }
    }

    if (AccessNextGina(platform, GinaAccess::Write, walk.insertionPoint, nullptr, agentPath,
                       nullptr, nullptr) == platform::kErrorSuccess) {
        return platform::kErrorSuccess;
    }
    report(walk.insertionPoint);
    return kGinaConflict;
}

}  // namespace

Dword SetAgentGinaInChain(platform::Platform& platform, bool enable, NameBuffer* name, bool force,
                          std::string_view agentPath) {
    NameReport report(name);

    const GinaChainWalk walk = WalkGinaChain(platform);
    report(GinaIdentity(platform.system, walk.last));
    // A link that could not be read, in front of a GINA that is there.
    if (walk.status != platform::kErrorSuccess && walk.exists) return walk.status;

    if (!enable) return UnlinkAgentGina(platform, walk);
    return LinkAgentGina(platform, walk, report, force, agentPath);
}

}  // namespace veltra::gina
