#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlockError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/ExtDescriptor.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The master directory block of an HFS volume: 162 bytes at byte 1024 of the
// volume (sector 2). It gives the allocation block size, where the bitmap and
// the allocation blocks begin, the counts and dates, the volume name and the
// first three extents of the catalog and extents overflow files.
//
// It is either read from an existing volume or made for a new blank one; it
// writes itself as one 512-byte block, the 162 bytes then zeros. Integers
// hold the unsigned on-disk values; positions (drVBMSt, drAlBlSt) count
// 512-byte sectors from the start of the volume.
struct MasterDirectoryBlock : BlockStructureDefinable, HFSBlockable<MasterDirectoryBlock> {
    // "BD", the first two bytes of every HFS master directory block.
    static constexpr std::array<uint8_t, 2> hfsVolumeSignature{0x42, 0x44};
    // Where the block sits in a volume, in 512-byte sectors from its start.
    static constexpr int64_t sectorInVolume = 2;
    // Bytes of the on-disk record, and of the block it is written as.
    static constexpr int64_t recordSize = 162;
    static constexpr int64_t writtenSize = 512;
    // Longest volume name the record holds.
    static constexpr int64_t maximumNameLength = 27;

    // Bounds of a new blank volume, in 512-byte blocks. Below 22 blocks the
    // layout leaves too few allocation blocks for the two B-tree files of at
    // least 8 blocks each (the free count would go negative). Up to 2^30
    // blocks (512 GiB) every field of the layout fits its on-disk width;
    // somewhat above, the B-tree file sizes pass 32 bits. The command line
    // checks sizes against these same constants.
    static constexpr int64_t minimumBlankVolumeBlocks = 22;
    static constexpr int64_t maximumBlankVolumeBlocks = int64_t{1} << 30;
    // The only block size a blank volume is laid out in: HFS counts its
    // positions in 512-byte sectors and puts this block at byte 1024.
    static constexpr int64_t blankVolumeBlockSize = 512;

    std::array<uint8_t, 2> drSigWord = hfsVolumeSignature;  // volume signature
    Date drCrDate;                                           // created
    Date drLsMod;                                            // last modified
    int64_t drAtrb = 256;                                    // volume attributes
    int64_t drNmFls = 1;                                     // files in the root folder
    int64_t drVBMSt = 3;                                     // first sector of the volume bitmap
    int64_t drAllocPtr = 0;                                  // where the next allocation search starts
    int64_t drNmAlBlks = 0;                                  // allocation blocks (may exceed 65535 in a new MDB)
    int64_t drAlBlkSiz = 0;                                  // allocation block size in bytes
    int64_t drClpSiz = 0;                                    // default clump size in bytes
    int64_t drAlBlSt = 0;                                    // first sector of allocation block 0
    int64_t drNxtCNID = 18;                                  // next unused catalog node ID
    int64_t drFreeBks = 0;                                   // unused allocation blocks
    std::string drVN;                                        // volume name
    Date drVolBkUp;                                          // last backup
    int64_t drVSeqNum = 0;                                   // backup sequence number
    int64_t drWrCnt = 8;                                     // volume write count
    int64_t drXTClpSiz = 0;                                  // clump size of the extents overflow file
    int64_t drCTClpSiz = 0;                                  // clump size of the catalog file
    int64_t drNmRtDirs = 0;                                  // folders in the root folder
    int64_t drFilCnt = 0;                                    // files on the volume
    int64_t drDirCnt = 0;                                    // folders on the volume
    std::array<int64_t, 8> drFndrInfo{};                     // Finder information
    int64_t drVCSize = 0;    // in an HFS wrapper: the embedded volume's signature, 0x482B ("H+")
    int64_t drVBMCSize = 0;  // in an HFS wrapper: first allocation block of the embedded volume
    int64_t drCtlCSize = 0;  // in an HFS wrapper: allocation blocks of the embedded volume
    int64_t drXTFlSize = 0;  // length in bytes of the extents overflow file
    std::array<ExtDescriptor, 3> drXTExtRec{};  // first three extents of the extents overflow file
    int64_t drCTFlSize = 0;                     // length in bytes of the catalog file
    std::array<ExtDescriptor, 3> drCTExtRec{};  // first three extents of the catalog file

    // Reads the record from `block`, whose first byte is the record's first
    // byte (a volume passes its bytes 1024 to 1535, which become
    // structureData; blockSize is 512). Throws unformattedPartition when
    // every byte of `block` is zero (an empty buffer included), then
    // invalidMDBPartitionSignature when it does not begin with "BD", and
    // ReadPastEndError when it is too short for the fields. Nothing else is
    // checked: counts, sizes and extents are taken as stored.
    explicit MasterDirectoryBlock(const ImageBytes& block);

    // The record of a new blank volume of `volumeBlockCount` blocks of
    // `blockSize` bytes (always 512) named `volumeName`, with `now` as its
    // creation, modification and backup dates. The bitmap starts at sector 3,
    // the allocation blocks right after it; the allocation block size is
    // the smallest multiple of 512 that keeps their count near 65,536; the
    // extents overflow file and then the catalog file take the first
    // allocation blocks, and the last two blocks of the volume stay outside
    // the allocation blocks for the alternate copy of this block. Throws
    // volumeTooSmall or volumeTooLarge (with the count) outside
    // minimumBlankVolumeBlocks to maximumBlankVolumeBlocks, and
    // std::invalid_argument for a block size other than 512.
    MasterDirectoryBlock(int64_t volumeBlockCount, std::string_view volumeName, int64_t blockSize,
                         Date now = Date::now());

    // The header blocks of a new blank volume, by block number within the
    // volume: the master directory block at block 2 and the same 512 bytes,
    // the alternate copy, at block volumeBlockCount - 2. Every other block of
    // a blank volume is zero. Throws as the blank-volume constructor.
    static std::map<int64_t, Bytes> newVolumeHeaderBlocks(int64_t volumeBlockCount, std::string_view volumeName,
                                                          int64_t blockSize, Date now = Date::now());

    // The written block as 31 chunks: one per on-disk field in layout order,
    // then the 350 zero bytes that fill it to 512. Dates are clamped to the
    // 32-bit field (1904 to early 2040); drNmAlBlks and drFreeBks are written
    // as at most 65535; any other value outside its field throws
    // FieldEncodingError. The name is cut to 27 bytes.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
