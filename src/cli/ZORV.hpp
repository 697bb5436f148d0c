#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/Analyze.hpp"
#include "cli/Convert.hpp"
#include "cli/Create.hpp"
#include "cli/LibraryServices.hpp"
#include "cli/ParsableCommand.hpp"

namespace zorv::cli {

// The root command `zorv`: the command tree and the version flag.
class ZORV : public ParsableCommand {
public:
    explicit ZORV(const LibraryServices& library = LibraryServices::standard())
        : create(library), analyze(library), convert(library) {}

    CommandConfiguration configuration() const override;
    void declareArguments(Arguments& arguments) override;
    std::vector<ParsableCommand*> subcommands() override { return {&create, &analyze, &convert}; }
    // Prints the version text when asked; never fails, and parsing goes on.
    void validate(std::ostream& out) override;
    // No work of its own: the root's help.
    void run(std::ostream&) override { throw HelpRequest{}; }

    // Begins with an empty line, then "Zorvix for macOS v2.1 (May 2024).".
    static const std::string versionText;

    bool version = false;
    Create create;
    Analyze analyze;
    Convert convert;
};

// The process: decodes the arguments (less the program name), validates,
// runs the chosen command and returns the exit status (0, 1 or 64).
int runZORV(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
            const LibraryServices& library = LibraryServices::standard());

}  // namespace zorv::cli
