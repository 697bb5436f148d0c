#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The 84-byte header of a Disk Copy 4.2 image. The file goes on with
// `dataSize` bytes of the floppy's sectors (the volume) and then `tagSize`
// bytes of their tags, 12 per sector on GCR floppies, none on others.
//
// Unwrapping the volume needs only `dataSize` (DiskCopy42::extractedImage);
// the other fields describe the floppy and let a caller check that the image
// arrived intact.
struct DiskCopy42Header : HFSBlockable<DiskCopy42Header> {
    static constexpr int64_t headerSize = 84;
    static constexpr int64_t dataSizeOffset = 64;
    static constexpr int64_t privateWordOffset = 82;
    // The disk name is a Pascal string in a 64-byte field.
    static constexpr int64_t maximumNameLength = 63;
    // Disk Copy leaves the tags of the first sector out of the tag checksum.
    static constexpr int64_t uncheckedTagBytes = 12;

    std::string diskName;      // the name of the floppy, usually its volume name
    int64_t dataSize = 0;      // bytes of sector data after the header
    int64_t tagSize = 0;       // bytes of tag data after the sector data
    int64_t dataChecksum = 0;  // checksum of the sector data
    int64_t tagChecksum = 0;   // checksum of the tag data, first 12 bytes left out
    int64_t diskFormat = 0;    // 0 400K GCR, 1 800K GCR, 2 720K MFM, 3 1440K MFM
    int64_t formatByte = 0;    // 0x12 400K, 0x22 Macintosh 800K, 0x24 Apple II 800K, 0x02 MFM
    int64_t privateWord = 0x0100;  // always 0x0100: what recognises the format

    DiskCopy42Header() = default;

    // Reads the header at the start of a file; throws ReadPastEndError when
    // the file is shorter than the header. A name length byte over 63
    // (damaged header) is read as 63: the name never runs into the fields
    // after it.
    explicit DiskCopy42Header(const ImageBytes& file);

    // The checksum Disk Copy computes over sector and tag data: each
    // big-endian 16-bit word is added to a 32-bit sum, which is then rotated
    // right by one bit. A last odd byte does not count.
    static uint32_t checksum(ByteView bytes);

    // True when both stored checksums are those of the file's sector and tag
    // data (the tag checksum without the first 12 tag bytes); false when they
    // differ or the file stops before the data and tags that the header
    // announces.
    bool checksumsMatch(const ImageBytes& file) const;

    // Eight chunks in on-disk order; the name field is 64 bytes, a longer
    // name cut to 63 characters.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
