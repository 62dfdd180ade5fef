// Runs a program as a user does: a process, its output and its exit status.
#pragma once

#include <string>
#include <vector>

namespace veltra::cli {

struct Outcome {
    int status = -1;
    std::string out;  // standard output and standard error together
};

Outcome Run(const std::string& program, const std::vector<std::string>& arguments);

// One word for the shell, whatever it holds.
std::string ShellQuoted(const std::string& argument);

#ifdef AGENTCA
inline Outcome Agentca(const std::vector<std::string>& arguments) { return Run(AGENTCA, arguments); }
#endif

}  // namespace veltra::cli
