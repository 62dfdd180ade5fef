// The registry port over the simulated machine's tree.
#pragma once

#include <vector>

#include "platform/registry.h"
#include "platform/sim/faults.h"
#include "platform/sim/registry_tree.h"

namespace veltra::sim {

// Win32 semantics: handles to keys (with the access they were opened with),
// the documented result codes and length protocols, faults by operation name
// ("RegOpenKeyExA", "RegQueryValueExA", ...) and subject (the full key path,
// or "KEY\value" for value calls), and a trace line per call.
//
// Rights are checked against the access a handle was opened with: reading
// values needs KEY_QUERY_VALUE, listing subkeys KEY_ENUMERATE_SUB_KEYS,
// writing or deleting values KEY_SET_VALUE, creating a subkey
// KEY_CREATE_SUB_KEY on the parent, deleting a subkey KEY_CREATE_SUB_KEY or
// DELETE on the parent (DELETE on the key itself for an empty subkey). A
// handle to a key deleted meanwhile fails every call but RegCloseKey with 1018.
class SimRegistry final : public platform::Registry {
public:
    // unfit, when given, receives every entry an enumeration or a value read
    // could not fit into the caller's buffer (the call still answers 234).
    SimRegistry(RegistryTree& tree, Faults& faults, Trace& trace,
                std::vector<UnfitEntry>* unfit = nullptr);
    ~SimRegistry() override;

    platform::Dword OpenKeyEx(platform::HKey parent, const char* subKey, platform::Dword access,
                              platform::HKey* result) override;
    platform::Dword CreateKeyEx(platform::HKey parent, const char* subKey, platform::Dword access,
                                platform::HKey* result, platform::Dword* disposition) override;
    platform::Dword CloseKey(platform::HKey key) override;
    platform::Dword QueryValueEx(platform::HKey key, const char* name, platform::Dword* type,
                                 std::uint8_t* data, platform::Dword* cbData) override;
    platform::Dword SetValueEx(platform::HKey key, const char* name, platform::Dword type,
                               const std::uint8_t* data, platform::Dword cbData) override;
    platform::Dword DeleteValue(platform::HKey key, const char* name) override;
    platform::Dword DeleteKey(platform::HKey parent, const char* subKey) override;
    platform::Dword DeleteTree(platform::HKey parent, const char* subKey) override;
    platform::Dword EnumKeyEx(platform::HKey key, platform::Dword index, char* name,
                              platform::Dword* cchName) override;
    platform::Dword EnumValue(platform::HKey key, platform::Dword index, char* name,
                              platform::Dword* cchName, platform::Dword* type, std::uint8_t* data,
                              platform::Dword* cbData) override;
    platform::Dword QueryInfoKey(platform::HKey key, platform::Dword* subKeys,
                                 platform::Dword* maxSubKeyLen, platform::Dword* values,
                                 platform::Dword* maxValueNameLen,
                                 platform::Dword* maxValueLen) override;

    // Keys still open (a test asserts every action closes what it opened).
    std::size_t OpenHandleCount() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace veltra::sim
