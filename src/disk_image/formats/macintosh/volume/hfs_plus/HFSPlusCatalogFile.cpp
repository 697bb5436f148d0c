#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogFile.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogFileError.hpp"

namespace zorv {

namespace {

// Whether the leaf is a child of `parentID`: a file or folder record keyed
// with that parent, and not the folder `parentID` itself.
bool isChildOf(const HFSPlusCatalogLeafRecord& leaf, int64_t parentID) {
    if (leaf.parentID() != parentID) return false;
    if (leaf.data.fileRecord() != nullptr) return true;
    const auto* folder = leaf.data.folderRecord();
    return folder != nullptr && folder->folderID != parentID;
}

// Sorts (composed name, position) pairs by name, stable, and keeps the
// positions. Composed names compared as UTF-8 bytes order by code points.
std::vector<size_t> sortedPositions(std::vector<std::pair<std::string, size_t>>& children) {
    std::stable_sort(children.begin(), children.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<size_t> positions;
    positions.reserve(children.size());
    for (const auto& child : children) positions.push_back(child.second);
    return positions;
}

}  // namespace

HFSPlusCatalogFile::HFSPlusCatalogFile(ImageBytes blocks, int64_t blockSize) {
    const BTree tree(std::move(blocks), blockSize);
    const std::vector<BTreeNodeRecord> records = tree.leafNodeRecords();
    leaves.reserve(records.size());
    for (const auto& record : records) {
        if (record.isDeleted()) continue;
        try {
            leaves.emplace_back(record.recordKey, record.recordData, blockSize);
        } catch (const ReadPastEndError&) {
            // a key or body shorter than its layout
        } catch (const ValueOutOfRangeError&) {
            // a key length below 6, or a fork length of 2^63 or more
        }
    }
    if (leaves.empty()) throw HFSPlusCatalogFileError(HFSPlusCatalogFileError::Case::noLeafNodes);
}

std::vector<HFSPlusCatalogLeafRecord> HFSPlusCatalogFile::leavesInParent(int64_t parentID) const {
    std::vector<std::pair<std::string, size_t>> children;
    for (size_t position = 0; position < leaves.size(); ++position) {
        const auto& leaf = leaves[position];
        if (isChildOf(leaf, parentID)) {
            children.emplace_back(HFSPlusCatalogKey::canonicallyComposed(leaf.nodeName()), position);
        }
    }
    std::vector<HFSPlusCatalogLeafRecord> result;
    result.reserve(children.size());
    for (size_t position : sortedPositions(children)) result.push_back(leaves[position]);
    return result;
}

std::unordered_map<int64_t, std::vector<size_t>> HFSPlusCatalogFile::childPositionsByParent() const {
    std::unordered_map<int64_t, std::vector<std::pair<std::string, size_t>>> named;
    for (size_t position = 0; position < leaves.size(); ++position) {
        const auto& leaf = leaves[position];
        if (isChildOf(leaf, leaf.parentID())) {
            named[leaf.parentID()].emplace_back(HFSPlusCatalogKey::canonicallyComposed(leaf.nodeName()), position);
        }
    }
    std::unordered_map<int64_t, std::vector<size_t>> result;
    result.reserve(named.size());
    for (auto& [parentID, children] : named) result.emplace(parentID, sortedPositions(children));
    return result;
}

std::optional<HFSPlusCatalogLeafRecord> HFSPlusCatalogFile::directoryRecord(int64_t directoryID) const {
    for (const auto& leaf : leaves) {
        const auto* folder = leaf.data.folderRecord();
        if (folder != nullptr && folder->folderID == directoryID) return leaf;
    }
    return std::nullopt;
}

}  // namespace zorv
