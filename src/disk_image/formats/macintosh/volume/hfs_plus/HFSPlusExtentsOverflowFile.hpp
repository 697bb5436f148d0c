#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentsOverflowRecord.hpp"

namespace zorv {

// The extents overflow file of an HFS+ volume: the extent records of forks
// (the catalog's included) beyond the eight extents of their fork record,
// read once as the flat list of its leaf records in leaf-chain order.
//
// The volume finds the records that continue a fork with recordFor(): a
// fork's next record is keyed by its fork type, file ID and the number of
// allocation blocks the fork's extents have covered so far.
struct HFSPlusExtentsOverflowFile {
    std::vector<HFSPlusExtentsOverflowRecord> leaves;

    // `blocks` is the whole extents B-tree file and `blockSize` the volume's
    // allocation block size (the node size comes from the B-tree header).
    // Errors of the B-tree reader pass through (unreacheableBlock for bytes
    // shorter than one block). A tree without live records, or with a leaf
    // node that cannot be read, gives no leaves and is no error; a chain that
    // leaves the file or comes back on itself keeps the leaves read before
    // (BTree). A record whose key is shorter than 12 bytes or whose body is
    // shorter than 64 is left out: a fork that needs it then fails to read.
    HFSPlusExtentsOverflowFile(ImageBytes blocks, int64_t blockSize);

    // The first record, in leaf-chain order, with that key (keyLength and pad
    // do not count); null when there is none.
    const HFSPlusExtentsOverflowRecord* recordFor(const HFSPlusExtentsOverflowFileKey& key) const;

private:
    std::unordered_map<HFSPlusExtentsOverflowFileKey, size_t> positions_;
};

}  // namespace zorv
