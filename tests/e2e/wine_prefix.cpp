#include "wine_prefix.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace veltra::e2e {

namespace fs = std::filesystem;

WinePrefix::WinePrefix(fs::path prefix, fs::path work) : prefix_(std::move(prefix)), work_(std::move(work)) {
    fs::create_directories(work_);
}

WinePrefix::~WinePrefix() {
    KillServer();
}

std::string WinePrefix::WindowsPath(const fs::path& host) {
    std::string path = "Z:" + fs::absolute(host).lexically_normal().string();
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

bool WinePrefix::CopyFrom(const fs::path& base, std::string& error) {
    std::error_code ec;
    fs::remove_all(prefix_, ec);
    if (!fs::exists(base / "system.reg")) {
        error = "no base prefix at " + base.string() + " (the e2e_prefix test creates it)";
        return false;
    }
    fs::create_directories(prefix_.parent_path(), ec);
    // Symbolic links (the drive letters) stay links.
    fs::copy(base, prefix_, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (ec) {
        error = "copying " + base.string() + ": " + ec.message();
        return false;
    }
    return true;
}

ProcessOptions WinePrefix::Options(const std::string& step, std::chrono::seconds timeout) const {
    ProcessOptions options;
    options.timeout = timeout;
    options.outputFile = work_ / (step + ".out");
    // Programs start in the system folder, as the installer service's custom
    // actions do on Windows: a relative file name is looked for there.
    options.workingDirectory = DriveC() / "windows" / "system32";
    options.environment = {
        {"WINEPREFIX", prefix_.string()},
        {"WINEDEBUG", "-all"},
        // No Mono or Gecko: their installers would ask to download.
        {"WINEDLLOVERRIDES", "mscoree,mshtml="},
        // No display: nothing can show a window and wait for a button.
        {"DISPLAY", std::nullopt},
        {"WAYLAND_DISPLAY", std::nullopt},
    };
    return options;
}

ProcessResult WinePrefix::Wine(const std::vector<std::string>& arguments, const std::string& step,
                               std::chrono::seconds timeout) {
    std::vector<std::string> argv = {VELTRA_WINE};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ProcessResult result = RunProcess(argv, Options(step, timeout));
    if (result.timedOut) KillServer();
    return result;
}

void WinePrefix::WaitForServer() {
    if (RunProcess({VELTRA_WINESERVER, "-w"}, Options("wineserver-wait", std::chrono::seconds(60))).timedOut) {
        KillServer();
    }
}

void WinePrefix::KillServer() {
    if (!fs::exists(prefix_)) return;
    RunProcess({VELTRA_WINESERVER, "-k"}, Options("wineserver-kill", std::chrono::seconds(30)));
}

bool WinePrefix::ImportRegFile(const fs::path& file, std::string& error) {
    const ProcessResult result = Wine({"regedit", "/s", WindowsPath(file)}, "regedit-import");
    if (result.timedOut || result.exitCode != 0) {
        error = "regedit /s " + file.string() + " failed (exit " + std::to_string(result.exitCode) +
                (result.timedOut ? ", timed out" : "") + "):\n" + result.output;
        return false;
    }
    return true;
}

std::vector<std::uint8_t> WinePrefix::ExportKey(const std::string& key, const std::string& step) {
    const fs::path file = work_ / (step + ".reg");
    std::error_code ec;
    fs::remove(file, ec);
    // regedit reports a missing key on its output and writes no file.
    Wine({"regedit", "/e", WindowsPath(file), key}, step);
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace veltra::e2e
