#pragma once

#include <cstdint>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs/ExtentsRecord.hpp"

namespace zorv {

// The extents overflow file of an HFS volume: the extent records of forks
// (and B-tree files) beyond the three extents their first record holds. It
// is read whole, in leaf-chain order, and neither sorted nor merged.
struct ExtentsOverflowFile {
    std::vector<ExtentsRecord> leaves;

    // `blocks` is the whole extents B-tree file, `blockSize` the volume's
    // block size (the node size comes from the B-tree header). Errors of the
    // B-tree reader pass through (unreacheableBlock for bytes shorter than one
    // block). A tree without live records, or with a leaf node that cannot be
    // read, gives no leaves and is no error; a chain that leaves the file or
    // comes back on itself keeps the leaves read before (BTree). A record
    // whose key or extent record is cut short is left out.
    ExtentsOverflowFile(ImageBytes blocks, int64_t blockSize);
};

}  // namespace zorv
