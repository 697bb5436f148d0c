#pragma once

#include "data_access/Errors.hpp"

namespace zorv {

// Why a device cannot answer a question about one of its partitions.
class MacintoshDeviceError : public EnumeratedError {
public:
    enum class Case {
        // No partition at that index, or one without a volume.
        invalidPartitionIndex,
        volumeDescriptorNotFound,
        // The volume partition asked for reaches past the end of the image (a
        // dump cut short): there is no whole volume to take out of it.
        partitionPastEndOfImage,
    };

    explicit MacintoshDeviceError(Case errorCase) : EnumeratedError(caseName(errorCase)), errorCase(errorCase) {}

    static const char* caseName(Case errorCase);

    Case errorCase;

    friend bool operator==(const MacintoshDeviceError& a, const MacintoshDeviceError& b) {
        return a.errorCase == b.errorCase;
    }
};

}  // namespace zorv
