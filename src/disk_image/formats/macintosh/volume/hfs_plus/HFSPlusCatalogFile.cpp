#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogFile.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "data_access/ByteHelpers.hpp"
#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogFileError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFileRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFolderRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusForkDataStucture.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

namespace {

using LeafType = HFSPlusCatalogLeafData::LeafType;

// Sorts (composed name, position) pairs by name, stable, and keeps the
// positions. Composed names compared as UTF-8 bytes order by code points.
std::vector<uint32_t> sortedPositions(std::vector<std::pair<std::string, uint32_t>>& children) {
    // Mostly in order already: the catalog's own order differs from ours
    // only in case and in a few characters.
    const auto byName = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (!std::is_sorted(children.begin(), children.end(), byName)) {
        std::stable_sort(children.begin(), children.end(), byName);
    }
    std::vector<uint32_t> positions;
    positions.reserve(children.size());
    for (const auto& child : children) positions.push_back(child.second);
    return positions;
}

uint16_t bigEndian16(ByteView bytes, size_t offset) { return fromBigEndian(bytes.subspan(offset, 2)); }
uint32_t bigEndian32(ByteView bytes, size_t offset) { return fromLongBigEndian(bytes.subspan(offset, 4)); }

// Where the fork data records lie in a file record's body (after the record
// type), and where a fork's logical size lies in it.
constexpr size_t dataForkOffset = 86;
constexpr size_t resourceForkOffset = dataForkOffset + HFSPlusForkDataStucture::size;

bool forkLengthFits(ByteView body, size_t forkOffset) {
    return fromLongLongBigEndian(body.subspan(forkOffset, 8)) <= static_cast<uint64_t>(INT64_MAX);
}

// The counted UTF-16 name at `offset` of `bytes`, when the count and its
// units lie inside them.
std::optional<ByteView> nameUnits(ByteView bytes, size_t offset) {
    if (bytes.size() < offset + 2) return std::nullopt;
    const size_t units = size_t{bigEndian16(bytes, offset)} * 2;
    if (bytes.size() - offset - 2 < units) return std::nullopt;
    return bytes.subspan(offset + 2, units);
}

// The key's name units: after the key length and the parent ID, inside the
// length the key gives itself.
std::optional<ByteView> keyNameUnits(ByteView key) {
    if (key.size() < 2) return std::nullopt;
    const size_t keyLength = bigEndian16(key, 0);
    if (keyLength < HFSPlusCatalogKey::minimumKeyLength || key.size() < 2 + keyLength) return std::nullopt;
    return nameUnits(key.first(2 + keyLength), 6);
}

}  // namespace

std::optional<HFSPlusCatalogFile::LeafSummary> HFSPlusCatalogFile::summaryOf(ByteView key, ByteView data) {
    if (!keyNameUnits(key) || data.size() < 2) return std::nullopt;
    LeafSummary summary;
    summary.parentID = bigEndian32(key, 2);
    const ByteView body = data.subspan(2);
    summary.leafType = HFSPlusCatalogLeafData::leafTypeFromRawValue(bigEndian16(data, 0)).value_or(LeafType::fileThread);
    switch (summary.leafType) {
        case LeafType::directory:
            if (body.size() < static_cast<size_t>(HFSPlusFolderRecord::size)) return std::nullopt;
            summary.identifier = bigEndian32(body, 2 + 4);  // after flags and valence
            break;
        case LeafType::file:
            if (body.size() < static_cast<size_t>(HFSPlusFileRecord::size)) return std::nullopt;
            if (!forkLengthFits(body, dataForkOffset) || !forkLengthFits(body, resourceForkOffset)) return std::nullopt;
            summary.identifier = bigEndian32(body, 2 + 4);  // after flags and reserved1
            break;
        case LeafType::directoryThread:
        case LeafType::fileThread:
            // reserved, parent ID, then the counted name
            if (!nameUnits(body, 2 + 4)) return std::nullopt;
            break;
    }
    return summary;
}

HFSPlusCatalogFile::HFSPlusCatalogFile(ImageBytes blocks, int64_t blockSize)
    : tree_(std::move(blocks), blockSize), blockSize_(blockSize) {
    std::vector<BTree::RecordSpan> spans;
    try {
        spans = tree_.checkedLeafRecordSpans();
    } catch (const BTreeError&) {
        // a leaf node that cannot be read gives no leaves
    }
    // Every record is checked once, so that one that cannot be read is left
    // out now, as it would be whenever it is read again.
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
            if (const auto summary = summaryOf(record.recordKey, record.recordData)) {
                leaves_.push_back({span.offset, span.length, summary->parentID, summary->identifier,
                                   static_cast<uint8_t>(summary->leafType)});
            }
        } catch (const ReadPastEndError&) {
            // a record the walk gave that does not hold its key
        } catch (const ValueOutOfRangeError&) {
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

HFSPlusCatalogFile::LeafSummary HFSPlusCatalogFile::leafSummary(size_t position) const {
    const Leaf& found = leaves_.at(position);
    return {static_cast<LeafType>(found.leafType), found.parentID, found.identifier};
}

std::string HFSPlusCatalogFile::nodeNameOf(size_t position) const {
    const Leaf& found = leaves_.at(position);
    const BTreeNodeRecord record = tree_.recordAt({found.offset, found.length, 0});
    // The key was read whole when the catalog was opened.
    return HFSPlusReaderBlock::decodeUnicodeName(keyNameUnits(record.recordKey).value_or(ByteView()));
}

bool HFSPlusCatalogFile::isChild(size_t position) const {
    const Leaf& leaf = leaves_[position];
    return leaf.is(LeafType::file) || (leaf.is(LeafType::directory) && leaf.identifier != leaf.parentID);
}

std::unordered_map<int64_t, uint32_t> HFSPlusCatalogFile::folderPositions() const {
    std::unordered_map<int64_t, uint32_t> folders;
    for (size_t position = 0; position < leaves_.size(); ++position) {
        if (leaves_[position].is(LeafType::directory)) {
            folders.emplace(leaves_[position].identifier, static_cast<uint32_t>(position));
        }
    }
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
        if (leaves_[position].parentID != parentID || !isChild(position)) continue;
        children.emplace_back(HFSPlusCatalogKey::canonicallyComposed(nodeNameOf(position)),
                              static_cast<uint32_t>(position));
    }
    std::vector<HFSPlusCatalogLeafRecord> result;
    result.reserve(children.size());
    for (const uint32_t position : sortedPositions(children)) result.push_back(leaf(position));
    return result;
}

std::unordered_map<int64_t, std::vector<uint32_t>> HFSPlusCatalogFile::childPositionsByParent() const {
    std::unordered_map<int64_t, std::vector<std::pair<std::string, uint32_t>>> named;
    // The names are read from the catalog's bytes, whose pages are let go as
    // the reading goes, so a large catalog does not stay in memory whole.
    int64_t sinceRelease = 0;
    for (size_t position = 0; position < leaves_.size(); ++position) {
        sinceRelease += leaves_[position].length;
        if (sinceRelease >= BTree::releaseInterval) {
            tree_.releaseResidentPages();
            sinceRelease = 0;
        }
        if (!isChild(position)) continue;
        named[leaves_[position].parentID].emplace_back(HFSPlusCatalogKey::canonicallyComposed(nodeNameOf(position)),
                                                       static_cast<uint32_t>(position));
    }
    tree_.releaseResidentPages();
    std::unordered_map<int64_t, std::vector<uint32_t>> result;
    result.reserve(named.size());
    for (auto& [parentID, children] : named) result.emplace(parentID, sortedPositions(children));
    return result;
}

std::optional<HFSPlusCatalogLeafRecord> HFSPlusCatalogFile::directoryRecord(int64_t directoryID) const {
    for (size_t position = 0; position < leaves_.size(); ++position) {
        if (leaves_[position].is(LeafType::directory) && leaves_[position].identifier == directoryID) {
            return leaf(position);
        }
    }
    return std::nullopt;
}

}  // namespace zorv
