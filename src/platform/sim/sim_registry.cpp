// The registry port over the simulated tree.
//
// Access rights, as the simulated machine checks them (a key's own security is
// not modelled; only the access a handle was opened with counts):
// - reading values (RegQueryValueExA, RegEnumValueA, RegQueryInfoKeyA) needs
//   KEY_QUERY_VALUE; listing subkeys (RegEnumKeyExA) KEY_ENUMERATE_SUB_KEYS;
// - writing and deleting values needs KEY_SET_VALUE;
// - RegCreateKeyExA needs KEY_CREATE_SUB_KEY on the parent when it creates a
//   key (opening an existing one through it needs nothing);
// - RegDeleteKeyA and SHDeleteKeyA open the subkey for deletion themselves, so
//   the parent handle's access does not matter (as on Windows); asked to delete
//   the key the handle names (an empty subkey), the handle needs DELETE;
// - the predefined roots carry every right; the generic rights map to the key
//   rights as Windows maps them.
// A call that lacks the right fails with 5 and changes nothing.
#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace veltra::sim {

using platform::Dword;
using platform::HKey;

namespace {

constexpr Dword kKeyCreateSubKey = 0x0004;
constexpr Dword kKeyEnumerateSubKeys = 0x0008;
constexpr Dword kDelete = 0x00010000;
constexpr Dword kGenericRead = 0x80000000;
constexpr Dword kGenericWrite = 0x40000000;
constexpr Dword kGenericAll = 0x10000000;
constexpr Dword kMaximumAllowed = 0x02000000;

constexpr Dword kErrorKeyDeleted = 1018;
constexpr Dword kErrorNoAccess = 998;
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

// Handles the port hands out start here and grow by 4, like kernel handles;
// they never reach the predefined range 0x80000000.
constexpr std::uintptr_t kFirstHandle = 0x1000;

Dword MapGenericRights(Dword access) {
    if ((access & (kGenericAll | kMaximumAllowed)) != 0) access |= platform::kKeyAllAccess;
    if ((access & kGenericRead) != 0) access |= platform::kKeyRead;
    if ((access & kGenericWrite) != 0) access |= platform::kKeyWrite;
    return access;
}

std::string_view RootNameOf(HKey key) {
    switch (key.value) {
        case platform::kHkeyClassesRoot.value: return "HKEY_CLASSES_ROOT";
        case platform::kHkeyCurrentUser.value: return "HKEY_CURRENT_USER";
        case platform::kHkeyLocalMachine.value: return "HKEY_LOCAL_MACHINE";
        case platform::kHkeyUsers.value: return "HKEY_USERS";
        case platform::kHkeyCurrentConfig.value: return "HKEY_CURRENT_CONFIG";
        default: return {};
    }
}

// The non-empty parts of a subkey path: "a\\b\\" and "a\\\\b" name a\b.
std::vector<std::string_view> SplitSubKey(const char* subKey) {
    std::vector<std::string_view> parts;
    if (subKey == nullptr) return parts;
    parts.reserve(8);
    std::string_view rest(subKey);
    while (!rest.empty()) {
        const auto slash = rest.find('\\');
        const std::string_view part = rest.substr(0, slash);
        if (!part.empty()) parts.push_back(part);
        if (slash == std::string_view::npos) break;
        rest.remove_prefix(slash + 1);
    }
    return parts;
}

std::string JoinPath(std::string path, const std::vector<std::string_view>& parts) {
    std::size_t length = path.size();
    for (const std::string_view part : parts) length += 1 + part.size();
    path.reserve(length);
    for (const std::string_view part : parts) {
        path += '\\';
        path += part;
    }
    return path;
}

std::string ValueSubject(const std::string& keyPath, const char* name) {
    return keyPath + "\\" + (name == nullptr ? "" : name);
}

}  // namespace

struct SimRegistry::Impl {
    struct OpenKey {
        OpenKey() = default;
        OpenKey(std::shared_ptr<RegNode> n, std::string p, Dword a)
            : node(std::move(n)), path(std::move(p)), access(a) {}

        std::shared_ptr<RegNode> node;
        std::string path;
        Dword access = 0;
        // Where the last RegEnumKeyExA stopped, so that enumerating a key from
        // index 0 upwards walks its subkey map once instead of once per index.
        std::uint64_t enumGeneration = 0;
        Dword enumIndex = 0;
        SubkeyMap::const_iterator enumAt;
        bool enumValid = false;
    };

    // A key as a call sees it: the open key (a predefined root gets a
    // temporary record with every right), or the error the handle gives.
    struct Resolved {
        OpenKey* key = nullptr;
        Dword error = 0;
    };

    Impl(RegistryTree& t, Faults& f, Trace& tr, std::vector<UnfitEntry>* u)
        : tree(t), gate(f, tr, nullptr), unfit(u) {}

    void NoteUnfit(std::string_view operation, const OpenKey& key, const std::string& name,
                   std::string_view part, std::size_t needed, Dword given) {
        if (unfit == nullptr) return;
        unfit->push_back({std::string(operation), key.path, name, std::string(part),
                          static_cast<Dword>(needed), given});
    }

    Resolved Resolve(HKey handle) {
        if (const std::string_view root = RootNameOf(handle); !root.empty()) {
            OpenKey& record = roots[handle.value];
            if (auto node = tree.Root(root); record.node != node) {
                record = OpenKey{std::move(node), std::string(root), platform::kKeyAllAccess};
            }
            return {&record, 0};
        }
        const auto found = handles.find(handle.value);
        if (found == handles.end()) return {nullptr, platform::kErrorInvalidHandle};
        if (found->second.node->deleted()) return {&found->second, kErrorKeyDeleted};
        return {&found->second, 0};
    }

    // The path a call is about, for faults and the trace, even when the
    // handle turns out to be unusable.
    std::string PathOf(HKey handle) {
        if (const std::string_view root = RootNameOf(handle); !root.empty()) return std::string(root);
        const auto found = handles.find(handle.value);
        if (found == handles.end()) return "(invalid handle)";
        return found->second.path;
    }

    HKey NewHandle(std::shared_ptr<RegNode> node, std::string path, Dword access) {
        const std::uintptr_t value = nextHandle;
        nextHandle += 4;
        handles.emplace(value, OpenKey{std::move(node), std::move(path), access});
        return HKey{value};
    }

    struct DeleteTarget {
        std::shared_ptr<RegNode> parent;
        std::shared_ptr<RegNode> node;
    };

    // The key RegDeleteKeyA or SHDeleteKeyA is asked to delete (a subkey of
    // the handle's key, or for an empty subkey the handle's key itself) and
    // the node it hangs from, with the rights the handle must carry.
    Dword FindDeleteTarget(HKey handle, const char* subKey, const std::vector<std::string_view>& parts,
                           DeleteTarget& target) {
        if (subKey == nullptr) return platform::kErrorInvalidParameter;
        const auto [key, error] = Resolve(handle);
        if (key == nullptr || error != 0) return error;
        if (parts.empty()) {
            const auto slash = key->path.rfind('\\');
            if (slash == std::string::npos || (key->access & kDelete) == 0) {
                return platform::kErrorAccessDenied;  // a root, or no right to delete
            }
            target.node = key->node;
            target.parent = tree.FindKey(std::string_view(key->path).substr(0, slash));
            if (!target.parent || target.parent->FindSubkey(target.node->name()) != target.node) {
                return kErrorKeyDeleted;  // the tree was replaced under the handle
            }
            return platform::kErrorSuccess;
        }
        target.parent = key->node;
        for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
            target.parent = target.parent->FindSubkey(parts[i]);
            if (!target.parent) return platform::kErrorFileNotFound;
        }
        target.node = target.parent->FindSubkey(parts.back());
        return target.node ? platform::kErrorSuccess : platform::kErrorFileNotFound;
    }

    // Runs a call: the fault rules first, then the call itself, then the
    // trace. The subject is only spelled out when a rule or the trace reads it.
    template <class Subject, class Call>
    Dword Run(std::string_view op, Subject subject, Call call) {
        if (!gate.Watching()) return call();
        return gate.Run(op, subject(), call);
    }

    RegistryTree& tree;
    Gate gate;  // registry calls give their code as the result, never the last error
    std::unordered_map<std::uintptr_t, OpenKey> handles;
    std::uintptr_t nextHandle = kFirstHandle;
    std::unordered_map<std::uintptr_t, OpenKey> roots;  // the predefined keys
    std::vector<UnfitEntry>* unfit;
};

SimRegistry::SimRegistry(RegistryTree& tree, Faults& faults, Trace& trace,
                         std::vector<UnfitEntry>* unfit)
    : impl_(std::make_unique<Impl>(tree, faults, trace, unfit)) {}

SimRegistry::~SimRegistry() = default;

std::size_t SimRegistry::OpenHandleCount() const { return impl_->handles.size(); }

Dword SimRegistry::OpenKeyEx(HKey parent, const char* subKey, Dword access, HKey* result) {
    const auto parts = SplitSubKey(subKey);
    const auto subject = [&] { return JoinPath(impl_->PathOf(parent), parts); };
    return impl_->Run("RegOpenKeyExA", subject, [&]() -> Dword {
        if (result == nullptr) return platform::kErrorInvalidParameter;
        *result = HKey{};
        const auto [key, error] = impl_->Resolve(parent);
        if (key == nullptr || error != 0) return error;
        // The walk holds no reference; only the key opened is shared.
        const std::shared_ptr<RegNode>* node = &key->node;
        for (const std::string_view part : parts) {
            const auto& subkeys = (*node)->subkeys();
            const FoldedBuffer folded(part);
            const auto child = subkeys.find(folded.name());
            if (child == subkeys.end()) return platform::kErrorFileNotFound;
            node = &child->second;
        }
        *result = impl_->NewHandle(*node, subject(), MapGenericRights(access));
        return platform::kErrorSuccess;
    });
}

Dword SimRegistry::CreateKeyEx(HKey parent, const char* subKey, Dword access, HKey* result,
                               Dword* disposition) {
    const auto parts = SplitSubKey(subKey);
    const auto subject = [&] { return JoinPath(impl_->PathOf(parent), parts); };
    return impl_->Run("RegCreateKeyExA", subject, [&]() -> Dword {
        if (result == nullptr) return platform::kErrorInvalidParameter;
        *result = HKey{};
        const auto [key, error] = impl_->Resolve(parent);
        if (key == nullptr || error != 0) return error;
        // Find how much of the path exists before creating anything, so that
        // a refused call leaves no half-made chain behind.
        std::shared_ptr<RegNode> node = key->node;
        std::size_t existing = 0;
        for (; existing < parts.size(); ++existing) {
            auto next = node->FindSubkey(parts[existing]);
            if (!next) break;
            node = std::move(next);
        }
        if (existing < parts.size()) {
            if ((key->access & kKeyCreateSubKey) == 0) return platform::kErrorAccessDenied;
            for (std::size_t i = existing; i < parts.size(); ++i) {
                if (parts[i].size() > kMaxKeyNameLength) return platform::kErrorInvalidParameter;
            }
            for (std::size_t i = existing; i < parts.size(); ++i) node = node->CreateSubkey(parts[i]);
        }
        if (disposition != nullptr) {
            *disposition = existing < parts.size() ? platform::kRegCreatedNewKey
                                                   : platform::kRegOpenedExistingKey;
        }
        *result = impl_->NewHandle(std::move(node), subject(), MapGenericRights(access));
        return platform::kErrorSuccess;
    });
}

Dword SimRegistry::CloseKey(HKey key) {
    return impl_->Run("RegCloseKey", [&] { return impl_->PathOf(key); }, [&]() -> Dword {
        if (!RootNameOf(key).empty()) return platform::kErrorSuccess;
        return impl_->handles.erase(key.value) == 1 ? platform::kErrorSuccess
                                                    : platform::kErrorInvalidHandle;
    });
}

Dword SimRegistry::QueryValueEx(HKey key, const char* name, Dword* type, std::uint8_t* data,
                                Dword* cbData) {
    return impl_->Run("RegQueryValueExA", [&] { return ValueSubject(impl_->PathOf(key), name); }, [&]() -> Dword {
        const auto [open, error] = impl_->Resolve(key);
        if (open == nullptr || error != 0) return error;
        if ((open->access & platform::kKeyQueryValue) == 0) return platform::kErrorAccessDenied;
        if (data != nullptr && cbData == nullptr) return platform::kErrorInvalidParameter;
        const RegValue* value = open->node->FindValue(name == nullptr ? "" : name);
        if (value == nullptr) return platform::kErrorFileNotFound;
        const auto size = static_cast<Dword>(value->data.size());
        if (type != nullptr) *type = value->type;
        if (data != nullptr && *cbData < size) {
            impl_->NoteUnfit("RegQueryValueExA", *open, value->name, "data", size, *cbData);
            *cbData = size;
            return platform::kErrorMoreData;
        }
        if (data != nullptr && size != 0) std::memcpy(data, value->data.data(), size);
        if (cbData != nullptr) *cbData = size;
        return platform::kErrorSuccess;
    });
}

Dword SimRegistry::SetValueEx(HKey key, const char* name, Dword type, const std::uint8_t* data,
                              Dword cbData) {
    return impl_->Run("RegSetValueExA", [&] { return ValueSubject(impl_->PathOf(key), name); }, [&]() -> Dword {
        const auto [open, error] = impl_->Resolve(key);
        if (open == nullptr || error != 0) return error;
        if ((open->access & platform::kKeySetValue) == 0) return platform::kErrorAccessDenied;
        if (data == nullptr && cbData != 0) return kErrorNoAccess;
        const std::string_view valueName = name == nullptr ? "" : name;
        if (valueName.size() > kMaxValueNameLength) return platform::kErrorInvalidParameter;
        std::vector<std::uint8_t> bytes;
        if (cbData != 0) bytes.assign(data, data + cbData);
        open->node->SetValue(valueName, type, std::move(bytes));
        return platform::kErrorSuccess;
    });
}

Dword SimRegistry::DeleteValue(HKey key, const char* name) {
    return impl_->Run("RegDeleteValueA", [&] { return ValueSubject(impl_->PathOf(key), name); }, [&]() -> Dword {
        const auto [open, error] = impl_->Resolve(key);
        if (open == nullptr || error != 0) return error;
        if ((open->access & platform::kKeySetValue) == 0) return platform::kErrorAccessDenied;
        return open->node->DeleteValue(name == nullptr ? "" : name) ? platform::kErrorSuccess
                                                                     : platform::kErrorFileNotFound;
    });
}

Dword SimRegistry::DeleteKey(HKey parent, const char* subKey) {
    const auto parts = SplitSubKey(subKey);
    const auto subject = [&] { return JoinPath(impl_->PathOf(parent), parts); };
    return impl_->Run("RegDeleteKeyA", subject, [&]() -> Dword {
        Impl::DeleteTarget target;
        if (const Dword error = impl_->FindDeleteTarget(parent, subKey, parts, target)) return error;
        // Unlike SHDeleteKeyA, RegDeleteKeyA removes only a key without subkeys.
        if (!target.node->subkeys().empty()) return platform::kErrorAccessDenied;
        target.parent->RemoveSubkey(target.node->name());
        return platform::kErrorSuccess;
    });
}

Dword SimRegistry::DeleteTree(HKey parent, const char* subKey) {
    const auto parts = SplitSubKey(subKey);
    const auto subject = [&] { return JoinPath(impl_->PathOf(parent), parts); };
    return impl_->Run("SHDeleteKeyA", subject, [&]() -> Dword {
        Impl::DeleteTarget target;
        if (const Dword error = impl_->FindDeleteTarget(parent, subKey, parts, target)) return error;
        target.parent->RemoveSubkey(target.node->name());
        return platform::kErrorSuccess;
    });
}

Dword SimRegistry::EnumKeyEx(HKey key, Dword index, char* name, Dword* cchName) {
    return impl_->Run("RegEnumKeyExA", [&] { return impl_->PathOf(key); }, [&]() -> Dword {
        const auto [open, error] = impl_->Resolve(key);
        if (open == nullptr || error != 0) return error;
        if ((open->access & kKeyEnumerateSubKeys) == 0) return platform::kErrorAccessDenied;
        if (name == nullptr || cchName == nullptr) return platform::kErrorInvalidParameter;
        const auto& subkeys = open->node->subkeys();
        if (index >= subkeys.size()) return platform::kErrorNoMoreItems;
        // Walk on from where the last call stopped when the map is unchanged.
        if (!open->enumValid || open->enumGeneration != open->node->subkeyGeneration() ||
            index < open->enumIndex) {
            open->enumAt = subkeys.begin();
            open->enumIndex = 0;
            open->enumGeneration = open->node->subkeyGeneration();
            open->enumValid = true;
        }
        open->enumAt = std::next(open->enumAt, static_cast<std::ptrdiff_t>(index - open->enumIndex));
        open->enumIndex = index;
        const std::string& subkeyName = open->enumAt->second->name();
        if (subkeyName.size() + 1 > *cchName) {
            impl_->NoteUnfit("RegEnumKeyExA", *open, subkeyName, "name", subkeyName.size() + 1, *cchName);
            return platform::kErrorMoreData;
        }
        std::memcpy(name, subkeyName.c_str(), subkeyName.size() + 1);
        *cchName = static_cast<Dword>(subkeyName.size());
        return platform::kErrorSuccess;
    });
}

Dword SimRegistry::EnumValue(HKey key, Dword index, char* name, Dword* cchName, Dword* type,
                             std::uint8_t* data, Dword* cbData) {
    return impl_->Run("RegEnumValueA", [&] { return impl_->PathOf(key); }, [&]() -> Dword {
        const auto [open, error] = impl_->Resolve(key);
        if (open == nullptr || error != 0) return error;
        if ((open->access & platform::kKeyQueryValue) == 0) return platform::kErrorAccessDenied;
        if (name == nullptr || cchName == nullptr) return platform::kErrorInvalidParameter;
        if (data != nullptr && cbData == nullptr) return platform::kErrorInvalidParameter;
        const auto& values = open->node->values();
        if (index >= values.size()) return platform::kErrorNoMoreItems;
        const RegValue& value = values[index];
        if (value.name.size() + 1 > *cchName) {
            impl_->NoteUnfit("RegEnumValueA", *open, value.name, "name", value.name.size() + 1, *cchName);
            return platform::kErrorMoreData;
        }
        const auto size = static_cast<Dword>(value.data.size());
        if (type != nullptr) *type = value.type;
        if (data != nullptr && *cbData < size) {
            impl_->NoteUnfit("RegEnumValueA", *open, value.name, "data", size, *cbData);
            *cbData = size;
            return platform::kErrorMoreData;
        }
        std::memcpy(name, value.name.c_str(), value.name.size() + 1);
        *cchName = static_cast<Dword>(value.name.size());
        if (data != nullptr && size != 0) std::memcpy(data, value.data.data(), size);
        if (cbData != nullptr) *cbData = size;
        return platform::kErrorSuccess;
    });
}

Dword SimRegistry::QueryInfoKey(HKey key, Dword* subKeys, Dword* maxSubKeyLen, Dword* values,
                                Dword* maxValueNameLen, Dword* maxValueLen) {
    return impl_->Run("RegQueryInfoKeyA", [&] { return impl_->PathOf(key); }, [&]() -> Dword {
        const auto [open, error] = impl_->Resolve(key);
        if (open == nullptr || error != 0) return error;
        if ((open->access & platform::kKeyQueryValue) == 0) return platform::kErrorAccessDenied;
        const RegNode& node = *open->node;
        std::size_t longestSubkey = 0;
        for (const auto& [folded, child] : node.subkeys()) longestSubkey = std::max(longestSubkey, child->name().size());
        std::size_t longestName = 0;
        std::size_t longestData = 0;
        for (const RegValue& value : node.values()) {
            longestName = std::max(longestName, value.name.size());
            longestData = std::max(longestData, value.data.size());
        }
        if (subKeys != nullptr) *subKeys = static_cast<Dword>(node.subkeys().size());
        if (maxSubKeyLen != nullptr) *maxSubKeyLen = static_cast<Dword>(longestSubkey);
        if (values != nullptr) *values = static_cast<Dword>(node.values().size());
        if (maxValueNameLen != nullptr) *maxValueNameLen = static_cast<Dword>(longestName);
        if (maxValueLen != nullptr) *maxValueLen = static_cast<Dword>(longestData);
        return platform::kErrorSuccess;
    });
}

}  // namespace veltra::sim
