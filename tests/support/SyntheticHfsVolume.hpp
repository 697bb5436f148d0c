#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data_access/Bytes.hpp"

namespace zorv::testing {

// Assembles a small HFS volume in memory, without hfsutils: boot blocks,
// master directory block, a one-sector bitmap, then 512-byte allocation
// blocks from sector 4 holding the extents overflow file, the catalog file
// and the forks. Every folder gets its thread record; the root folder (ID 2)
// is made from `volumeName`.
//
// A `scattered` fork or catalog lies in one-block extents with a free block
// between each two, so that all but its first three extents go to the
// extents overflow file, keyed as a Macintosh keys them.
struct SyntheticHfsVolume {
    struct Folder {
        int64_t parentID = 2;
        std::string name;  // Mac OS Roman bytes
        int64_t folderID = 0;
        int64_t dirFlags = 0;
        int64_t frFlags = 0;  // the Finder flags of the folder's Finder information
        int64_t created = 0xA0000000;
        int64_t modified = 0xA0000001;
    };
    struct File {
        int64_t parentID = 2;
        std::string name;
        int64_t fileID = 0;
        std::string type = "TEXT";
        std::string creator = "ttxt";
        int64_t fdFlags = 0;
        Bytes dataFork;
        Bytes resourceFork;
        bool scattered = false;
        int64_t created = 0xA0000000;
        int64_t modified = 0xA0000002;
    };

    std::string volumeName = "Synthetic";
    std::vector<Folder> folders;
    std::vector<File> files;
    bool bootable = false;
    bool scatteredCatalog = false;
    // Allocation blocks of free space after the forks.
    int64_t freeBlocks = 8;

    // What build() placed where, for tests that damage or check it.
    struct Layout {
        int64_t extentsFileStart = 0;  // in allocation blocks
        int64_t extentsFileBlocks = 0;
        int64_t catalogFileBlocks = 0;
        std::vector<int64_t> catalogBlocks;  // allocation blocks of the catalog, in file order
        int64_t allocationBlocks = 0;
        int64_t usedBlocks = 0;
    };

    Bytes build(Layout* layout = nullptr) const;
};

}  // namespace zorv::testing
