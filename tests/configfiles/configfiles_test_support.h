// What the server-file tests share: the usual folders, and the two server-file
// families as the wizard and the package know them.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "support/sim_fixture.h"

namespace veltra::testing {

inline constexpr platform::Dword kWarningStyle = 0x00010030;  // immediate checks
inline constexpr platform::Dword kServiceErrorStyle = 0x00200010;  // copies

inline const std::string kSourceDir = "D:\\Package\\";
inline const std::string kPackageFolder = "D:\\Package\\SilentInstallPackage\\";
inline const std::string kTempFolder = "C:\\Temp\\";
inline const std::string kSystemFolder = "C:\\WINDOWS\\system32\\";
inline const std::string kInstallDir = "C:\\Program Files\\Veltra\\";
inline const std::string kRepository = "C:\\Program Files\\Veltra\\VeltraKeshAgentRepository\\";
inline const char* const kCertProperty = "CERT_PATH.5B8A2E71_C4D9_4A36_B0F2_7D1E9C3A6F58";

// One server file as the package and the wizard see it.
struct Family {
    std::string label;
    std::string fileName;
    std::string pathProperty, sourceProperty, okProperty, copyStateProperty;
    std::string destinationProperty, dataProperty;
    std::string checkAction, silentCheckAction, copyStateAction, browseAction;
    std::string setDeferredAction, copyAction;
    std::string nameMessage, missingText, systemText, directoryText;
    std::string browseTitle, nameInFolder;
    std::vector<std::pair<std::string, std::string>> filter;
    std::vector<std::string> keepMarkers, otherMarkers;
    std::string packageFailure, installFailure;
};

inline void PrintTo(const Family& family, std::ostream* out) { *out << family.label; }

const Family& KvconfFamily();
const Family& KvrootFamily();
std::string PrintFamily(const ::testing::TestParamInfo<Family>& info);

// The fixture with the usual installer folders.
class ConfigFilesTest : public SimFixture {
protected:
    ConfigFilesTest();
};

}  // namespace veltra::testing
