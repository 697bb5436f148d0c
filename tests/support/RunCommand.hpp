#pragma once

#include <map>
#include <string>
#include <vector>

namespace zorv::testing {

struct CommandResult {
    int exitStatus = -1;  // the exit status, or -1 when the command did not exit normally
    std::string output;   // standard output and standard error, interleaved
};

// Runs a program found on PATH with its arguments (no shell), standard input
// from /dev/null, with `environment` added to (or replacing entries of) the
// test's own environment, and waits for it.
CommandResult runCommand(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment = {});

// True when an executable of that name is on PATH.
bool isCommandAvailable(const std::string& name);

}  // namespace zorv::testing
