#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogFile.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"
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
std::vector<uint32_t> sortedPositions(std::vector<std::pair<std::string, uint32_t>>& children) {
    std::stable_sort(children.begin(), children.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<uint32_t> positions;
    positions.reserve(children.size());
    for (const auto& child : children) positions.push_back(child.second);
    return positions;
}

}  // namespace

HFSPlusCatalogFile::HFSPlusCatalogFile(ImageBytes blocks, int64_t blockSize)
    : tree_(std::move(blocks), blockSize), blockSize_(blockSize) {
    std::vector<BTree::RecordSpan> spans;
    try {
        spans = tree_.checkedLeafRecordSpans();
    } catch (const BTreeError&) {
        // a damaged chain gives no leaves
    }
    // Every record is read whole once, so that one that cannot be read is
    // left out now, as it would be whenever it is read again.
    leaves_.reserve(spans.size());
    int64_t sinceRelease = 0;
    for (const auto& span : spans) {
        sinceRelease += span.length;
        if (sinceRelease >= BTree::releaseInterval) {
            tree_.releaseResidentPages();
            sinceRelease = 0;
        }
        try {
            const BTreeNodeRecord record = tree_.recordAt(span);
            if (record.isDeleted()) continue;
            const HFSPlusCatalogLeafRecord leaf(record.recordKey, record.recordData, blockSize);
            leaves_.push_back({span.offset, span.length, static_cast<uint32_t>(leaf.parentID())});
        } catch (const ReadPastEndError&) {
            // a key or body shorter than its layout
        } catch (const ValueOutOfRangeError&) {
            // a key length below 6, or a fork length of 2^63 or more
        }
    }
    leaves_.shrink_to_fit();
    tree_.releaseResidentPages();
    if (leaves_.empty()) throw HFSPlusCatalogFileError(HFSPlusCatalogFileError::Case::noLeafNodes);
}

HFSPlusCatalogLeafRecord HFSPlusCatalogFile::leaf(size_t position) const {
    const Leaf& found = leaves_.at(position);
    const BTreeNodeRecord record = tree_.recordAt({found.offset, found.length, 0});
    return HFSPlusCatalogLeafRecord(record.recordKey, record.recordData, blockSize_);
}


template <typename Visit>
void HFSPlusCatalogFile::forEachLeaf(Visit visit) const {
    int64_t sinceRelease = 0;
    for (size_t position = 0; position < leaves_.size(); ++position) {
        sinceRelease += leaves_[position].length;
        if (sinceRelease >= BTree::releaseInterval) {
            tree_.releaseResidentPages();
            sinceRelease = 0;
        }
        visit(position, leaf(position));
    }
    tree_.releaseResidentPages();
}

std::unordered_map<int64_t, uint32_t> HFSPlusCatalogFile::folderPositions() const {
    std::unordered_map<int64_t, uint32_t> folders;
    forEachLeaf([&](size_t position, const HFSPlusCatalogLeafRecord& leafRecord) {
        if (const auto* folder = leafRecord.data.folderRecord()) {
            folders.emplace(folder->folderID, static_cast<uint32_t>(position));
        }
    });
    return folders;
}

std::vector<HFSPlusCatalogLeafRecord> HFSPlusCatalogFile::leaves() const {
    std::vector<HFSPlusCatalogLeafRecord> result;
    result.reserve(leaves_.size());
    for (size_t position = 0; position < leaves_.size(); ++position) result.push_back(leaf(position));
    return result;
}

std::vector<HFSPlusCatalogLeafRecord> HFSPlusCatalogFile::leavesInParent(int64_t parentID) const {
    std::vector<std::pair<std::string, uint32_t>> children;
    for (size_t position = 0; position < leaves_.size(); ++position) {
        if (leaves_[position].parentID != parentID) continue;
        const HFSPlusCatalogLeafRecord leafRecord = leaf(position);
        if (isChildOf(leafRecord, parentID)) {
            children.emplace_back(HFSPlusCatalogKey::canonicallyComposed(leafRecord.nodeName()),
                                  static_cast<uint32_t>(position));
        }
    }
    std::vector<HFSPlusCatalogLeafRecord> result;
    result.reserve(children.size());
    for (const uint32_t position : sortedPositions(children)) result.push_back(leaf(position));
    return result;
}

std::unordered_map<int64_t, std::vector<uint32_t>> HFSPlusCatalogFile::childPositionsByParent() const {
    std::unordered_map<int64_t, std::vector<std::pair<std::string, uint32_t>>> named;
    forEachLeaf([&](size_t position, const HFSPlusCatalogLeafRecord& leafRecord) {
        if (isChildOf(leafRecord, leafRecord.parentID())) {
            named[leafRecord.parentID()].emplace_back(HFSPlusCatalogKey::canonicallyComposed(leafRecord.nodeName()),
                                                      static_cast<uint32_t>(position));
        }
    });
    std::unordered_map<int64_t, std::vector<uint32_t>> result;
    result.reserve(named.size());
    for (auto& [parentID, children] : named) result.emplace(parentID, sortedPositions(children));
    return result;
}

std::optional<HFSPlusCatalogLeafRecord> HFSPlusCatalogFile::directoryRecord(int64_t directoryID) const {
    for (size_t position = 0; position < leaves_.size(); ++position) {
        HFSPlusCatalogLeafRecord leafRecord = leaf(position);
        const auto* folder = leafRecord.data.folderRecord();
        if (folder != nullptr && folder->folderID == directoryID) return leafRecord;
    }
    return std::nullopt;
}

}  // namespace zorv
