#include "upgrade/version_file.h"

#include <string>

#include "upgrade/version_numbers.h"

namespace veltra::upgrade {

namespace {

constexpr std::string_view kBlanks = " \t";

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

void ApplyLine(std::string_view line, AgentVersion& version) {
    // The buffer is a C string: whatever follows a zero byte is not seen.
    line = line.substr(0, line.find('\0'));
    if (!line.starts_with("#define")) return;
    const std::size_t nameStart = line.find('_');
    if (nameStart == std::string_view::npos) return;
    const std::size_t nameEnd = line.find_first_of(kBlanks, nameStart);
    if (nameEnd == std::string_view::npos) return;  // a name with no value after it
    const std::string_view name = line.substr(nameStart, nameEnd - nameStart);
    std::string_view rest = line.substr(nameEnd + 1);
    const std::string_view value = NextPiece(rest, " \t\n");
    if (value.empty()) return;

    const auto number = static_cast<platform::Dword>(DecimalValue(value));
    if (SameName(name, "__VMAJOR__")) {
        version.major = number;
    } else if (SameName(name, "__VMINOR__")) {
        version.minor = number;
    } else if (SameName(name, "__PLEVEL__")) {
        version.patchLevel = number;
    }
}

}  // namespace

AgentVersion ReadAgentVersion(std::string_view text) {
    AgentVersion version;
    constexpr std::size_t kMostPerRead = kVersionLineBuffer - 1;
    while (!text.empty()) {
        // One fgets: up to the line feed (kept), at most a buffer's worth.
        std::size_t length = text.find('\n');
        length = length == std::string_view::npos ? text.size() : length + 1;
        if (length > kMostPerRead) length = kMostPerRead;
        ApplyLine(text.substr(0, length), version);
        text.remove_prefix(length);
    }
    return version;
}

}  // namespace veltra::upgrade
