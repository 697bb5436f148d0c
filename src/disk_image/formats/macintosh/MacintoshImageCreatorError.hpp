#pragma once

#include <cstdint>

#include "data_access/Errors.hpp"

namespace zorv {

// Why a conversion of MacintoshImageCreator (volume to device, partition to
// volume, Lido replacement) refuses its input.
class MacintoshImageCreatorError : public EnumeratedError {
public:
    enum class Case {
        // The volume file holds no volume, or one that cannot be placed in a
        // device by conversion (only HFS and ProDOS can).
        noValidVolume,
        // The device image holds no Macintosh device, or no partition at the
        // index asked for.
        noValidDevice,
        // The partition picked for the Lido replacement does not hold the
        // Lido driver.
        noLidoDriver,
        // The Lido partition is smaller than the driver that replaces it;
        // carries the partition's size in bytes.
        driverPartitionTooSmall,
        // The device counts in blocks of another size than 512 bytes;
        // carries that size.
        unsupportedBlockSize,
        // A volume or driver partition of the device reaches past the end of
        // the image (a dump cut short), so the device cannot be carried over
        // whole; carries the partition's start block.
        partitionPastEndOfImage,
        // The partition to write as a volume file claims no blocks.
        emptyPartition,
    };

    explicit MacintoshImageCreatorError(Case errorCase)
        : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}
    MacintoshImageCreatorError(Case errorCase, int64_t payload)
        : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
    // driverPartitionTooSmall, unsupportedBlockSize, partitionPastEndOfImage.
    int64_t payload = 0;

    friend bool operator==(const MacintoshImageCreatorError& a, const MacintoshImageCreatorError& b) {
        return a.errorCase == b.errorCase && a.payload == b.payload;
    }
};

}  // namespace zorv
