#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFile.hpp"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <utility>

#include "data_access/ByteHelpers.hpp"
#include "data_access/Errors.hpp"
#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileError.hpp"

namespace zorv {

namespace {

using LeafType = HFSCatalogLeafRecord::LeafType;

int64_t bigEndian32(ByteView bytes, size_t offset) { return fromLongBigEndian(bytes.subspan(offset, 4)); }

// The summary of a leaf from its key (length byte first) and the bytes after
// the key, read as HFSCatalogLeafRecord and HFSCatalogLeafData read them.
HFSCatalogFile::LeafSummary summaryOfBytes(ByteView key, ByteView afterKey, int64_t keyLength) {
    HFSCatalogFile::LeafSummary summary;
    // The key's fixed fields were read when the catalog was opened: length,
    // reserved byte, then the parent ID.
    summary.parentID = bigEndian32(key, 2);
    // The data follows the pad byte that comes after a key of even length.
    const bool hasPadByte = keyLength % 2 == 0 && !afterKey.empty();
    const ByteView data = hasPadByte ? afterKey.subspan(1) : afterKey;
    // A folder or file only when its whole record is there.
    if (data.size() < 2) return summary;
    const int64_t bodySize = static_cast<int64_t>(data.size()) - 2;
    if (data[0] == 1 && bodySize >= HFSCatalogLeafData::FolderRecord::bodySize) {
        summary.leafType = LeafType::directory;
        summary.identifier = bigEndian32(data, 2 + 4);  // after dirFlags and dirVal
    } else if (data[0] == 2 && bodySize >= HFSCatalogLeafData::FileRecord::bodySize) {
        summary.leafType = LeafType::file;
        summary.identifier = bigEndian32(data, 2 + 18);  // after flags, type and filUsrWds
    } else if (data[0] == 3 || data[0] == 4) {
        summary.leafType = HFSCatalogLeafData(ImageBytes::copyOf(data)).leafType;
    }
    return summary;
}

bool isChild(LeafType type) { return type == LeafType::directory || type == LeafType::file; }

}  // namespace

HFSCatalogFile::HFSCatalogFile(ImageBytes blocks, int64_t blockSize) : tree_(std::move(blocks), blockSize) {
    readLeaves();
}

HFSCatalogFile::HFSCatalogFile(std::vector<ImageBytes> pieces, int64_t blockSize)
    : tree_(std::move(pieces), blockSize) {
    readLeaves();
}

void HFSCatalogFile::readLeaves() {
    std::vector<BTree::RecordSpan> spans;
    try {
        spans = tree_.checkedLeafRecordSpans();
    } catch (const BTreeError&) {
        // a leaf node that cannot be read gives no leaves
    }
    spans_.reserve(spans.size());
    for (const auto& span : spans) {
        // With one-byte key lengths, a key of 6 bytes or more holds its
        // fixed fields (the reader has checked it lies in its record).
        if (!tree_.hasLongKeys()) {
            if (span.keyLength >= HFSCatalogFileKey::minimumKeyLength) spans_.push_back(span);
            continue;
        }
        try {
            (void)HFSCatalogFileKey(tree_.recordAt(span).recordKey);
            spans_.push_back(span);
        } catch (const ReadPastEndError&) {
            // a key shorter than its fixed fields
        } catch (const ValueOutOfRangeError&) {
            // a key length below the smallest key
        }
    }
    if (spans_.empty()) throw HFSCatalogFileError(HFSCatalogFileError::Case::noLeafNodes);
}

BTreeNodeRecord HFSCatalogFile::leafRecord(size_t position) const { return tree_.recordAt(spans_.at(position)); }

HFSCatalogLeafRecord HFSCatalogFile::leaf(size_t position) const { return HFSCatalogLeafRecord(leafRecord(position)); }

HFSCatalogFile::LeafBytes HFSCatalogFile::leafBytes(size_t position) const {
    const BTree::RecordSpan& span = spans_.at(position);
    LeafBytes leaf;
    if (tree_.hasLongKeys()) {
        leaf.record = tree_.recordAt(span);
        leaf.key = leaf.record.recordKey;
        leaf.afterKey = leaf.record.recordData;
        leaf.keyLength = leaf.record.keyLength;
        return leaf;
    }
    // One-byte key lengths: the key lies in the record as stored.
    const ByteView bytes = tree_.recordView(span, leaf.bytes);
    const size_t keyEnd = 1 + size_t{span.keyLength};
    leaf.key = bytes.first(keyEnd);
    leaf.afterKey = bytes.subspan(keyEnd);
    leaf.keyLength = span.keyLength;
    leaf.inPlace = leaf.bytes.empty();
    return leaf;
}

HFSCatalogFile::LeafSummary HFSCatalogFile::leafSummary(size_t position) const {
    const LeafBytes leaf = leafBytes(position);
    return summaryOfBytes(leaf.key, leaf.afterKey, leaf.keyLength);
}

HFSCatalogFile::LeafSummary HFSCatalogFile::summaryOf(const BTreeNodeRecord& record) {
    return summaryOfBytes(record.recordKey, record.recordData, record.keyLength);
}

std::vector<HFSCatalogLeafRecord> HFSCatalogFile::leaves() const {
    std::vector<HFSCatalogLeafRecord> result;
    result.reserve(spans_.size());
    for (size_t position = 0; position < spans_.size(); ++position) result.push_back(leaf(position));
    return result;
}

std::vector<HFSCatalogLeafRecord> HFSCatalogFile::leavesInParent(int64_t parentID) const {
    std::vector<HFSCatalogLeafRecord> result;
    const auto found = childPositionsByParent();
    const auto children = found.find(parentID);
    if (children == found.end()) return result;
    result.reserve(children->second.size());
    for (const uint32_t position : children->second) result.push_back(leaf(position));
    return result;
}

std::unordered_map<int64_t, std::vector<uint32_t>> HFSCatalogFile::childPositionsByParent() const {
    return folderIndex().children;
}

HFSCatalogFile::FolderIndex HFSCatalogFile::folderIndex() const {
    FolderIndex index;
    auto& children = index.children;
    // A sound catalog holds the children of a parent one after the other, in
    // an order that is ours while their names are ASCII (its own canonical
    // composition, ordered as its bytes): such a folder is in order once each
    // name follows the one before it. Any other folder is sorted below.
    std::unordered_set<int64_t> toSort;
    int64_t lastParentID = 0;
    std::vector<uint32_t>* lastChildren = nullptr;
    ByteView lastName;        // the previous child's, when comparable
    bool lastNameKnown = false;
    for (size_t position = 0; position < spans_.size(); ++position) {
        // The record is read once for its kind, parent and name.
        const LeafBytes leaf = leafBytes(position);
        const LeafSummary summary = summaryOfBytes(leaf.key, leaf.afterKey, leaf.keyLength);
        if (summary.leafType == LeafType::directory) {
            index.folders.emplace(summary.identifier, static_cast<uint32_t>(position));
        }
        if (!isChild(summary.leafType)) continue;
        if (lastChildren == nullptr || summary.parentID != lastParentID) {
            lastChildren = &children[summary.parentID];
            lastParentID = summary.parentID;
            lastNameKnown = false;
        }
        const ByteView name = HFSCatalogFileKey::nodeNameBytesOf(leaf.key);
        const std::string_view text(reinterpret_cast<const char*>(name.data()), name.size());
        const bool nameKnown = leaf.inPlace && isASCII(text);
        if (!lastChildren->empty()) {
            const std::string_view lastText(reinterpret_cast<const char*>(lastName.data()), lastName.size());
            if (!nameKnown || !lastNameKnown || text < lastText) toSort.insert(summary.parentID);
        }
        lastChildren->push_back(static_cast<uint32_t>(position));
        lastName = name;
        lastNameKnown = nameKnown;
    }
    for (const int64_t parentID : toSort) {
        std::vector<uint32_t>& positions = children[parentID];
        std::vector<std::pair<std::string, uint32_t>> named;
        named.reserve(positions.size());
        for (const uint32_t position : positions) {
            std::string name = HFSCatalogFileKey::nodeNameOf(leafBytes(position).key);
            if (!isASCII(name)) name = canonicallyComposed(name);
            named.emplace_back(std::move(name), position);
        }
        std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t at = 0; at < named.size(); ++at) positions[at] = named[at].second;
    }
    return index;
}

std::optional<HFSCatalogLeafRecord> HFSCatalogFile::directoryRecord(int64_t directoryID) const {
    for (size_t position = 0; position < spans_.size(); ++position) {
        const LeafSummary summary = leafSummary(position);
        if (summary.leafType == LeafType::directory && summary.identifier == directoryID) return leaf(position);
    }
    return std::nullopt;
}

}  // namespace zorv
