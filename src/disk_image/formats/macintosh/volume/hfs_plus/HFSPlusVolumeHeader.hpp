#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/BlockStructureDefinable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusForkDataStucture.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeHeaderError.hpp"

namespace zorv {

// The HFS+ volume header: 512 bytes at byte 1024 of the volume, with an
// alternate copy 1024 bytes before the volume's end. It holds the signature,
// dates (the creation date in local time, as Mac OS keeps it, the three
// others GMT), file and folder counts, the allocation block size and count,
// and the fork records of the five special files (allocation bitmap, extents
// overflow, catalog, attributes, startup).
//
// As a BlockStructureDefinable, `blockSize` is the header's own allocation
// block size field and `structureData` the bytes it was read from (empty for
// a blank header). Fields not used by zorv are read and written back as
// stored. Integers hold the unsigned on-disk values.
struct HFSPlusVolumeHeader : BlockStructureDefinable, HFSPlusBlockable<HFSPlusVolumeHeader> {
    // The volume attribute bits, carried as stored; no bit is interpreted.
    struct VolumeAttributes {
        int64_t rawValue = 0;

        constexpr VolumeAttributes() = default;
        constexpr explicit VolumeAttributes(int64_t rawValue) : rawValue(rawValue) {}
        constexpr VolumeAttributes(std::initializer_list<VolumeAttributes> members) {
            for (const auto member : members) rawValue |= member.rawValue;
        }

        constexpr bool empty() const { return rawValue == 0; }
        constexpr bool contains(VolumeAttributes member) const {
            return (rawValue & member.rawValue) == member.rawValue;
        }
        constexpr void insert(VolumeAttributes member) { rawValue |= member.rawValue; }
        constexpr void remove(VolumeAttributes member) { rawValue &= ~member.rawValue; }

        friend constexpr VolumeAttributes operator|(VolumeAttributes a, VolumeAttributes b) {
            return VolumeAttributes(a.rawValue | b.rawValue);
        }
        friend constexpr VolumeAttributes operator&(VolumeAttributes a, VolumeAttributes b) {
            return VolumeAttributes(a.rawValue & b.rawValue);
        }
        friend constexpr VolumeAttributes operator^(VolumeAttributes a, VolumeAttributes b) {
            return VolumeAttributes(a.rawValue ^ b.rawValue);
        }
        friend constexpr bool operator==(VolumeAttributes a, VolumeAttributes b) = default;
    };

    // "H+", the first two bytes of every HFS+ volume header.
    static constexpr std::array<uint8_t, 2> hfsPlusVolumeSignature{0x48, 0x2B};
    // Bytes of the record, and where it sits in a volume.
    static constexpr int64_t size = 512;
    static constexpr int64_t offsetInVolume = 1024;
    // The smallest blank volume, in 512-byte blocks: the alternate header at
    // block count - 2 must not come before the primary one at block 2.
    static constexpr int64_t minimumBlankVolumeBlocks = 4;
    static constexpr int64_t maximumBlankVolumeBlocks = 0xFFFFFFFFLL;

    Bytes signature{hfsPlusVolumeSignature.begin(), hfsPlusVolumeSignature.end()};
    int64_t version = 4;
    VolumeAttributes attributes;
    int64_t lastMountedVersion = 0x382E3130;  // "8.10"
    int64_t journalInfoBlock = 0;
    Date createDate = Date::now();
    Date modifyDate = createDate;
    Date backupDate = createDate;
    Date checkedDate = createDate;
    int64_t fileCount = 0;
    int64_t folderCount = 0;
    // blockSize (inherited): the allocation block size in bytes, 512 until set.
    int64_t totalBlocks = 0;
    int64_t freeBlocks = 0;
    int64_t nextAllocation = 0;
    int64_t rsrcClumpSize = 0;
    int64_t dataClumpSize = 0;
    int64_t nextCatalogID = 0;
    int64_t writeCount = 1;
    int64_t encodingsBitmap = 0;
    std::array<int64_t, 8> finderInfo{};  // entry 0: folder ID of the blessed system folder
    HFSPlusForkDataStucture allocationFile;
    HFSPlusForkDataStucture extentsFile;
    HFSPlusForkDataStucture catalogFile;
    HFSPlusForkDataStucture attributesFile;
    HFSPlusForkDataStucture startupFile;

    // Reads the header from `block`, the 512 bytes at volume byte 1024, which
    // become structureData. Throws unformattedPartition when every byte is
    // zero (an empty block included), then
    // invalidVolumeHeaderPartitionSignature when it does not begin with "H+",
    // ReadPastEndError when it is shorter than 512 bytes, and
    // ValueOutOfRangeError for an encodings bitmap or fork length of 2^63 or
    // more. Nothing else is checked: the allocation block size, counts and
    // extents are taken as stored (see isValidAllocationBlockSize).
    explicit HFSPlusVolumeHeader(const ImageBytes& block);

    // The header of a new blank volume of `volumeBlockCount` allocation
    // blocks of `blockSize` bytes, dated `now`: "H+", version 4, last mounted
    // version "8.10", write count 1, every other number 0 and five blank
    // forks. The volume name is taken and not used: the header has no name
    // field. Never fails; dates after early 2040 are clamped when written.
    HFSPlusVolumeHeader(int64_t volumeBlockCount, std::string_view volumeName, int64_t blockSize,
                        Date now = Date::now());

    // The two blocks of a new blank HFS+ volume, keyed by 512-byte block
    // number within the volume: the blank header's 512 bytes at block 2 and,
    // as the alternate header, at block sizeInBlocks - 2 (one entry when
    // sizeInBlocks is 4). Nothing else of the volume is made. Throws
    // invalidVolumeSize for fewer than 4 or more than 2^32 - 1 blocks.
    static std::map<int64_t, Bytes> blocksForNewVolume(int64_t sizeInBlocks, std::string_view volumeName,
                                                       int64_t blockSize, Date now = Date::now());

    // True for the allocation block sizes a volume can have: powers of two
    // of 512 or more. A volume refuses any other with
    // invalidAllocationBlockSize before it computes a block position.
    static bool isValidAllocationBlockSize(int64_t blockSize);

    // 26 chunks in on-disk order: the stored signature, version (u16),
    // attributes, last mounted version, journal block (u32 each), the four
    // dates (clamped to the u32 field), the ten u32 fields from fileCount to
    // writeCount, encodingsBitmap (u64), finderInfo (eight u32), then the
    // five forks. Values outside their fields throw FieldEncodingError.
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
