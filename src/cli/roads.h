// Installation roads: how the bench asks the simulated installer to run a
// package — a first installation, a removal, package creation, a silent
// installation. A road is only the command line and the user-interface
// level; which actions run, in which order, under which conditions and with
// which data is the package's own sequence, read from the package.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sim/engine/engine.h"
#include "platform/sim/engine/package.h"
#include "platform/sim/machine.h"

namespace veltra::cli {

struct Road {
    std::string_view name;
    std::string_view description;
    std::vector<std::pair<std::string, std::string>> commandLine;
    int uiLevel = 5;
};

const std::vector<Road>& Roads();
const Road* FindRoad(std::string_view name);

// The test package this build made for the bench (see packaging/).
std::filesystem::path BenchPackage();

// Runs the road's installation of the package on the machine.
sim::engine::InstallOutcome RunRoad(const Road& road, const sim::engine::Package& package, sim::Machine& machine);

}  // namespace veltra::cli
