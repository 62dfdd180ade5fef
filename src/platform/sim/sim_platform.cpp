#include "platform/sim/sim_platform.h"

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_installer.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"
#include "platform/sim/sim_versions.h"

namespace veltra::sim {

struct SimPlatform::Ports {
    explicit Ports(Machine& machine)
        : installer(machine),
          registry(machine.registry, machine.faults, machine.trace, &machine.unfitEntries),
          files(machine),
          system(machine),
          windows(machine),
          services(machine),
          accounts(machine),
          versions(machine),
          shell(machine),
          platform{installer, registry, files, system, windows, services, accounts, versions, shell} {}

    SimInstaller installer;
    SimRegistry registry;
    SimFiles files;
    SimSystem system;
    SimUi windows;
    SimServices services;
    SimAccounts accounts;
    SimVersions versions;
    SimShell shell;
    platform::Platform platform;
};

SimPlatform::SimPlatform(Machine& machine) : machine_(machine), ports_(std::make_unique<Ports>(machine)) {}

SimPlatform::~SimPlatform() = default;

platform::Platform& SimPlatform::platform() { return ports_->platform; }

}  // namespace veltra::sim
