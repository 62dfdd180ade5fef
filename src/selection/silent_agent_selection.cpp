// CheckSilentInstallAgentSelection: the package builder's choice of
// components, recorded as the InstallSilent properties that go into the
// package's options file. A package must install at least one agent
// component; product registration alone is not an agent.
#include <cstddef>
#include <string>

#include "platform/platform.h"
#include "runtime/actions.h"
#include "runtime/messages.h"
#include "runtime/session.h"

namespace veltra::actions {
namespace {

constexpr const char* kNoComponentsSelected =
    "No Agent components have been selected.\n"
    "Specify at least one Agent component\n"
    "for Silent Installation.";

// The builder's check boxes are read into 16 bytes.
constexpr std::size_t kChoiceBuffer = 16;

struct ComponentChoice {
    const char* choice;     // the builder dialog's property
    const char* recorded;   // what the package records
    bool isAgent;
};

constexpr ComponentChoice kChoices[] = {
    {"_DAC", "InstallSilentDAC", true},
    {"_LAC", "InstallSilentLAC", true},
    {"_AUTOREG", "InstallSilentAUTOREG", false},
    {"_RAS", "InstallSilentRAS", true},
    {"_EAP", "InstallSilentEAP", true},
};

}  // namespace

platform::Dword CheckSilentInstallAgentSelection(platform::Platform& platform) {
    platform::Installer& installer = platform.installer;

    installer.SetProperty("AGENT_SELECTION_OK", "0");
    for (const ComponentChoice& component : kChoices) installer.SetProperty(component.recorded, "0");

    bool agentChosen = false;
    for (const ComponentChoice& component : kChoices) {
        const std::string value = runtime::GetMsiPropertyFixed(installer, component.choice, kChoiceBuffer);
        if (value == "1") {
            installer.SetProperty(component.recorded, "1");
            if (component.isAgent) agentChosen = true;
        }
    }

    if (!agentChosen) {
        runtime::ShowMessage(platform.windows, platform::Hwnd{}, kNoComponentsSelected,
                             runtime::style::kForegroundWarning);
        return platform::kErrorSuccess;
    }
    installer.SetProperty("AGENT_SELECTION_OK", "1");
    return platform::kErrorSuccess;
}

}  // namespace veltra::actions
