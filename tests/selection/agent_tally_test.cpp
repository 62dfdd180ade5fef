// The compatible-agents tally and its two warnings.
#include <gtest/gtest.h>

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

class AgentTallyTest : public SelectionTest {
protected:
    void ExpectOneWarning(const char* text) {
        ASSERT_EQ(machine.dialogs.size(), 1u);
        const sim::DialogRecord& box = machine.dialogs[0];
        EXPECT_EQ(box.kind, "MessageBox");
        EXPECT_EQ(box.owner, "none");
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.style, 0x00010030u);
    }
};

// --- InitCompatibleAgents ------------------------------------------------------

struct CountCase {
    const char* name;
    std::vector<const char*> installed;
    const char* count;
};

class InitCountTest : public AgentTallyTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(InitCountTest, CountsTheLocallyInstalledAgentFeatures) {
    Install({"OASVC_Local", "ServerRootCertificate", "KeshServerConfigurationRecord"});
    for (const char* feature : GetParam().installed) Install({feature});
    SetProperty("OK_AGENTS", "1");

    EXPECT_EQ(Run("InitCompatibleAgents"), kErrorSuccess);

    EXPECT_EQ(Property("NUM_INSTALLED_AGENTS"), GetParam().count);
    EXPECT_EQ(Property("NUM_TALLIED_AGENTS"), GetParam().count);
    EXPECT_EQ(Property("OK_AGENTS"), "0");
    EXPECT_TRUE(machine.dialogs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InitCountTest,
    ::testing::Values(
        CountCase{"None", {}, "0"},
        CountCase{"One", {"LocalAuthClient"}, "1"},
        CountCase{"Two", {"DomainAuthClient", "RemoteAuthClient"}, "2"},
        CountCase{"AllSix",
                  {"LocalAuthClient", "DomainAuthClient", "DomainAuthServer", "RemoteAuthClient",
                   "RemoteAuthServer", "Autoreg"},
                  "6"}),
    [](const ::testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

TEST_F(AgentTallyTest, InitCountsOnlyLocalStatesOfThisProduct) {
    Install({"LocalAuthClient"}, platform::kInstallStateSource);
    Install({"DomainAuthClient"}, platform::kInstallStateAbsent);
    Install({"Autoreg"}, platform::kInstallStateUnknown);
    Install({"RemoteAuthServer"});
    machine.session.featureStates[kOtherProduct]["DomainAuthServer"] = platform::kInstallStateLocal;

    EXPECT_EQ(Run("InitCompatibleAgents"), kErrorSuccess);

    EXPECT_EQ(Property("NUM_INSTALLED_AGENTS"), "1");
}

TEST_F(AgentTallyTest, InitWithoutProductCodeFailsAndSetsNothing) {
    SetProperty("ProductCode", "");
    SetProperty("OK_AGENTS", "1");
    Install({"LocalAuthClient"});

    EXPECT_EQ(Run("InitCompatibleAgents"), kErrorInstallFailure);

    EXPECT_FALSE(HasProperty("NUM_INSTALLED_AGENTS"));
    EXPECT_FALSE(HasProperty("NUM_TALLIED_AGENTS"));
    EXPECT_EQ(Property("OK_AGENTS"), "1");
}

// --- DecrementInstalledAgentsCount ----------------------------------------------

struct DecrementCase {
    const char* before;  // null: the property is not set
    const char* after;
};

class DecrementTest : public AgentTallyTest, public ::testing::WithParamInterface<DecrementCase> {};

TEST_P(DecrementTest, LowersTheTallyByOne) {
    if (GetParam().before != nullptr) SetProperty("NUM_TALLIED_AGENTS", GetParam().before);
    SetProperty("NUM_INSTALLED_AGENTS", "5");

    EXPECT_EQ(Run("DecrementInstalledAgentsCount"), kErrorSuccess);

    EXPECT_EQ(Property("NUM_TALLIED_AGENTS"), GetParam().after);
    EXPECT_EQ(Property("NUM_INSTALLED_AGENTS"), "5");
}

INSTANTIATE_TEST_SUITE_P(
    Values, DecrementTest,
    ::testing::Values(DecrementCase{"2", "1"}, DecrementCase{"1", "0"},
                      // Nothing stops the tally below zero.
                      DecrementCase{"0", "-1"}, DecrementCase{"-1", "-2"},
                      // Text that is not a number counts as 0.
                      DecrementCase{nullptr, "-1"}, DecrementCase{"abc", "-1"},
                      // Only the leading digits are the number.
                      DecrementCase{"3 agents", "2"}, DecrementCase{"007", "6"},
                      // Nine characters fit the 10-byte buffer; a tenth is cut off.
                      DecrementCase{"123456789", "123456788"}, DecrementCase{"1234567890", "123456788"}));

// --- TallyCompatibleAgents -------------------------------------------------------

struct TallyCase {
    const char* installed;
    const char* tallied;
    const char* okBefore;
    const char* okAfter;
};

class TallyTest : public AgentTallyTest, public ::testing::WithParamInterface<TallyCase> {};

TEST_P(TallyTest, AcceptsATallyThatMovedButDidNotReachZero) {
    SetProperty("NUM_INSTALLED_AGENTS", GetParam().installed);
    SetProperty("NUM_TALLIED_AGENTS", GetParam().tallied);
    SetProperty("OK_AGENTS", GetParam().okBefore);

    EXPECT_EQ(Run("TallyCompatibleAgents"), kErrorSuccess);

    EXPECT_EQ(Property("OK_AGENTS"), GetParam().okAfter);
    EXPECT_EQ(Property("NUM_INSTALLED_AGENTS"), GetParam().installed);
    EXPECT_EQ(Property("NUM_TALLIED_AGENTS"), GetParam().tallied);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TallyTest,
    ::testing::Values(TallyCase{"2", "1", "0", "1"},   // one of two deselected
                      TallyCase{"2", "0", "0", "0"},   // both deselected
                      TallyCase{"2", "2", "0", "0"},   // nothing changed
                      TallyCase{"0", "0", "0", "0"},   // nothing installed
                      TallyCase{"2", "2", "1", "1"},   // an earlier "1" is left alone
                      TallyCase{"2", "0", "1", "1"},
                      TallyCase{"1", "-1", "0", "1"},  // below zero still counts as moved
                      TallyCase{"2", "02", "0", "0"},  // compared as numbers
                      TallyCase{"x", "1", "0", "1"})); // unreadable count is 0

// --- OverrideTallyCompatibleAgents -------------------------------------------------

TEST_F(AgentTallyTest, OverrideAcceptsWhateverTheTally) {
    SetProperty("NUM_INSTALLED_AGENTS", "2");
    SetProperty("NUM_TALLIED_AGENTS", "2");
    SetProperty("OK_AGENTS", "0");

    EXPECT_EQ(Run("OverrideTallyCompatibleAgents"), kErrorSuccess);

    EXPECT_EQ(Property("OK_AGENTS"), "1");
    EXPECT_EQ(Property("NUM_TALLIED_AGENTS"), "2");
}

// --- MessageBadAgentsSelection ------------------------------------------------------

TEST_F(AgentTallyTest, BadSelectionWarnsWhenTheTallySaysNo) {
    SetProperty("OK_AGENTS", "0");
    Answer(platform::kIdOk);

    EXPECT_EQ(Run("MessageBadAgentsSelection"), kErrorSuccess);

    ExpectOneWarning(kNoAgentsText);
    EXPECT_EQ(Property("OK_AGENTS"), "0");
}

class BadSelectionSilentTest : public AgentTallyTest,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(BadSelectionSilentTest, NoWarningUnlessExactlyZero) {
    if (GetParam() != nullptr) SetProperty("OK_AGENTS", GetParam());

    EXPECT_EQ(Run("MessageBadAgentsSelection"), kErrorSuccess);

    EXPECT_TRUE(machine.dialogs.empty());
    EXPECT_FALSE(machine.unansweredDialog);
}

INSTANTIATE_TEST_SUITE_P(Values, BadSelectionSilentTest,
                         ::testing::Values("1", nullptr, "00", "0 ", " 0", "false"));

// --- SetInCompatibleAgents1 ----------------------------------------------------------

TEST_F(AgentTallyTest, IncompatibleSelectionIsRejectedWithAWarningWhateverTheTally) {
    for (const char* before : {static_cast<const char*>(nullptr), "1"}) {
        SCOPED_TRACE(before == nullptr ? "unset" : before);
        machine.dialogs.clear();
        if (before != nullptr) SetProperty("OK_AGENTS", before);
        Answer(platform::kIdOk);

        EXPECT_EQ(Run("SetInCompatibleAgents1"), kErrorSuccess);

        EXPECT_EQ(Property("OK_AGENTS"), "0");
        ExpectOneWarning(kInvalidCombinationText);
    }
}

}  // namespace
}  // namespace veltra::testing
