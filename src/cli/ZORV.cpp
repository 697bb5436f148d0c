#include "cli/ZORV.hpp"

#include <ostream>

#include "cli/Arguments.hpp"
#include "cli/CommandLine.hpp"

namespace zorv::cli {

const std::string ZORV::versionText =
    "\n"
    "Zorvix for macOS v2.1 (May 2024).\n"
    "Made for the owners of vintage Macintosh, Apple II, Atari ST and Amiga computers.\n"
    "\n"
    "If zorv saves your old disks, consider donating to a computer museum near you.\n"
    "\n"
    "This program is distributed in the hope that it will be useful,\n"
    "but WITHOUT ANY WARRANTY; without even the implied warranty of\n"
    "MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE.\n"
    "Keep a copy of every disk image you care about before converting it.";

CommandConfiguration ZORV::configuration() const {
    return {"ZORV", "Zorvix is a utility to create and analyze disk images for your retro stuff"};
}

void ZORV::declareArguments(Arguments& arguments) {
    arguments.flag("version", {"-v"}, "Show version information.", version);
}

void ZORV::validate(std::ostream& out) {
    if (version) out << versionText << '\n';
}

int runZORV(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
            const LibraryServices& library) {
    ZORV root(library);
    CommandLine commandLine(root);
    return commandLine.execute(arguments, out, err);
}

}  // namespace zorv::cli
