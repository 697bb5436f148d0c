#pragma once

#include <cstdint>
#include <string>

#include "cli/CreateGlobalOptions.hpp"
#include "cli/LibraryServices.hpp"
#include "cli/ParsableCommand.hpp"

namespace zorv::cli {

// zorv create mac-device: a Macintosh device image with the HD SC Setup
// 7.3.5 driver and one blank HFS volume filling the requested capacity.
class MacDevice : public ParsableCommand {
public:
    explicit MacDevice(const LibraryServices& library) : library_(library) {}

    CommandConfiguration configuration() const override;
    void declareArguments(Arguments& arguments) override;
    void validate(std::ostream& out) override;
    void run(std::ostream& out) override;

    // "HD10_512 20MB.hda" for SCSI ID 1 and 20 megabytes.
    static std::string defaultFileName(int64_t scsiID, int64_t sizeInMB);

    CreateGlobalOptions createOptions;
    int64_t scsiID = 1;

private:
    const LibraryServices& library_;
};

}  // namespace zorv::cli
