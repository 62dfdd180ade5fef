// What the capture reads from Windows besides the registry and the files:
// the environment, the computer, the agent's services and group, the
// installed products with their feature states. Read calls only.
#pragma once

#include "platform/sim/machine.h"

namespace veltra::capture {

void CaptureInventory(sim::Machine& out);

}  // namespace veltra::capture
