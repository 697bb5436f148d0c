#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zorv::testing {

struct ZorvRun {
    int exitStatus = -1;  // -1 when the process did not exit normally
    std::string out;      // standard output
    std::string err;      // standard error
    long peakMemoryKilobytes = 0;  // the most memory the process held at once
    bool stoppedAtLimit = false;   // killed for running past a limit
};

// What a process that may run away (reading an endless device) is allowed.
struct ZorvLimits {
    std::chrono::seconds time;
    long memoryKilobytes;
};

// Runs the built zorv binary with the arguments in `workingDirectory`,
// standard input from /dev/null, and collects its two output streams apart.
// With limits, a process that runs longer or holds more memory is killed.
ZorvRun runZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory,
                      const std::optional<ZorvLimits>& limits = std::nullopt);
// The same with standard output written to `standardOutput` (/dev/full, say),
// which `out` then does not hold.
ZorvRun runZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory,
                      const std::filesystem::path& standardOutput,
                      const std::optional<ZorvLimits>& limits = std::nullopt);

// Starts the built zorv binary in `workingDirectory` without waiting for it,
// its streams to /dev/null, every signal that ends a process at its default
// action (a test runner started in the background may ignore some, SIGINT
// and SIGQUIT above all) and no core dumps (which SIGQUIT would leave in the
// folder). Returns the child's process id; the caller waits for it.
pid_t startZorvBinary(const std::vector<std::string>& arguments, const std::filesystem::path& workingDirectory);

}  // namespace zorv::testing
