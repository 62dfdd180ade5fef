// Costing as the installer settles it: the target and source folder of every
// directory of the package, and which features and components an
// installation adds or removes (from ADDLOCAL, REMOVE, the feature levels
// and what is installed already).
#pragma once

#include <map>
#include <string>

#include "platform/sim/engine/package.h"

namespace veltra::sim::engine {

struct Costing {
    std::map<std::string, std::string> targetFolders;  // directory -> path ending with '\'
    std::map<std::string, std::string> sourceFolders;
    // INSTALLSTATE numbers: installed before this installation, and the
    // action this installation takes (-1 for none).
    std::map<std::string, int> featureInstalled, featureAction;
    std::map<std::string, int> componentInstalled, componentAction;

    // The state a feature or component has once the installation is done.
    int FeatureAfter(const std::string& feature) const;
    int ComponentAfter(const std::string& component) const;
};

// Resolves every directory: a directory named by a property that is set takes
// its value (the system folders, or INSTALLDIR from the command line);
// otherwise its parent's path and its own name. Sets the directory
// properties the installer sets.
void ResolveFolders(const Package& package, std::map<std::string, std::string>& properties, Costing& costing);

// Installed states come from the product's registration (feature -> state);
// `productInstalled` tells a maintenance run from a first installation.
void ChooseStates(const Package& package, const std::map<std::string, std::string>& properties,
                  const std::map<std::string, int>& registered, bool productInstalled,
                  bool allOnlyAsWholeValue, Costing& costing);

}  // namespace veltra::sim::engine
