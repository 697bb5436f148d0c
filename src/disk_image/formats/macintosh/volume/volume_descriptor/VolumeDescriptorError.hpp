#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data_access/Errors.hpp"

namespace zorv {

// Why a volume cannot be planned into a device image.
class VolumeDescriptorError : public EnumeratedError {
public:
    enum class Case {
        // A volume file of a format that cannot go into a device image;
        // carries the format's description.
        unuseableVolumeType,
        // The volumes do not fit the device; carries the block just past the
        // last of them (the start block plus every size), or the largest
        // integer when that sum does not fit one.
        volumeSizeOverflow,
        // A size below what the volume can be made in (a blank HFS volume of
        // fewer than MasterDirectoryBlock::minimumBlankVolumeBlocks, size 0
        // included) or a negative size; carries the size.
        volumeTooSmall,
        // A blank volume larger than its format can be laid out in; carries
        // the size.
        volumeTooLarge,
        // A blank volume of a kind that cannot be made yet (HFS+, ProDOS);
        // carries the kind's descriptive name.
        blankVolumeUnavailable,
    };

    VolumeDescriptorError(Case errorCase, int64_t size)
        : EnumeratedError(caseName(errorCase), size), errorCase(errorCase), size(size) {}
    VolumeDescriptorError(Case errorCase, std::string_view text)
        : EnumeratedError(caseName(errorCase), text), errorCase(errorCase), text(text) {}

    static const char* caseName(Case errorCase);

    Case errorCase;
    // volumeSizeOverflow, volumeTooSmall, volumeTooLarge.
    int64_t size = 0;
    // unuseableVolumeType, blankVolumeUnavailable.
    std::string text;

    friend bool operator==(const VolumeDescriptorError& a, const VolumeDescriptorError& b) {
        return a.errorCase == b.errorCase && a.size == b.size && a.text == b.text;
    }
};

}  // namespace zorv
