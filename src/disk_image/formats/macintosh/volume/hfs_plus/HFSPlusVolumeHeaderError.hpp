#pragma once

#include <cstdint>

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of the HFS+ volume header.
// - unformattedPartition: the header block is all zeros.
// - invalidVolumeHeaderPartitionSignature: it does not begin with "H+"
//   (HFSX volumes, "HX", included).
// - invalidAllocationBlockSize: the allocation block size is not a power of
//   two of 512 or more (0 included); carries the size. The volume raises it
//   when it opens; the header reads and writes any size.
// - invalidVolumeSize: a new blank volume of fewer than 4 blocks (its
//   alternate header would land on or before the primary one) or of more
//   blocks than the header's 32-bit count holds; carries the block count.
class HFSPlusVolumeHeaderError : public EnumeratedError {
public:
    enum class Case {
        invalidVolumeHeaderPartitionSignature,
        unformattedPartition,
        invalidAllocationBlockSize,
        invalidVolumeSize,
    };

    explicit HFSPlusVolumeHeaderError(Case errorCase);
    HFSPlusVolumeHeaderError(Case errorCase, int64_t payload);

    static const char* caseName(Case errorCase);

    Case errorCase;
    int64_t payload = 0;
};

}  // namespace zorv
