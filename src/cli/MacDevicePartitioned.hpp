#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/ParsableCommand.hpp"
#include "cli/PartitionDefinition.hpp"

namespace zorv::cli {

// zorv create mac-device-partitioned: a Macintosh device image with the HD SC
// Setup 7.3.5 driver and one partition per volume the layout names (premade
// sets from the premade server, the volumes of local image files, blank HFS
// and ProDOS volumes), or, with a listing flag, the list of premade sets.
//
// The manifest of the premade server is fetched at most once per run: for a
// listing, or at the first layout entry that names a premade set. Nothing is
// written before every volume has been gathered and the device laid out.
class MacDevicePartitioned : public ParsableCommand {
public:
    CommandConfiguration configuration() const override;
    void declareArguments(Arguments& arguments) override;
    // Listing flags pass at once; then the SCSI ID, the source of the layout
    // (reading and decoding --config-file), the sizes of the blank volumes,
    // and the output file, which must not be one of the local files.
    void validate(std::ostream& out) override;
    void run(std::ostream& out) override;

    // "HD10_512.hda" for SCSI ID 1.
    static std::string defaultFileName(int64_t scsiID);

    // The blank volumes of a layout, checked in layout order before anything
    // is fetched or written: each size must hold its volume (at least 1
    // megabyte for either kind, at most what a blank HFS volume can be laid
    // out in), and the blank volumes with the device head must stay within
    // the blocks a device image can hold. The message of the first failure,
    // or nothing.
    static std::optional<std::string> layoutFailure(const std::vector<PartitionDefinition>& layout);

    std::optional<std::string> outputFile;
    std::optional<std::string> configFile;
    std::optional<std::vector<PartitionDefinition>> partitions;
    int64_t scsiID = 1;
    bool listPremade = false;
    bool listPremadeDetailed = false;
};

}  // namespace zorv::cli
