#include "platform/sim/sim_platform.h"

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_installer.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"
#include "platform/sim/sim_versions.h"

namespace veltra::sim {

SimPlatform::SimPlatform(Machine& machine)
    : machine_(machine),
      installer_(std::make_unique<SimInstaller>(machine)),
      registry_(std::make_unique<SimRegistry>(machine.registry, machine.faults, machine.trace,
                                                &machine.unfitEntries)),
      files_(std::make_unique<SimFiles>(machine)),
      system_(std::make_unique<SimSystem>(machine)),
      windows_(std::make_unique<SimUi>(machine)),
      services_(std::make_unique<SimServices>(machine)),
      accounts_(std::make_unique<SimAccounts>(machine)),
      versions_(std::make_unique<SimVersions>(machine)),
      shell_(std::make_unique<SimShell>(machine)),
      platform_(std::make_unique<platform::Platform>(platform::Platform{
          *installer_, *registry_, *files_, *system_, *windows_, *services_, *accounts_, *versions_, *shell_})) {}

SimPlatform::~SimPlatform() = default;

}  // namespace veltra::sim
