#pragma once

#include <cstdint>

#include "disk_image/model/ImageCreatorRepresentable.hpp"
#include "platform/URL.hpp"

namespace zorv {

// Makes a new, blank Apple II disk image file: a 140K DOS 3.3 floppy,
// initialised and holding DOS (DOS33Disk::dos33AsData), or a blank ProDOS
// volume of a given size (ProDOSDisk::blankDisk). The image is assembled in
// the PhysicalBlockFile and written by create(); no command uses this
// builder, it is offered to library callers.
class AppleIIImageCreator : public ImageCreatorRepresentable {
public:
    enum class Mode { DOS33, ProDOS };

    static constexpr int64_t defaultBlockSize = 512;

    // Prepares an image file of `sizeInBytes` bytes at `fileURL`; writes
    // nothing. Throws, before anything is queued:
    // - PhysicalBlockFileError::invalidFileURL unless the URL is a file URL
    //   that does not name a folder;
    // - DOS33: AppleIIImageCreatorError::unsupportedDOS33Size for any size
    //   but 143,360 bytes;
    // - ProDOS: ProDOSDiskError::volumeTooSmall below 7 blocks (3,584
    //   bytes). The volume is formatted over the file's whole blocks, at most
    //   65,535 (its block count is 16-bit); a partial block, and the blocks
    //   past 65,535 in a larger file, stay zero.
    AppleIIImageCreator(int64_t sizeInBytes, const URL& fileURL, Mode mode);
};

}  // namespace zorv
