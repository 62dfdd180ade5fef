// Running a program with a hard time limit, its output captured in a file.
// Wine's tools can hang (a dialog waiting for a button nobody presses), so
// nothing here waits without a limit.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace veltra::e2e {

struct ProcessResult {
    bool timedOut = false;
    int exitCode = -1;   // when it exited normally
    std::string output;  // what it wrote to stdout and stderr
};

struct ProcessOptions {
    // Variables set (value) or removed (nullopt) for the program.
    std::map<std::string, std::optional<std::string>> environment;
    std::chrono::seconds timeout{60};
    std::filesystem::path outputFile;  // where stdout and stderr go
    std::filesystem::path workingDirectory;  // the program's current folder, unless empty
};

// Runs argv[0] (searched on PATH) under coreutils' timeout, which ends the
// program's whole process group when the time is up.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options);

}  // namespace veltra::e2e
