#include "platform/sim/sim_services.h"

#include <algorithm>
#include <charconv>

namespace veltra::sim {

using platform::Dword;

platform::ScHandle SimServices::OpenSCManager(Dword /*access*/) {
    if (auto code = machine_.faults.Check("OpenSCManagerA", "")) {
        machine_.lastError = *code;
        machine_.trace.Record("OpenSCManagerA", "", *code);
        return {};
    }
    const std::uintptr_t handle = nextHandle_++;
    managers_.insert(handle);
    machine_.trace.Record("OpenSCManagerA", "", 0);
    return platform::ScHandle{handle};
}

platform::ScHandle SimServices::CreateService(platform::ScHandle manager, const platform::ServiceConfig& config) {
    auto fail = [&](Dword code) {
        machine_.lastError = code;
        machine_.trace.Record("CreateServiceA", config.name, code);
        return platform::ScHandle{};
    };
    if (!managers_.contains(manager.value)) return fail(platform::kErrorInvalidHandle);
    if (auto code = machine_.faults.Check("CreateServiceA", config.name)) return fail(*code);
    if (config.name.empty() || config.binaryPath.empty()) return fail(platform::kErrorInvalidParameter);
    if (machine_.services.contains(config.name)) return fail(platform::kErrorServiceExists);
    machine_.services[config.name] = ServiceRecord{config, ""};
    const std::uintptr_t handle = nextHandle_++;
    services_[handle] = config.name;
    machine_.trace.Record("CreateServiceA", config.name, 0);
    return platform::ScHandle{handle};
}

bool SimServices::ChangeServiceDescription(platform::ScHandle service, const char* description) {
    const auto it = services_.find(service.value);
    if (it == services_.end()) return false;
    if (auto code = machine_.faults.Check("ChangeServiceConfig2A", it->second)) {
        machine_.lastError = *code;
        machine_.trace.Record("ChangeServiceConfig2A", it->second, *code);
        return false;
    }
    machine_.services[it->second].description = description != nullptr ? description : "";
    machine_.trace.Record("ChangeServiceConfig2A", it->second, 0);
    return true;
}

bool SimServices::CloseServiceHandle(platform::ScHandle handle) {
    machine_.trace.Record("CloseServiceHandle", "", 0);
    return managers_.erase(handle.value) == 1 || services_.erase(handle.value) == 1;
}

Dword SimAccounts::NetLocalGroupAdd(const std::string& name, const std::string& comment) {
    Dword result = 0;
    if (auto code = machine_.faults.Check("NetLocalGroupAdd", name)) {
        result = *code;
    } else if (machine_.groups.contains(name)) {
        result = platform::kNerrGroupExists;
    } else {
        machine_.groups[name] = GroupRecord{comment, {}};
    }
    machine_.trace.Record("NetLocalGroupAdd", name, result);
    return result;
}

Dword SimAccounts::NetLocalGroupAddMembers(const std::string& group, const platform::SidBytes& member) {
    Dword result = 0;
    const auto it = machine_.groups.find(group);
    if (auto code = machine_.faults.Check("NetLocalGroupAddMembers", group)) {
        result = *code;
    } else if (it == machine_.groups.end()) {
        result = 2220;  // NERR_GroupNotFound
    } else if (!IsValidSid(member)) {
        result = 1337;  // ERROR_INVALID_SID
    } else if (std::find(it->second.members.begin(), it->second.members.end(), member) != it->second.members.end()) {
        result = platform::kErrorMemberInAlias;
    } else {
        it->second.members.push_back(member);
    }
    machine_.trace.Record("NetLocalGroupAddMembers", group, result);
    return result;
}

Dword SimAccounts::GetAccountDomainSid(platform::SidBytes& sid) {
    if (auto code = machine_.faults.Check("NetUserModalsGet", "")) {
        machine_.trace.Record("NetUserModalsGet", "", *code);
        return *code;
    }
    sid = machine_.accountDomainSid;
    machine_.trace.Record("NetUserModalsGet", "", 0);
    return 0;
}

bool SimAccounts::IsValidSid(const platform::SidBytes& sid) {
    // Revision 1, at most 15 sub-authorities, and exactly their bytes.
    return sid.size() >= 8 && sid[0] == 1 && sid[1] <= 15 && sid.size() == 8u + 4u * sid[1];
}

std::intptr_t SimShell::ShellExecute(platform::Hwnd /*owner*/, const char* verb, const char* file,
                                     const char* /*parameters*/, const char* /*directory*/, int show) {
    ShellOpenRecord record{verb != nullptr ? verb : "", file != nullptr ? file : "", show};
    machine_.trace.Record("ShellExecuteA", record.file, 0);
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
