#include "msi_log.h"

#include <regex>
#include <sstream>

namespace veltra::e2e {
namespace {

// The log as text: UTF-16LE is narrowed (the lines that matter are ASCII).
std::string LogText(const std::string& bytes) {
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE) {
        return bytes;
    }
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) |
                          static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        text.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return text;
}

}  // namespace

MsiLog ParseMsiLog(const std::string& bytes) {
    static const std::regex ended(R"(^Action ended [0-9:]+: (\S+)\. Return value (-?\d+)\.)");
    static const std::regex property(R"(^Property\([SC]\): (\S+) = (.*)$)");
    MsiLog log;
    std::istringstream lines(LogText(bytes));
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (std::regex_search(line, match, ended)) {
            log.returns[match[1]].push_back(std::stoi(match[2]));
        } else if (std::regex_search(line, match, property)) {
            log.properties[match[1]] = match[2];
        } else if (const auto at = line.find("VeltraAgentCA: "); at != std::string::npos) {
            log.libraryLines.push_back(line.substr(at));
        }
    }
    return log;
}

}  // namespace veltra::e2e
