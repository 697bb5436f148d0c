#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolume.hpp"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeError.hpp"

namespace zorv {

namespace {

using OverflowForkType = HFSPlusExtentsOverflowFileKey::ForkType;

[[noreturn]] void unreacheable() {
    throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
}

const HFSPlusCatalogLeafRecord* asLeaf(const VolumeItem& item) {
    return dynamic_cast<const HFSPlusCatalogLeafRecord*>(item.get());
}

// The volume header, once the bytes are known to hold it, with an allocation
// block size every block position can be computed from.
HFSPlusVolumeHeader openedHeader(const ImageBytes& volume) {
    if (static_cast<int64_t>(volume.size()) < HFSPlusVolume::minimumVolumeBytes) unreacheable();
    HFSPlusVolumeHeader header(volume.slice(HFSPlusVolumeHeader::offsetInVolume, HFSPlusVolumeHeader::size));
    if (!HFSPlusVolumeHeader::isValidAllocationBlockSize(header.blockSize)) {
        throw HFSPlusVolumeHeaderError(HFSPlusVolumeHeaderError::Case::invalidAllocationBlockSize, header.blockSize);
    }
    return header;
}

}  // namespace

// ---------------------------------------------------------------------------
// Opening

struct HFSPlusVolume::Navigation {
    // The root, found alone: a report without the files asks only its name.
    std::once_flag rootFound;
    std::once_flag built;
    // Children of each folder ID, as positions of catalog leaves, in the
    // order of leavesInParent: each folder's children are ordered once.
    std::unordered_map<int64_t, std::vector<uint32_t>> children;
    // The position of the first folder leaf of each folder ID, in catalog
    // order.
    std::unordered_map<int64_t, uint32_t> folders;
    // The first item of folder 1 (the root folder, on a sound volume).
    std::shared_ptr<const HFSPlusCatalogLeafRecord> rootItem;
    // The folder the root item lists; 0 when the catalog names none.
    int64_t rootFolderID = 0;
};

HFSPlusVolume::HFSPlusVolume(ImageBytes block)
    : BlockStructureDefinable(512, std::move(block)), volumeHeader_(openedHeader(structureData)) {
    blockSize = volumeHeader_.blockSize;

    // The extents file first: the catalog's own further extents are in it.
    extentsOverflowFile_ = std::make_shared<const HFSPlusExtentsOverflowFile>(
        HFSPlusForkDataStucture::gatherExtents(structureData, blockSize, volumeHeader_.extentsFile.extents),
        blockSize);
    const auto catalogExtents = forkExtents(volumeHeader_.catalogFile, catalogFileID, OverflowForkType::data);
    catalogFile_ = std::make_shared<const HFSPlusCatalogFile>(
        HFSPlusForkDataStucture::gatherExtents(structureData, blockSize, catalogExtents), blockSize);
    navigation_ = std::make_shared<Navigation>();
}

std::optional<HFSPlusVolume> HFSPlusVolume::fromImageData(const ImageBytes& imageData) {
    const auto signatureEnd = signatureOffset + static_cast<int64_t>(hfsPlusVolumeSignature.size());
    if (static_cast<int64_t>(imageData.size()) < signatureEnd) return std::nullopt;
    const auto* signature = imageData.begin() + signatureOffset;
    if (!std::equal(hfsPlusVolumeSignature.begin(), hfsPlusVolumeSignature.end(), signature)) return std::nullopt;
    try {
        return HFSPlusVolume(imageData);
    } catch (...) {
        return std::nullopt;
    }
}

std::map<int64_t, Bytes> HFSPlusVolume::blocksForNewHFSPlusVolume(int64_t sizeInBlocks, std::string_view volumeName,
                                                                  int64_t blockSize, Date now) {
    return HFSPlusVolumeHeader::blocksForNewVolume(sizeInBlocks, volumeName, blockSize, now);
}

std::vector<HFSPlusExtentDescriptor> HFSPlusVolume::forkExtents(const HFSPlusForkDataStucture& fork, int64_t fileID,
                                                                OverflowForkType forkType) const {
    std::vector<HFSPlusExtentDescriptor> extents = fork.extents;
    if (fileID == extentsFileID || !extentsOverflowFile_) return extents;

    int64_t covered = fork.extentBlockCount();
    const int64_t volumeBlocks = sizeInBlocks();
    while (covered < fork.totalBlocks) {
        // No sound fork holds more blocks than the volume.
        if (covered > volumeBlocks) unreacheable();
        const auto* record = extentsOverflowFile_->recordFor(HFSPlusExtentsOverflowFileKey(forkType, fileID, covered));
        const int64_t added = record != nullptr ? record->record.blockCount() : 0;
        if (added == 0) throw HFSPlusVolumeError(HFSPlusVolumeError::Case::missingOverflowExtents, fileID);
        for (const auto& extent : record->record.records) {
            extents.emplace_back(extent.startBlock, extent.blockCount, blockSize);
        }
        covered += added;  // at most 2^35 more per record, and at most volumeBlocks before it
    }
    return extents;
}

// ---------------------------------------------------------------------------
// The volume's description

std::string HFSPlusVolume::volumeFormatName() const {
    std::string name = "Macintosh (HFS+)";
    if (imageWrapper_) name += "\n(" + imageWrapper_->descriptiveName() + ")";
    return name;
}

std::string HFSPlusVolume::helpfulDescription() const {
    if (isBootable()) return "This is a bootable HFS+ Volume.";
    return "This is a non-bootable HFS+ Volume. It doesn't seem to contain a working System folder, so you will "
           "not be able to start a Mac (real or emulated) with this.";
}

void HFSPlusVolume::setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper) {
    imageWrapper_ = std::move(wrapper);
}

std::string HFSPlusVolume::presentableName() const {
    const auto& rootItem = root().rootItem;
    return rootItem ? rootItem->nodeName() : std::string("Unknown");
}

std::string HFSPlusVolume::volumeName() const { return presentableName(); }

std::optional<Date> HFSPlusVolume::creationDate() const { return volumeHeader_.createDate; }

std::optional<Date> HFSPlusVolume::modificationDate() const { return volumeHeader_.modifyDate; }

int64_t HFSPlusVolume::totalCapacityInBytes() const { return volumeHeader_.totalBlocks * volumeHeader_.blockSize; }

int64_t HFSPlusVolume::freeCapacityInBytes() const { return volumeHeader_.freeBlocks * volumeHeader_.blockSize; }

bool HFSPlusVolume::isBootable() const { return volumeHeader_.finderInfo[0] > 0; }

std::optional<int64_t> HFSPlusVolume::totalCountOfFiles() const { return volumeHeader_.fileCount; }

std::optional<int64_t> HFSPlusVolume::totalCountOfFolders() const { return volumeHeader_.folderCount; }

bool HFSPlusVolume::isBlockOccupied(int64_t /*block*/) const { return false; }

// ---------------------------------------------------------------------------
// Navigation

const HFSPlusVolume::Navigation& HFSPlusVolume::navigation() const {
    Navigation* built = navigation_.get();
    std::call_once(built->built, [this, built] {
        built->children = catalogFile_->childPositionsByParent();
        built->folders = catalogFile_->folderPositions();
    });
    return *built;
}

const HFSPlusVolume::Navigation& HFSPlusVolume::root() const {
    Navigation* found = navigation_.get();
    std::call_once(found->rootFound, [this, found] {
        // The first child of folder 1, as the children of every folder are
        // ordered.
        auto top = catalogFile_->leavesInParent(1);
        if (top.empty()) return;
        found->rootItem = std::make_shared<const HFSPlusCatalogLeafRecord>(std::move(top.front()));
        if (const auto* folder = found->rootItem->data.folderRecord()) found->rootFolderID = folder->folderID;
    });
    return *found;
}

VolumeItem HFSPlusVolume::itemAt(size_t position) const {
    return std::make_shared<const HFSPlusCatalogLeafRecord>(catalogFile_->leaf(position));
}

int64_t HFSPlusVolume::folderBehind(const VolumeItem& item) const {
    if (const auto* leaf = asLeaf(item)) {
        if (const auto* folder = leaf->data.folderRecord()) return folder->folderID;
    }
    return root().rootFolderID;
}

int64_t HFSPlusVolume::numberOfChildrenOfItem(const VolumeItem& item) const {
    const auto& index = navigation();
    const auto found = index.children.find(folderBehind(item));
    return found == index.children.end() ? 0 : static_cast<int64_t>(found->second.size());
}

bool HFSPlusVolume::isItemExpandable(const VolumeItem& item) const {
    const auto* leaf = asLeaf(item);
    return leaf != nullptr && leaf->isFolder();
}

VolumeItem HFSPlusVolume::child(int64_t index, const VolumeItem& ofItem) const {
    if (index < 0) return nullptr;
    const auto& built = navigation();
    const auto found = built.children.find(folderBehind(ofItem));
    if (found == built.children.end() || index >= static_cast<int64_t>(found->second.size())) return nullptr;
    return itemAt(found->second[static_cast<size_t>(index)]);
}

VolumeItem HFSPlusVolume::volumeItem(const VolumeItem& item) const { return asLeaf(item) != nullptr ? item : nullptr; }

std::optional<uint64_t> HFSPlusVolume::folderKey(const VolumeItem& folder) const {
    return static_cast<uint64_t>(folderBehind(folder));
}

VolumeItem HFSPlusVolume::parentItem(const VolumeItem& item) const {
    const auto* leaf = asLeaf(item);
    if (leaf == nullptr) return nullptr;
    const auto& built = navigation();
    const auto found = built.folders.find(leaf->parentID());
    if (found == built.folders.end()) return nullptr;
    // A folder that names itself as its parent has none.
    if (const auto* folder = leaf->data.folderRecord(); folder != nullptr && folder->folderID == leaf->parentID()) {
        return nullptr;
    }
    return itemAt(found->second);
}

// ---------------------------------------------------------------------------
// Forks

std::optional<ImageBytes> HFSPlusVolume::getFork(ForkType fork, const VolumeItem& item) const {
    const auto* leaf = asLeaf(item);
    const auto* file = leaf != nullptr ? leaf->data.fileRecord() : nullptr;
    if (file == nullptr) return std::nullopt;

    const bool data = fork == ForkType::data;
    const HFSPlusForkDataStucture& record = data ? file->dataFork : file->resourceFork;
    const auto extents = forkExtents(record, file->fileID, data ? OverflowForkType::data : OverflowForkType::resource);
    const ImageBytes gathered = HFSPlusForkDataStucture::gatherExtents(structureData, blockSize, extents);
    // A fork record whose blocks end before its logical size lies about one
    // or the other: reading it short would pass a damaged file as whole.
    if (static_cast<int64_t>(gathered.size()) < record.logicalSize) {
        throw HFSPlusVolumeError(HFSPlusVolumeError::Case::forkShorterThanLength, file->fileID);
    }
    return record.contents(gathered);
}

}  // namespace zorv
