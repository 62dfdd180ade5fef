// The installer port over the machine's session state.
#pragma once

#include "platform/installer.h"
#include "platform/sim/machine.h"

namespace veltra::sim {

// Follows Windows, not Wine: a deferred action reads only "CustomActionData",
// "ProductCode" and "UserSID" (everything else reads as ""), cannot set
// properties and cannot resolve folders.
class SimInstaller final : public platform::Installer {
public:
    explicit SimInstaller(Machine& machine)
        : machine_(machine), gate_(machine.faults, machine.trace, &machine.lastError) {}

    platform::Dword GetProperty(const char* name, char* buffer, platform::Dword* cch) override;
    platform::Dword SetProperty(const char* name, const char* value) override;
    platform::Dword GetSourcePath(const char* folder, char* buffer, platform::Dword* cch) override;
    platform::Dword GetTargetPath(const char* folder, char* buffer, platform::Dword* cch) override;
    int QueryFeatureState(const char* productCode, const char* feature) override;
    platform::Dword GetProductInfo(const char* productCode, const char* property, char* buffer,
                                   platform::Dword* cch) override;
    int ProcessMessage(platform::Dword messageType, const platform::MessageRecord& record) override;

private:
    Machine& machine_;
    Gate gate_;
};

// The MSI length protocol: copies what fits (always terminated), sets *cch to
// the value's length, and answers 234 unless the whole value and its
// terminator fit. Shared by every string-returning installer call.
platform::Dword CopyOutMsiString(std::string_view value, char* buffer, platform::Dword* cch);

}  // namespace veltra::sim
