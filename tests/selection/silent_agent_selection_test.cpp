// CheckSilentInstallAgentSelection: the package builder's component choice.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "selection_fixture.h"

namespace veltra::testing {
namespace {

using platform::kErrorSuccess;

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
        ChoiceCase{"AllUnchecked",
                   {{"_DAC", "0"}, {"_LAC", "0"}, {"_AUTOREG", "0"}, {"_RAS", "0"}, {"_EAP", "0"}},
                   {},
                   false},
        // Registration alone is not an agent component.
        ChoiceCase{"AutoregOnly", {{"_AUTOREG", "1"}}, {"InstallSilentAUTOREG"}, false},
        ChoiceCase{"DomainClient", {{"_DAC", "1"}}, {"InstallSilentDAC"}, true},
        ChoiceCase{"LocalClient", {{"_LAC", "1"}}, {"InstallSilentLAC"}, true},
        ChoiceCase{"RemoteAccess", {{"_RAS", "1"}}, {"InstallSilentRAS"}, true},
        ChoiceCase{"Eap", {{"_EAP", "1"}}, {"InstallSilentEAP"}, true},
        ChoiceCase{"LocalWithRegistration", {{"_LAC", "1"}, {"_AUTOREG", "1"}},
                   {"InstallSilentLAC", "InstallSilentAUTOREG"}, true},
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
