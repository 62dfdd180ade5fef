// The two readers the end-to-end scenarios rest on: the verbose installer log
// and the comparison of registry changes. A fault in either would let a
// scenario pass that should fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "msi_log.h"
#include "registry_compare.h"

namespace veltra::e2e {
namespace {

const std::string kWinlogon =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// Every return value of an action in order (12- and 24-hour times, CR LF),
// the last value of a property whole; lines that only mention an action are
// no return value.
TEST(MsiLog, ReadsReturnValuesAndPropertiesInOrder) {
    const MsiLog log = ParseMsiLog(
        "Action 2:46:13: EnableGina. \nAction start 2:46:13: EnableGina.\n"
        "Action ended 2:46:13: EnableGina. Return value 1.\n"
        "Action ended 2:46:13: InstallFinalize. Return value 0.\n"
        "Property(S): EnableGina = C:\\Old\\KeshGina.dll;5\n"
        "Property(C): UILevel = 2\n"
        "Action ended 14:46:13: EnableGina. Return value 0.\r\n"
        "Property(S): EnableGina = C:\\Program Files\\A B\\KeshGina.dll;2\r\n");
    EXPECT_EQ(log.returns, (std::map<std::string, std::vector<int>>{{"EnableGina", {1, 0}}, {"InstallFinalize", {0}}}));
    EXPECT_EQ(log.properties.at("EnableGina"), "C:\\Program Files\\A B\\KeshGina.dll;2");
    EXPECT_EQ(log.properties.at("UILevel"), "2");
}

sim::RegistryTree TreeWith(const std::vector<std::pair<std::string, std::string>>& values,
                           const std::string& key = kWinlogon) {
    sim::RegistryTree tree;
    auto node = tree.CreateKey(key);
    for (const auto& [name, text] : values) {
        std::vector<std::uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        node->SetValue(name, 1, data);
    }
    return tree;
}

std::vector<ComparableChange> Changes(const sim::RegistryTree& before,
                                      const sim::RegistryTree& after,
                                      const std::vector<std::string>& watched = {kWinlogon}) {
    return Comparable(sim::DiffTrees(before, after), watched);
}

TEST(RegistryCompare, TheOrderOfValuesAndTheCaseOfNamesDoNotCount) {
    const auto before = TreeWith({{"Shell", "explorer.exe"}});
    const auto simulated = Changes(
        before,
        TreeWith({{"Shell", "explorer.exe"}, {"GinaDLL", "a.dll"}, {"KVSupercededGina", "b.dll"}}));
    auto wineAfter =
        TreeWith({{"ginadll", "a.dll"}, {"Shell", "explorer.exe"}, {"kvsupercededgina", "b.dll"}},
                 "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\Windows NT\\CurrentVersion\\Winlogon");
    const auto wine = Changes(before, wineAfter);
    EXPECT_EQ(CompareChanges(wine, simulated), "");
}

// Other data, or a change on one side only, is a difference, and the report
// shows both sides.
TEST(RegistryCompare, DifferentDataOrAOneSidedChangeIsADifference) {
    const auto before = TreeWith({{"GinaDLL", "x.dll"}});
    const auto wine = Changes(before, TreeWith({{"GinaDLL", "C:\\A\\KeshGina.dll"}}));
    const auto simulated = Changes(before, TreeWith({{"GinaDLL", "C:\\B\\KeshGina.dll"}}));
    const std::string report = CompareChanges(wine, simulated);
    EXPECT_NE(report.find("only in Wine"), std::string::npos) << report;
    EXPECT_NE(report.find("C:\\\\A\\\\KeshGina.dll"), std::string::npos) << report;
    EXPECT_NE(report.find("C:\\\\B\\\\KeshGina.dll"), std::string::npos) << report;
    EXPECT_NE(CompareChanges(wine, {}), "");
    EXPECT_NE(CompareChanges({}, simulated), "");
}

TEST(RegistryCompare, ChangesOutsideTheWatchedKeysDoNotCount) {
    sim::RegistryTree before;
    sim::RegistryTree after;
    after.CreateKey(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\X");
    after.CreateKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Agent");
    const auto changes = Changes(before, after, {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security"});
    std::vector<std::string> texts;
    for (const auto& change : changes) texts.push_back(change.text);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "key added: [HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\Agent]",
                         "key added: [HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security]"}));
}

TEST(RegistryCompare, AKeyThatOnlyStartsLikeAWatchedKeyIsNotWatched) {
    EXPECT_TRUE(IsWatched("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security",
                          {"hkey_local_machine\\software\\veltra security"}));
    EXPECT_TRUE(IsWatched("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security\\X",
                          {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security"}));
    EXPECT_FALSE(IsWatched("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra SecurityX",
                           {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security"}));
    EXPECT_FALSE(IsWatched("HKEY_LOCAL_MACHINE\\SOFTWARE",
                           {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltra Security"}));
}

TEST(RegistryCompare, OutermostKeysDropsKeysInsideOthers) {
    EXPECT_EQ(
        OutermostKeys({"HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B", "HKEY_LOCAL_MACHINE\\SOFTWARE\\A B",
                       "HKEY_LOCAL_MACHINE\\software\\a", "HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\C\\D"}),
        (std::vector<std::string>{"HKEY_LOCAL_MACHINE\\software\\a",
                                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\A B"}));
}

}  // namespace
}  // namespace veltra::e2e
