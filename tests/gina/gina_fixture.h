// A simulated machine for the GINA chain: the system folder with Microsoft's
// GINA, the agent GINA installed, and the keys of the products that chain GINAs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_registry.h"
#include "support/sim_fixture.h"

namespace veltra::testing {

inline constexpr const char* kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr const char* kPcAnywhere =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Symantec\\pcANYWHERE\\CurrentVersion\\System";
inline constexpr const char* kCisco = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Cisco Systems\\VPN Client";
inline constexpr const char* kCheckPoint = "HKEY_LOCAL_MACHINE\\SOFTWARE\\CheckPoint\\SecuRemote";
inline constexpr const char* kOdysseyList =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Funk Software, Inc.\\odyssey\\client\\configuration\\ginaDLLs";
inline constexpr const char* kNortel =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Nortel Networks\\Contivity\\Client";
inline constexpr const char* kAgentCommon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Veltra Authentication Agent\\CurrentVersion\\Common";

// Cisco's GINA is linked by its full path.
inline constexpr const char* kCiscoGina =
    "C:\\Program Files\\Cisco Systems\\VPN Client\\csgina.dll";

inline constexpr const char* kSystem32 = "C:\\WINDOWS\\system32\\";
inline constexpr const char* kInstallDir = "C:\\Program Files\\Veltra\\Authentication Agent\\";
inline constexpr const char* kAgentGina =
    "C:\\Program Files\\Veltra\\Authentication Agent\\KeshGina.dll";
inline constexpr const char* kLoadedMutex = "Global\\DETECT_KVGINASA_LOADED";

// A registry value as a case names it: "text", or "#N" for a REG_DWORD.
struct Value {
    std::string key, name;
    std::optional<std::string> value;  // nullopt: absent
};

// Every product that chains GINAs, one behind the other, their files in place:
// Winlogon -> pcAnywhere -> Cisco VPN Client -> ctxgina.dll -> CheckPoint
// SecuRemote -> Funk Odyssey -> Nortel Contivity -> end.
inline std::vector<Value> Chain(const std::string& end) {
    const std::string w = kWinlogon;
    return {{w, "GinaDLL", "awgina.dll"},          {kPcAnywhere, "GinaDLL", kCiscoGina},
            {kCisco, "GinaInstalled", "#1"},       {kCisco, "PreviousGinaPath", "ctxgina.dll"},
            {w, "CtxGinaDLL", "ckpginashim.dll"},  {kCheckPoint, "Support3rdPartyGina", "#1"},
            {kCheckPoint, "ThirdPartyGina", "odyGina.dll"}, {w, "OdysseyPreviousGinaDLL", "NnGina.dll"},
            {kNortel, "NextGinaToChain", end}};
}
inline const std::vector<std::string> kChainFiles = {"awgina.dll", kCiscoGina, "ctxgina.dll", "ckpginashim.dll",
                                                     "odyGina.dll", "NnGina.dll"};

class GinaFixture : public SimFixture {
protected:
    GinaFixture() {
        machine.environment["SystemRoot"] = "C:\\WINDOWS";
        machine.registry.CreateKey(kWinlogon);
        PutSystemFile("msgina.dll");
        PutFile(kAgentGina);
    }

    // Every routine closes the keys it opens, whatever path it takes.
    void TearDown() override {
        EXPECT_EQ(Registry().OpenHandleCount(), 0u) << "registry keys left open";
    }

    sim::SimRegistry& Registry() {
        return dynamic_cast<sim::SimRegistry&>(sim.platform().registry);
    }
    platform::Platform& Ports() { return sim.platform(); }

    void PutSystemFile(const std::string& name) { PutFile(kSystem32 + name); }
    void LoadAgentGina() { machine.mutexes.insert(kLoadedMutex); }
    void Fail(const std::string& rule) {
        std::string error;
        auto parsed = sim::ParseFaultRule(rule, &error);
        ASSERT_TRUE(parsed) << error;
        machine.faults.Add(*parsed);
    }

    // Registry values ("#N" a REG_DWORD) and files (bare names in the system folder).
    void Set(const std::vector<Value>& values, const std::vector<std::string>& files) {
        for (const Value& v : values) {
            if (v.value->starts_with("#")) {
                SetDword(v.key, v.name, static_cast<platform::Dword>(std::stoul(v.value->substr(1))));
            } else {
                SetString(v.key, v.name, *v.value);
            }
        }
        for (const std::string& file : files) PutFile(file.find('\\') == std::string::npos ? kSystem32 + file : file);
    }

    std::optional<std::string> Winlogon(const std::string& name) const {
        return GetString(kWinlogon, name);
    }

    // The message boxes shown so far.
    const std::vector<sim::DialogRecord>& Dialogs() const { return machine.dialogs; }
};

}  // namespace veltra::testing
