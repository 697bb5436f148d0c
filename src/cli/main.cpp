#include <iostream>
#include <string>
#include <vector>

#include "cli/ZORV.hpp"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return zorv::cli::runZORV(arguments, std::cout, std::cerr);
}
