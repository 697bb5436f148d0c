#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"

#include <algorithm>
#include <exception>
#include <mutex>
#include <typeinfo>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/BootBlockHeader.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolumeError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlockError.hpp"

namespace zorv {

namespace {

[[noreturn]] void unreacheable() {
    throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
}

// HFSCatalogItem is final: its exact type is all there is to check.
const HFSCatalogItem* asCatalogItem(const VolumeItem& item) {
    if (!item || typeid(*item) != typeid(HFSCatalogItem)) return nullptr;
    return static_cast<const HFSCatalogItem*>(item.get());
}

constexpr int64_t dataForkType = 0x00;
constexpr int64_t resourceForkType = 0xFF;
// The start block of an extents overflow key is a 16-bit field.
constexpr int64_t largestKeyStartBlock = 0xFFFF;

int64_t allocationBlocks(const std::vector<ExtDescriptor>& extents) {
    int64_t total = 0;
    for (const auto& extent : extents) total += extent.xdrNumABlks;
    return total;
}

}  // namespace

// ---------------------------------------------------------------------------
// Bitmap

bool HFSVolumeBitmap::isAllocationBlockOccupied(int64_t blockNum) const {
    if (blockNum < 0) return false;
    const int64_t byteIndex = blockNum / 8;
    if (byteIndex >= static_cast<int64_t>(bitmap.size())) return false;
    const int64_t bit = blockNum % 8;
    return ((bitmap[static_cast<size_t>(byteIndex)] >> (7 - bit)) & 1) != 0;
}

// ---------------------------------------------------------------------------
// Opening

struct HFSVolume::Navigation {
    std::once_flag built;
    // Children of each folder ID, as positions of catalog leaves, in the
    // order of leavesInParent: each folder's children are ordered once.
    std::unordered_map<int64_t, std::vector<uint32_t>> children;
    // The position of the first folder leaf of each folder ID, in catalog
    // order.
    std::unordered_map<int64_t, uint32_t> folders;
    // The folder the root item lists; 0 when the catalog names none.
    int64_t rootFolderID = 0;
};

HFSVolume::HFSVolume(ImageBytes block) : BlockStructureDefinable(sectorSize, std::move(block)) {
    if (sizeInBytes() < minimumVolumeBytes) unreacheable();
    const MasterDirectoryBlock mdb(structureData.slice(MasterDirectoryBlock::sectorInVolume * sectorSize, sectorSize));

    masterDirectoryBlock_ = mdb;

    // The catalog's first extents are checked before anything else is read,
    // and its own errors come before those of the extents overflow file,
    // which is opened first only because the catalog may need it.
    const std::vector<ExtDescriptor> catalogFirstExtents(mdb.drCTExtRec.begin(), mdb.drCTExtRec.end());
    sectorRanges(catalogFirstExtents);

    std::exception_ptr extentsError;
    try {
        const std::vector<ExtDescriptor> extentsFileExtents(mdb.drXTExtRec.begin(), mdb.drXTExtRec.end());
        extentsOverflowFile_.emplace(joinedSectors(sectorRanges(extentsFileExtents)), sectorSize);
        auto records = std::make_shared<std::unordered_map<ExtKeyRec, size_t>>();
        const auto& leaves = extentsOverflowFile_->leaves;
        for (size_t position = 0; position < leaves.size(); ++position)
            records->emplace(leaves[position].key, position);
        overflowRecords_ = std::move(records);
    } catch (...) {
        extentsError = std::current_exception();
        extentsOverflowFile_.reset();
        overflowRecords_.reset();
    }

    const auto catalogExtents = fileExtents(dataForkType, catalogFileNumber, catalogFirstExtents, mdb.drCTFlSize);
    // The catalog is read in place, extent by extent: a large one is never
    // copied whole.
    catalogFile_.emplace(sectorSlices(sectorRanges(catalogExtents)), sectorSize);
    if (extentsError) std::rethrow_exception(extentsError);

    navigation_ = std::make_shared<Navigation>();
}

std::optional<HFSVolume> HFSVolume::fromImageData(const ImageBytes& imageData) {
    const auto signatureEnd = signatureOffset + static_cast<int64_t>(hfsVolumeSignature.size());
    if (static_cast<int64_t>(imageData.size()) < signatureEnd) return std::nullopt;
    if (!std::equal(hfsVolumeSignature.begin(), hfsVolumeSignature.end(), imageData.begin() + signatureOffset)) {
        return std::nullopt;
    }
    try {
        return HFSVolume(imageData);
    } catch (...) {
        return std::nullopt;
    }
}

std::vector<HFSVolume::SectorRange> HFSVolume::sectorRanges(const std::vector<ExtDescriptor>& extents) const {
    std::vector<SectorRange> ranges;
    if (!masterDirectoryBlock_) return ranges;
    const MasterDirectoryBlock* mdb = &*masterDirectoryBlock_;
    ranges.reserve(extents.size());
    for (const auto& extent : extents) {
        // Read from disk, every factor is an unsigned field of at most 32
        // bits: no overflow. Records made in memory may hold anything.
        if (extent.xdrStABN < 0 || extent.xdrNumABlks < 0 || extent.xdrStABN > 0xFFFF || extent.xdrNumABlks > 0xFFFF) {
            unreacheable();
        }
        const int64_t first = mdb->drAlBlSt + extent.xdrStABN * mdb->drAlBlkSiz / sectorSize;
        const int64_t count = extent.xdrNumABlks * mdb->drAlBlkSiz / sectorSize;
        if (first + count > sizeInSectors()) unreacheable();
        ranges.push_back({first, count});
    }
    return ranges;
}

std::vector<ImageBytes> HFSVolume::sectorSlices(const std::vector<SectorRange>& ranges) const {
    std::vector<ImageBytes> slices;
    for (const auto& range : ranges) {
        if (range.count == 0) continue;
        slices.push_back(structureData.slice(range.first * sectorSize, range.count * sectorSize));
    }
    return slices;
}

ImageBytes HFSVolume::joinedSectors(const std::vector<SectorRange>& ranges, std::optional<int64_t> length) const {
    // Neighbouring ranges merge, so a file stored in one run is one slice.
    std::vector<SectorRange> runs;
    int64_t total = 0;
    for (const auto& range : ranges) {
        if (range.count == 0) continue;
        if (!runs.empty() && runs.back().first + runs.back().count == range.first) {
            runs.back().count += range.count;
        } else {
            runs.push_back(range);
        }
        total += range.count * sectorSize;
    }
    const int64_t wanted = length ? std::min(*length, total) : total;
    if (runs.empty() || wanted <= 0) return {};
    if (runs.front().count * sectorSize >= wanted) return structureData.slice(runs.front().first * sectorSize, wanted);

    Bytes joined;
    joined.reserve(static_cast<size_t>(wanted));
    for (const auto& run : runs) {
        const int64_t remaining = wanted - static_cast<int64_t>(joined.size());
        if (remaining <= 0) break;
        const ImageBytes bytes =
            structureData.slice(run.first * sectorSize, std::min(run.count * sectorSize, remaining));
        joined.insert(joined.end(), bytes.begin(), bytes.end());
    }
    return ImageBytes(std::move(joined));
}

std::vector<ExtDescriptor> HFSVolume::fileExtents(int64_t forkType, int64_t fileNumber,
                                                  const std::vector<ExtDescriptor>& firstExtents,
                                                  int64_t physicalLength) const {
    std::vector<ExtDescriptor> extents = firstExtents;
    if (!overflowRecords_ || !extentsOverflowFile_ || fileNumber == extentsFileNumber) return extents;
    const MasterDirectoryBlock* mdb = masterDirectoryBlock_ ? &*masterDirectoryBlock_ : nullptr;
    if (mdb == nullptr || mdb->drAlBlkSiz <= 0) return extents;
    if (fileNumber < 0 || fileNumber > 0xFFFFFFFF || (forkType != dataForkType && forkType != resourceForkType)) {
        return extents;
    }

    // A sound file never holds more than the volume; each record continues
    // the fork where the blocks so far end, so every key is looked up once
    // and the walk ends after at most as many steps as there are records.
    const int64_t limit = std::min(physicalLength, sizeInBytes());
    int64_t blocks = allocationBlocks(extents);
    const auto& leaves = extentsOverflowFile_->leaves;
    while (blocks * mdb->drAlBlkSiz < limit && blocks <= largestKeyStartBlock) {
        const auto found = overflowRecords_->find(ExtKeyRec(ExtKeyRec::size - 1, forkType, fileNumber, blocks));
        if (found == overflowRecords_->end()) break;
        const auto& record = leaves[found->second].record.records;
        const int64_t added = allocationBlocks(record);
        if (added == 0) break;
        extents.insert(extents.end(), record.begin(), record.end());
        blocks += added;
    }
    return extents;
}

// ---------------------------------------------------------------------------
// The wrapper, new volumes, the bitmap

bool HFSVolume::wrapsHFSPlus() const {
    return masterDirectoryBlock_ && masterDirectoryBlock_->drVCSize == embeddedHFSPlusSignature;
}

std::shared_ptr<const VolumeRepresentable> HFSVolume::extractedHFSPlus() const {
    if (!masterDirectoryBlock_) {
        throw MasterDirectoryBlockError(MasterDirectoryBlockError::Case::invalidMDBPartitionSignature);
    }
    const auto& mdb = *masterDirectoryBlock_;
    const int64_t first = mdb.drAlBlSt + mdb.drVBMCSize * (mdb.drAlBlkSiz / sectorSize);
    const int64_t count = mdb.drCtlCSize * mdb.drAlBlkSiz / sectorSize;
    if (first + count > sizeInSectors()) unreacheable();
    auto volume = openEmbeddedHFSPlusVolume(structureData.slice(first * sectorSize, count * sectorSize));
    if (!volume) throw MasterDirectoryBlockError(MasterDirectoryBlockError::Case::noExtractableHFSPlus);
    return volume;
}

std::map<int64_t, Bytes> HFSVolume::blocksForNewHFSVolume(int64_t sizeInBlocks, std::string_view volumeName,
                                                          int64_t blockSize, Date now) {
    return MasterDirectoryBlock::newVolumeHeaderBlocks(sizeInBlocks, volumeName, blockSize, now);
}

std::optional<HFSVolumeBitmap> HFSVolume::volumeBitmap() const {
    if (!masterDirectoryBlock_) return std::nullopt;
    const int64_t first = masterDirectoryBlock_->drVBMSt;
    const int64_t end = masterDirectoryBlock_->drAlBlSt;
    if (end > sizeInSectors()) return std::nullopt;
    if (end <= first) return HFSVolumeBitmap{};
    return HFSVolumeBitmap{structureData.slice(first * sectorSize, (end - first) * sectorSize), sectorSize};
}

bool HFSVolume::isBlockOccupied(int64_t block) const {
    const auto bitmap = volumeBitmap();
    return bitmap && bitmap->isAllocationBlockOccupied(block);
}

// ---------------------------------------------------------------------------
// The volume's description

std::string HFSVolume::volumeFormatName() const {
    std::string name = "Macintosh (HFS)";
    if (imageWrapper_) name += "\n(" + imageWrapper_->descriptiveName() + ")";
    return name;
}

std::string HFSVolume::helpfulDescription() const {
    if (isBootable()) return "This is a bootable HFS Volume.";
    return "This is a non-bootable HFS Volume. It doesn't seem to contain a working System folder, so you will "
           "not be able to start a Mac (real or emulated) with this.";
}

void HFSVolume::setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper) {
    imageWrapper_ = std::move(wrapper);
}

std::string HFSVolume::volumeName() const {
    return masterDirectoryBlock_ ? masterDirectoryBlock_->drVN : std::string("<Not Initialized>");
}

std::optional<Date> HFSVolume::creationDate() const {
    if (!masterDirectoryBlock_) return std::nullopt;
    return masterDirectoryBlock_->drCrDate;
}

std::optional<Date> HFSVolume::modificationDate() const {
    if (!masterDirectoryBlock_) return std::nullopt;
    return masterDirectoryBlock_->drLsMod;
}

int64_t HFSVolume::totalCapacityInBytes() const {
    if (!masterDirectoryBlock_) return 0;
    return masterDirectoryBlock_->drNmAlBlks * masterDirectoryBlock_->drAlBlkSiz;
}

int64_t HFSVolume::freeCapacityInBytes() const {
    if (!masterDirectoryBlock_) return 0;
    return masterDirectoryBlock_->drFreeBks * masterDirectoryBlock_->drAlBlkSiz;
}

bool HFSVolume::isBootable() const {
    if (sizeInBytes() < BootBlockHeader::bootBlocksSize) return false;
    const BootBlockHeader header(structureData.slice(0, BootBlockHeader::bootBlocksSize));
    const Bytes& id = header.bbID();
    return std::equal(id.begin(), id.end(), BootBlockHeader::bootBlockSignature.begin(),
                      BootBlockHeader::bootBlockSignature.end());
}

std::optional<int64_t> HFSVolume::totalCountOfFiles() const {
    if (!masterDirectoryBlock_) return std::nullopt;
    return masterDirectoryBlock_->drFilCnt;
}

std::optional<int64_t> HFSVolume::totalCountOfFolders() const {
    if (!masterDirectoryBlock_) return std::nullopt;
    return masterDirectoryBlock_->drDirCnt;
}

// ---------------------------------------------------------------------------
// Navigation

const HFSVolume::Navigation* HFSVolume::navigation() const {
    if (!navigation_ || !catalogFile_) return nullptr;
    Navigation* built = navigation_.get();
    std::call_once(built->built, [this, built] {
        using LeafType = HFSCatalogLeafRecord::LeafType;
        auto index = catalogFile_->folderIndex();
        built->children = std::move(index.children);
        built->folders = std::move(index.folders);
        const auto top = built->children.find(1);
        if (top != built->children.end() && !top->second.empty()) {
            const auto summary = catalogFile_->leafSummary(top->second.front());
            if (summary.leafType == LeafType::directory) built->rootFolderID = summary.identifier;
        }
    });
    return built;
}

VolumeItem HFSVolume::itemAt(size_t position) const {
    return std::make_shared<const HFSCatalogItem>(catalogFile_->leafRecord(position));
}

int64_t HFSVolume::folderBehind(const VolumeItem& item) const {
    if (const auto* catalogItem = asCatalogItem(item)) {
        if (catalogItem->isFolder()) return catalogItem->catalogNodeID();
    }
    const auto* index = navigation();
    return index ? index->rootFolderID : 0;
}

int64_t HFSVolume::numberOfChildrenOfItem(const VolumeItem& item) const {
    const auto* index = navigation();
    if (index == nullptr) return 0;
    const auto found = index->children.find(folderBehind(item));
    return found == index->children.end() ? 0 : static_cast<int64_t>(found->second.size());
}

bool HFSVolume::isItemExpandable(const VolumeItem& item) const {
    const auto* catalogItem = asCatalogItem(item);
    return catalogItem != nullptr && catalogItem->isFolder();
}

VolumeItem HFSVolume::child(int64_t index, const VolumeItem& ofItem) const {
    const auto* built = navigation();
    if (built == nullptr || index < 0) return nullptr;
    const auto found = built->children.find(folderBehind(ofItem));
    if (found == built->children.end() || index >= static_cast<int64_t>(found->second.size())) return nullptr;
    return itemAt(found->second[static_cast<size_t>(index)]);
}

VolumeItem HFSVolume::volumeItem(const VolumeItem& item) const {
    return asCatalogItem(item) != nullptr ? item : nullptr;
}

std::optional<uint64_t> HFSVolume::folderKey(const VolumeItem& folder) const {
    return static_cast<uint64_t>(folderBehind(folder));
}

VolumeItem HFSVolume::parentItem(const VolumeItem& item) const {
    const auto* catalogItem = asCatalogItem(item);
    const auto* built = navigation();
    if (catalogItem == nullptr || built == nullptr) return nullptr;
    const auto found = built->folders.find(catalogItem->parentID());
    return found == built->folders.end() ? nullptr : itemAt(found->second);
}

// ---------------------------------------------------------------------------
// Forks

std::optional<ImageBytes> HFSVolume::getFork(ForkType fork, const VolumeItem& item) const {
    const auto* catalogItem = asCatalogItem(item);
    if (catalogItem == nullptr || !masterDirectoryBlock_) return std::nullopt;
    const HFSCatalogLeafRecord leaf = catalogItem->leafRecord();
    const auto* file = leaf.fileRecord();
    if (file == nullptr) return std::nullopt;

    const bool data = fork == ForkType::data;
    const auto& firstExtents = data ? file->filExtRec : file->filRExtRec;
    if (firstExtents.empty()) return std::nullopt;
    const int64_t logicalLength = data ? file->filLgLen : file->filRLgLen;
    const int64_t physicalLength = data ? file->filPyLen : file->filRPyLen;

    const auto extents =
        fileExtents(data ? dataForkType : resourceForkType, file->filFlNum, firstExtents, physicalLength);
    const auto ranges = sectorRanges(extents);
    int64_t allocated = 0;
    for (const auto& range : ranges) allocated += range.count * sectorSize;
    // A fork whose blocks end before its length lost an overflow record, or
    // its record lies: reading it short would pass a damaged file as whole.
    if (allocated < logicalLength) {
        throw HFSVolumeError(HFSVolumeError::Case::forkShorterThanLength, file->filFlNum);
    }
    if (allocated == 0) return std::nullopt;
    return joinedSectors(ranges, logicalLength);
}

}  // namespace zorv
