// Declarations of the exported actions' logic, one per line of the table.
#pragma once

#include "platform/platform.h"

namespace veltra::actions {

#define ACTION(name, kind, description) platform::Dword name(platform::Platform& platform);
#define PLANNED(name, kind, description) platform::Dword name(platform::Platform& platform);
#include "runtime/action_list.h"
#undef ACTION
#undef PLANNED

}  // namespace veltra::actions
