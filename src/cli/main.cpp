#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/ZORV.hpp"
#include "platform/DescriptorOutputBuffer.hpp"
#include "platform/LocalTimeZone.hpp"

int main(int argc, char** argv) {
    zorv::useHostTimeZoneOnce();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Standard output that cannot be written (a full disk, /dev/full) fails
    // the command with the system's error, where std::cout would drop the
    // output and let the command succeed.
    zorv::DescriptorOutputBuffer standardOutput(STDOUT_FILENO);
    std::ostream out(&standardOutput);
    out.exceptions(std::ios::badbit);
    // The lines the image library prints itself (a partition type it does
    // not know) share the buffer, in order with the command's output.
    std::streambuf* const earlier = std::cout.rdbuf(&standardOutput);
    const int status = zorv::cli::runZORV(arguments, out, std::cerr);
    std::cout.rdbuf(earlier);
    return status;
}
