#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The master directory block of an MFS volume, at byte 1024 (sector 2): the
// volume's dates, counts, allocation geometry, where its file directory lies
// and its name. Only the first 64 bytes are read; the allocation block map
// that follows them is not.
//
// Integers hold the unsigned on-disk values; drDirSt and drAlBlSt count
// 512-byte sectors from the start of the volume.
struct MFSMasterDirectoryBlock : HFSBlockable<MFSMasterDirectoryBlock> {
    // 0xD2 0xD7, the first two bytes of every MFS master directory block.
    static constexpr std::array<uint8_t, 2> signature{0xD2, 0xD7};
    // Bytes of the fields read.
    static constexpr int64_t recordSize = 64;
    // Bytes of the volume name field: a length byte and up to 27 characters.
    static constexpr int64_t nameFieldSize = 28;

    std::array<uint8_t, 2> drSigWord = signature;  // volume signature
    Date drCrDate;                                  // created
    Date drLsBkUp;                                  // last backup
    int64_t drAtrb = 0;                             // volume attributes
    int64_t drNmFls = 0;                            // files in the directory
    int64_t drDirSt = 0;                            // first sector of the file directory
    int64_t drBlLen = 0;                            // sectors of the file directory
    int64_t drNmAlBlks = 0;                         // allocation blocks on the volume
    int64_t drAlBlkSiz = 0;                         // allocation block size in bytes
    int64_t drClpSiz = 0;                           // bytes to allocate at a time
    int64_t drAlBlSt = 0;                           // first sector of the allocation blocks (numbered from 2)
    int64_t drNxtFNum = 0;                          // next unused file number
    int64_t drFreeBks = 0;                          // unused allocation blocks
    std::string drVN;                               // volume name (the length byte is taken as stored)

    MFSMasterDirectoryBlock() = default;
    // Reads the block from the start of `block` (the volume passes sectors 2
    // and 3). Throws MFSError::invalidSignature when the first two bytes are
    // not 0xD2 0xD7, and ReadPastEndError when `block` holds fewer than 64
    // bytes or the name's length byte reaches past its end.
    explicit MFSMasterDirectoryBlock(const ImageBytes& block);

    // Two chunks of 512 zero bytes whatever the fields hold: MFS volumes are
    // only ever read, never written.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
