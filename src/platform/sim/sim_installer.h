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

// The MSI length protocol, as Windows answers it: a buffer too small for the
// value and its terminator gets 234 and as much of the value as fits, always
// terminated (nothing at all when its length is 0); a null buffer gets 0 and
// the length. A call from a custom action into its session (sessionCall)
// reports the needed length of a value that does not fit in bytes of the
// installer's UTF-16 text, twice its characters; a fitting value's length is
// always in characters. Shared by every string-returning installer call.
platform::Dword CopyOutMsiString(std::string_view value, char* buffer, platform::Dword* cch,
                                 bool sessionCall = true);

}  // namespace veltra::sim
