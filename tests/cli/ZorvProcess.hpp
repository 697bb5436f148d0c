#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zorv::testing {

struct ZorvRun {
    int exitStatus = -1;  // -1 when the process did not exit normally
    std::string out;      // standard output
    std::string err;      // standard error
};

// Runs the built zorv binary with the arguments in `workingDirectory`,
// standard input from /dev/null, and collects its two output streams apart.
ZorvRun runZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory);
// The same with standard output written to `standardOutput` (/dev/full, say),
// which `out` then does not hold.
ZorvRun runZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory,
                      const std::filesystem::path& standardOutput);

// Starts the built zorv binary in `workingDirectory` without waiting for it,
// its streams to /dev/null, every signal that ends a process at its default
// action (a test runner started in the background may ignore some, SIGINT
// and SIGQUIT above all) and no core dumps (which SIGQUIT would leave in the
// folder). Returns the child's process id; the caller waits for it.
pid_t startZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory);

}  // namespace zorv::testing
