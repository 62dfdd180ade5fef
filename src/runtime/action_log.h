// The common frame's view of the session while an action runs: every call
// goes to the real session, and what the action read from it - properties,
// folders, feature states, product information - is written to the log, with
// secrets masked. Informational lines the action writes get the library's and
// the action's names in front here, in one place.
#pragma once

#include <string_view>

#include "platform/installer.h"

namespace veltra::runtime {

class ActionLog final : public platform::Installer {
public:
    ActionLog(platform::Installer& session, std::string_view action)
        : session_(session), action_(action) {}

    // A line of the frame itself (start, result); never throws.
    void Write(std::string_view text) noexcept;

    platform::Dword GetProperty(const char* name, char* buffer, platform::Dword* cch) override;
    platform::Dword SetProperty(const char* name, const char* value) override;
    platform::Dword GetSourcePath(const char* folder, char* buffer, platform::Dword* cch) override;
    platform::Dword GetTargetPath(const char* folder, char* buffer, platform::Dword* cch) override;
    int QueryFeatureState(const char* productCode, const char* feature) override;
    platform::Dword GetProductInfo(const char* productCode, const char* property, char* buffer,
                                   platform::Dword* cch) override;
    int ProcessMessage(platform::Dword messageType, const platform::MessageRecord& record) override;

private:
    // One string read: "<what> <name> = "<value>"" on success, the failure
    // line otherwise. The length probe with an empty buffer is not a read.
    void Read(std::string_view call, std::string_view what, const char* name, bool secret,
              platform::Dword result, const char* buffer, platform::Dword capacity,
              const platform::Dword* cch) noexcept;
    // Forwards one of the session's string reads and logs it.
    using Reader = platform::Dword (platform::Installer::*)(const char*, char*, platform::Dword*);
    platform::Dword Forward(Reader read, std::string_view call, std::string_view what, const char* name,
                            bool secret, char* buffer, platform::Dword* cch);

    platform::Installer& session_;
    std::string_view action_;
    platform::MessageRecord line_;  // one record for every line, reused
};

}  // namespace veltra::runtime
