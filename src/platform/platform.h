// Everything an action may touch: one reference per port. An exported action
// builds this from the real system (or a test from the simulated machine) and
// hands it to the action's logic.
#pragma once

#include "platform/accounts.h"
#include "platform/files.h"
#include "platform/installer.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/versions.h"
#include "platform/ui.h"

namespace veltra::platform {

struct Platform {
    Installer& installer;
    Registry& registry;
    Files& files;
    System& system;
    Windows& windows;
    Services& services;
    Accounts& accounts;
    Versions& versions;
    Shell& shell;
};

}  // namespace veltra::platform
