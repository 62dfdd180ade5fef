#include "msi_log.h"

#include <regex>
#include <sstream>

namespace veltra::e2e {

MsiLog ParseMsiLog(const std::string& bytes) {
    static const std::regex ended(R"(^Action ended [0-9:]+: (\S+)\. Return value (-?\d+)\.)");
    static const std::regex property(R"(^Property\([SC]\): (\S+) = (.*)$)");
    MsiLog log;
    std::istringstream lines(bytes);
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
