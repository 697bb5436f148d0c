#pragma once

#include <array>
#include <cstdint>

namespace zorv {

// The two stored parts of a blank DOS 3.3 disk (DOS33Disk::dos33AsData); the
// rest of the disk is zeros.
//
// - bootImage: DOS itself, tracks 0 and 1 and sectors 0 to 4 of track 2
//   (9,472 bytes), sector 0 of track 0 being the boot sector. Compiled in
//   from data/dos33/dos33-boot-image.bin by the build
//   (cmake/EmbedData.cmake). The file in the repository is a stand-in of
//   that size whose boot sector only says that the disk holds no DOS (see
//   data/dos33/README.md); DOS's own image can be dropped in and rebuilt.
// - vtocAndCatalog: the 7,950 bytes from track 17 sector 0 up to byte 14 of
//   track 18 sector 15, as DOS 3.3's INIT leaves them: the VTOC (first
//   catalog sector 17/15, DOS release 3, volume 254, 122 pairs to a list,
//   last allocated track 18 going up, 35 tracks of 16 sectors of 256 bytes,
//   tracks 0 to 2 and 17 and sectors 14 and 15 of track 18 in use), the
//   catalog chain from sector 15 down to sector 1 of track 17 holding one
//   entry, HELLO (Applesoft, 2 sectors, its list in 18/15), HELLO's one data
//   sector (18/14: an empty program) and the used start of its list sector.
struct DOS33BlankDisk {
    static const std::array<uint8_t, 9472> bootImage;
    static const std::array<uint8_t, 7950> vtocAndCatalog;
};

}  // namespace zorv
