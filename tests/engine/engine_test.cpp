// The simulated installer on small packages, the actions stood in for by a
// recorder: what runs, when, with which data, what a failing script undoes.
#include <gtest/gtest.h>

#include "platform/sim/engine/engine.h"
#include "platform/sim/engine/session_view.h"
#include "platform/sim/sim_files.h"
#include "support/sim_fixture.h"

namespace veltra::sim::engine {
namespace {

constexpr int kImmediate = 1;
constexpr int kDeferred = 1 + 1024 + 2048;
constexpr int kRollbackAction = kDeferred + 256;
constexpr int kCommitAction = kDeferred + 512;
constexpr int kSetProperty = 51;
constexpr int kContinue = 64;

// A package with one feature and one component holding one file under
// INSTALLDIR, and the standard actions of a plain execution sequence.
Package MakePackage() {
    Package package;
    package.properties = {{"ProductCode", "{PRODUCT}"}};
    package.features = {{"Main", "", 1}, {"Extra", "", 3}};
    package.components = {{"MainFiles", "INSTALLDIR", 0, "", "main.dll"}};
    package.featureComponents = {{"Main", "MainFiles"}};
    package.directories = {{"TARGETDIR", "", "SourceDir"},
                           {"ProgramFilesFolder", "TARGETDIR", "."},
                           {"INSTALLDIR", "ProgramFilesFolder", "PRODUCT~1|Product"}};
    package.files = {{"main.dll", "MainFiles", "main.dll", 1}};
    package.executeSequence = {{"CostFinalize", "", 1000}, {"InstallInitialize", "", 1500},
                               {"RemoveFiles", "", 3500}, {"InstallFiles", "", 4000},
                               {"InstallFinalize", "", 6600}};
    return package;
}

void Schedule(Package& package, std::vector<SequenceRow>& sequence, const std::string& action, int type,
              int number, std::string condition = "", std::string target = "") {
    package.customActions.push_back({action, type, type == kSetProperty ? action.substr(3) : "Lib",
                                     target.empty() ? action : target});
    sequence.push_back({action, std::move(condition), number});
    std::stable_sort(sequence.begin(), sequence.end(),
                     [](const SequenceRow& a, const SequenceRow& b) { return a.sequence < b.sequence; });
}

class EngineTest : public testing::SimFixture {
protected:
    EngineTest() {
        machine.environment = {{"windir", "C:\\WINDOWS"}, {"ProgramFiles", "C:\\Program Files"},
                               {"TEMP", "C:\\WINDOWS\\Temp"}};
        options.uiLevel = 2;
        options.actions = [this](const std::string& entry, const std::optional<std::string>& data) {
            calls.push_back(entry + (data ? "(" + *data + ")" : ""));
            // What an immediate action sees of an earlier deferred call's data.
            if (!data) leaked += Property("CustomActionData");
            const auto it = results.find(entry);
            return it != results.end() ? it->second : 0u;
        };
    }

    InstallOutcome Install(const Package& package) { return RunInstallation(package, machine, options); }

    Package package = MakePackage();
    EngineOptions options;
    std::map<std::string, platform::Dword> results;  // entry -> result; 0 when not listed
    std::vector<std::string> calls;
    std::string leaked;
};

const std::string kMainDll = "C:\\Program Files\\Product\\main.dll";

TEST_F(EngineTest, DeferredActionsRunAtInstallFinalizeWithTheDataOfWhenTheyWereScheduled) {
    auto& seq = package.executeSequence;
    Schedule(package, seq, "SetA", kSetProperty, 1510, "", "first [ProductCode]");
    Schedule(package, seq, "A", kDeferred, 1520);
    Schedule(package, seq, "SetA2", kSetProperty, 1530, "", "second");
    package.customActions.back().source = "A";
    Schedule(package, seq, "Early", kImmediate, 1540);
    Schedule(package, seq, "Commit", kCommitAction, 1550);
    Schedule(package, seq, "Undo", kRollbackAction, 1560);
    Schedule(package, seq, "B", kDeferred, 4010, "", "");
    Schedule(package, seq, "Late", kImmediate, 6700);

    const InstallOutcome outcome = Install(package);
    EXPECT_EQ(outcome.result, 0u) << outcome.error;
    EXPECT_EQ(calls, (std::vector<std::string>{"Early", "A(first {PRODUCT})", "B()", "Commit()", "Late"}));
    EXPECT_EQ(leaked, "") << "a deferred call's data stayed visible to a later immediate action";
    EXPECT_TRUE(DriveFileExists(machine, kMainDll));
    EXPECT_EQ(machine.session.featureStates["{PRODUCT}"]["Main"], kStateLocal);
    EXPECT_EQ(machine.session.featureStates["{PRODUCT}"]["Extra"], kStateAbsent);
    EXPECT_EQ(machine.session.products.count("{PRODUCT}"), 1u);
    EXPECT_TRUE(machine.session.properties.empty()) << "the machine keeps only the properties it was given";
}

TEST_F(EngineTest, AFailingDeferredActionRollsBackWhatTheScriptDidInReverse) {
    PutDriveFile(machine, "C:\\Program Files\\Product\\old.txt", "kept");
    auto& seq = package.executeSequence;
    Schedule(package, seq, "UndoFirst", kRollbackAction, 1510);
    Schedule(package, seq, "First", kDeferred, 1520);
    Schedule(package, seq, "UndoSecond", kRollbackAction, 4010);
    Schedule(package, seq, "Commit", kCommitAction, 4020);
    Schedule(package, seq, "Fails", kDeferred, 4030);
    Schedule(package, seq, "UndoNeverReached", kRollbackAction, 4040);
    Schedule(package, seq, "NeverRuns", kDeferred, 4050);
    machine.session.properties["UndoFirst"] = "u1";
    machine.session.properties["UndoSecond"] = "u2";
    results["Fails"] = 1603;

    const InstallOutcome outcome = Install(package);
    EXPECT_EQ(outcome.result, 1603u);
    EXPECT_TRUE(outcome.rolledBack);
    EXPECT_EQ(calls, (std::vector<std::string>{"First()", "Fails()", "UndoSecond(u2)", "UndoFirst(u1)"}));
    EXPECT_FALSE(DriveFileExists(machine, kMainDll)) << "the installer's own file operations are undone too";
    EXPECT_EQ(ReadDriveFile(machine, "C:\\Program Files\\Product\\old.txt"), "kept");
    EXPECT_EQ(machine.session.products.count("{PRODUCT}"), 0u) << "a rolled-back product is not registered";
}

TEST_F(EngineTest, ImmediateResultsDecideHowTheSequenceGoesOn) {
    auto& seq = package.executeSequence;
    Schedule(package, seq, "Ignored", kImmediate + kContinue, 1100);
    Schedule(package, seq, "SkipsTheRest", kImmediate, 1200);
    Schedule(package, seq, "AfterSkip", kImmediate, 1300);
    // 259 skips the rest of the sequence (InstallFiles included) with success; 1602 is a user's cancel.
    for (const platform::Dword skip : {259u, 1603u, 1602u}) {
        calls.clear();
        results = {{"Ignored", 1603}, {"SkipsTheRest", skip}};
        EXPECT_EQ(Install(package).result, skip == 259 ? 0u : skip);
        EXPECT_EQ(calls, (std::vector<std::string>{"Ignored", "SkipsTheRest"}));
        EXPECT_FALSE(DriveFileExists(machine, kMainDll));
    }
}

TEST_F(EngineTest, TheUserInterfaceSequenceRunsAtLevelsFourAndFiveOnly) {
    package.uiSequence = {{"CostFinalize", "", 1000}, {"ExecuteAction", "", 1300}};
    Schedule(package, package.uiSequence, "Wizard", kImmediate, 1100, "UILevel = 5");
    Schedule(package, package.executeSequence, "Silent", kImmediate, 1100, "UILevel = 2");
    for (const auto& [level, expected] : std::vector<std::pair<int, std::vector<std::string>>>{
             {5, {"Wizard"}}, {4, {}}, {3, {}}, {2, {"Silent"}}}) {
        calls.clear();
        options.uiLevel = level;
        EXPECT_EQ(RunInstallation(package, machine, options).result, 0u);
        EXPECT_EQ(calls, expected) << "UI level " << level;
    }
}

TEST_F(EngineTest, AMalformedConditionOrAMissingActionStopsTheInstallationAndIsNamed) {
    Schedule(package, package.executeSequence, "Bad", kImmediate, 1100, "NOT (Installed");
    Schedule(package, package.executeSequence, "After", kImmediate, 1200);
    package.executeSequence.push_back({"Missing", "", 1300});
    for (const std::string name : {"Bad", "Missing"}) {
        const InstallOutcome outcome = Install(package);
        EXPECT_EQ(outcome.result, 1603u);
        EXPECT_NE(outcome.error.find(name), std::string::npos) << outcome.error;
        for (SequenceRow& row : package.executeSequence) row.condition = "";
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"Bad", "After"})) << "only the second run reaches them";
}

// Feature choices as CostFinalize settles them, seen by the conditions that
// follow, and the registration a finished installation leaves.
TEST_F(EngineTest, FeatureStatesFollowTheCommandLineAndWhatIsInstalled) {
    Schedule(package, package.executeSequence, "MainComing", kImmediate, 1100, "&Main = 3");
    Schedule(package, package.executeSequence, "MainGoing", kImmediate, 1110, "&Main = 2");
    Schedule(package, package.executeSequence, "ExtraComing", kImmediate, 1120, "&Extra = 3");
    Schedule(package, package.executeSequence, "WasInstalled", kImmediate, 1130, "Installed AND !Main = 3");
    const struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> commandLine;
        bool installedBefore, wineAll;
        std::vector<std::string> expected;
        bool installedAfter;
    } cases[] = {
        {"levels decide a plain first installation", {}, false, false, {"MainComing"}, true},
        {"ADDLOCAL names the features", {{"ADDLOCAL", "Extra"}}, false, false, {"ExtraComing"}, true},
        {"ADDLOCAL=ALL takes every feature", {{"ADDLOCAL", "ALL"}}, false, false, {"MainComing", "ExtraComing"}, true},
        {"nothing to do for what is installed", {}, true, false, {"WasInstalled"}, true},
        {"REMOVE=ALL removes everything", {{"REMOVE", "ALL"}}, true, false, {"MainGoing", "WasInstalled"}, false},
        {"ALL as an item of a longer list", {{"REMOVE", "ALL,Extra"}}, true, false, {"MainGoing", "WasInstalled"}, false},
        {"Wine reads ALL only as the whole value", {{"REMOVE", "ALL,Extra"}}, true, true, {"WasInstalled"}, true},
    };
    for (const Case& c : cases) {
        calls.clear();
        machine.session.products.clear();
        machine.session.featureStates.clear();
        if (c.installedBefore) {
            machine.session.products["{PRODUCT}"]["InstallLocation"] = "C:\\Program Files\\Product\\";
            machine.session.featureStates["{PRODUCT}"] = {{"Main", kStateLocal}, {"Extra", kStateAbsent}};
        }
        options.commandLine = c.commandLine;
        options.allOnlyAsWholeValue = c.wineAll;
        EXPECT_EQ(Install(package).result, 0u) << c.name;
        EXPECT_EQ(calls, c.expected) << c.name;
        EXPECT_EQ(machine.session.products.count("{PRODUCT}"), c.installedAfter ? 1u : 0u) << c.name;
    }
}

TEST_F(EngineTest, FoldersComeFromTheDirectoryTableAndACommandLineFolderWins) {
    Schedule(package, package.executeSequence, "SetShow", kSetProperty, 1100, "", "[INSTALLDIR]|[#main.dll]");
    options.commandLine = {{"INSTALLDIR", "D:\\Elsewhere"}};
    const InstallOutcome outcome = Install(package);
    EXPECT_EQ(outcome.properties.at("Show"), "D:\\Elsewhere\\|D:\\Elsewhere\\main.dll");
    EXPECT_EQ(machine.session.targetPaths["INSTALLDIR"], "D:\\Elsewhere\\");
    EXPECT_TRUE(DriveFileExists(machine, "D:\\Elsewhere\\main.dll"));
}

TEST_F(EngineTest, TheProgramMenuIsTheUsersUnlessThePackageIsForAllUsers) {
    machine.environment["USERPROFILE"] = "C:\\Documents and Settings\\ann";
    machine.environment["ALLUSERSPROFILE"] = "C:\\Documents and Settings\\All Users";
    EXPECT_EQ(Install(package).properties.at("ProgramMenuFolder"), "C:\\Documents and Settings\\ann\\Start Menu\\Programs\\");
    options.commandLine = {{"ALLUSERS", "1"}};
    EXPECT_EQ(Install(package).properties.at("ProgramMenuFolder"),
              "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\");
    machine.environment["ProgramData"] = "C:\\ProgramData";
    EXPECT_EQ(Install(package).properties.at("ProgramMenuFolder"), "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\");
}

}  // namespace
}  // namespace veltra::sim::engine
