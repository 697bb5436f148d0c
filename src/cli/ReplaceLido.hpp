#pragma once

#include <cstdint>
#include <optional>

#include "cli/ConvertGlobalOptions.hpp"
#include "cli/LibraryServices.hpp"
#include "cli/ParsableCommand.hpp"

namespace zorv::cli {

// zorv convert replace-lido: a copy of a Macintosh device image whose Lido
// driver is replaced by the HD SC Setup 7.3.5 driver.
class ReplaceLido : public ParsableCommand {
public:
    explicit ReplaceLido(const LibraryServices& library) : library_(library) {}

    CommandConfiguration configuration() const override;
    void declareArguments(Arguments& arguments) override;
    // Refuses an output file that is the input; reads and detects the input;
    // accepts only a Macintosh device image with a Lido partition. Prints
    // nothing.
    void validate(std::ostream& out) override;
    void run(std::ostream& out) override;

    ConvertGlobalOptions convertOptions;

private:
    const LibraryServices& library_;
    // What validation read and detected, and the position of the first Lido
    // partition among the device's partitions.
    std::optional<DetectedImage> input_;
    int64_t lidoPartition_ = 0;
};

}  // namespace zorv::cli
