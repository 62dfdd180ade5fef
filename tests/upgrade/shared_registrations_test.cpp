// The shared registrations: shared lists are never cut short or rewritten
// blind, counts and obsolete keys follow the components.
#include <algorithm>
#include <functional>
#include <optional>

#include "cli/machine_folder.h"
#include "cli/report.h"
#include "platform/sim/regfile.h"
#include "support/sim_fixture.h"
#include "upgrade/library_search_paths.h"
#include "upgrade/shared_registrations.h"

namespace veltra::testing {
namespace {

using List = std::optional<std::vector<std::string>>;
const std::string kHklm = "HKEY_LOCAL_MACHINE\\";
const std::string kLsa = kHklm + "SYSTEM\\CurrentControlSet\\Control\\Lsa";
const std::string kPackages = kLsa + "\\Notification Packages";
const std::string kMaker = kHklm + "SOFTWARE\\Veltra Security";
const std::string kEventLog = kHklm + "SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\KESHCLIENT";
const std::string kShared = kHklm + "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const std::string kAgent = kMaker + "\\Veltra Authentication Agent\\CurrentVersion";
const std::string kSys = "C:\\WINDOWS\\system32\\";
const std::string kI = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\";
const std::string kF = "C:\\Program Files\\Common Files\\Veltra\\Framework\\";
const std::string kB = "C:\\Program Files\\Common Files\\Veltra\\BackendUI\\";

std::vector<std::uint8_t> Bytes(const std::vector<std::string>& entries) {
    std::vector<std::uint8_t> data;
    for (const auto& e : entries) data.insert(data.end(), e.c_str(), e.c_str() + e.size() + 1);
    data.push_back(0);
    return data;
}

// About 4 KB of other products' entries.
std::vector<std::string> LongList() {
    std::vector<std::string> list;
    for (int i = 0; i < 200; ++i) list.push_back("sibling" + std::to_string(1000000000000 + i));
    return list;
}
std::vector<std::string> Plus(std::vector<std::string> list, std::initializer_list<std::string> more) {
    list.insert(list.end(), more);
    return list;
}

class SharedLists : public SimFixture {
protected:
    void Check(const std::string& key, const std::string& name, const List& before, const char* fault,
               const List& after, const std::function<void()>& run) {
        machine.registry.DeleteKeyTree(key);
        machine.registry.CreateKey(key);
        if (before) machine.registry.CreateKey(key)->SetValue(name, platform::kRegMultiSz, Bytes(*before));
        if (fault) machine.faults.Add(*sim::ParseFaultRule(fault, nullptr));
        run();
        machine.faults = {};
        const auto value = GetValue(key, name);
        ASSERT_EQ(value.has_value(), after.has_value());
        if (after) {
            EXPECT_EQ(value->data, Bytes(*after));
            EXPECT_EQ(value->type, platform::kRegMultiSz);
        }
    }
};

TEST_F(SharedLists, NotificationPackagesHoldTheFilterOnceAndLastWhileItsDllExists) {
    const std::string readFault = "RegQueryValueExA:" + kPackages;
    const struct {
        List before;
        bool filter;
        std::string fault;
        List after;
    } cases[] = {
        {{{"veltrapwdfilt", "scecli", "rassfm"}}, true, "", {{"scecli", "rassfm", "veltrapwdfilt"}}},
        {{{"scecli", "VeltraPwdFilt", "rassfm", "veltrapwdfilt"}}, false, "", {{"scecli", "rassfm"}}},
        {{{"scecli", "veltrapwdfilt"}}, true, "", {{"scecli", "veltrapwdfilt"}}},
        {LongList(), true, "", Plus(LongList(), {"veltrapwdfilt"})},
        {Plus(LongList(), {"veltrapwdfilt", "last"}), false, "", Plus(LongList(), {"last"})},
        {LongList(), true, readFault, LongList()},         // the size cannot be read
        {LongList(), false, readFault + "#2", LongList()},  // the data cannot be read
        {std::nullopt, false, "", {{}}},                    // an absent list is written, empty
        {std::nullopt, true, "", {{"veltrapwdfilt"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault + (c.filter ? " filter" : " no filter"));
        if (c.filter) PutFile(kSys + "veltrapwdfilt.dll");
        Check(kLsa, "Notification Packages", c.before, c.fault.empty() ? nullptr : c.fault.c_str(), c.after,
              [&] { upgrade::UpdateLsaNotificationPackages(sim.platform(), kSys); });
        machine.drives = {};
    }
}

TEST_F(SharedLists, LibrarySearchPathsHoldTheAgentFolderOnlyWhileItIsInstalled) {
    const std::string lower = "c:\\program files\\veltra security\\veltra authentication agent\\";
    const struct {
        List before;
        bool agent;
        List after;
    } cases[] = {
        {{{"C:\\Sib\\", kI, kF}}, true, {{"C:\\Sib\\", kF, kI, kB}}},
        {{{"C:\\Sib\\", lower, kF, kB}}, false, {{"C:\\Sib\\", kF, kB}}},  // the shared folders stay
        {LongList(), true, Plus(LongList(), {kI, kF, kB})},
        {{{kF, kI, "C:\\Sib\\", kB}}, true, {{kF, "C:\\Sib\\", kB, kI}}},  // the agent's folder moves last
        {{{kI, kF, lower, kB}}, true, {{kF, kB, kI}}},                        // twice: once, at the end
    };
    for (const auto& c : cases) {
        if (c.agent) PutFile(kI + "VeltraKeshAgentRepository\\VeltraKeshAgentInstalled.txt");
        Check(kMaker, "LibrarySearchPaths", c.before, nullptr, c.after,
              [&] { upgrade::UpdateLibrarySearchPaths(sim.platform(), kI, kF, kB); });
        machine.drives = {};
    }
    Check(kMaker, "LibrarySearchPaths", LongList(), ("RegQueryValueExA:" + kMaker + "\\LibrarySearchPaths").c_str(),
          LongList(), [&] { upgrade::UpdateLibrarySearchPaths(sim.platform(), kI, kF, kB); });
}

TEST_F(SharedLists, EventMessageFileNamesTheCommonEventsOnlyWhileTheAgentIsInstalled) {
    const std::string own = "C:\\WINDOWS\\system32\\keshclnt.dll";
    const std::string common = ";C:\\Shared\\CommonLogEvents.dll";
    const std::string longOwn = "C:\\" + std::string(300, 'k') + "\\keshclnt.dll";
    const struct {
        std::string before;
        platform::Dword type;
        bool agent;
        std::string after;
        platform::Dword count;
    } cases[] = {
        {own, platform::kRegSz, true, own + common, 12},
        {own + common, platform::kRegSz, true, own + common, 12},  // extended once only
        {own + ";a.dll" + common, platform::kRegSz, false, own + ";a.dll", 9},
        {own, platform::kRegSz, false, own, 9},
        {longOwn, platform::kRegSz, true, longOwn + common, 12},
        {"%SystemRoot%\\k.dll", platform::kRegExpandSz, true, "%SystemRoot%\\k.dll" + common, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        if (c.agent) PutFile(kI + "VeltraKeshAgentRepository\\VeltraKeshAgentInstalled.txt");
        SetString(kEventLog, "EventMessageFile", c.before, c.type);
        SetDword(kEventLog, "CategoryCount", 3);
        upgrade::UpdateEventLogSource(sim.platform(), kI, "C:\\Shared\\");
        EXPECT_EQ(GetString(kEventLog, "EventMessageFile"), c.after);
        // Written back as REG_SZ, whatever it was; an unchanged value keeps its type.
        EXPECT_EQ(GetValue(kEventLog, "EventMessageFile")->type, c.after == c.before ? c.type : platform::kRegSz);
        EXPECT_EQ(GetDword(kEventLog, "CategoryCount"), c.count);
        machine.drives = {};
    }
    machine.registry.FindKey(kEventLog)->DeleteValue("CategoryCount");
    upgrade::UpdateEventLogSource(sim.platform(), kI, "C:\\Shared\\");
    EXPECT_FALSE(GetValue(kEventLog, "CategoryCount"));  // only an existing count is set
}

TEST_F(SharedLists, FirstInstallationCountsFollowComponentsAgentsAndServers) {
    using C = upgrade::AgentComponents;
    const struct {
        C components;
        int otherAgents;
        bool server, adminTool;
        // kveap, kvagentrt/kvui, kvtest, keshclnt, kvmsg
        platform::Dword eap, agentrt, test, clnt, msg;
    } cases[] = {
        {C{true, false, false, false, false}, 1, true, false, 0, 2, 2, 3, 3},
        {C{false, false, false, true, false}, 0, false, false, 1, 1, 0, 0, 1},
        {C{false, true, false, false, false}, 0, true, true, 0, 1, 1, 1, 3},
        {C{false, true, false, true, true}, 2, false, true, 1, 3, 3, 3, 4},
        {C{false, false, false, false, false}, 0, false, false, 0, 1, 1, 1, 1},
    };
    for (const auto& c : cases) {
        machine.registry.DeleteKeyTree(kHklm + "SOFTWARE");
        SetDword(kHklm + "SOFTWARE\\VeltraKeshAgents\\WINDOWS", "x", 1);  // the agent's own entry
        for (int i = 0; i < c.otherAgents; ++i) SetDword(kHklm + "SOFTWARE\\VeltraKeshAgents\\A" + std::to_string(i), "x", 1);
        if (c.server) SetDword(kHklm + "SOFTWARE\\Morvane\\KESHSERVER", "x", 1);
        if (c.adminTool) SetDword(kMaker + "\\KVCATOOL", "x", 1);
        for (const char* retired : {"kvbstop.exe", "kvgina.dll", "kvras.dll", "kvconf.rec", "kvcontrl.cpl"}) SetDword(kShared, kSys + retired, 4);
        SetDword(kShared, "C:\\WINDOWS\\Help\\kvcontrl.GID", 4);
        upgrade::SharedRegistrationInputs in{kSys, "C:\\WINDOWS\\Help\\", kI, kF, kB, "C:\\S\\", true, c.components};
        upgrade::SetSharedFileCounts(sim.platform(), in, upgrade::ProbeServerProducts(sim.platform()),
                                     upgrade::CountRegisteredAgents(sim.platform()));
        const std::vector<std::optional<platform::Dword>> counts = {
            GetDword(kShared, kSys + "kveap.dll"), GetDword(kShared, kSys + "kvagentrt.dll"), GetDword(kShared, kSys + "kvui.dll"),
            GetDword(kShared, kSys + "kvtest.exe"), GetDword(kShared, kSys + "keshclnt.dll"), GetDword(kShared, kSys + "kvmsg.dll")};
        EXPECT_EQ(counts, (std::vector<std::optional<platform::Dword>>{c.eap, c.agentrt, c.agentrt, c.test, c.clnt, c.msg}))
            << "case with " << c.otherAgents << " other agents";
        EXPECT_EQ(machine.registry.FindKey(kShared)->values().size(), 6u);  // every retired count gone
    }
}

TEST_F(SharedLists, ObsoleteKeysGoWithTheirComponentsAndTheFirstSettingsKeyThatOpens) {
    const std::string legacy = kHklm + "SOFTWARE\\Morvane\\";
    const std::string own = kAgent + "\\Settings\\";
    const std::string eap = kHklm + "SYSTEM\\CurrentControlSet\\Services\\RasMan\\PPP\\EAP\\";
    const std::vector<std::pair<std::string, std::string>> keys = {
        {"KVGINA", legacy + "KVGINA"}, {"KVNETWORK", own + "KVNETWORK"}, {"KVRAS", legacy + "KVRAS"},
        {"Local", kAgent + "\\Local\\OASVC"}, {"Domain", kAgent + "\\Domain"}, {"DomainHost", kAgent + "\\DomainHost"},
        {"EAP15", eap + "15"}, {"EAP32", eap + "32\\x"}, {"Kesh", legacy + "Veltra Kesh/Agent for Windows\\5.5"},
        {"Halvex", legacy + "Halvex"}};
    using C = upgrade::AgentComponents;
    const std::pair<C, std::string> cases[] = {
        {C{true, false, false, false, false}, "KVGINA Local"},
        {C{false, false, true, false, false}, "KVGINA KVNETWORK DomainHost"},
        {C{true, true, false, false, false}, "KVGINA KVNETWORK Local Domain"},
        {C{false, false, false, true, false}, "EAP15 EAP32"},
        {C{false, false, false, false, true}, "KVRAS EAP15 EAP32"},
    };
    for (const auto& [components, kept] : cases) {
        for (const auto& [name, key] : keys) SetDword(key, "x", 1);
        SetDword(legacy + "KVGINA", "ChallengeFirst", 1);
        SetDword(own + "KVGINA", "ChallengeFirst", 1);  // not the key in use: untouched
        upgrade::RemoveObsoleteKeys(sim.platform(), components);
        std::string found;
        for (const auto& [name, key] : keys) {
            if (KeyExists(key)) found += (found.empty() ? "" : " ") + name;
        }
        EXPECT_EQ(found, kept);
        EXPECT_FALSE(GetValue(legacy + "KVGINA", "ChallengeFirst"));
        EXPECT_TRUE(GetValue(own + "KVGINA", "ChallengeFirst"));
    }
}

TEST_F(SharedLists, StepsRunInTheirOrder) {
    SetDword(kShared, kI + "da_svc.exe", 5);
    SetDword(kHklm + "SOFTWARE\\Morvane\\Halvex", "x", 1);
    SetString(kEventLog, "EventMessageFile", "k.dll");
    SetDword(kMaker, "x", 1);
    SetDword(kLsa, "x", 1);
    machine.trace.enabled = true;
    upgrade::UpdateSharedRegistrations(
        sim.platform(), {kSys, "C:\\WINDOWS\\Help\\", kI, kF, kB, "C:\\S\\", true, {true, false, false, false, false}});
    std::size_t last = 0;
    for (const char* step : {"KESHSERVER", "kvbstop.exe", "Notification Packages", "LibrarySearchPaths",
                             "EventMessageFile", "isPavoInstalled", "isRADIUSInstalled", "Halvex", "da_svc.exe"}) {
        const auto& lines = machine.trace.lines();
        const auto at = std::find_if(lines.begin(), lines.end(),
                                     [&](const sim::TraceLine& l) { return l.subject.find(step) != std::string::npos; });
        ASSERT_NE(at, lines.end()) << step;
        EXPECT_GE(static_cast<std::size_t>(at - lines.begin()), last) << step;
        last = static_cast<std::size_t>(at - lines.begin());
    }
    EXPECT_EQ(GetDword(kShared, kI + "da_svc.exe"), 1u);
}

// On the sibling machines: the counts the reconciliation moves were set
// before it, and the maintenance runs that follow settle at once.
TEST(SharedRegistrationsOnSiblings, MaintenanceRunsSettleAtOnce) {
    const struct {
        const char* name;
        std::optional<platform::Dword> keshclnt, agentrt;
    } cases[] = {
        {"sibling-all", 3, 2}, {"sibling-radius", 2, std::nullopt},
        {"sibling-utility", 1, std::nullopt}, {"sibling-webagent", 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Machine m = SampleMachine(c.name);
        sim::SimPlatform sim(m);
        m.registry.CreateKey(kLsa)->SetValue("Notification Packages", platform::kRegMultiSz, Bytes({"scecli"}));
        m.registry.CreateKey(kShared)->SetValue(kI + "da_svc.exe", platform::kRegDword, {3, 0, 0, 0});
        const auto state = [&] {
            const auto reg = sim::WriteRegFile(m.registry, sim::RegFormat::Regedit4);
            std::string all(reg.begin(), reg.end());
            for (const auto& [path, file] : cli::TakeSnapshot(m).files) all += path + "\n";
            return all;
        };
        upgrade::SharedRegistrationInputs in{kSys, "C:\\WINDOWS\\Help\\", kI, kF, kB, "C:\\S\\", true, {true}};
        upgrade::UpdateSharedRegistrations(sim.platform(), in);
        const std::string once = state();
        const auto dword = [&](const std::string& name) -> std::optional<platform::Dword> {
            const sim::RegValue* v = m.registry.FindKey(kShared)->FindValue(name);
            if (v == nullptr) return std::nullopt;
            return v->data[0];
        };
        EXPECT_EQ(dword(kSys + "keshclnt.dll"), c.keshclnt);
        EXPECT_EQ(dword(kSys + "kvagentrt.dll"), c.agentrt);
        EXPECT_EQ(dword(kI + "da_svc.exe"), 1u);
        const sim::RegValue* packages = m.registry.FindKey(kLsa)->FindValue("Notification Packages");
        EXPECT_EQ(packages->data, Bytes({"scecli"}));  // no filter DLL on these machines
        EXPECT_EQ(m.registry.FindKey(kMaker)->FindValue("LibrarySearchPaths")->data, Bytes({kI, kF, kB}));

        // The next runs are maintenance runs: the counts, which the siblings
        // may have moved since, are not set again. The first of them moves
        // the agent's folder behind the shared ones, as every run puts it
        // last; after that nothing changes.
        in.firstInstallation = false;
        upgrade::UpdateSharedRegistrations(sim.platform(), in);
        EXPECT_EQ(m.registry.FindKey(kMaker)->FindValue("LibrarySearchPaths")->data, Bytes({kF, kB, kI}));
        const std::string settled = state();
        EXPECT_EQ(settled.size(), once.size());
        upgrade::UpdateSharedRegistrations(sim.platform(), in);
        EXPECT_EQ(state(), settled);
    }
}

}  // namespace
}  // namespace veltra::testing
