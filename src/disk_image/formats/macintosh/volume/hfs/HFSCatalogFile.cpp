#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFile.hpp"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <string>
#include <utility>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTree.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileError.hpp"

namespace zorv {

namespace {

// The canonical composition (NFC) of UTF-8 text. Comparing two such texts
// byte by byte orders them by Unicode scalar values.
std::string composedName(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return name;
    const icu::UnicodeString composed = nfc->normalize(icu::UnicodeString::fromUTF8(name), status);
    if (U_FAILURE(status)) return name;
    std::string result;
    composed.toUTF8String(result);
    return result;
}

}  // namespace

HFSCatalogFile::HFSCatalogFile(ImageBytes blocks, int64_t blockSize) {
    const BTree tree(std::move(blocks), blockSize);
    const std::vector<BTreeNodeRecord> records = tree.leafNodeRecords();
    leaves.reserve(records.size());
    for (const auto& record : records) {
        try {
            leaves.emplace_back(record);
        } catch (const ReadPastEndError&) {
            // a key shorter than its fixed fields
        } catch (const ValueOutOfRangeError&) {
            // a key length below the smallest key
        }
    }
    if (leaves.empty()) throw HFSCatalogFileError(HFSCatalogFileError::Case::noLeafNodes);
}

std::vector<HFSCatalogLeafRecord> HFSCatalogFile::leavesInParent(int64_t parentID) const {
    using LeafType = HFSCatalogLeafRecord::LeafType;
    std::vector<std::pair<std::string, const HFSCatalogLeafRecord*>> children;
    for (const auto& leaf : leaves) {
        if (leaf.key.parentID != parentID) continue;
        if (leaf.leafType() != LeafType::directory && leaf.leafType() != LeafType::file) continue;
        children.emplace_back(composedName(leaf.key.nodeName), &leaf);
    }
    std::stable_sort(children.begin(), children.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    std::vector<HFSCatalogLeafRecord> result;
    result.reserve(children.size());
    for (const auto& child : children) result.push_back(*child.second);
    return result;
}

std::unordered_map<int64_t, std::vector<size_t>> HFSCatalogFile::childPositionsByParent() const {
    using LeafType = HFSCatalogLeafRecord::LeafType;
    std::unordered_map<int64_t, std::vector<std::pair<std::string, size_t>>> named;
    for (size_t position = 0; position < leaves.size(); ++position) {
        const auto& leaf = leaves[position];
        if (leaf.leafType() != LeafType::directory && leaf.leafType() != LeafType::file) continue;
        named[leaf.key.parentID].emplace_back(composedName(leaf.key.nodeName), position);
    }
    std::unordered_map<int64_t, std::vector<size_t>> result;
    result.reserve(named.size());
    for (auto& [parentID, children] : named) {
        std::stable_sort(children.begin(), children.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        auto& positions = result[parentID];
        positions.reserve(children.size());
        for (const auto& child : children) positions.push_back(child.second);
    }
    return result;
}

std::optional<HFSCatalogLeafRecord> HFSCatalogFile::directoryRecord(int64_t directoryID) const {
    for (const auto& leaf : leaves) {
        if (leaf.leafType() == HFSCatalogLeafRecord::LeafType::directory && leaf.data.directoryRecord &&
            leaf.data.directoryRecord->dirDirID == directoryID) {
            return leaf;
        }
    }
    return std::nullopt;
}

}  // namespace zorv
