// AccessNextGina: one GINA's link to the next, read, written or put back to
// its product's default. The chaining table says where each product keeps
// its link and how it wants it changed.
#include <optional>

#include "gina/chain_walk.h"
#include "gina/chaining_ginas.h"
#include "gina/gina_names.h"
#include "runtime/log.h"
#include "runtime/registry_ops.h"

namespace veltra::gina {
namespace {

using platform::Dword;
using platform::HKey;
using platform::Platform;

// A key or value of the chaining table as the log names it.
std::string LinkPath(std::string_view key, std::string_view value = {}) {
    return runtime::RegistryPath(platform::kHkeyLocalMachine, key, value);
}

// A link shorter than this, terminating zero included, names no GINA.
constexpr Dword kShortestLink = 4;
// The restore result when nothing was restored; also the read status of a
// link too short to name a GINA.
constexpr Dword kNotThere = platform::kErrorFileNotFound;

// Odyssey loads only the GINAs on its list: put the agent's there, when the
// list exists. Its outcome does not change the write's status.
void RegisterAgentWithOdyssey(Platform& platform) {
    platform::RegKey list;
    const Dword opened = runtime::OpenKey(platform.registry, platform::kHkeyLocalMachine,
                                          kOdysseyGinaListKey, platform::kKeyAllAccess, list);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA", LinkPath(kOdysseyGinaListKey), opened);
        return;
    }
    runtime::WriteString(platform.registry, list.get(), kAgentGinaFile, "1");
}

// The write status: the error of the first write that fails.
Dword WriteLink(Platform& platform, HKey key, const ChainingGina& row, std::string_view newNext) {
    if (row.linkSwitch != nullptr) {
        const Dword switched = runtime::WriteDword(platform.registry, key, row.linkSwitch->name,
                                                   row.linkSwitch->whenLinked);
        if (switched != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegSetValueExA", LinkPath(row.key, row.linkSwitch->name),
                                switched);
            return switched;
        }
    }
    const Dword written = runtime::WriteString(platform.registry, key, row.link, newNext);
    if (written != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegSetValueExA", LinkPath(row.key, row.link), written);
    }
    if (row.registersAgentWithOdyssey) RegisterAgentWithOdyssey(platform);
    return written;
}

// The result of the last write or delete performed; nothing when the row's
// default needed no change (a link to delete that was never there).
std::optional<Dword> RestoreLink(Platform& platform, HKey key, const ChainingGina& row,
                                 bool linkWasRead) {
    platform::Registry& registry = platform.registry;
    std::optional<Dword> result;
    if (row.linkSwitch != nullptr) {
        result =
            runtime::WriteDword(registry, key, row.linkSwitch->name, row.linkSwitch->whenRestored);
        if (*result != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegSetValueExA", LinkPath(row.key, row.linkSwitch->name),
                                *result);
            return result;
        }
    }
    switch (row.linkDefault) {
        case LinkDefault::MicrosoftGina:
            result = runtime::WriteString(registry, key, row.link, kMicrosoftGinaFile);
            if (*result != platform::kErrorSuccess) {
                runtime::LogFailure(platform, "RegSetValueExA", LinkPath(row.key, row.link), *result);
            }
            break;
        case LinkDefault::NoLink:
            if (linkWasRead) result = registry.DeleteValue(key, row.link);
            if (result && *result != platform::kErrorSuccess) {
                runtime::LogFailure(platform, "RegDeleteValueA", LinkPath(row.key, row.link), *result);
            }
            break;
    }
    return result;
}

}  // namespace

Dword AccessNextGina(Platform& platform, GinaAccess mode, std::string_view gina, std::string* next,
                     std::string_view newNext, bool* known, bool* chainEnd) {
    if (known != nullptr) *known = true;
    if (chainEnd != nullptr) *chainEnd = false;
    if (next != nullptr) next->clear();
    Dword readStatus = platform::kErrorSuccess;
    Dword writeStatus = platform::kErrorSuccess;
    Dword restoreResult = kNotThere;

    // A GINA that does not carry the chain on ends it.
    const ChainingGina* row = FindChainingGina(platform.system, GinaIdentity(platform.system, gina));
    if (row == nullptr) {
        if (known != nullptr) *known = false;
        if (chainEnd != nullptr) *chainEnd = true;
        return mode == GinaAccess::Restore ? kNotThere : platform::kErrorSuccess;
    }

    platform::Registry& registry = platform.registry;
    platform::RegKey key;
    const Dword opened = runtime::OpenKey(registry, platform::kHkeyLocalMachine, row->key,
                                          platform::kKeyAllAccess, key);
    if (opened != platform::kErrorSuccess) {
        runtime::LogFailure(platform, "RegOpenKeyExA", LinkPath(row->key), opened);
        // Winlogon's key is always there: failing to open it is an error of
        // the machine. Another product's key missing just means the product
        // is gone, and the chain ends at it.
        if (row->LinksInWinlogonKey() || mode == GinaAccess::Write) {
            writeStatus = opened;
        } else {
            readStatus = opened;
        }
    } else if (mode == GinaAccess::Write) {
        writeStatus = WriteLink(platform, key.get(), *row, newNext);
    } else {
        std::string link;
        Dword byteCount = 0;
        readStatus = runtime::QueryString(registry, key.get(), row->link, runtime::kPathBuffer,
                                          link, &byteCount);
        if (readStatus != platform::kErrorSuccess) {
            runtime::LogFailure(platform, "RegQueryValueExA", LinkPath(row->key, row->link),
                                readStatus);
        }
        if (readStatus == platform::kErrorSuccess && byteCount < kShortestLink) {
            readStatus = kNotThere;
            // A GinaDLL this short names no DLL that Winlogon could load:
            // it goes, whatever the walk is doing.
            if (row->IsWinlogon()) restoreResult = registry.DeleteValue(key.get(), row->link);
        }
        const bool linkWasRead = readStatus == platform::kErrorSuccess;
        if (mode == GinaAccess::Read && linkWasRead && next != nullptr) *next = link;
        if (mode == GinaAccess::Restore) {
            if (const auto restored = RestoreLink(platform, key.get(), *row, linkWasRead)) {
                restoreResult = *restored;
            }
        }
    }
    key.reset();

    // A link that could not be read or written cannot be followed.
    const bool failed =
        writeStatus != platform::kErrorSuccess || readStatus != platform::kErrorSuccess;
    if (failed && chainEnd != nullptr) *chainEnd = true;
    return mode == GinaAccess::Restore ? restoreResult : writeStatus;
}

}  // namespace veltra::gina
