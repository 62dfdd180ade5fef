#include "platform/sim/sddl.h"

#include <array>
#include <cctype>
#include <utility>

namespace veltra::sim {

using platform::Dword;

namespace {

constexpr Dword kErrorInvalidAcl = 1336;

struct Alias {
    std::string_view code;
    std::string_view name;
};

// The account aliases of the SDDL format that a folder's security names.
constexpr std::array kAliases{
    Alias{"AN", "Anonymous Logon"},        Alias{"AU", "Authenticated Users"},
    Alias{"BA", "Administrators"},         Alias{"BG", "Guests"},
    Alias{"BO", "Backup Operators"},       Alias{"BU", "Users"},
    Alias{"CG", "Creator Group"},          Alias{"CO", "Creator Owner"},
    Alias{"DA", "Domain Admins"},          Alias{"DU", "Domain Users"},
    Alias{"ED", "Enterprise Domain Controllers"},
    Alias{"IU", "Interactive"},            Alias{"LS", "Local Service"},
    Alias{"NS", "Network Service"},        Alias{"NU", "Network"},
    Alias{"PS", "Principal Self"},         Alias{"PU", "Power Users"},
    Alias{"RC", "Restricted Code"},        Alias{"SO", "Server Operators"},
    Alias{"SU", "Service"},                Alias{"SY", "Local System"},
    Alias{"WD", "Everyone"},
};

struct Code {
    std::string_view code;
    std::string_view meaning;
};

constexpr std::array kAceTypes{
    Code{"A", "allow"},         Code{"D", "deny"},          Code{"OA", "object allow"},
    Code{"OD", "object deny"},  Code{"AU", "audit"},        Code{"AL", "alarm"},
    Code{"OU", "object audit"}, Code{"OL", "object alarm"}, Code{"ML", "mandatory label"},
};

constexpr std::array kAceFlags{"CI", "OI", "NP", "IO", "ID", "SA", "FA"};

constexpr std::array kRights{
    Code{"GA", "generic all"},     Code{"GR", "generic read"},  Code{"GW", "generic write"},
    Code{"GX", "generic execute"}, Code{"FA", "file all"},      Code{"FR", "file read"},
    Code{"FW", "file write"},      Code{"FX", "file execute"},  Code{"RC", "read control"},
    Code{"SD", "delete"},          Code{"WD", "write DAC"},     Code{"WO", "write owner"},
    Code{"RP", "read property"},   Code{"WP", "write property"}, Code{"CC", "create child"},
    Code{"DC", "delete child"},    Code{"LC", "list children"}, Code{"SW", "self write"},
    Code{"LO", "list object"},     Code{"DT", "delete tree"},   Code{"CR", "control access"},
    Code{"KA", "key all"},         Code{"KR", "key read"},      Code{"KW", "key write"},
    Code{"KX", "key execute"},
};

template <class Table>
const Code* FindCode(const Table& table, std::string_view code) {
    for (const Code& entry : table) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

bool IsAlias(std::string_view text) {
    for (const Alias& alias : kAliases) {
        if (alias.code == text) return true;
    }
    return false;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0) return false;
    }
    return true;
}

// "S-1-<authority>-<sub>..." with one to fifteen sub-authorities.
bool IsSidString(std::string_view text) {
    if (text.substr(0, 4) != "S-1-") return false;
    text.remove_prefix(4);
    int parts = 0;
    while (true) {
        const auto dash = text.find('-');
        if (!AllDigits(text.substr(0, dash))) return false;
        ++parts;
        if (dash == std::string_view::npos) break;
        text.remove_prefix(dash + 1);
    }
    return parts >= 2 && parts <= 16;
}

bool IsTrustee(std::string_view text) { return IsAlias(text) || IsSidString(text); }

// A run of two-letter codes from one table ("OICI", "GAGR").
template <class Table, class Match>
bool IsCodeRun(std::string_view text, const Table& table, Match match) {
    if (text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        if (!match(table, text.substr(i, 2))) return false;
    }
    return true;
}

bool IsRights(std::string_view text) {
    if (text.empty()) return false;
    if (text.size() > 2 && (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X")) {
        for (const char c : text.substr(2)) {
            if (std::isxdigit(static_cast<unsigned char>(c)) == 0) return false;
        }
        return true;
    }
    if (AllDigits(text)) return true;
    return IsCodeRun(text, kRights, [](const auto& table, std::string_view code) {
        return FindCode(table, code) != nullptr;
    });
}

bool IsAceFlags(std::string_view text) {
    return IsCodeRun(text, kAceFlags, [](const auto& table, std::string_view code) {
        for (const char* flag : table) {
            if (code == flag) return true;
        }
        return false;
    });
}

// "{...}"-less GUID text of 36 characters, or nothing.
bool IsGuidOrEmpty(std::string_view text) {
    if (text.empty()) return true;
    if (text.size() != 36) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : std::isxdigit(static_cast<unsigned char>(text[i])) == 0) return false;
    }
    return true;
}

std::optional<AccessEntry> ParseAce(std::string_view body) {
    std::vector<std::string_view> fields;
    while (true) {
        const auto semicolon = body.find(';');
        fields.push_back(body.substr(0, semicolon));
        if (semicolon == std::string_view::npos) break;
        body.remove_prefix(semicolon + 1);
    }
    if (fields.size() != 6) return std::nullopt;
    if (FindCode(kAceTypes, fields[0]) == nullptr || !IsAceFlags(fields[1]) || !IsRights(fields[2]) ||
        !IsGuidOrEmpty(fields[3]) || !IsGuidOrEmpty(fields[4]) || !IsTrustee(fields[5])) {
        return std::nullopt;
    }
    return AccessEntry{std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
                       std::string(fields[5])};
}

bool IsComponentStart(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && text[at + 1] == ':' &&
           (text[at] == 'O' || text[at] == 'G' || text[at] == 'D' || text[at] == 'S');
}

// The end of a component's value: the next "O:", "G:", "D:" or "S:".
std::size_t ComponentEnd(std::string_view text, std::size_t from) {
    int depth = 0;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '(') ++depth;
        if (text[i] == ')') --depth;
        if (depth == 0 && IsComponentStart(text, i)) return i;
    }
    return text.size();
}

// "P", "AI" ... then "(ace)(ace)".
bool ParseAcl(std::string_view text, std::string& flags, std::vector<AccessEntry>& entries) {
    const auto open = text.find('(');
    flags = std::string(text.substr(0, open));
    for (std::size_t i = 0; i < flags.size();) {
        const std::string_view rest = std::string_view(flags).substr(i);
        if (rest.substr(0, 2) == "AR" || rest.substr(0, 2) == "AI" || rest.substr(0, 2) == "NO") {
            i += 2;
        } else if (rest[0] == 'P') {
            i += 1;
        } else {
            return false;
        }
    }
    if (open == std::string_view::npos) return true;
    text.remove_prefix(open);
    while (!text.empty()) {
        if (text.front() != '(') return false;
        const auto close = text.find(')');
        if (close == std::string_view::npos) return false;
        const auto entry = ParseAce(text.substr(1, close - 1));
        if (!entry) return false;
        entries.push_back(*entry);
        text.remove_prefix(close + 1);
    }
    return true;
}

std::string Describe(const AccessEntry& entry) {
    const Code* type = FindCode(kAceTypes, entry.type);
    std::string line = type != nullptr ? std::string(type->meaning) : entry.type;
    line += ' ';
    std::string rights;
    const bool codes = IsCodeRun(entry.rights, kRights, [](const auto& table, std::string_view code) {
        return FindCode(table, code) != nullptr;
    });
    if (codes) {
        for (std::size_t i = 0; i < entry.rights.size(); i += 2) {
            if (!rights.empty()) rights += ", ";
            rights += FindCode(kRights, std::string_view(entry.rights).substr(i, 2))->meaning;
        }
    } else {
        rights = entry.rights;
    }
    line += rights + " to " + TrusteeName(entry.trustee);
    if (!entry.flags.empty()) line += " (inheritance " + entry.flags + ")";
    return line;
}

}  // namespace

std::optional<SecurityDescriptor> ParseSddl(std::string_view text, Dword* error) {
    auto fail = [&](Dword code) -> std::optional<SecurityDescriptor> {
        if (error != nullptr) *error = code;
        return std::nullopt;
    };
    SecurityDescriptor descriptor;
    bool seen[4] = {};
    std::size_t at = 0;
    while (at < text.size()) {
        if (!IsComponentStart(text, at)) return fail(platform::kErrorInvalidParameter);
        const char tag = text[at];
        const std::size_t end = ComponentEnd(text, at + 2);
        const std::string_view value = text.substr(at + 2, end - at - 2);
        const int slot = tag == 'O' ? 0 : tag == 'G' ? 1 : tag == 'D' ? 2 : 3;
        if (seen[slot]) return fail(platform::kErrorInvalidParameter);
        seen[slot] = true;
        if (tag == 'O' || tag == 'G') {
            if (!IsTrustee(value)) return fail(platform::kErrorInvalidParameter);
            (tag == 'O' ? descriptor.owner : descriptor.group) = std::string(value);
        } else if (tag == 'D') {
            descriptor.hasDacl = true;
            if (!ParseAcl(value, descriptor.daclFlags, descriptor.dacl)) return fail(kErrorInvalidAcl);
        } else {
            descriptor.hasSacl = true;
            std::string flags;
            if (!ParseAcl(value, flags, descriptor.sacl)) return fail(kErrorInvalidAcl);
        }
        at = end;
    }
    return descriptor;
}

std::string TrusteeName(std::string_view trustee) {
    for (const Alias& alias : kAliases) {
        if (alias.code == trustee) return std::string(alias.name) + " (" + std::string(alias.code) + ")";
    }
    return std::string(trustee);
}

std::vector<std::string> DescribeSecurity(const SecurityDescriptor& descriptor) {
    std::vector<std::string> lines;
    if (!descriptor.owner.empty()) lines.push_back("owner " + TrusteeName(descriptor.owner));
    if (!descriptor.group.empty()) lines.push_back("group " + TrusteeName(descriptor.group));
    if (descriptor.hasDacl && descriptor.dacl.empty()) lines.push_back("no access for anyone");
    for (const AccessEntry& entry : descriptor.dacl) lines.push_back(Describe(entry));
    return lines;
}

}  // namespace veltra::sim
