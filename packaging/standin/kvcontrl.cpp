// A stand-in for the agent's control-panel applet "kvcontrl.cpl", for the
// end-to-end installations of the domain authentication server under Wine.
// It exports the one entry the installation calls, ConfigureNAPServer
// (stdcall, the owner window in, a result out), and shows no dialog.
//
// A test chooses its answers with a text file beside it, "kvcontrl.results":
// whitespace-separated numbers, the first for the first call, the next for
// the next, and 0 once they run out (or without the file). Every call adds a
// line to "kvcontrl.calls" beside it, so the test can count the calls.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HMODULE self = nullptr;

// A file in the applet's own folder; "" when the folder cannot be named.
std::string SiblingPath(const char* name) {
    char module[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(self, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string path(module, length);
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return {};
    path.resize(slash + 1);
    return path + name;
}

// How many calls came before this one.
unsigned long CallsSoFar(const std::string& callsPath) {
    unsigned long lines = 0;
    if (FILE* calls = std::fopen(callsPath.c_str(), "r")) {
        for (int c = std::fgetc(calls); c != EOF; c = std::fgetc(calls)) {
            if (c == '\n') ++lines;
        }
        std::fclose(calls);
    }
    return lines;
}

// The scripted result of call number `index` (0-based), 0 when there is none.
DWORD ScriptedResult(const std::string& resultsPath, unsigned long index) {
    DWORD result = 0;
    if (FILE* results = std::fopen(resultsPath.c_str(), "r")) {
        unsigned long value = 0;
        for (unsigned long i = 0; std::fscanf(results, "%lu", &value) == 1; ++i) {
            if (i == index) {
                result = static_cast<DWORD>(value);
                break;
            }
        }
        std::fclose(results);
    }
    return result;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI ConfigureNAPServer(HWND owner) {
    const std::string callsPath = SiblingPath("kvcontrl.calls");
    if (callsPath.empty()) return 0;
    const unsigned long index = CallsSoFar(callsPath);
    const DWORD result = ScriptedResult(SiblingPath("kvcontrl.results"), index);
    if (FILE* calls = std::fopen(callsPath.c_str(), "a")) {
        std::fprintf(calls, "call %lu owner %s result %lu\n", index + 1, owner != nullptr ? "set" : "none",
                     static_cast<unsigned long>(result));
        std::fclose(calls);
    }
    return result;
}
