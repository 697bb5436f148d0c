#pragma once

#include <optional>
#include <string>

#include "cli/LibraryServices.hpp"
#include "cli/ParsableCommand.hpp"

namespace zorv::cli {

// zorv analyze: prints the text report of an image, or writes its JSON
// report to a file.
class Analyze : public ParsableCommand {
public:
    explicit Analyze(const LibraryServices& library) : library_(library) {}

    CommandConfiguration configuration() const override;
    void declareArguments(Arguments& arguments) override;
    // Refuses an output file that is the input file: the report would
    // replace the user's disk image.
    void validate(std::ostream& out) override;
    void run(std::ostream& out) override;

    std::string inputFile;
    std::optional<std::string> outputFile;
    bool fileHierarchy = false;

private:
    const LibraryServices& library_;
};

}  // namespace zorv::cli
