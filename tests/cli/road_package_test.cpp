// `agentca road --package`: a package author runs a changed package and sees
// what it does wrong before anyone installs it on Windows.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>


#include "cli/roads.h"
#include "cli_runner.h"
#include "support/sim_fixture.h"

namespace veltra::cli {
namespace {

namespace fs = std::filesystem;

class RoadPackage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Agentca({"init", machine.string()}).status, 0);
        fs::copy_file(BenchPackage(), package);
    }
    // Changes the copy of the package with msitools, as an author would
    // with an editor of the tables.
    void Edit(const std::string& sql) {
        std::string quoted;  // inside the shell's double quotes
        for (const char c : sql) {
            if (c == '`' || c == '"' || c == '\\' || c == '$') quoted += '\\';
            quoted += c;
        }
        const std::string command = "msibuild '" + package.string() + "' -q \"" + quoted + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    Outcome Road(const std::string& road) {
        return Agentca({"road", road, "--machine", machine.string(), "--package", package.string()});
    }
    testing::TempDir dir;
    fs::path machine = dir.path() / "machine";
    fs::path package = dir.path() / "changed.msi";
};

TEST_F(RoadPackage, AMalformedConditionStopsTheRoadAndIsNamed) {
    Edit("UPDATE `InstallExecuteSequence` SET `Condition` = '(MustEnableGina = 1' WHERE `Action` = 'EnableGina'");
    const Outcome road = Road("install");
    EXPECT_EQ(road.status, 1) << road.out;
    EXPECT_NE(road.out.find("the condition of EnableGina is malformed"), std::string::npos) << road.out;
    EXPECT_EQ(road.out.find("GinaDLL"), std::string::npos) << "nothing after the bad row runs";
}

TEST_F(RoadPackage, DataPackedWrongShowsWhereItLands) {
    // The GINA's data without its file name: Winlogon would be pointed at a folder.
    Edit("UPDATE `CustomAction` SET `Target` = '[INSTALLDIR]' WHERE `Action` = 'SetEnableGinaData'");
    const Outcome road = Road("install");
    EXPECT_EQ(road.status, 0);
    EXPECT_NE(road.out.find("GinaDLL REG_SZ: (absent) -> \"C:\\Program Files\\Veltra Security\\Veltra "
                            "Authentication Agent\\\""),
              std::string::npos)
        << road.out;
    EXPECT_NE(road.out.find("EnableGina: property CustomActionData = \"C:\\Program Files\\Veltra "
                            "Security\\Veltra Authentication Agent\\\""),
              std::string::npos)
        << "the log shows the data the action got";
}

}  // namespace
}  // namespace veltra::cli
