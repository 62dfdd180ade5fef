// The parts of a PE file's headers that decide whether msiexec can load the
// library and call its actions, as objdump prints them.
#pragma once

#include <string>
#include <vector>

namespace veltra::pe {

struct PeHeaders {
    std::string fileFormat;            // "pei-i386", "pei-x86-64"
    bool isDll = false;                // the DLL characteristic is set
    std::vector<std::string> imports;  // imported DLL names, as written
    std::vector<std::string> exports;  // exported names, in table order
    std::string osVersion;             // "4.0": the oldest Windows the loader accepts it on
    std::string subsystemVersion;      // "5.2"
    unsigned subsystem = 0;            // 2 Windows GUI, 3 console
};

// Parses the output of `objdump -p`.
PeHeaders ParseObjdump(const std::string& text);

}  // namespace veltra::pe
