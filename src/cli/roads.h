// Installation roads: the orders in which the package's sequences call the
// actions, as the bench replays them. A road is data: its steps and the
// properties the wizard would have set before them.
#pragma once

#include <map>

#include "cli/report.h"
#include "platform/sim/machine.h"
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltra::cli {

struct RoadStep {
    enum class Kind {
        Action,     // run an exported action
        LayFiles,   // the installer lays down files (paths may name [PROPERTIES])
        RemoveFiles,// the installer removes files
        SetProperty // the sequence or a dialog sets a property
    };
    Kind kind = Kind::Action;
    std::string name;  // the action, or the property
    // Action: how a deferred action gets its CustomActionData.
    //   ""            immediate action
    //   "="           the property named after the action (set by its partner)
    //   "=NAME"       the property NAME
    //   anything else a formatted template such as "[INSTALLDIR]KeshGina.dll;[UILevel]"
    // SetProperty: the formatted value. LayFiles: unused.
    std::string data;
    std::vector<std::string> files;  // LayFiles and RemoveFiles only
    bool immediateRun = false;       // a deferred action run immediately (package creation)
};

struct Road {
    std::string_view name;
    std::string_view description;
    std::vector<std::pair<std::string, std::string>> presets;  // properties before the first step
    std::vector<RoadStep> steps;
};

const std::vector<Road>& Roads();
const Road* FindRoad(std::string_view name);

// Runs the road's steps on the machine until one fails (later steps are
// listed as not reached); true when every step that ran returned 0 and no
// dialog went unanswered.
bool RunRoadSteps(const Road& road, sim::Machine& machine, std::vector<StepResult>& steps);

// Windows Installer's [PROPERTY] substitution, enough for CustomActionData
// templates: [NAME] becomes the property's value ("" when absent).
std::string FormatTemplate(std::string_view text, const std::map<std::string, std::string>& properties);

}  // namespace veltra::cli
