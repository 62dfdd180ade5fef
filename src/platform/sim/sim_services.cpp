#include "platform/sim/sim_services.h"

#include <algorithm>
#include <charconv>

namespace veltra::sim {

using platform::Dword;

namespace {

// Revision 1, at most 15 sub-authorities, and exactly their bytes.
bool ValidSid(const platform::SidBytes& sid) {
    return sid.size() >= 8 && sid[0] == 1 && sid[1] <= 15 && sid.size() == 8u + 4u * sid[1];
}

}  // namespace

platform::ScHandle SimServices::OpenSCManager(Dword /*access*/) {
    if (gate_.Injected("OpenSCManagerA", "")) return {};
    const std::uintptr_t handle = nextHandle_++;
    managers_.insert(handle);
    gate_.Succeed("OpenSCManagerA", "");
    return platform::ScHandle{handle};
}

platform::ScHandle SimServices::CreateService(platform::ScHandle manager, const platform::ServiceConfig& config) {
    auto fail = [&](Dword code) {
        gate_.Fail("CreateServiceA", config.name, code);
        return platform::ScHandle{};
    };
    if (gate_.Injected("CreateServiceA", config.name)) return {};
    if (!managers_.contains(manager.value)) return fail(platform::kErrorInvalidHandle);
    if (config.name.empty() || config.binaryPath.empty()) return fail(platform::kErrorInvalidParameter);
    if (machine_.services.contains(config.name)) return fail(platform::kErrorServiceExists);
    machine_.services[config.name] = ServiceRecord{config, ""};
    const std::uintptr_t handle = nextHandle_++;
    services_[handle] = config.name;
    gate_.Succeed("CreateServiceA", config.name);
    return platform::ScHandle{handle};
}

bool SimServices::ChangeServiceDescription(platform::ScHandle service, const char* description) {
    const auto it = services_.find(service.value);
    const std::string subject = it != services_.end() ? it->second : "(invalid handle)";
    if (gate_.Injected("ChangeServiceConfig2A", subject)) return false;
    if (it == services_.end()) return gate_.Fail("ChangeServiceConfig2A", subject, platform::kErrorInvalidHandle);
    machine_.services[it->second].description = description != nullptr ? description : "";
    return gate_.Succeed("ChangeServiceConfig2A", subject);
}

bool SimServices::CloseServiceHandle(platform::ScHandle handle) {
    const auto it = services_.find(handle.value);
    const std::string subject = it != services_.end() ? it->second : managers_.contains(handle.value) ? "manager" : "";
    if (gate_.Injected("CloseServiceHandle", subject)) return false;
    if (managers_.erase(handle.value) != 1 && services_.erase(handle.value) != 1) {
        return gate_.Fail("CloseServiceHandle", subject, platform::kErrorInvalidHandle);
    }
    return gate_.Succeed("CloseServiceHandle", subject);
}

Dword SimAccounts::NetLocalGroupAdd(const std::string& name, const std::string& comment) {
    return gate_.Run("NetLocalGroupAdd", name, [&]() -> Dword {
        if (machine_.groups.contains(name)) return platform::kNerrGroupExists;
        machine_.groups[name] = GroupRecord{comment, {}};
        return platform::kErrorSuccess;
    });
}

Dword SimAccounts::NetLocalGroupAddMembers(const std::string& group, const platform::SidBytes& member) {
    return gate_.Run("NetLocalGroupAddMembers", group, [&]() -> Dword {
        const auto it = machine_.groups.find(group);
        if (it == machine_.groups.end()) return 2220;  // NERR_GroupNotFound
        if (!ValidSid(member)) return 1337;            // ERROR_INVALID_SID
        auto& members = it->second.members;
        if (std::find(members.begin(), members.end(), member) != members.end()) return platform::kErrorMemberInAlias;
        members.push_back(member);
        return platform::kErrorSuccess;
    });
}

Dword SimAccounts::NetUserModalsGet2(platform::NetBufferHandle* buffer, platform::SidBytes* domainId) {
    return gate_.Run("NetUserModalsGet", "", [&]() -> Dword {
        const std::uintptr_t handle = nextBuffer_++;
        buffers_.insert(handle);
        *buffer = platform::NetBufferHandle{handle};
        *domainId = machine_.accountDomainSid;
        return platform::kErrorSuccess;
    });
}

Dword SimAccounts::NetApiBufferFree(platform::NetBufferHandle buffer) {
    return gate_.Run("NetApiBufferFree", "", [&]() -> Dword {
        return buffers_.erase(buffer.value) == 1 ? platform::kErrorSuccess : platform::kErrorInvalidParameter;
    });
}

bool SimAccounts::IsValidSid(const platform::SidBytes& sid) {
    const std::string subject = SidToString(sid);
    if (gate_.Injected("IsValidSid", subject)) return false;
    const bool valid = ValidSid(sid);
    gate_.Finish("IsValidSid", subject, valid ? 1 : 0);
    return valid;
}

std::intptr_t SimShell::ShellExecute(platform::Hwnd /*owner*/, const char* verb, const char* file,
                                     const char* parameters, const char* directory, int show) {
    auto optional = [](const char* text) { return text != nullptr ? std::optional<std::string>(text) : std::nullopt; };
    ShellOpenRecord record{verb != nullptr ? verb : "", file != nullptr ? file : "", show, optional(parameters),
                           optional(directory)};
    // A failed ShellExecuteA answers with a value of 32 or less (an SE_ERR_ code).
    if (const auto code = gate_.Injected("ShellExecuteA", record.file)) return *code <= 32 ? static_cast<std::intptr_t>(*code) : 0;
    gate_.Succeed("ShellExecuteA", record.file);
    machine_.shellOpens.push_back(std::move(record));
    return 42;  // any value above 32 is success
}

std::string SidToString(const platform::SidBytes& sid) {
    if (sid.size() < 8) return "(invalid)";
    std::uint64_t authority = 0;
    for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[static_cast<std::size_t>(i)];
    std::string text = "S-" + std::to_string(sid[0]) + "-" + std::to_string(authority);
    for (std::size_t i = 8; i + 4 <= sid.size(); i += 4) {
        const std::uint32_t sub = static_cast<std::uint32_t>(sid[i]) | (static_cast<std::uint32_t>(sid[i + 1]) << 8) |
                                  (static_cast<std::uint32_t>(sid[i + 2]) << 16) |
                                  (static_cast<std::uint32_t>(sid[i + 3]) << 24);
        text += "-" + std::to_string(sub);
    }
    return text;
}

std::optional<platform::SidBytes> SidFromString(std::string_view text) {
    if (!text.starts_with("S-")) return std::nullopt;
    std::vector<std::uint64_t> numbers;
    std::size_t pos = 2;
    while (pos <= text.size()) {
        const std::size_t dash = text.find('-', pos);
        const std::string_view part = text.substr(pos, dash == std::string_view::npos ? std::string_view::npos : dash - pos);
        std::uint64_t value = 0;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (ec != std::errc() || end != part.data() + part.size() || part.empty()) return std::nullopt;
        numbers.push_back(value);
        if (dash == std::string_view::npos) break;
        pos = dash + 1;
    }
    if (numbers.size() < 2 || numbers.size() > 17 || numbers[0] != 1 || numbers[1] > 0xFFFFFFFFFFFFull) return std::nullopt;
    platform::SidBytes sid{1, static_cast<std::uint8_t>(numbers.size() - 2)};
    for (int shift = 40; shift >= 0; shift -= 8) sid.push_back(static_cast<std::uint8_t>(numbers[1] >> shift));
    for (std::size_t i = 2; i < numbers.size(); ++i) {
        if (numbers[i] > 0xFFFFFFFFull) return std::nullopt;
        for (int shift = 0; shift < 32; shift += 8) sid.push_back(static_cast<std::uint8_t>(numbers[i] >> shift));
    }
    return sid;
}

}  // namespace veltra::sim
