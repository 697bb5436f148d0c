#pragma once

#include <optional>

#include "cli/ConvertGlobalOptions.hpp"
#include "cli/LibraryServices.hpp"
#include "cli/ParsableCommand.hpp"

namespace zorv::cli {

// zorv convert to-device: an HFS or ProDOS volume image turned into a device
// image with a partition map and the HD SC Setup 7.3.5 driver.
class ToDevice : public ParsableCommand {
public:
    explicit ToDevice(const LibraryServices& library) : library_(library) {}

    CommandConfiguration configuration() const override;
    void declareArguments(Arguments& arguments) override;
    // Refuses an output file that is the input; reads and detects the input,
    // prints its image-type line, and accepts only an HFS or a ProDOS volume.
    void validate(std::ostream& out) override;
    void run(std::ostream& out) override;

    ConvertGlobalOptions convertOptions;

private:
    const LibraryServices& library_;
    // What validation read and detected, which the run converts.
    std::optional<DetectedImage> input_;
};

}  // namespace zorv::cli
