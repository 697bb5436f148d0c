#pragma once

#include <cstdint>

#include "data_access/Errors.hpp"

namespace zorv {

// Errors of reading an opened HFS volume.
// - forkShorterThanLength: a fork's extents, those of the extents overflow
//   file included, hold fewer bytes than its logical length (an overflow
//   record missing or damaged). The fork is refused rather than read short.
//   Carries the file number.
class HFSVolumeError : public EnumeratedError {
public:
    enum class Case { forkShorterThanLength };
    HFSVolumeError(Case errorCase, int64_t payload);
    static const char* caseName(Case errorCase);
    Case errorCase;
    int64_t payload = 0;
};

}  // namespace zorv
