#pragma once

#include <cstdint>

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of reading an opened HFS+ volume.
// - missingOverflowExtents: a fork's extents cover fewer allocation blocks
//   than its fork record says it has, and the extents overflow file holds no
//   record (or only an empty one) that continues them where they end. The
//   fork is refused rather than read short. Carries the file ID.
// - forkShorterThanLength: a fork's extents, complete as its record counts
//   them, hold fewer bytes than its logical size. Carries the file ID.
class HFSPlusVolumeError : public EnumeratedError {
public:
    enum class Case { missingOverflowExtents, forkShorterThanLength };

    HFSPlusVolumeError(Case errorCase, int64_t payload);

    static const char* caseName(Case errorCase);

    Case errorCase;
    int64_t payload = 0;
};

}  // namespace zorv
