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

    platform::Platform& platform();
    Machine& machine() { return machine_; }

private:
    // The ports live together in one block: an action gets a fresh set, and
    // a road runs dozens of actions.
    struct Ports;
    Machine& machine_;
    std::unique_ptr<Ports> ports_;
};

}  // namespace veltra::sim
