#include "process.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "cli_runner.h"

namespace veltra::e2e {

using cli::ShellQuoted;

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    std::string command;
    if (!options.workingDirectory.empty()) command = "cd " + ShellQuoted(options.workingDirectory.string()) + " && ";
    command += "env";
    for (const auto& [name, value] : options.environment) {
        command += value ? " " + ShellQuoted(name + "=" + *value) : " -u " + ShellQuoted(name);
    }
    // A program that ignores the polite signal is killed 5 seconds later.
    command += " timeout -k 5 " + std::to_string(options.timeout.count());
    for (const std::string& argument : argv) command += " " + ShellQuoted(argument);
    command += " </dev/null >" + ShellQuoted(options.outputFile.string()) + " 2>&1";
    const int status = std::system(command.c_str());
    ProcessResult result;
    if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    // timeout's own statuses: 124 when it ended the program, 137 when it had to kill it.
    result.timedOut = result.exitCode == 124 || result.exitCode == 137;
    std::ifstream captured(options.outputFile, std::ios::binary);
    result.output.assign(std::istreambuf_iterator<char>(captured), std::istreambuf_iterator<char>());
    return result;
}

}  // namespace veltra::e2e
