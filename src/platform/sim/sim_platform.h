// Every port of the simulated machine, bundled as the Platform an action takes.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/sim/machine.h"

namespace veltra::sim {

class SimPlatform {
public:
    explicit SimPlatform(Machine& machine);
    ~SimPlatform();
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    platform::Platform& platform() { return *platform_; }
    Machine& machine() { return machine_; }

private:
    Machine& machine_;
    std::unique_ptr<platform::Installer> installer_;
    std::unique_ptr<platform::Registry> registry_;
    std::unique_ptr<platform::Files> files_;
    std::unique_ptr<platform::System> system_;
    std::unique_ptr<platform::Windows> windows_;
    std::unique_ptr<platform::Services> services_;
    std::unique_ptr<platform::Accounts> accounts_;
    std::unique_ptr<platform::Versions> versions_;
    std::unique_ptr<platform::Shell> shell_;
    std::unique_ptr<platform::Platform> platform_;
};

}  // namespace veltra::sim
