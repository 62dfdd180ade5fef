// Runs agentca as a user does: a process, its output and its exit status.
#pragma once

#include <string>
#include <vector>

namespace veltra::cli {

struct Outcome {
    int status = -1;
    std::string out;  // standard output and standard error together
};

Outcome Agentca(const std::vector<std::string>& arguments);

}  // namespace veltra::cli
