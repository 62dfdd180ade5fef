// The wizard's agent choice: the tally and its warnings, the installed
// components, and the package builder's choice.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "selection_fixture.h"

namespace veltra::testing {
namespace {

using platform::kErrorInstallFailure;
using platform::kErrorSuccess;

constexpr const char* kNoAgentsText =
    "No agents have been selected for Install or Change.\n\n"
    "Select at least one agent type to install or change.\n"
    "Otherwise, press Cancel to exit the installation.";

constexpr const char* kInvalidCombinationText =
    "You have selected both the Local Authentication Client\n"
    "component and the Domain Authentication Server component\n"
    "for installation.  This combination is invalid.\n\n"
    "To proceed, deselect one of the components, or exit\n"
    "the installation by clicking Cancel.";

class AgentTallyTest : public SelectionTest {};

// Counts the agent features installed locally for this product; the server
// files and services are no agents, nor are advertised or absent features or
// another product's.
TEST_F(AgentTallyTest, InitCountsTheLocallyInstalledAgentFeatures) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, int>> installed;
        const char* count;  // nullptr: the action fails and sets nothing
    };
    const int local = platform::kInstallStateLocal;
    const Case cases[] = {
        {"none", {}, "0"},
        {"one", {{"LocalAuthClient", local}}, "1"},
        {"all six",
         {{"LocalAuthClient", local}, {"DomainAuthClient", local}, {"DomainAuthServer", local},
          {"RemoteAuthClient", local}, {"RemoteAuthServer", local}, {"Autoreg", local}},
         "6"},
        {"only local states",
         {{"LocalAuthClient", platform::kInstallStateSource}, {"DomainAuthClient", platform::kInstallStateAbsent},
          {"Autoreg", platform::kInstallStateUnknown}, {"RemoteAuthServer", local}},
         "1"},
        {"no product code", {{"LocalAuthClient", local}}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        machine.session.featureStates.clear();
        machine.session.properties.clear();
        SetProperty("ProductCode", c.count ? kProduct : "");
        Install({"OASVC_Local", "ServerRootCertificate", "KeshServerConfigurationRecord"});
        machine.session.featureStates[kOtherProduct]["DomainAuthServer"] = local;
        for (const auto& [feature, state] : c.installed) Install({feature}, state);
        SetProperty("OK_AGENTS", "1");

        EXPECT_EQ(Run("InitCompatibleAgents"), c.count ? kErrorSuccess : kErrorInstallFailure);

        EXPECT_EQ(HasProperty("NUM_INSTALLED_AGENTS") ? Property("NUM_INSTALLED_AGENTS") : "-", c.count ? c.count : "-");
        EXPECT_EQ(HasProperty("NUM_TALLIED_AGENTS") ? Property("NUM_TALLIED_AGENTS") : "-", c.count ? c.count : "-");
        EXPECT_EQ(Property("OK_AGENTS"), c.count ? "0" : "1");
    }
    EXPECT_TRUE(machine.dialogs.empty());
}

TEST_F(AgentTallyTest, DecrementLowersTheTallyByOne) {
    const std::pair<const char*, const char*> cases[] = {
        // Nothing stops the tally below zero; text that is not a number (or
        // none) counts as 0, and only the leading digits are the number.
        {"2", "1"}, {"0", "-1"}, {"-1", "-2"}, {nullptr, "-1"}, {"abc", "-1"}, {"3 agents", "2"},
        // Nine characters fit the 10-byte buffer; a tenth is cut off.
        {"123456789", "123456788"}, {"1234567890", "123456788"},
    };
    for (const auto& [before, after] : cases) {
        SCOPED_TRACE(before ? before : "(unset)");
        machine.session.properties.erase("NUM_TALLIED_AGENTS");
        if (before != nullptr) SetProperty("NUM_TALLIED_AGENTS", before);
        SetProperty("NUM_INSTALLED_AGENTS", "5");

        EXPECT_EQ(Run("DecrementInstalledAgentsCount"), kErrorSuccess);

        EXPECT_EQ(Property("NUM_TALLIED_AGENTS"), after);
        EXPECT_EQ(Property("NUM_INSTALLED_AGENTS"), "5");
    }
}

TEST_F(AgentTallyTest, TallyAcceptsATallyThatMovedButDidNotReachZero) {
    struct Case {
        const char* action;
        const char* installed;
        const char* tallied;
        const char* okBefore;
        const char* okAfter;
    };
    const char* const tally = "TallyCompatibleAgents";
    const Case cases[] = {
        {tally, "2", "1", "0", "1"},   // one of two deselected
        {tally, "2", "0", "0", "0"},   // both deselected
        {tally, "2", "2", "0", "0"},   // nothing changed
        {tally, "2", "2", "1", "1"},   // an earlier "1" is left alone
        {tally, "1", "-1", "0", "1"},  // below zero still counts as moved
        {tally, "2", "02", "0", "0"},  // compared as numbers
        {tally, "x", "1", "0", "1"},   // unreadable count is 0
        {"OverrideTallyCompatibleAgents", "2", "2", "0", "1"},  // accepts whatever the tally
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.action) + " " + c.installed + "/" + c.tallied + "/" + c.okBefore);
        SetProperty("NUM_INSTALLED_AGENTS", c.installed);
        SetProperty("NUM_TALLIED_AGENTS", c.tallied);
        SetProperty("OK_AGENTS", c.okBefore);

        EXPECT_EQ(Run(c.action), kErrorSuccess);

        EXPECT_EQ(Property("OK_AGENTS"), c.okAfter);
        EXPECT_EQ(Property("NUM_INSTALLED_AGENTS"), c.installed);
        EXPECT_EQ(Property("NUM_TALLIED_AGENTS"), c.tallied);
    }
}

// Only the exact "0" warns.
TEST_F(AgentTallyTest, BadSelectionWarnsOnlyWhenTheTallySaysNo) {
    for (const char* ok : {"0", "1", static_cast<const char*>(nullptr), "00", "0 ", " 0", "false"}) {
        SCOPED_TRACE(ok ? ok : "(absent)");
        machine.dialogs.clear();
        machine.session.properties.erase("OK_AGENTS");
        if (ok != nullptr) SetProperty("OK_AGENTS", ok);
        const bool warns = ok != nullptr && std::string(ok) == "0";
        if (warns) Answer(platform::kIdOk);

        EXPECT_EQ(Run("MessageBadAgentsSelection"), kErrorSuccess);

        if (warns) {
            ExpectOneMessage(kNoAgentsText, 0x00010030u);
        } else {
            EXPECT_TRUE(machine.dialogs.empty());
        }
        EXPECT_EQ(HasProperty("OK_AGENTS") ? Property("OK_AGENTS") : "", ok ? ok : "");
    }
    EXPECT_FALSE(machine.unansweredDialog);
}

TEST_F(AgentTallyTest, IncompatibleSelectionIsRejectedWithAWarningWhateverTheTally) {
    for (const char* before : {static_cast<const char*>(nullptr), "1"}) {
        SCOPED_TRACE(before == nullptr ? "unset" : before);
        machine.dialogs.clear();
        if (before != nullptr) SetProperty("OK_AGENTS", before);
        Answer(platform::kIdOk);

        EXPECT_EQ(Run("SetInCompatibleAgents1"), kErrorSuccess);

        EXPECT_EQ(Property("OK_AGENTS"), "0");
        ExpectOneMessage(kInvalidCombinationText, 0x00010030u);
    }
}


const char* const kComponents[] = {"DOMAINCLIENT", "DOMAINSERVER", "LOCALCLIENT", "REMOTESERVER", "REMOTECLIENT"};

TEST_F(SelectionTest, InstallationStateReportsEachComponent) {
    struct Case {
        const char* name;
        std::vector<const char*> installed;
        std::set<std::string> on;  // the properties that read "1"; the others "0"
        bool productCode = true;   // without one the action fails and sets nothing
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        // Registration and the service features are no components.
        {"registration and services", {"Autoreg", "OASVC_Local", "OASVC_DomainHost"}, {}},
        {"server and remote access", {"DomainAuthServer", "RemoteAuthServer", "RemoteAuthClient"},
         {"DOMAINSERVER", "REMOTESERVER", "REMOTECLIENT"}},
        {"everything",
         {"LocalAuthClient", "DomainAuthClient", "DomainAuthServer", "RemoteAuthClient", "RemoteAuthServer"},
         {"DOMAINCLIENT", "DOMAINSERVER", "LOCALCLIENT", "REMOTESERVER", "REMOTECLIENT"}},
        {"no product code", {"LocalAuthClient"}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        machine.session.featureStates.clear();
        // A previous pass of the wizard may have left other answers.
        for (const char* property : kComponents) SetProperty(property, "1");
        for (const char* feature : c.installed) Install({feature});
        SetProperty("ProductCode", c.productCode ? kProduct : "");

        EXPECT_EQ(Run("GetInstallationState"),
                  c.productCode ? platform::kErrorSuccess : platform::kErrorInstallFailure);

        for (const char* property : kComponents) {
            EXPECT_EQ(Property(property), c.productCode ? (c.on.count(property) ? "1" : "0") : "1") << property;
        }
    }
    EXPECT_TRUE(machine.dialogs.empty());
}

constexpr const char* kNoComponentsText =
    "No Agent components have been selected.\n"
    "Specify at least one Agent component\n"
    "for Silent Installation.";

const char* const kRecorded[] = {"InstallSilentDAC", "InstallSilentLAC", "InstallSilentAUTOREG",
                                 "InstallSilentRAS", "InstallSilentEAP"};

struct ChoiceCase {
    const char* name;
    std::map<std::string, std::string> choices;  // "_DAC" -> "1"
    std::vector<std::string> recordedOn;         // InstallSilent... = "1"
    bool accepted;
};

class SilentSelectionTest : public SelectionTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(SilentSelectionTest, RecordsTheChoiceAndAcceptsOnlyAgentComponents) {
    const ChoiceCase& c = GetParam();
    SetProperty("ProductCode", "");  // the package builder has none to give
    // What an earlier pass recorded must not survive a changed choice.
    for (const char* recorded : kRecorded) SetProperty(recorded, "1");
    SetProperty("AGENT_SELECTION_OK", "1");
    for (const auto& [property, value] : c.choices) SetProperty(property, value);
    if (!c.accepted) Answer(platform::kIdOk);

    EXPECT_EQ(Run("CheckSilentInstallAgentSelection"), kErrorSuccess);

    for (const char* recorded : kRecorded) {
        const bool on = std::find(c.recordedOn.begin(), c.recordedOn.end(), recorded) != c.recordedOn.end();
        EXPECT_EQ(Property(recorded), on ? "1" : "0") << recorded;
    }
    EXPECT_EQ(Property("AGENT_SELECTION_OK"), c.accepted ? "1" : "0");
    if (c.accepted) {
        EXPECT_TRUE(machine.dialogs.empty());
    } else {
        ExpectOneMessage(kNoComponentsText, 0x00010030u);
    }
    // The builder's own choices are left as they were.
    for (const auto& [property, value] : c.choices) EXPECT_EQ(Property(property), value) << property;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SilentSelectionTest,
    ::testing::Values(
        ChoiceCase{"Nothing", {}, {}, false},
        // Registration alone is not an agent component.
        ChoiceCase{"AutoregOnly", {{"_AUTOREG", "1"}}, {"InstallSilentAUTOREG"}, false},
        ChoiceCase{"DomainClient", {{"_DAC", "1"}}, {"InstallSilentDAC"}, true},
        ChoiceCase{"LocalClient", {{"_LAC", "1"}}, {"InstallSilentLAC"}, true},
        ChoiceCase{"RemoteAccess", {{"_RAS", "1"}}, {"InstallSilentRAS"}, true},
        ChoiceCase{"Eap", {{"_EAP", "1"}}, {"InstallSilentEAP"}, true},
        ChoiceCase{"Everything", {{"_DAC", "1"}, {"_LAC", "1"}, {"_AUTOREG", "1"}, {"_RAS", "1"}, {"_EAP", "1"}},
                   {"InstallSilentDAC", "InstallSilentLAC", "InstallSilentAUTOREG", "InstallSilentRAS",
                    "InstallSilentEAP"},
                   true},
        // Only the exact text "1" is a checked box.
        ChoiceCase{"NotExactlyOne", {{"_DAC", "true"}, {"_LAC", "01"}, {"_RAS", "1 "}, {"_EAP", "Yes"}}, {}, false},
        // A value longer than the 16-byte buffer is read cut to 15 characters.
        ChoiceCase{"TooLong", {{"_DAC", "1111111111111111"}}, {}, false}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltra::testing
