// ADFDisk as the reports, the hierarchy walk and the export see it.

#include <algorithm>
#include <unordered_map>

#include "data_access/CheckedMath.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"

namespace zorv {
namespace {

const ADFDiskEntry* asEntry(const VolumeItem& item) { return dynamic_cast<const ADFDiskEntry*>(item.get()); }

const std::vector<VolumeItem> noChildren;

}  // namespace

struct ADFDisk::Navigation {
    // By the key of a directory (or 0, the parent of the root entry), the
    // entries whose parent pointer names it, in walk order. An entry that
    // names itself as its parent is left out: it would hold itself.
    std::unordered_map<int64_t, std::vector<VolumeItem>> childrenByKey;
    // By key, the first entry that has it.
    std::unordered_map<int64_t, VolumeItem> entryByKey;
    // The key whose children form the top level.
    int64_t topLevelKey = 0;

    const std::vector<VolumeItem>& children(int64_t key) const {
        const auto found = childrenByKey.find(key);
        return found == childrenByKey.end() ? noChildren : found->second;
    }
};

void ADFDisk::buildNavigation() {
    auto navigation = std::make_shared<Navigation>();
    for (const auto& entry : entries) {
        if (entry->parent != entry->key) navigation->childrenByKey[entry->parent].push_back(entry);
        navigation->entryByKey.try_emplace(entry->key, entry);
    }
    // The boot block's pointer is not where AmigaDOS finds the root (a
    // high-density floppy says 880 and keeps its root at 1,760, and some
    // disks carry a wrong one): only its 0, a volume whose top level is its
    // root entry, is taken from it.
    const auto boot = bootBlock();
    navigation->topLevelKey = boot && boot->rootBlockLocation == 0 ? 0 : rootBlockNumber_;
    navigation_ = std::move(navigation);
}

std::string ADFDisk::volumeFormatName() const {
    std::string fileSystem;
    if (const auto boot = bootBlock()) {
        fileSystem = boot->fileSystem() == ADFDiskBootBlock::ADFFileSystemMode::FFS ? "FFS" : "OFS";
    }
    return std::string(diskGeometry.isFloppy() ? "Amiga Floppy" : "UAE Hardfile") + " (" + fileSystem + ")";
}

std::string ADFDisk::helpfulDescription() const {
    return diskGeometry.isFloppy() ? "This is an Amiga floppy image."
                                   : "This is an Amiga hardfile, or a partition inside an Amiga hard disk.";
}

std::string ADFDisk::volumeName() const {
    try {
        return rootBlock().diskName;
    } catch (const std::exception&) {
        return "Unnamed";
    }
}

std::optional<Date> ADFDisk::creationDate() const {
    try {
        return rootBlock().creationDate.date();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<Date> ADFDisk::modificationDate() const {
    try {
        return rootBlock().volumeDate.date();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

int64_t ADFDisk::totalCapacityInBytes() const {
    return checked::mul(diskGeometry.totalBlocks(), diskGeometry.blockSize);
}

int64_t ADFDisk::freeCapacityInBytes() const {
    if (const auto freeBlocks = bitmapFreeBlocks()) return checked::mul(*freeBlocks, diskGeometry.blockSize);
    // A damaged file header can claim more bytes than the volume holds.
    return std::max<int64_t>(0, checked::sub(totalCapacityInBytes(), occupiedCapacityInBytes()));
}

std::optional<int64_t> ADFDisk::bitmapFreeBlocks() const {
    if (!bitmap) return std::nullopt;
    return bitmap->freeBlockCount(diskGeometry.totalBlocks());
}

int64_t ADFDisk::numberOfChildrenOfItem(const VolumeItem& item) const {
    const ADFDiskEntry* entry = asEntry(item);
    return std::ssize(navigation_->children(entry != nullptr ? entry->key : navigation_->topLevelKey));
}

bool ADFDisk::isItemExpandable(const VolumeItem& item) const {
    const ADFDiskEntry* entry = asEntry(item);
    return entry != nullptr && entry->folder;
}

VolumeItem ADFDisk::child(int64_t index, const VolumeItem& ofItem) const {
    const ADFDiskEntry* entry = asEntry(ofItem);
    const auto& children = navigation_->children(entry != nullptr ? entry->key : navigation_->topLevelKey);
    if (index < 0 || index >= std::ssize(children)) return nullptr;
    return children[static_cast<size_t>(index)];
}

VolumeItem ADFDisk::volumeItem(const VolumeItem& item) const { return asEntry(item) != nullptr ? item : nullptr; }

VolumeItem ADFDisk::parentItem(const VolumeItem& item) const {
    const ADFDiskEntry* entry = asEntry(item);
    if (entry == nullptr || entry->parent == entry->key) return nullptr;
    const auto found = navigation_->entryByKey.find(entry->parent);
    return found == navigation_->entryByKey.end() ? nullptr : found->second;
}

bool ADFDisk::isBlockOccupied(int64_t /*block*/) const { return false; }

}  // namespace zorv
