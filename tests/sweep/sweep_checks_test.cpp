// The sweep's judgement of one run: each rule reports what breaks it and
// nothing else, and what the road's own rules or the injected fault explain
// is not held against it.
#include <gtest/gtest.h>

#include <functional>

#include "cli/sweep.h"

namespace veltra::testing {
namespace {

const std::string kLsa = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Lsa\\Notification Packages";
const std::string kCount = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\C:\\A\\da_svc.exe";

struct Case {
    std::string name;
    std::function<void(cli::SweepBaseline&, cli::SweepRun&)> change;
    std::vector<std::string> rules;  // the rules reported, in order
};

TEST(SweepChecks, EachRuleReportsWhatBreaksIt) {
    const Case cases[] = {
        {"a clean run", [](auto&, auto&) {}, {}},
        {"a list entry lost", [](auto&, cli::SweepRun& r) { r.lists.entries[kLsa] = {"veltrapwdfilt"}; }, {"shared list"}},
        {"a list entry lost, in another case", [](auto&, cli::SweepRun& r) { r.lists.entries[kLsa] = {"SCECLI", "VeltraPwdFilt"}; }, {}},
        {"the list gone", [](auto&, cli::SweepRun& r) { r.lists.entries.erase(kLsa); }, {"shared list", "shared list"}},
        {"an entry the road itself takes out",
         [](cli::SweepBaseline& b, cli::SweepRun& r) {
             b.reference.entries[kLsa] = {"veltrapwdfilt"};
             r.lists.entries[kLsa] = {"veltrapwdfilt"};
         },
         {}},
        {"a list the fault said was absent",
         [](auto&, cli::SweepRun& r) {
             r.lists.entries[kLsa] = {"veltrapwdfilt"};
             r.saidAbsent = kLsa;
         },
         {}},
        {"a count below what was there and what the road leaves",
         [](auto&, cli::SweepRun& r) { r.lists.counts[kCount] = 1; }, {"shared list"}},
        {"a count back where it was (a rollback)", [](auto&, cli::SweepRun& r) { r.lists.counts[kCount] = 2; }, {}},
        {"a secret shown", [](auto&, cli::SweepRun& r) { r.shown += "NodeSecret = node-secret-12\n"; }, {"secret"}},
        {"user exit without a cancel", [](auto&, cli::SweepRun& r) { r.result = 1602; }, {"result"}},
        {"user exit after a cancel",
         [](auto&, cli::SweepRun& r) {
             r.result = 1602;
             r.userCancelled = true;
         },
         {}},
        {"another result", [](auto&, cli::SweepRun& r) { r.result = 259; }, {"result"}},
        {"a loop", [](auto&, cli::SweepRun& r) { r.loop = true; }, {"loop"}},
        {"a rollback that leaves a change",
         [](auto&, cli::SweepRun& r) {
             r.result = 1603;
             r.rolledBack = true;
             r.differences = {"registry value deleted: HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Y"};
         },
         {"rollback"}},
        {"a rollback that leaves an allowed trace after its action",
         [](auto&, cli::SweepRun& r) {
             r.result = 1603;
             r.rolledBack = true;
             r.differences = {"service added: OASVC_Local"};
             r.deferredRan = {"InstallLocalDAService"};
         },
         {}},
        {"the same trace before its action ran",
         [](auto&, cli::SweepRun& r) {
             r.result = 1603;
             r.rolledBack = true;
             r.differences = {"service added: OASVC_Local"};
         },
         {"rollback"}},
        {"another machine's trace",
         [](auto&, cli::SweepRun& r) {
             r.result = 1603;
             r.rolledBack = true;
             r.differences = {"file added: C:\\WINDOWS\\system32\\kvgina.dll_moved"};
         },
         {"rollback"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cli::SweepBaseline baseline;
        baseline.machines = {"*", "plain"};
        baseline.start.entries[kLsa] = {"scecli", "veltrapwdfilt"};
        baseline.start.counts[kCount] = 2;
        baseline.reference = baseline.start;
        baseline.reference.counts[kCount] = 3;
        baseline.secrets = {{"HKEY_LOCAL_MACHINE\\SOFTWARE\\Morvane\\KESHCLIENT\\NodeSecret", "node-secret-12"}};
        cli::SweepRun run;
        run.lists = baseline.reference;
        run.shown = "NodeSecret = ********\n";
        c.change(baseline, run);
        std::vector<std::string> rules;
        for (const cli::Violation& violation : cli::CheckRun(baseline, run)) {
            rules.push_back(violation.rule);
            EXPECT_EQ(violation.detail.find("node-secret-12"), std::string::npos);  // a finding never shows it
        }
        EXPECT_EQ(rules, c.rules);
    }
}

// The lists as the registry holds them: a multi-string's strings, a string's
// ";" parts, SharedDLLs counts of any key of that name.
TEST(SweepChecks, ReadsTheSharedListsOfAnyKey) {
    sim::RegistryTree registry;
    auto set = [&](const std::string& key, const std::string& name, platform::Dword type, const std::string& bytes) {
        registry.CreateKey(key)->SetValue(name, type, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    };
    set("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Lsa", "Notification Packages", platform::kRegMultiSz,
        std::string("scecli\0veltrapwdfilt\0\0", 22));
    set("HKEY_LOCAL_MACHINE\\SYSTEM\\X\\KESHCLIENT", "EventMessageFile", platform::kRegSz, "C:\\a.dll;C:\\b.dll");
    set("HKEY_LOCAL_MACHINE\\SOFTWARE\\Y\\SharedDLLs", "C:\\f.dll", platform::kRegDword, std::string("\x02\x01\0\0", 4));
    set("HKEY_LOCAL_MACHINE\\SOFTWARE\\Y\\Other", "C:\\g.dll", platform::kRegDword, std::string("\x01\0\0\0", 4));
    const cli::SharedLists lists = cli::ReadSharedLists(registry);
    EXPECT_EQ(lists.entries.at("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Lsa\\notification packages"),
              (std::vector<std::string>{"scecli", "veltrapwdfilt"}));
    EXPECT_EQ(lists.entries.at("HKEY_LOCAL_MACHINE\\SYSTEM\\X\\KESHCLIENT\\EventMessageFile"),
              (std::vector<std::string>{"C:\\a.dll", "C:\\b.dll"}));
    EXPECT_EQ(lists.counts.size(), 1u);
    EXPECT_EQ(lists.counts.at("HKEY_LOCAL_MACHINE\\SOFTWARE\\Y\\SharedDLLs\\C:\\f.dll"), 0x102u);
}

}  // namespace
}  // namespace veltra::testing
