// SetupINSTALLDIR and SetupDAYFILE_INSTALLDIRS: the folders an earlier
// installation recorded win over the defaults, key by key.
#include <map>

#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

const std::string kAgent = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\";
const std::string kCommon = kAgent + "Common", kLocal = kAgent + "Local\\OASVC", kDomain = kAgent + "Domain\\OASVC",
                  kHost = kAgent + "DomainHost\\OASVC";
const std::string kAppData = "C:\\All Users\\Application Data\\", kChosen = "C:\\Chosen\\", kEarlier = "D:\\Agent\\";
const std::string kSysvol = "C:\\WINDOWS\\SYSVOL\\sysvol\\corp.example\\";

struct FolderCase {
    std::string label;
    bool installed;
    std::map<std::string, std::optional<std::string>> keys;  // key -> its folder value; nullopt: the key alone
    std::optional<std::string> dnsDomain;
    std::string installDir, localRoot, globalRoot;
};

void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.label; }

class InstallFolders : public SimFixture, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(InstallFolders, FollowTheEarlierInstallationOrTheDefaults) {
    const FolderCase& c = GetParam();
    for (const auto& [key, value] : c.keys) {
        machine.registry.CreateKey(key);
        if (value) SetString(key, key == kCommon ? "InstallPath" : "DayfileDirRoot", *value);
    }
    if (c.dnsDomain) machine.environment["USERDNSDOMAIN"] = *c.dnsDomain;
    if (c.installed) SetProperty("Installed", "1");
    for (const auto& [name, value] : std::map<std::string, std::string>{
             {"INSTALLDIR", kChosen}, {"SystemFolder", "C:\\WINDOWS\\system32\\"},
             {"WindowsFolder", "C:\\WINDOWS\\"}, {"CommonAppDataFolder", kAppData}}) {
        SetProperty(name, value);
    }

    EXPECT_EQ(Run("SetupINSTALLDIR"), 0u);
    EXPECT_EQ(Run("SetupDAYFILE_INSTALLDIRS"), 0u);

    EXPECT_EQ(Property("INSTALLDIR"), c.installDir);
    EXPECT_EQ(Property("INSTALLDIR_SYS32"), "C:\\WINDOWS\\system32\\");
    EXPECT_EQ(Property("DAYFILE_LOCAL_ROOT"), c.localRoot);
    EXPECT_EQ(Property("DAYFILE_GLOBAL_ROOT"), c.globalRoot);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallFolders,
    ::testing::Values(
        FolderCase{"first_installation_keeps_the_chosen_folder", false,
                   {{kCommon, kEarlier}, {kLocal, "E:\\Days\\"}, {kHost, "F:\\Global\\"}}, "corp.example", kChosen,
                   "E:\\Days\\", "F:\\Global\\"},
        FolderCase{"maintenance_takes_the_recorded_folder", true, {{kCommon, kEarlier}}, "corp.example", kEarlier,
                   kAppData, kSysvol},
        FolderCase{"maintenance_without_the_value_keeps_the_folder", true, {{kCommon, {}}}, "corp.example", kChosen,
                   kAppData, kSysvol},
        FolderCase{"only_the_domain_key", false, {{kDomain, "E:\\Domain\\"}}, "corp.example", kChosen, "E:\\Domain\\",
                   kSysvol},
        FolderCase{"local_key_without_the_value_hides_the_domain_key", false,
                   {{kLocal, {}}, {kDomain, "E:\\Domain\\"}}, "corp.example", kChosen, kAppData, kSysvol},
        FolderCase{"domain_host_without_the_value", false, {{kHost, {}}}, "corp.example", kChosen, kAppData, kSysvol},
        FolderCase{"no_dns_domain", false, {}, std::nullopt, kChosen, kAppData, "C:\\WINDOWS\\SYSVOL\\sysvol\\\\"}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.label; });

}  // namespace
}  // namespace veltra::testing
