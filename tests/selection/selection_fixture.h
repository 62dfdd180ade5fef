// A simulated machine with an installed-or-not agent product, its day-file
// roots and removal markers.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/installer.h"
#include "support/sim_fixture.h"

namespace veltra::testing {

inline constexpr const char* kProduct = "{6F3C2A10-0B1E-4C55-9A7D-2E8B51C0D4A7}";
inline constexpr const char* kOtherProduct = "{0D1B2C3A-4E5F-4071-8293-A4B5C6D7E8F9}";
inline constexpr const char* kSystemFolder = "C:\\WINDOWS\\system32\\";
inline constexpr const char* kVolatile = "HKEY_CURRENT_USER\\Volatile Environment";

inline constexpr const char* kLocalKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Local\\OASVC";
inline constexpr const char* kDomainKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Domain\\OASVC";
inline constexpr const char* kHostKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\DomainHost\\OASVC";

inline constexpr const char* kLocalRoot = "C:\\VeltraDayFiles\\Local\\";
inline constexpr const char* kDomainRoot = "C:\\VeltraDayFiles\\DomainClient\\";
inline constexpr const char* kHostRoot = "D:\\Dayfiles\\DomainHost\\";

class SelectionTest : public SimFixture {
protected:
    SelectionTest() {
        SetProperty("ProductCode", kProduct);
        SetProperty("SystemFolder", kSystemFolder);
        machine.registry.CreateKey(kVolatile);
    }

    void Install(std::initializer_list<const char*> features,
                 int state = platform::kInstallStateLocal) {
        for (const char* feature : features) machine.session.featureStates[kProduct][feature] = state;
    }

    void SetDayfileRoots() {
        SetString(kLocalKey, "DayfileDirRoot", kLocalRoot);
        SetString(kDomainKey, "DayfileDirRoot", kDomainRoot);
        SetString(kHostKey, "DayfileDirRoot", kHostRoot);
    }

    bool HasProperty(const std::string& name) const {
        return machine.session.properties.count(name) != 0;
    }

    std::optional<sim::RegValue> Marker(const std::string& prefix,
                                        const std::string& product = kProduct) const {
        return GetValue(kVolatile, prefix + product);
    }

    // A marker as written: REG_SZ, the path and zeros to 260 bytes.
    static sim::RegValue ExpectedMarker(const std::string& prefix, const std::string& path,
                                        const std::string& product = kProduct) {
        std::vector<std::uint8_t> data(260, 0);
        std::copy(path.begin(), path.end(), data.begin());
        return sim::RegValue{prefix + product, platform::kRegSz, data};
    }
};

}  // namespace veltra::testing
