#include <iostream>
#include <string>
#include <vector>

#include "cli/ZORV.hpp"
#include "platform/LocalTimeZone.hpp"

int main(int argc, char** argv) {
    zorv::useHostTimeZoneOnce();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return zorv::cli::runZORV(arguments, std::cout, std::cerr);
}
