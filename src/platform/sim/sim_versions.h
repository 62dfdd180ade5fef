// Version resources of the machine's files. The resource block handed to the
// logic is opaque; this simulator lays it out as: "VSIM", language and code
// page (16 bits each), then "key\0value\0" pairs.
#pragma once

#include "platform/sim/machine.h"
#include "platform/versions.h"

namespace veltra::sim {

class SimVersions final : public platform::Versions {
public:
    explicit SimVersions(Machine& machine)
        : machine_(machine), gate_(machine.faults, machine.trace, &machine.lastError) {}
    platform::Dword GetFileVersionInfoSize(const char* path) override;
    bool GetFileVersionInfo(const char* path, std::vector<std::uint8_t>& block) override;
    bool VerQueryValue(const std::vector<std::uint8_t>& block, const char* subBlock, const void** value,
                       unsigned* length) override;

private:
    static bool Query(const std::vector<std::uint8_t>& block, const std::string& query, const void** value,
                      unsigned* length);
    // The file's version resource, or null with the error the real call gives.
    const VersionInfo* Find(const std::string& path, platform::Dword& error);
    Machine& machine_;
    Gate gate_;
};

}  // namespace veltra::sim
