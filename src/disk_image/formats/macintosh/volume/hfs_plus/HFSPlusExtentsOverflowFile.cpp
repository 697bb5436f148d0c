#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentsOverflowFile.hpp"

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"

namespace zorv {

HFSPlusExtentsOverflowFile::HFSPlusExtentsOverflowFile(ImageBytes blocks, int64_t blockSize) {
    const BTree tree(std::move(blocks), blockSize);
    const std::vector<BTreeNodeRecord> records = tree.leafNodeRecords();
    leaves.reserve(records.size());
    for (const auto& record : records) {
        if (record.isDeleted()) continue;
        try {
            HFSPlusExtentsOverflowFileKey key(record.recordKey);
            HFSPlusExtentsOverflowRecord::HFSPlusExtentsOverflowFileData body(record.recordData);
            leaves.emplace_back(std::move(key), std::move(body));
        } catch (const ReadPastEndError&) {
            // a key or a body cut short
        }
    }
    positions_.reserve(leaves.size());
    for (size_t position = 0; position < leaves.size(); ++position) positions_.emplace(leaves[position].key, position);
}

const HFSPlusExtentsOverflowRecord* HFSPlusExtentsOverflowFile::recordFor(
    const HFSPlusExtentsOverflowFileKey& key) const {
    const auto found = positions_.find(key);
    if (found == positions_.end() || found->second >= leaves.size()) return nullptr;
    // The list is public: answer only while it still holds what was indexed.
    const HFSPlusExtentsOverflowRecord& record = leaves[found->second];
    return record.key == key ? &record : nullptr;
}

}  // namespace zorv
