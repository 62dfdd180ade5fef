// agentca as a user runs it: a real process on real machine folders.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <sstream>

#include "cli_runner.h"
#include "support/sim_fixture.h"

namespace veltra::cli {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every file and folder below a drives/ folder: relative path -> bytes
// ("/" for a folder).
std::map<std::string, std::string> Listing(const fs::path& drives) {
    std::map<std::string, std::string> listing;
    for (const auto& entry : fs::recursive_directory_iterator(drives)) {
        listing[fs::relative(entry.path(), drives).string()] = entry.is_directory() ? "/" : Slurp(entry.path());
    }
    return listing;
}

class Bench : public ::testing::Test {
protected:
    void SetUp() override {
        const Outcome init = Agentca({"init", machine.string()});
        ASSERT_EQ(init.status, 0) << init.out;
    }
    testing::TempDir dir;
    fs::path machine = dir.path() / "machine";
};

TEST_F(Bench, InitWritesAMachineAndRefusesToOverwriteOne) {
    EXPECT_TRUE(fs::exists(machine / "registry.reg"));
    EXPECT_TRUE(fs::exists(machine / "machine.json"));
    EXPECT_TRUE(fs::exists(machine / "drives" / "C" / "WINDOWS" / "system32" / "msgina.dll"));
    const std::string reg = Slurp(machine / "registry.reg");
    ASSERT_GE(reg.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(reg[0]), 0xFF);  // UTF-16LE byte-order mark
    EXPECT_EQ(static_cast<unsigned char>(reg[1]), 0xFE);
    const Outcome again = Agentca({"init", machine.string()});
    EXPECT_EQ(again.status, 2);
    EXPECT_NE(again.out.find("not empty"), std::string::npos);
}

TEST_F(Bench, ActionsListsTheWholeTable) {
    const Outcome list = Agentca({"actions"});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("67 actions"), std::string::npos) << list.out;
}

TEST_F(Bench, UnknownActionsAndBadOptionsAreUsageErrors) {
    EXPECT_EQ(Agentca({"run", "enablegina", "--machine", machine.string()}).status, 2);
    EXPECT_EQ(Agentca({"run", "EnableGina", "--machine", machine.string(), "--answer", "MAYBE"}).status, 2);
    EXPECT_EQ(Agentca({"run", "EnableGina", "--machine", machine.string(), "--set", "NOEQUALS"}).status, 2);
    EXPECT_EQ(Agentca({"run", "EnableGina", "--machine", machine.string(), "--fail", "=5"}).status, 2);
    EXPECT_EQ(Agentca({"run", "EnableGina", "--machine", (dir.path() / "none").string()}).status, 2);
    EXPECT_EQ(Agentca({"frobnicate"}).status, 2);
}

TEST_F(Bench, EnableGinaOnThePlainMachineLinksTheAgentGina) {
    const std::string agent = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\KeshGina.dll";
    const Outcome run = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", agent + ";2", "--json"});
    ASSERT_EQ(run.status, 0) << run.out;
    const auto report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["result"], 0);
    EXPECT_EQ(report["log"].back(), "VeltraAgentCA: EnableGina: returned 0");
    ASSERT_EQ(report["registry"].size(), 1u) << report["registry"].dump(2);
    const auto& change = report["registry"][0];
    EXPECT_EQ(change["key"], "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon");
    EXPECT_EQ(change["name"], "GinaDLL");
    EXPECT_EQ(change["type"], "REG_SZ");
    EXPECT_TRUE(change["before"].is_null());
    EXPECT_EQ(change["after"], agent);
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
    const Outcome disable = Agentca({"run", "DisableGina", "--machine", out.string(), "--data", "2", "--json"});
    ASSERT_EQ(disable.status, 0) << disable.out;
    const auto report = nlohmann::json::parse(disable.out);
    ASSERT_EQ(report["registry"].size(), 1u);
    EXPECT_EQ(report["registry"][0]["change"], "value deleted");
    EXPECT_EQ(Agentca({"run", "DisableGina", "--machine", out.string(), "--out", out.string()}).status, 2);
}

TEST_F(Bench, AnUnscriptedDialogStopsTheRun) {
    // Another product's GINA holds the end of the chain: the conflict question comes up.
    std::ofstream(machine / "drives" / "C" / "WINDOWS" / "system32" / "other.dll") << "MZ";
    // Put other.dll at the end of the chain through a REGEDIT4 file the user writes by hand.
    std::ofstream(machine / "registry.reg", std::ios::binary | std::ios::trunc)
        << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon]\r\n"
        << "\"GinaDLL\"=\"other.dll\"\r\n\r\n";
    const Outcome unanswered = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", "KeshGina.dll;5"});
    EXPECT_EQ(unanswered.status, 3) << unanswered.out;
    EXPECT_NE(unanswered.out.find("has no scripted answer"), std::string::npos) << unanswered.out;
    const Outcome cancelled = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", "KeshGina.dll;5",
                                       "--answer", "CANCEL"});
    EXPECT_EQ(cancelled.status, 1) << cancelled.out;
    EXPECT_NE(cancelled.out.find("returned 1603"), std::string::npos) << cancelled.out;
    EXPECT_NE(cancelled.out.find("File: C:\\WINDOWS\\system32\\other.dll"), std::string::npos) << cancelled.out;
}

TEST_F(Bench, MalformedMachinesNameTheFileAndLine) {
    std::ofstream(machine / "registry.reg", std::ios::binary | std::ios::trunc)
        << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n\"Value\"=dword:xyz\r\n";
    const Outcome reg = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", "x;2"});
    EXPECT_EQ(reg.status, 2);
    EXPECT_NE(reg.out.find("registry.reg:4:"), std::string::npos) << reg.out;

    std::ofstream(machine / "registry.reg", std::ios::binary | std::ios::trunc) << "REGEDIT4\r\n\r\n";
    std::ofstream(machine / "machine.json", std::ios::trunc) << "{\n  \"environment\": {\n    \"SystemRoot\": 5\n  }\n}\n";
    const Outcome json = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", "x;2"});
    EXPECT_EQ(json.status, 2);
    EXPECT_NE(json.out.find("machine.json"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("environment.SystemRoot"), std::string::npos) << json.out;

    std::ofstream(machine / "machine.json", std::ios::trunc) << "{\n  \"environment\": {\n";
    const Outcome broken = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", "x;2"});
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.out.find("machine.json:3"), std::string::npos) << broken.out;

    // Windows cannot hold two names that differ only in case.
    fs::create_directories(machine / "drives" / "C" / "WINDOWS" / "SYSTEM32");
    const Outcome twins = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", "x;2"});
    EXPECT_EQ(twins.status, 2);
    EXPECT_NE(twins.out.find("same name ignoring case"), std::string::npos) << twins.out;
}

TEST_F(Bench, InjectedFailuresReachTheAction) {
    const Outcome run = Agentca({"run", "EnableGina", "--machine", machine.string(), "--data", "KeshGina.dll;2",
                                 "--fail", "RegSetValueExA=5", "--answer", "OK", "--trace"});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("RegSetValueExA("), std::string::npos) << run.out;
}

TEST_F(Bench, TheInstallRoadRunsOnTheSampleMachine) {
    const Outcome road = Agentca({"road", "install", "--machine", machine.string()});
    EXPECT_EQ(road.status, 0) << road.out;
    EXPECT_NE(road.out.find("EnableGina (deferred) -> 0"), std::string::npos) << road.out;
    EXPECT_NE(road.out.find("GinaDLL"), std::string::npos) << road.out;
    EXPECT_EQ(Agentca({"road", "nowhere", "--machine", machine.string()}).status, 2);
}

}  // namespace
}  // namespace veltra::cli
