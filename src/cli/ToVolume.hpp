#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/ConvertGlobalOptions.hpp"
#include "cli/LibraryServices.hpp"
#include "cli/ParsableCommand.hpp"
#include "disk_image/model/PartitionMapEntryRepresentable.hpp"

namespace zorv::cli {

// zorv convert to-volume: the volume of one partition of a Macintosh device
// image written as a bare volume image.
class ToVolume : public ParsableCommand {
public:
    explicit ToVolume(const LibraryServices& library) : library_(library) {}

    CommandConfiguration configuration() const override;
    void declareArguments(Arguments& arguments) override;
    // Refuses an output file that is the input; reads and detects the input,
    // prints its image-type line, accepts only a Macintosh device image and
    // settles the partition number, choosing the only convertible partition
    // by itself.
    void validate(std::ostream& out) override;
    void run(std::ostream& out) override;

    // "Convertible Partitions:\n" and one line per partition: its number from
    // 1, ":", a tab, "<type label> (<name>), Start: <start>, Length: <length>".
    static std::string partitionList(
        const std::vector<std::shared_ptr<const PartitionMapEntryRepresentable>>& convertible);

    ConvertGlobalOptions convertOptions;
    // Counts convertible partitions (isInteresting) only, from 1, in the
    // device's order.
    std::optional<int64_t> partition;

private:
    const LibraryServices& library_;
    // What validation read and detected, which the run converts.
    std::optional<DetectedImage> input_;
};

}  // namespace zorv::cli
