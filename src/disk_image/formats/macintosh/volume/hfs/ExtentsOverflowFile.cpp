#include "disk_image/formats/macintosh/volume/hfs/ExtentsOverflowFile.hpp"

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"

namespace zorv {

ExtentsOverflowFile::ExtentsOverflowFile(ImageBytes blocks, int64_t blockSize) {
    const BTree tree(std::move(blocks), blockSize);
    const std::vector<BTreeNodeRecord> records = tree.leafNodeRecords();
    leaves.reserve(records.size());
    for (const auto& record : records) {
        if (record.isDeleted()) continue;
        try {
            leaves.emplace_back(record);
        } catch (const ReadPastEndError&) {
            // a key or extent record cut short
        }
    }
}

}  // namespace zorv
