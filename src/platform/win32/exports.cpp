// The library's entry points: the DLL entry and one export per line of the
// action table. Each export is the same two lines: build the real platform
// for the installer's session, run the action's logic through the common
// frame. The module-definition file, generated from the same table, exports
// them under their plain names.
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"
#include "runtime/action_table.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    // The library keeps no per-thread state; thread notifications only cost.
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    return TRUE;
}

#define VELTRA_EXPORT_ACTION(name)                                             \
    extern "C" UINT WINAPI name(MSIHANDLE session) {                           \
        veltra::win32::Win32Platform platform(session);                        \
        return veltra::runtime::RunAction(*veltra::runtime::FindAction(#name), \
                                          platform.platform());                \
    }
#define ACTION(name, kind, description) VELTRA_EXPORT_ACTION(name)
#define PLANNED(name, kind, description) VELTRA_EXPORT_ACTION(name)
#include "runtime/action_list.h"
#undef ACTION
#undef PLANNED
#undef VELTRA_EXPORT_ACTION
