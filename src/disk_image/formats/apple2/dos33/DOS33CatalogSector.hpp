#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/apple2/dos33/DOS33FileDescriptiveEntry.hpp"

namespace zorv {

// One sector of a DOS 3.3 catalog: the track and sector of the next catalog
// sector (bytes 1 and 2; 0, 0 ends the chain) and seven file entries of 35
// bytes from offset 0x0B. An entry whose first byte is 0 has never been used
// and is not taken; the entries after it still are. Deleted entries are
// taken, marked as such.
struct DOS33CatalogSector {
    static constexpr int64_t entriesOffset = 0x0B;
    static constexpr int64_t entriesPerSector = 7;

    int64_t nextCatalogTrack = 0;
    int64_t nextCatalogSector = 0;
    std::vector<DOS33FileDescriptiveEntry> catalogEntries;

    // Reads the 256 bytes of the sector. Throws ReadPastEndError for fewer.
    explicit DOS33CatalogSector(const ImageBytes& block);
};

}  // namespace zorv
