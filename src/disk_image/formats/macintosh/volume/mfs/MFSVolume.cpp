#include "disk_image/formats/macintosh/volume/mfs/MFSVolume.hpp"

#include <algorithm>

#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/BootBlockHeader.hpp"
#include "disk_image/formats/macintosh/volume/MacintoshLocalDate.hpp"

namespace zorv {

std::optional<MFSVolume> MFSVolume::fromImageData(const ImageBytes& imageData) {
    const auto signatureEnd = signatureOffset + static_cast<int64_t>(mfsVolumeSignature.size());
    if (static_cast<int64_t>(imageData.size()) < signatureEnd) return std::nullopt;
    if (imageData[signatureOffset] != mfsVolumeSignature[0] || imageData[signatureOffset + 1] != mfsVolumeSignature[1]) {
        return std::nullopt;
    }
    return MFSVolume(512, imageData);
}

MFSMasterDirectoryBlock MFSVolume::masterDirectoryBlock() const {
    return MFSMasterDirectoryBlock(getBlockAtPosition(masterDirectoryBlockPosition, masterDirectoryBlockBlockCount));
}

MFSFileDirectory MFSVolume::fileDirectory() const {
    const MFSMasterDirectoryBlock mdb = masterDirectoryBlock();
    if (mdb.drNmFls == 0 || mdb.drBlLen == 0) return MFSFileDirectory();
    // drBlLen blocks from drDirSt, cut at the end of the image: a truncated
    // image still lists the files of the directory blocks it holds.
    const int64_t blocksHeld = sizeInBlocks() - mdb.drDirSt;
    if (blocksHeld <= 0) throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
    return MFSFileDirectory(getBlockAtPosition(mdb.drDirSt, std::min(mdb.drBlLen, blocksHeld)), mdb.drNmFls);
}

bool MFSVolume::isBootableInternal() const {
    return !BootBlockHeader(getBlockAtPosition(0, bootBlocksBlockCount)).isEmpty();
}

std::optional<MFSMasterDirectoryBlock> MFSVolume::readableMasterDirectoryBlock() const {
    try {
        return masterDirectoryBlock();
    } catch (const EnumeratedError&) {
    } catch (const ReadPastEndError&) {
    }
    return std::nullopt;
}

std::shared_ptr<const MFSVolume::ItemCache> MFSVolume::items() const {
    const std::string_view zone = MacintoshLocalDate::zoneName();
    const ItemCache* cache = itemCache_.get();
    if (cache != nullptr && cache->readFrom.data() == structureData.data() &&
        cache->readFrom.size() == structureData.size() && cache->blockSize == blockSize && cache->zone == zone) {
        return itemCache_;
    }
    auto fresh = std::make_shared<ItemCache>(ItemCache{structureData, blockSize, std::string(zone), {}});
    try {
        MFSFileDirectory directory = fileDirectory();
        fresh->items.reserve(directory.entries.size());
        for (MFSFileDirectoryEntry& entry : directory.entries) {
            fresh->items.push_back(std::make_shared<const MFSFileDirectoryEntry>(std::move(entry)));
        }
    } catch (const EnumeratedError&) {
        fresh->items.clear();
    } catch (const ReadPastEndError&) {
        fresh->items.clear();
    }
    itemCache_ = fresh;
    return fresh;
}

std::string MFSVolume::volumeFormatName() const { return "Macintosh (MFS)"; }

std::string MFSVolume::helpfulDescription() const {
    if (isBootable()) return "This is a bootable MFS Volume. It contains the files required to start an early Mac.";
    return "This is a non-bootable MFS Volume. While it can be used by an early Mac, it cannot start one.";
}

std::string MFSVolume::volumeName() const {
    const auto mdb = readableMasterDirectoryBlock();
    return mdb ? mdb->drVN : "No MDB";
}

std::optional<Date> MFSVolume::creationDate() const {
    const auto mdb = readableMasterDirectoryBlock();
    if (!mdb) return std::nullopt;
    return mdb->drCrDate;
}

std::optional<Date> MFSVolume::modificationDate() const { return std::nullopt; }

// Both factors are unsigned 16- and 32-bit values: the products fit.
int64_t MFSVolume::totalCapacityInBytes() const {
    const auto mdb = readableMasterDirectoryBlock();
    return mdb ? mdb->drNmAlBlks * mdb->drAlBlkSiz : -1;
}

int64_t MFSVolume::freeCapacityInBytes() const {
    const auto mdb = readableMasterDirectoryBlock();
    return mdb ? mdb->drFreeBks * mdb->drAlBlkSiz : -1;
}

bool MFSVolume::isFormatted() const { return true; }

bool MFSVolume::isBootable() const { return sizeInBlocks() >= bootBlocksBlockCount && isBootableInternal(); }

std::optional<int64_t> MFSVolume::totalCountOfFiles() const {
    const auto mdb = readableMasterDirectoryBlock();
    if (!mdb) return std::nullopt;
    return mdb->drNmFls;
}

std::optional<int64_t> MFSVolume::totalCountOfFolders() const { return 0; }

int64_t MFSVolume::numberOfChildrenOfItem(const VolumeItem& item) const {
    if (item) return 0;
    return static_cast<int64_t>(items()->items.size());
}

bool MFSVolume::isItemExpandable(const VolumeItem& /*item*/) const { return false; }

VolumeItem MFSVolume::child(int64_t index, const VolumeItem& ofItem) const {
    if (ofItem) return nullptr;
    const auto cache = items();
    if (index < 0 || index >= static_cast<int64_t>(cache->items.size())) return nullptr;
    return cache->items[static_cast<size_t>(index)];
}

VolumeItem MFSVolume::volumeItem(const VolumeItem& item) const {
    return dynamic_cast<const MFSFileDirectoryEntry*>(item.get()) != nullptr ? item : nullptr;
}

VolumeItem MFSVolume::parentItem(const VolumeItem& /*item*/) const { return nullptr; }

std::optional<ImageBytes> MFSVolume::getFork(ForkType /*fork*/, const VolumeItem& /*item*/) const {
    return std::nullopt;
}

bool MFSVolume::isBlockOccupied(int64_t /*block*/) const { return false; }

}  // namespace zorv
