#pragma once

#include <vector>

#include "disk_image/formats/macintosh/volume/btree/BTreeNodeRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs/ExtKeyRec.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/ExtDescriptor.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// One leaf record of the extents overflow file: a key and one extent record
// (three extents) continuing a fork. 20 bytes on disk; the key length 7 is
// odd, so no pad byte lies between key and data.
struct ExtentsRecord : HFSBlockable<ExtentsRecord> {
    struct ExtDataRec : HFSBlockable<ExtDataRec> {
        std::vector<ExtDescriptor> records;

        ExtDataRec() = default;
        explicit ExtDataRec(std::vector<ExtDescriptor> records) : records(std::move(records)) {}

        std::vector<Bytes> dataBlockArray() const { return {extDescArray(records)}; }
    };

    ExtKeyRec key;
    ExtDataRec record;

    ExtentsRecord() = default;
    ExtentsRecord(ExtKeyRec key, ExtDataRec record) : key(key), record(std::move(record)) {}

    // Builds the record from one live record of the extents B-tree's leaf
    // chain. The data after the key (after a pad byte when the key length is
    // even) gives three extents from its first 12 bytes, or none when it is
    // empty. Throws ReadPastEndError when the key holds fewer than 8 bytes or
    // the data is neither empty nor 12 bytes long at least.
    explicit ExtentsRecord(const BTreeNodeRecord& leafRecord);

    // Two chunks: the key's 8 bytes and the extents (no pad byte).
    std::vector<Bytes> dataBlockArray() const { return {key.dataBlock(), extDescArray(record.records)}; }
};

}  // namespace zorv
