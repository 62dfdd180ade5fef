#include "pe_headers.h"

#include <regex>
#include <sstream>

namespace veltra::pe {

PeHeaders ParseObjdump(const std::string& text) {
    static const std::regex format(R"(file format (\S+))");
    static const std::regex characteristics(R"(^Characteristics\s+0x([0-9a-fA-F]+))");
    static const std::regex import(R"(^\s*DLL Name: (\S+))");
    // The export name table: a line "[Ordinal/Name Pointer] Table", then one
    // line "\t[   0] Name" per name (a forwarder would add " >> target").
    static const std::regex exportName(R"(^\s*\[\s*\d+\] (\S+)\s*$)");
    static const std::regex version(R"(^(Major|Minor)(OSystem|Subsystem)Version\s+(\d+))");
    static const std::regex subsystem(R"(^Subsystem\s+([0-9a-fA-F]+))");
    std::string osMajor, osMinor, subMajor, subMinor;

    PeHeaders headers;
    bool inExportNames = false;
    std::istringstream lines(text);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (headers.fileFormat.empty() && std::regex_search(line, match, format)) {
            headers.fileFormat = match[1];
        } else if (std::regex_search(line, match, characteristics)) {
            headers.isDll = (std::stoul(match[1], nullptr, 16) & 0x2000u) != 0;
        } else if (std::regex_search(line, match, version)) {
            std::string& part = match[2] == "OSystem" ? (match[1] == "Major" ? osMajor : osMinor)
                                                      : (match[1] == "Major" ? subMajor : subMinor);
            part = match[3];
        } else if (std::regex_search(line, match, subsystem)) {
            headers.subsystem = static_cast<unsigned>(std::stoul(match[1], nullptr, 16));
        } else if (std::regex_search(line, match, import)) {
            headers.imports.push_back(match[1]);
        } else if (line == "[Ordinal/Name Pointer] Table") {
            inExportNames = true;
        } else if (inExportNames) {
            if (std::regex_search(line, match, exportName)) {
                headers.exports.push_back(match[1]);
            } else {
                inExportNames = false;
            }
        }
    }
    if (!osMajor.empty()) headers.osVersion = osMajor + "." + osMinor;
    if (!subMajor.empty()) headers.subsystemVersion = subMajor + "." + subMinor;
    return headers;
}

}  // namespace veltra::pe
