// agentca settings: the read-only view of what each settings class loads.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/settings_command.h"
#include "platform/sim/regfile.h"
#include "settings/key_paths.h"
#include "support/sim_fixture.h"

namespace veltra::testing {
namespace {

const std::string kHklm = "HKEY_LOCAL_MACHINE\\";

class SettingsCommandTest : public ::testing::Test {
protected:
    SettingsCommandTest() {
        auto set = [&](const std::string& key, const std::string& name, platform::Dword type,
                       std::vector<std::uint8_t> data) { tree.CreateKey(kHklm + key)->SetValue(name, type, data); };
        set(settings::kRasSettingsKey, "EapMode", platform::kRegDword, {2, 0, 0, 0});
        set(settings::kRasSettingsKey, "ProtocolId", platform::kRegSz, {'1', '7', 0});
        set(std::string(settings::kRasSettingsKey) + "\\15", "FriendlyName", platform::kRegSz,
            {'K', 'e', 's', 'h', ' ', 0xE9, 0});
        set(settings::kGinaSettingsKey, "ReservePassword", platform::kRegBinary, {0xAB, 0xCD, 0xEF, 0x12});
        set(settings::kNetworkSettingsKey, "DomainSecret", platform::kRegBinary, {0x5E, 0xC2, 0xE7});
        set(settings::kNetworkSettingsKey, "Server", platform::kRegDword, {1, 0, 0, 0});
        set(settings::kComponentSettingsKey, "Local Authentication Client", platform::kRegDword, {1, 0, 0, 0});
        set(settings::kAgentCommonKey, "InstallPath", platform::kRegSz, {'C', ':', '\\', 0});
        WriteMachine();
    }

    void WriteMachine() {
        const auto bytes = sim::WriteRegFile(tree, sim::RegFormat::Version5);
        std::ofstream(folder.path() / "registry.reg", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    // Runs "settings ARGS..." in process and returns its standard output.
    std::string Run(std::vector<std::string> args) {
        CLI::App app;
        cli::RegisterSettingsCommand(app);
        args.insert(args.begin(), "settings");
        std::vector<const char*> argv = {"agentca"};
        for (const auto& arg : args) argv.push_back(arg.c_str());
        ::testing::internal::CaptureStdout();
        try {
            app.parse(static_cast<int>(argv.size()), const_cast<char**>(argv.data()));
        } catch (...) {
            ::testing::internal::GetCapturedStdout();
            throw;
        }
        return ::testing::internal::GetCapturedStdout();
    }

    sim::RegistryTree tree;
    TempDir folder;
};

// Name, type and value grouped by key; a value not read is marked; secrets
// are masked, read or not.
TEST_F(SettingsCommandTest, TextShowsEachValueUnderItsKeyWithSecretsMasked) {
    EXPECT_EQ(Run({"--machine", folder.path().string(), "RasSettings"}).find("GinaSettings"), std::string::npos);
    const std::string out = Run({"--machine", folder.path().string()});
    for (const char* hex : {"ab cd", "5e c2"}) EXPECT_EQ(out.find(hex), std::string::npos) << hex;
    for (const std::string& line : {
             "RasSettings\n  HKEY_LOCAL_MACHINE\\" + std::string(settings::kRasSettingsKey) + "\n",
             std::string("    EapMode                               REG_DWORD         2\n"),
             std::string("    ProtocolId                            REG_SZ (decimal)  17\n"),
             std::string("    BannerEnabled                         REG_SZ (decimal)  0  (not read)\n"),
             std::string("\\KVRAS\\15\n    FriendlyName                          REG_SZ            \"Kesh \xC3\xA9\"\n"),
             std::string("    ReservePassword                       REG_BINARY        ********\n"),
             std::string("    DCKey                                 REG_BINARY        ********  (not read)\n"),
         }) {
        EXPECT_NE(out.find(line), std::string::npos) << line;
    }
}

TEST_F(SettingsCommandTest, JsonListsEveryClassAndValue) {
    const auto document = nlohmann::json::parse(Run({"--machine", folder.path().string(), "--json"}));
    const auto& classes = document.at("classes");
    ASSERT_EQ(classes.size(), 6u);
    std::vector<std::string> names;
    for (const auto& view : classes) names.push_back(view.at("class"));
    EXPECT_EQ(names, (std::vector<std::string>{"RasSettings", "GinaSettings", "NetworkSettings", "ClientSettings",
                                               "TraceSettings", "ComponentSettings"}));
    EXPECT_EQ(classes[0].at("values").size(), 36u);
    EXPECT_EQ(classes[1].at("values").size(), 17u);  // "IsDac" once
    EXPECT_EQ(classes[2].at("values").size(), 41u);
    const auto find = [&](std::size_t view, const std::string& name) {
        for (const auto& value : classes[view].at("values")) {
            if (value.at("name") == name) return value;
        }
        return nlohmann::json();
    };
    EXPECT_EQ(find(0, "EapMode").at("value"), 2);
    EXPECT_EQ(find(2, "DomainSecret").at("value"), "********");
    EXPECT_EQ(find(1, "AllowLocalAuth").at("key"), kHklm + settings::kNetworkSettingsKey);
    EXPECT_EQ(find(3, "PrimaryInterfaceIP").at("read"), false);
    EXPECT_EQ(find(5, "Local Authentication Client").at("value"), 1);
}

TEST_F(SettingsCommandTest, AnUnknownClassOrMachineIsAUsageError) {
    EXPECT_THROW(Run({"--machine", folder.path().string(), "KeshSettings"}), CLI::ValidationError);
    EXPECT_THROW(Run({"--machine", (folder.path() / "missing").string()}), CLI::ValidationError);
    EXPECT_THROW(Run({"RasSettings"}), CLI::RequiredError);
}

TEST_F(SettingsCommandTest, TheMachineFolderIsNotChanged) {
    const auto before = sim::WriteRegFile(tree, sim::RegFormat::Version5);
    Run({"--machine", folder.path().string()});
    std::ifstream in(folder.path() / "registry.reg", std::ios::binary);
    const std::vector<std::uint8_t> after((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(after, before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
}  // namespace veltra::testing
