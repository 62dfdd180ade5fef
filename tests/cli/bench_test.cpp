// agentca as a user runs it: a real process on real machine folders: exit
// codes, the report's shape and scripted answers (what the actions do to a
// chain is the GINA tests' own).
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <map>

#include "cli_runner.h"
#include "support/sim_fixture.h"

namespace veltra::cli {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file and folder below a drives/ folder: relative path -> bytes ("/" for a folder).
std::map<std::string, std::string> Listing(const fs::path& drives) {
    std::map<std::string, std::string> listing;
    for (const auto& entry : fs::recursive_directory_iterator(drives)) {
        listing[fs::relative(entry.path(), drives).string()] = entry.is_directory() ? "/" : Slurp(entry.path());
    }
    return listing;
}

class Bench : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Agentca({"init", machine.string()}).status, 0); }
    testing::TempDir dir;
    fs::path machine = dir.path() / "machine";
};

TEST_F(Bench, CommandsAnswerWithTheirStatusAndReport) {
    EXPECT_EQ(Slurp(machine / "registry.reg").substr(0, 2), "\xFF\xFE");  // init writes UTF-16LE
    const std::string m = machine.string(), folders = std::string(VELTRA_TESTS_DIR) + "/machines/";
    const std::pair<std::vector<std::string>, std::pair<int, std::string>> cases[] = {
        {{"actions"}, {0, "67 actions"}},
        {{"init", m}, {2, "not empty"}},
        {{"run", "enablegina", "--machine", m}, {2, ""}},
        {{"run", "EnableGina", "--machine", m, "--answer", "MAYBE"}, {2, ""}},
        {{"run", "EnableGina", "--machine", m, "--set", "NOEQUALS"}, {2, ""}},
        {{"run", "EnableGina", "--machine", m, "--fail", "=5"}, {2, ""}},
        {{"run", "EnableGina", "--machine", (dir.path() / "none").string()}, {2, ""}},
        {{"frobnicate"}, {2, ""}},
        {{"road", "nowhere", "--machine", m}, {2, ""}},
        {{"road", "install", "--machine", m, "--package", m + "/registry.reg"}, {2, "not a Windows Installer package"}},
        {{"run", "EnableGina", "--machine", m, "--data", "KeshGina.dll;2", "--fail", "RegSetValueExA=5", "--answer",
          "OK", "--trace"},
         {1, "RegSetValueExA("}},
        {{"road", "install", "--machine", m}, {0, "EnableGina (deferred) -> 0"}},
        // A hand-written machine whose chain asks a question nobody scripted.
        {{"run", "EnableGina", "--machine", folders + "gina-other-product", "--data", "KeshGina.dll;5"},
         {3, "has no scripted answer"}},
    };
    for (const auto& [arguments, expected] : cases) {
        const Outcome outcome = Agentca(arguments);
        EXPECT_EQ(outcome.status, expected.first) << ::testing::PrintToString(arguments) << "\n" << outcome.out;
        EXPECT_NE(outcome.out.find(expected.second), std::string::npos) << outcome.out;
    }
}

TEST_F(Bench, EnableGinaOnThePlainMachineLinksTheAgentGina) {
    const std::string agent = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\KeshGina.dll";
    const Outcome run = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", agent + ";2", "--json"});
    ASSERT_EQ(run.status, 0) << run.out;
    const auto report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["log"].back(), "VeltraAgentCA: EnableGina: returned 0");
    EXPECT_EQ(report["registry"],
              nlohmann::json::array({{{"change", "value added"},
                                      {"key", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"},
                                      {"name", "GinaDLL"}, {"type", "REG_SZ"}, {"before", nullptr}, {"after", agent}}}));
    EXPECT_TRUE(report["properties"].empty()) << "the deferred data is not a change of the session";
}

TEST_F(Bench, TheInputFolderIsNeverChangedAndOutHoldsTheResult) {
    fs::create_directories(machine / "drives" / "C" / "Empty Folder");
    std::ofstream(machine / "drives" / "C" / "MixedCase.BIN", std::ios::binary) << std::string("a\0\xff\r\n", 5);
    const std::string before = Slurp(machine / "registry.reg");
    const auto drives = Listing(machine / "drives");
    const fs::path out = dir.path() / "after";
    const Outcome run = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", "KeshGina.dll;2",
                                 "--out", out.string()});
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("\nLog\n  VeltraAgentCA: EnableGina: start (deferred)\n"), std::string::npos)
        << "the text report shows the log without --trace";
    EXPECT_EQ(Slurp(machine / "registry.reg"), before);
    EXPECT_EQ(Listing(machine / "drives"), drives);
    EXPECT_EQ(Listing(out / "drives"), drives) << "the files go out as they came in";
    // The result is itself a machine: disabling on it takes the GINA out again.
    const Outcome disable = Agentca({"run", "DisableGina", "--machine", out.string(), "--data", "2"});
    EXPECT_EQ(disable.status, 0) << disable.out;
    EXPECT_NE(disable.out.find("GinaDLL REG_SZ: \"KeshGina.dll\" -> (absent)"), std::string::npos) << disable.out;
    EXPECT_EQ(Agentca({"run", "DisableGina", "--machine", out.string(), "--out", out.string()}).status, 2);
}

TEST_F(Bench, MalformedMachinesNameTheFileAndLine) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"registry.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n\"Value\"=dword:xyz\r\n", "registry.reg:4:"},
        {"machine.json", "{\n  \"environment\": {\n    \"SystemRoot\": 5\n  }\n}\n", "environment.SystemRoot"},
        {"machine.json", "{\n  \"environment\": {\n", "machine.json:3"},
        // Windows cannot hold two names that differ only in case.
        {"drives/C/WINDOWS/SYSTEM32/", "", "same name ignoring case"},
    };
    for (const auto& [file, content, shown] : cases) {
        const std::string original = content.empty() ? "" : Slurp(machine / file);
        if (content.empty()) fs::create_directories(machine / file);
        if (!content.empty()) std::ofstream(machine / file, std::ios::binary | std::ios::trunc) << content;
        const Outcome run = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", "x;2"});
        EXPECT_EQ(run.status, 2) << run.out;
        EXPECT_NE(run.out.find(shown), std::string::npos) << run.out;
        if (!content.empty()) std::ofstream(machine / file, std::ios::binary | std::ios::trunc) << original;
    }
}

}  // namespace
}  // namespace veltra::cli
