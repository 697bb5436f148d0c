#pragma once

#include <cstdint>

#include "data_access/Errors.hpp"

namespace zorv {

// Why an HFS master directory block cannot be read or made.
class MasterDirectoryBlockError : public EnumeratedError {
public:
    enum class Case {
        invalidMDBPartitionSignature,  // the block does not begin with "BD"
        unformattedPartition,          // every byte of the block is zero
        noExtractableHFSPlus,          // an HFS wrapper whose embedded bytes are not an HFS+ volume
        volumeTooSmall,                // a blank volume below MasterDirectoryBlock::minimumBlankVolumeBlocks
        volumeTooLarge,                // a blank volume above MasterDirectoryBlock::maximumBlankVolumeBlocks
    };

    // volumeTooSmall and volumeTooLarge carry the block count asked for.
    MasterDirectoryBlockError(Case errorCase, int64_t payload);
    explicit MasterDirectoryBlockError(Case errorCase);

    static const char* caseName(Case errorCase);

    Case errorCase;
    int64_t payload = 0;
};

}  // namespace zorv
