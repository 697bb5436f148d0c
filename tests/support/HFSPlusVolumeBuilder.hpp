#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"

namespace zorv::testing {

// Writes small HFS+ volumes for tests, field by field as TN1150 lays them
// out: boot blocks, the volume header and its alternate copy, an extents
// overflow B-tree, a catalog B-tree and the forks of files. No Debian tool
// writes HFS+ files, so tests that need a given tree, fragmented forks or
// damaged fields build their volume here. Names are UTF-16 code units, dates
// raw seconds since 1904 (GMT).
//
// Forks and the catalog can be split into any number of extents: each extent
// is then followed by an unused allocation block, so that no two touch, the
// first eight go into the fork record and the rest into extents overflow
// records of eight, keyed by the fork's blocks covered so far.
struct HFSPlusVolumeBuilder {
    static constexpr int64_t rootFolderID = 2;

    struct Folder {
        int64_t parentID = rootFolderID;
        std::u16string name;
        int64_t folderID = 0;
        int64_t flags = 0;        // the catalog record's own flags word
        int64_t finderFlags = 0;  // the Finder flags of its userInfo
        int64_t createDate = 0;
        int64_t modifyDate = 0;
    };

    struct Fork {
        Bytes contents;
        // Extents the fork is split into (0 for a fork with no blocks).
        int64_t extentCount = 1;
        // Added to the fork record's totalBlocks without blocks behind it:
        // a reader then looks for overflow records that are not there.
        int64_t claimedExtraBlocks = 0;
        // Allocation blocks allocated beyond those the contents need.
        int64_t spareBlocks = 0;
        // Stored as the logical size instead of the contents' length.
        int64_t logicalSizeOverride = -1;
    };

    struct File {
        int64_t parentID = rootFolderID;
        std::u16string name;
        int64_t fileID = 0;
        Fork dataFork;
        Fork resourceFork{{}, 0};
        std::array<char, 4> type{'T', 'E', 'X', 'T'};
        std::array<char, 4> creator{'t', 't', 'x', 't'};
        int64_t finderFlags = 0;
        int64_t createDate = 0;
        int64_t modifyDate = 0;
    };

    // Volume geometry.
    int64_t blockSize = 4096;       // allocation block size
    int64_t catalogNodeSize = 4096;  // node size of both B-trees
    // Allocation blocks of the volume; 0 makes it just large enough.
    int64_t totalBlocks = 0;

    // The header.
    std::array<uint8_t, 2> signature{'H', '+'};
    int64_t createDate = 0xDE000000;  // 2022-01-14 (about)
    int64_t modifyDate = 0xDE000100;
    int64_t fileCount = -1;    // -1: the number of files
    int64_t folderCount = -1;  // -1: the number of folders, the root left out
    int64_t freeBlocks = -1;   // -1: the blocks left unallocated
    int64_t blessedFolderID = 0;  // finderInfo[0]
    int64_t headerBlockSizeOverride = -1;  // stored instead of blockSize

    // The root folder and the items under it.
    std::u16string volumeName = u"Test Volume";
    int64_t rootFlags = 0;
    int64_t rootCreateDate = 0xDE000000;
    int64_t rootModifyDate = 0xDE000000;
    std::vector<Folder> folders;
    std::vector<File> files;

    // The catalog file: at least this many allocation blocks (unused nodes
    // fill it), in this many extents.
    int64_t catalogMinimumBlocks = 0;
    int64_t catalogExtentCount = 1;
    // The extents file: blocks added to its totalBlocks without extents,
    // and further records written into it by hand.
    int64_t extentsFileClaimedExtraBlocks = 0;
    struct OverflowRecord {
        int64_t forkType;  // 0x00 data, 0xFF resource
        int64_t fileID;
        int64_t startBlock;
        std::vector<std::pair<int64_t, int64_t>> extents;  // (start, count), up to eight
    };
    std::vector<OverflowRecord> extraOverflowRecords;
    // Leaves the computed overflow records out of the extents file.
    bool omitOverflowRecords = false;

    // The whole volume image.
    Bytes build() const;
    ImageBytes image() const { return ImageBytes(build()); }
};

}  // namespace zorv::testing
