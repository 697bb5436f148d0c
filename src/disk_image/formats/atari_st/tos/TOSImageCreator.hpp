#pragma once

#include <cstdint>

#include "disk_image/formats/atari_st/TOSMedia.hpp"
#include "disk_image/model/ImageCreatorRepresentable.hpp"
#include "platform/URL.hpp"

namespace zorv {

// A new, empty Atari ST floppy image file of one of the three media: a boot
// sector (TOSBootSector, with a new random serial number), two copies of a
// blank FAT12 table (TOSFAT) and zeros for the empty root directory and the
// data area. No command uses it; it is there for library callers.
class TOSImageCreator : public ImageCreatorRepresentable {
public:
    static constexpr int64_t defaultBlockSize = 512;

    // Queues the floppy's blocks for the file at `fileURL`; writes nothing
    // until create(). Throws PhysicalBlockFileError::invalidFileURL when the
    // URL is not a file URL or names a directory.
    TOSImageCreator(TOSMedia media, URL fileURL);
};

}  // namespace zorv
