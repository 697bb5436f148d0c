#pragma once

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

}  // namespace zorv::testing
