#pragma once

#include <cstdint>

#include "data_access/Errors.hpp"

namespace zorv {

// Why a new device cannot be laid out. Each case carries the value refused.
class PartitionMapError : public EnumeratedError {
public:
    enum class Case {
        // The entries (map, driver, one per volume) need more blocks than lie
        // between block 0 and the driver: they would overwrite the driver.
        tooManyPartitions,
        // A device of 2^32 blocks or more: its size and positions do not fit
        // the 32-bit fields of block 0 and of the map.
        deviceTooLarge,
        // The driver would start before block 2 (no room for the map) or
        // would not end inside the device.
        invalidDriverStartBlock,
        // A volume that does not lie between the driver's end and the
        // device's end; carries its start block.
        volumeOutsideDevice,
    };

    PartitionMapError(Case errorCase, int64_t payload)
        : EnumeratedError(caseName(errorCase), payload), errorCase(errorCase), payload(payload) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
    int64_t payload;

    friend bool operator==(const PartitionMapError& a, const PartitionMapError& b) {
        return a.errorCase == b.errorCase && a.payload == b.payload;
    }
};

}  // namespace zorv
