// EnableGina and DisableGina as the installer runs them (deferred, with data
// "<agent GINA path>;<UILevel>" and "<UILevel>"), checked on the registry left.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "support/test_package.h"
#include "gina_fixture.h"
#include "platform/sim/engine/engine.h"
#include "platform/sim/regfile.h"

namespace veltra::testing {
namespace {

using platform::Dword;

const std::string kUnexpectedError =
    "An unexpected error has been encountered\n"
    "in setting the Gina.  A rollback of the\n"
    "installation will be performed.";
const std::string kConflict = "The installation program has d";  // the openings of the two questions
const std::string kStillLoaded = "The Windows Installer service ";
const std::string kUnexpected = kUnexpectedError.substr(0, 30);

struct ChainCase {
    std::string label;
    std::vector<Value> before;
    std::vector<std::string> files;  // bare names are in the system folder
    std::string data;                // "@" stands for the agent GINA's path
    std::vector<int> answers;
    std::string fault;
    bool loaded;  // the agent GINA is loaded
    Dword result;
    std::vector<Value> after;  // the only values that may change
    std::vector<std::string> openings;
};

void PrintTo(const ChainCase& c, std::ostream* out) { *out << c.label; }

const std::string W = kWinlogon;
const std::string kAgent = kAgentGina;

std::vector<std::string> Without(std::vector<std::string> files, const std::vector<std::string>& gone) {
    std::erase_if(files, [&](const std::string& f) { return std::find(gone.begin(), gone.end(), f) != gone.end(); });
    return files;
}

std::vector<ChainCase> EnableCases() {
    const std::vector<Value> other = {{W, "GinaDLL", "othergina.dll"}};
    const std::vector<Value> displaced = {{W, "GinaDLL", kAgent}, {W, "KVSupercededGina", "othergina.dll"}};
    std::vector<ChainCase> cases = {
        {"an empty chain gets the agent GINA from Winlogon", {}, {}, "@;5", {}, "", false, 0,
         {{W, "GinaDLL", kAgent}}, {}},
        {"behind every chaining product only the last link changes", Chain("msgina.dll"), kChainFiles, "@;5", {}, "",
         false, 0, {{kNortel, "NextGinaToChain", kAgent}}, {}},
        {"the agent GINA already at the end changes nothing", Chain(kAgent), kChainFiles, "@;5", {}, "", false, 0, {},
         {}},
        {"products whose GINA file is gone are linked past and get their defaults back", Chain("msgina.dll"),
         Without(kChainFiles, {kCiscoGina, "odyGina.dll"}), "@;5", {}, "", false, 0,
         {{kPcAnywhere, "GinaDLL", "ctxgina.dll"}, {kCisco, "PreviousGinaPath", "MSGina.dll"},
          {kCheckPoint, "ThirdPartyGina", "NnGina.dll"}, {W, "OdysseyPreviousGinaDLL", std::nullopt},
          {kNortel, "NextGinaToChain", kAgent}},
         {}},
        {"a last product whose file is gone leaves the agent GINA to the one before", Chain("msgina.dll"),
         Without(kChainFiles, {kCiscoGina, "NnGina.dll"}), "@;5", {}, "", false, 0,
         {{kPcAnywhere, "GinaDLL", "ctxgina.dll"}, {kCisco, "PreviousGinaPath", "MSGina.dll"},
          {W, "OdysseyPreviousGinaDLL", kAgent}, {kNortel, "NextGinaToChain", std::nullopt}},
         {}},
        {"a GinaDLL naming a missing file is replaced", {{W, "GinaDLL", "C:\\Old\\oldgina.dll"}}, {}, "@;5", {}, "",
         false, 0, {{W, "GinaDLL", kAgent}}, {}},
        {"a GinaDLL too short to name a GINA is replaced", {{W, "GinaDLL", "x"}}, {}, "@;5", {}, "", false, 0,
         {{W, "GinaDLL", kAgent}}, {}},
        {"a bare name is looked for in the system folder only", {{W, "GinaDLL", "appgina.dll"}},
         {"C:\\Apps\\appgina.dll"}, "@;5", {}, "", false, 0, {{W, "GinaDLL", kAgent}}, {}},
        {"a GinaDLL naming a folder leads back to Winlogon", {{W, "GinaDLL", "C:\\WINDOWS\\"}}, {}, "@;5", {}, "",
         false, 0, {{W, "GinaDLL", kAgent}}, {}},
        {"a GINA naming itself takes the agent GINA",
         {{W, "GinaDLL", "ctxgina.dll"}, {W, "CtxGinaDLL", "C:\\WINDOWS\\system32\\CTXGINA.dll"}}, {"ctxgina.dll"},
         "@;5", {}, "", false, 0, {{W, "CtxGinaDLL", kAgent}}, {}},
        {"a loop through several products ends at the GINA that closes it",
         {{W, "GinaDLL", "awgina.dll"}, {kPcAnywhere, "GinaDLL", kCiscoGina}, {kCisco, "PreviousGinaPath", "ctxgina.dll"},
          {W, "CtxGinaDLL", "awgina.dll"}},
         {"awgina.dll", kCiscoGina, "ctxgina.dll"}, "@;5", {}, "", false, 0, {{W, "CtxGinaDLL", kAgent}}, {}},
        {"a loop through a missing GINA keeps its repairs",
         {{W, "GinaDLL", "awgina.dll"}, {kPcAnywhere, "GinaDLL", "NnGina.dll"}, {kNortel, "NextGinaToChain", "awgina.dll"}},
         {"awgina.dll"}, "@;5", {}, "", false, 0,
         {{kPcAnywhere, "GinaDLL", kAgent}, {kNortel, "NextGinaToChain", std::nullopt}}, {}},
        {"a product whose key is gone cannot take the agent GINA", {{W, "GinaDLL", "awgina.dll"}}, {"awgina.dll"},
         "@;5", {platform::kIdCancel}, "", false, 1603, {}, {kConflict}},
        {"a link that cannot be written is a conflict",
         {{W, "GinaDLL", "NnGina.dll"}, {kNortel, "NextGinaToChain", "msgina.dll"}}, {"NnGina.dll"}, "@;5",
         {platform::kIdCancel}, "RegSetValueExA:" + std::string(kNortel) + "\\NextGinaToChain=5", false, 1603, {},
         {kConflict}},
        {"the administrator refuses and the chain stays as it was", other, {"othergina.dll"}, "@;5",
         {platform::kIdCancel}, "", false, 1603, {}, {kConflict}},
        // Empty fields vanish before the UI level is read.
        {"empty fields before the UI level", other, {"othergina.dll"}, "@;;2;", {}, "", false, 0, displaced, {}},
        {"a GINA named by its path is asked about",
         {{W, "GinaDLL", "C:\\Program Files\\Three\\3-Gina.dll"}}, {"C:\\Program Files\\Three\\3-Gina.dll"}, "@;5",
         {platform::kIdCancel}, "", false, 1603, {}, {kConflict}},
        {"a registry failure brings the unexpected error", {}, {}, "@;2", {platform::kIdOk},
         "RegOpenKeyExA:" + W + "=5", false, 1603, {}, {kUnexpected}},
        // The conflict is at Winlogon itself, and the forced second try fails.
        {"a GinaDLL that cannot be written", {}, {}, "@;2", {platform::kIdOk}, "RegSetValueExA:" + W + "\\GinaDLL=5",
         false, 1603, {{W, "KVSupercededGina", ""}}, {kUnexpected}},
        {"a GinaDLL that cannot be written, answered", {}, {}, "@;5", {platform::kIdOk, platform::kIdOk},
         "RegSetValueExA:" + W + "\\GinaDLL=5", false, 1603, {{W, "KVSupercededGina", ""}}, {kConflict, kUnexpected}},
    };
    // Every UI level but exactly 2 asks.
    for (const std::string level : {"@", "@;3", "@;22", "@;2x"}) {
        cases.push_back({"UI level " + level, other, {"othergina.dll"}, level, {platform::kIdCancel}, "", false, 1603,
                         {}, {kConflict}});
    }
    for (const std::string data : {"", ";", ";;"}) {
        cases.push_back({"no data '" + data + "'", other, {"othergina.dll"}, data, {}, "", false, 1603, {}, {}});
    }
    // Replaced without asking: the legacy agent GINA (remembered), the GINAs
    // accepted at the end (not remembered), and 3-Gina by its bare name.
    for (const std::string legacy : {"kvgina.dll", "C:\\WINDOWS\\system32\\KVGINA.DLL"}) {
        cases.push_back({"legacy " + legacy, {{W, "GinaDLL", legacy}}, {"kvgina.dll"}, "@;5", {}, "", false, 0,
                         {{W, "GinaDLL", kAgent}, {W, "KVSupercededGina", "kvgina.dll"}}, {}});
    }
    for (const std::string accepted : {"msgina.dll", "MSGINA", "KeshGina", "keshgina.DLL"}) {
        cases.push_back({"accepted " + accepted, {{W, "GinaDLL", accepted}}, {accepted}, "@;5", {}, "", false, 0,
                         {{W, "GinaDLL", kAgent}}, {}});
    }
    for (const std::string three : {"3-Gina.dll", "3-GINA.DLL"}) {
        cases.push_back({"gina3 " + three, {{W, "GinaDLL", three}}, {three}, "@;5", {}, "", false, 0,
                         {{W, "GinaDLL", kAgent}, {W, "KVSupercededGina", three}}, {}});
    }
    return cases;
}

std::vector<ChainCase> DisableCases() {
    const std::vector<Value> agent = {{W, "GinaDLL", kAgent}};
    return {
        {"the agent GINA is unlinked from the last product", Chain(kAgent), kChainFiles, "5", {}, "", false, 0,
         {{kNortel, "NextGinaToChain", std::nullopt}}, {}},
        {"another product's chain is left alone", Chain("msgina.dll"), kChainFiles, "5", {}, "", false, 0, {}, {}},
        {"a displaced GINA whose file is gone is forgotten",
         {{W, "GinaDLL", kAgent}, {W, "KVSupercededGina", "othergina.dll"}}, {}, "5", {}, "", false, 0,
         {{W, "GinaDLL", std::nullopt}, {W, "KVSupercededGina", std::nullopt}}, {}},
        {"a chain that does not end at the agent GINA is left alone",
         {{W, "GinaDLL", "othergina.dll"}, {W, "KVSupercededGina", "msgina.dll"}}, {"othergina.dll"}, "5", {}, "",
         false, 0, {}, {}},
        {"a loaded agent GINA is left to the restart when quiet", agent, {}, "2", {}, "", true, 0,
         {{W, "GinaDLL", std::nullopt}}, {}},
        {"quiet only for the data 2 exactly", agent, {}, "2;", {platform::kIdContinue}, "", true, 0,
         {{W, "GinaDLL", std::nullopt}}, {kStillLoaded}},
        {"continue over a loaded agent GINA", agent, {}, "5", {platform::kIdContinue}, "", true, 0,
         {{W, "GinaDLL", std::nullopt}}, {kStillLoaded}},
        {"cancel fails but the agent GINA is out already", agent, {}, "5", {platform::kIdCancel}, "", true, 1603,
         {{W, "GinaDLL", std::nullopt}}, {kStillLoaded}},
        {"try again once the agent GINA is out succeeds", agent, {}, "5", {platform::kIdTryAgain}, "", true, 0,
         {{W, "GinaDLL", std::nullopt}}, {kStillLoaded}},
        // An earlier forced installation remembered the agent GINA itself as
        // the one it displaced, so taking it out links it straight back in.
        {"try again runs the whole chain logic again", {{W, "GinaDLL", kAgent}, {W, "KVSupercededGina", kAgent}}, {},
         "5", {platform::kIdTryAgain, platform::kIdContinue}, "", true, 0,
         {{W, "GinaDLL", std::nullopt}, {W, "KVSupercededGina", std::nullopt}}, {kStillLoaded, kStillLoaded}},
        {"an unlink that failed is reported even when the agent GINA is loaded", agent, {}, "2", {platform::kIdOk},
         "RegDeleteValueA:" + W + "\\GinaDLL=5", true, 1603, {}, {kUnexpected}},
        {"a registry failure brings the unexpected error", agent, {}, "2", {platform::kIdOk},
         "RegOpenKeyExA:" + W + "=5", false, 1603, {}, {kUnexpected}},
        // The question asks only while the loaded GINA's mutex can be opened.
        {"a mutex that cannot be opened says not loaded", agent, {}, "5", {},
         std::string("CreateMutexA:") + kLoadedMutex + "=5", true, 0, {{W, "GinaDLL", std::nullopt}}, {}},
    };
}

bool SameText(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y)); });
}

class GinaActions : public GinaFixture, public ::testing::WithParamInterface<ChainCase> {
protected:
    void Arrange(const ChainCase& c) {
        Set(c.before, c.files);
        if (c.loaded) LoadAgentGina();
        if (!c.fault.empty()) Fail(c.fault);
        for (const int answer : c.answers) Answer(answer);
    }

    std::optional<std::string> Read(const std::string& key, const std::string& name) const {
        const auto value = GetValue(key, name);
        if (!value) return std::nullopt;
        if (value->type == platform::kRegDword) return "#" + std::to_string(*GetDword(key, name));
        return GetString(key, name);
    }

    void Check(const ChainCase& c, Dword result, const sim::RegistryTree& before) {
        EXPECT_EQ(result, c.result);
        for (const Value& v : c.after) EXPECT_EQ(Read(v.key, v.name), v.value) << v.key << "\\" << v.name;
        for (const sim::RegChange& change : sim::DiffTrees(before, machine.registry)) {
            const bool listed = std::any_of(c.after.begin(), c.after.end(), [&](const Value& v) {
                return v.name == change.name && SameText(v.key, change.key);
            });
            EXPECT_TRUE(listed) << "unexpected change of " << change.key << "\\" << change.name;
        }
        std::vector<std::string> openings;
        for (const sim::DialogRecord& box : Dialogs()) {
            openings.push_back(box.text.substr(0, 30));
            EXPECT_EQ(box.caption, kCaption);
            EXPECT_EQ(box.owner, "none");
            if (box.text == kUnexpectedError) {
                EXPECT_EQ(box.style, 0x00200010u);
            }
        }
        EXPECT_EQ(openings, c.openings);
        EXPECT_FALSE(machine.unansweredDialog.has_value());
        EXPECT_EQ(machine.mutexes.contains(kLoadedMutex), c.loaded) << "the probe must not leave its mutex behind";
    }
};

class EnableGinaTest : public GinaActions {};
class DisableGinaTest : public GinaActions {};

TEST_P(EnableGinaTest, LinksTheAgentGinaAtTheEndOfTheChain) {
    const ChainCase& c = GetParam();
    Arrange(c);
    const sim::RegistryTree before = machine.registry;
    std::string data = c.data;
    if (const auto at = data.find('@'); at != std::string::npos) data.replace(at, 1, kAgent);
    Check(c, RunDeferred("EnableGina", data), before);
}

TEST_P(DisableGinaTest, TakesTheAgentGinaOut) {
    const ChainCase& c = GetParam();
    Arrange(c);
    const sim::RegistryTree before = machine.registry;
    Check(c, RunDeferred("DisableGina", c.data), before);
}

INSTANTIATE_TEST_SUITE_P(Chains, EnableGinaTest, ::testing::ValuesIn(EnableCases()), kNameByLabel);
INSTANTIATE_TEST_SUITE_P(Chains, DisableGinaTest, ::testing::ValuesIn(DisableCases()), kNameByLabel);

// Each chaining product keeps its link in its own place and wants it written
// its own way; taking the agent GINA out puts the product's default back.
TEST_F(GinaActions, EachProductTakesTheAgentGinaItsOwnWayAndGetsItsDefaultBack) {
    struct Product {
        const char* gina;  // as Winlogon names it
        const char* key;
        const char* link;
        std::vector<Value> switchedOn;  // written with the link
        std::optional<std::string> restored;
        std::vector<Value> switchedOff;
    };
    const Product products[] = {
        {"awgina.dll", kPcAnywhere, "GinaDLL", {}, "MSGina.dll", {}},
        {"csgina.dll", kCisco, "PreviousGinaPath", {{kCisco, "GinaInstalled", "#1"}}, "MSGina.dll",
         {{kCisco, "GinaInstalled", "#1"}}},
        {"ctxgina.dll", kWinlogon, "CtxGinaDLL", {}, "MSGina.dll", {}},
        {"CkpGinaShim.dll", kCheckPoint, "ThirdPartyGina", {{kCheckPoint, "Support3rdPartyGina", "#1"}}, std::nullopt,
         {{kCheckPoint, "Support3rdPartyGina", "#0"}}},
        // Odyssey loads only the GINAs on its list.
        {"odyGina.dll", kWinlogon, "OdysseyPreviousGinaDLL", {{kOdysseyList, "KeshGina.dll", "1"}}, std::nullopt, {}},
        {"nngina.dll", kNortel, "NextGinaToChain", {}, std::nullopt, {}},
    };
    for (const Product& p : products) {
        SCOPED_TRACE(p.gina);
        machine.registry = sim::RegistryTree();
        for (const char* key : {kWinlogon, kPcAnywhere, kCisco, kCheckPoint, kOdysseyList, kNortel}) {
            machine.registry.CreateKey(key);
        }
        PutSystemFile(p.gina);
        SetString(kWinlogon, "GinaDLL", p.gina);

        EXPECT_EQ(RunDeferred("EnableGina", kAgent + ";2"), 0u);
        const auto link = GetValue(p.key, p.link);
        ASSERT_TRUE(link);
        EXPECT_EQ(link->type, platform::kRegSz);
        EXPECT_EQ(link->data.size(), kAgent.size() + 1) << "terminator counted";
        EXPECT_EQ(GetString(p.key, p.link), kAgent);
        for (const Value& v : p.switchedOn) EXPECT_EQ(Read(v.key, v.name), v.value) << v.name;

        EXPECT_EQ(RunDeferred("DisableGina", "2"), 0u);
        EXPECT_EQ(GetString(p.key, p.link), p.restored);
        for (const Value& v : p.switchedOff) EXPECT_EQ(Read(v.key, v.name), v.value) << v.name;
        EXPECT_EQ(Winlogon("GinaDLL"), p.gina);
    }
    EXPECT_TRUE(Dialogs().empty());
}

// The still-loaded question names the agent GINA by its file name, which the
// search does not find outside the system folder.
TEST_F(GinaFixture, TheStillLoadedQuestionNamesTheAgentGinaByItsFileName) {
    LoadAgentGina();
    SetString(kWinlogon, "GinaDLL", kAgent);
    Answer(platform::kIdContinue);
    EXPECT_EQ(RunDeferred("DisableGina", "5"), 0u);
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].style, 0x00200016u);
    EXPECT_TRUE(Dialogs()[0].text.ends_with("\nFile: KeshGina.dll\nProduct: N/A\nDescription: N/A\nCompany: N/A"));
}

// The package links the GINA it lays down, with the installation's UI level,
// and removal unlinks it again: another product's GINA is displaced only with
// the administrator's consent, and comes back on removal.
TEST_F(GinaFixture, ThePackageLinksTheAgentGinaAndItsRemovalUnlinksIt) {
    const std::string installed = "C:\\Program Files\\Veltra Security\\Veltra Authentication Agent\\KeshGina.dll";
    struct Road {
        const char* label;
        std::vector<std::pair<std::string, std::string>> commandLine;
        int uiLevel;
        std::vector<int> answers;
        Dword result;
        std::optional<std::string> ginaDll, superseded;
        std::size_t dialogs;  // all told
    };
    const Road roads[] = {
        {"installation, refused", {{"ADDLOCAL", "LocalAuthClient"}}, 5, {platform::kIdCancel}, 1603,
         "othergina.dll", std::nullopt, 1},
        {"installation, accepted", {{"ADDLOCAL", "LocalAuthClient"}}, 5, {platform::kIdOk}, 0, installed,
         "othergina.dll", 2},
        {"removal", {{"REMOVE", "ALL"}}, 5, {}, 0, "othergina.dll", std::nullopt, 2},
        {"silent installation", {{"ADDLOCAL", "LocalAuthClient"}}, 2, {}, 0, installed, "othergina.dll", 2},
    };
    machine.environment = {{"windir", "C:\\WINDOWS"}, {"SystemRoot", "C:\\WINDOWS"},
                           {"ProgramFiles", "C:\\Program Files"}, {"TEMP", "C:\\WINDOWS\\Temp"}};
    PutSystemFile("othergina.dll");
    SetString(kWinlogon, "GinaDLL", "othergina.dll");
    // The silent installation runs from a package folder with its options.
    machine.session.sourcePaths["SourceDir"] = "D:\\Package\\";
    PutFile("D:\\Package\\packageOptionsFile.txt", "InstallSilentLAC=1\r\n");
    for (const Road& road : roads) {
        SCOPED_TRACE(road.label);
        for (const int answer : road.answers) Answer(answer);
        sim::engine::EngineOptions options;
        options.commandLine = road.commandLine;
        options.uiLevel = road.uiLevel;

        const sim::engine::InstallOutcome outcome = sim::engine::RunInstallation(TestPackage(), machine, options);

        EXPECT_EQ(outcome.result, road.result) << outcome.error;
        EXPECT_EQ(Winlogon("GinaDLL"), road.ginaDll);
        EXPECT_EQ(Winlogon("KVSupercededGina"), road.superseded);
        EXPECT_EQ(FileExists(installed), road.result == 0 && road.commandLine[0].first == "ADDLOCAL");
        EXPECT_EQ(Dialogs().size(), road.dialogs);
        EXPECT_FALSE(machine.unansweredDialog.has_value());
    }
}

}  // namespace
}  // namespace veltra::testing
