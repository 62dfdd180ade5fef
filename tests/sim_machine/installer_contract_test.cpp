// The simulated session against the Windows Installer contract it models.
#include <gtest/gtest.h>

#include <cstring>

#include "support/sim_fixture.h"

namespace veltra::sim {
namespace {

class InstallerContract : public testing::SimFixture {
protected:
    platform::Installer& installer() { return sim.platform().installer; }
};

struct BufferCase {
    const char* value;
    platform::Dword capacity;
    platform::Dword expectedResult;
    platform::Dword expectedLength;
    const char* expectedBuffer;
};

class PropertyBuffers : public InstallerContract, public ::testing::WithParamInterface<BufferCase> {};

TEST_P(PropertyBuffers, FollowTheLengthProtocol) {
    const BufferCase& c = GetParam();
    SetProperty("Name", c.value);
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    platform::Dword length = c.capacity;
    EXPECT_EQ(installer().GetProperty("Name", buffer, &length), c.expectedResult);
    EXPECT_EQ(length, c.expectedLength);
    if (c.capacity > 0) {
        EXPECT_STREQ(buffer, c.expectedBuffer);
    } else {
        EXPECT_EQ(buffer[0], '#') << "a zero-length buffer is not touched";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Capacities, PropertyBuffers,
    // Windows, from a custom action: a value that does not fit is cut and
    // terminated, and its needed length comes in bytes (twice "four").
    ::testing::Values(BufferCase{"four", 0, 234, 8, ""},       // the size query
                      BufferCase{"four", 4, 234, 8, "fou"},    // one short: cut and terminated
                      BufferCase{"four", 5, 0, 4, "four"},     // exact
                      BufferCase{"", 0, 234, 0, ""}));         // even "" needs room for its terminator

TEST_F(InstallerContract, AnUndefinedPropertyReadsAsEmptyAndNamesAreCaseSensitive) {
    SetProperty("INSTALLDIR", "C:\\A\\");
    char buffer[8] = "junk";
    platform::Dword length = sizeof buffer;
    EXPECT_EQ(installer().GetProperty("InstallDir", buffer, &length), 0u);
    EXPECT_EQ(length, 0u);
    EXPECT_STREQ(buffer, "");
}

TEST_F(InstallerContract, SettingEmptyDeletesTheProperty) {
    SetProperty("P", "x");
    EXPECT_EQ(installer().SetProperty("P", ""), 0u);
    EXPECT_EQ(machine.session.properties.count("P"), 0u);
}

TEST_F(InstallerContract, ADeferredActionSeesOnlyItsDataAndTheInstallerDefinedProperties) {
    SetProperty("INSTALLDIR", "C:\\A\\");
    SetProperty("ProductCode", "{P}");
    SetProperty("UserSID", "S-1-5-18");
    SetProperty("CustomActionData", "data");
    machine.session.deferred = true;
    for (const auto& [name, expected] : std::vector<std::pair<const char*, const char*>>{
             {"INSTALLDIR", ""}, {"ProductCode", "{P}"}, {"UserSID", "S-1-5-18"}, {"CustomActionData", "data"}}) {
        char buffer[32];
        platform::Dword length = sizeof buffer;
        EXPECT_EQ(installer().GetProperty(name, buffer, &length), 0u) << name;
        EXPECT_STREQ(buffer, expected) << name;
    }
    EXPECT_NE(installer().SetProperty("X", "1"), 0u);
    EXPECT_EQ(machine.session.properties.count("X"), 0u);
    machine.session.targetPaths["INSTALLDIR"] = "C:\\A\\";
    char buffer[32];
    platform::Dword length = sizeof buffer;
    EXPECT_NE(installer().GetTargetPath("INSTALLDIR", buffer, &length), 0u);
}

TEST_F(InstallerContract, FeatureStatesArePerProduct) {
    machine.session.featureStates["{A}"]["LocalAuthClient"] = platform::kInstallStateLocal;
    EXPECT_EQ(installer().QueryFeatureState("{A}", "LocalAuthClient"), platform::kInstallStateLocal);
    EXPECT_EQ(installer().QueryFeatureState("{B}", "LocalAuthClient"), platform::kInstallStateUnknown);
    EXPECT_EQ(installer().QueryFeatureState("{A}", "Autoreg"), platform::kInstallStateUnknown);
}

TEST_F(InstallerContract, ANullBufferGetsTheLengthAndSuccess) {
    SetProperty("Name", "four");
    platform::Dword length = 0;
    EXPECT_EQ(installer().GetProperty("Name", nullptr, &length), 0u);
    EXPECT_EQ(length, 8u);
    char buffer[4];
    EXPECT_EQ(installer().GetProperty("Name", buffer, nullptr), 87u);
}

TEST_F(InstallerContract, ProductInfoOfAnUnknownProductIsAnError) {
    machine.session.products["{A}"]["InstallLocation"] = "C:\\A\\";
    char buffer[32];
    platform::Dword length = sizeof buffer;
    EXPECT_EQ(installer().GetProductInfo("{B}", "InstallLocation", buffer, &length), 1605u);
    length = sizeof buffer;
    EXPECT_EQ(installer().GetProductInfo("{A}", "Other", buffer, &length), 1608u);
    length = sizeof buffer;
    EXPECT_EQ(installer().GetProductInfo("{A}", "InstallLocation", buffer, &length), 0u);
    EXPECT_STREQ(buffer, "C:\\A\\");
    length = 2;  // not a session call: the length stays in characters
    EXPECT_EQ(installer().GetProductInfo("{A}", "InstallLocation", buffer, &length), 234u);
    EXPECT_EQ(length, 5u);
    EXPECT_STREQ(buffer, "C");
}

}  // namespace
}  // namespace veltra::sim
