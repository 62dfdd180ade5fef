// The test package the bench runs, read once per test binary: the road
// scenarios run it with the simulated installer.
#pragma once

#include "platform/sim/engine/engine.h"

namespace veltra::testing {

// The package's tables; a failed read is a test failure (and no tables).
const sim::engine::Package& TestPackage();

}  // namespace veltra::testing
