// ProDOSVolume as the reports, the hierarchy walk and the export see it.

#include <algorithm>
#include <unordered_map>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/apple2/ApplesoftBasicParser.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeBitmap.hpp"

namespace zorv {
namespace {

constexpr int64_t applesoftBasicFileType = 0xFC;

const ProDOSVolumeFileEntry* asEntry(const VolumeItem& item) {
    return dynamic_cast<const ProDOSVolumeFileEntry*>(item.get());
}

const std::vector<VolumeItem> noChildren;

}  // namespace

struct ProDOSVolume::Navigation {
    // By directory key block, the entries whose header pointer names it,
    // sorted by name.
    std::unordered_map<int64_t, std::vector<VolumeItem>> childrenByDirectory;
    // By key block, the first subdirectory entry that has it.
    std::unordered_map<int64_t, VolumeItem> subdirectoryByKey;

    const std::vector<VolumeItem>& children(int64_t directoryBlock) const {
        const auto found = childrenByDirectory.find(directoryBlock);
        return found == childrenByDirectory.end() ? noChildren : found->second;
    }
};

void ProDOSVolume::buildNavigation() {
    auto navigation = std::make_shared<Navigation>();
    for (const auto& entry : fileEntries_) {
        navigation->childrenByDirectory[entry->headerPointer].push_back(entry);
        if (entry->isFolder()) navigation->subdirectoryByKey.try_emplace(entry->keyPointer, entry);
    }
    for (auto& [directory, children] : navigation->childrenByDirectory) {
        std::stable_sort(children.begin(), children.end(),
                         [](const VolumeItem& a, const VolumeItem& b) { return a->name() < b->name(); });
    }
    navigation_ = std::move(navigation);
}

int64_t ProDOSVolume::parentBlock(const VolumeItem& item) const {
    const ProDOSVolumeFileEntry* entry = asEntry(item);
    return entry != nullptr ? entry->keyPointer : ProDOSDisk::volumeDirectoryBlock;
}

std::string ProDOSVolume::helpfulDescription() const {
    return "This is a bootable ProDOS Volume. It contains the files required to start an Apple II.";
}

void ProDOSVolume::setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper) {
    imageWrapper_ = std::move(wrapper);
}

int64_t ProDOSVolume::totalCapacityInBytes() const { return volumeDirectoryHeader_.totalBlocks * 512; }

int64_t ProDOSVolume::freeCapacityInBytes() const {
    constexpr int64_t blocksPerBitmapBlock = ProDOSVolumeBitmap::blocksPerBitmapBlock;
    const int64_t totalBlocks = volumeDirectoryHeader_.totalBlocks;
    int64_t freeBlocks = 0;
    for (int64_t first = 0; first < totalBlocks; first += blocksPerBitmapBlock) {
        const int64_t bitmapBlock = volumeDirectoryHeader_.bitmapPointer + first / blocksPerBitmapBlock;
        if (!disk_.hasProDOSBlock(bitmapBlock)) continue;  // nothing says these blocks are free
        const ImageBytes bits = disk_.getProDOSBlock(bitmapBlock);
        const int64_t covered = std::min(blocksPerBitmapBlock, totalBlocks - first);
        for (int64_t bit = 0; bit < covered; ++bit) {
            if (bits[static_cast<size_t>(bit / 8)] & (0x80 >> (bit % 8))) ++freeBlocks;
        }
    }
    return freeBlocks * ProDOSDisk::proDOSBlockSize;
}

std::optional<int64_t> ProDOSVolume::totalCountOfFiles() const { return volumeDirectoryHeader_.fileCount; }

int64_t ProDOSVolume::numberOfChildrenOfItem(const VolumeItem& item) const {
    return static_cast<int64_t>(navigation_->children(parentBlock(item)).size());
}

bool ProDOSVolume::isItemExpandable(const VolumeItem& item) const {
    const ProDOSVolumeFileEntry* entry = asEntry(item);
    return entry != nullptr && entry->isFolder();
}

VolumeItem ProDOSVolume::child(int64_t index, const VolumeItem& ofItem) const {
    const std::vector<VolumeItem>& children = navigation_->children(parentBlock(ofItem));
    if (index < 0 || index >= static_cast<int64_t>(children.size())) return nullptr;
    return children[static_cast<size_t>(index)];
}

VolumeItem ProDOSVolume::volumeItem(const VolumeItem& item) const { return asEntry(item) != nullptr ? item : nullptr; }

std::optional<uint64_t> ProDOSVolume::folderKey(const VolumeItem& folder) const {
    return static_cast<uint64_t>(parentBlock(folder));
}

VolumeItem ProDOSVolume::parentItem(const VolumeItem& item) const {
    const ProDOSVolumeFileEntry* entry = asEntry(item);
    if (entry == nullptr || entry->headerPointer == ProDOSDisk::volumeDirectoryBlock) return nullptr;
    const auto found = navigation_->subdirectoryByKey.find(entry->headerPointer);
    return found == navigation_->subdirectoryByKey.end() ? nullptr : found->second;
}

std::optional<ImageBytes> ProDOSVolume::getFork(ForkType fork, const VolumeItem& item) const {
    const ProDOSVolumeFileEntry* entry = asEntry(item);
    if (entry == nullptr) return std::nullopt;
    const bool extended = entry->storageType == ProDOSStorageType::extendedFile;
    if (fork == ForkType::resource && !extended) return std::nullopt;

    ImageBytes contents;
    if (extended) {
        const auto& forkEntry = fork == ForkType::data ? entry->dataFork : entry->resourceFork;
        if (!forkEntry) {
            // The fork entries could not be read: their block is beyond the image.
            if (!disk_.hasProDOSBlock(entry->keyPointer)) {
                throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
            }
            return std::nullopt;
        }
        contents = getFileContents(ProDOSVolumeFileEntry::forFork(*forkEntry));
    } else {
        contents = getFileContents(*entry);
    }
    // An Applesoft program is offered as its listing; the resource fork of
    // an extended one stays as it is.
    if (entry->internalFileType == applesoftBasicFileType && fork == ForkType::data) {
        return ImageBytes(ApplesoftBasicParser(contents).asTextData());
    }
    return contents;
}

bool ProDOSVolume::isBlockOccupied(int64_t /*block*/) const { return false; }

}  // namespace zorv
