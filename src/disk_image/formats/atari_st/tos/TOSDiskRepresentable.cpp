// TOSDisk as the reports, the hierarchy walk and the export see it.

#include <unordered_map>
#include <utility>

#include "disk_image/formats/atari_st/tos/TOSDisk.hpp"

namespace zorv {
namespace {

const TOSDirectoryEntry* asEntry(const VolumeItem& item) { return dynamic_cast<const TOSDirectoryEntry*>(item.get()); }

const std::vector<VolumeItem> noChildren;

}  // namespace

struct TOSDisk::Navigation {
    std::vector<VolumeItem> rootChildren;
    // By the entry of a folder reached from the root, its children.
    std::unordered_map<const TOSDirectoryEntry*, std::vector<VolumeItem>> childrenByFolder;
    // By starting cluster, the folder that has it (one at most).
    std::unordered_map<int64_t, VolumeItem> folderByCluster;
};

void TOSDisk::buildNavigation(const std::unordered_set<const TOSDirectoryEntry*>& walkedFolders) {
    auto navigation = std::make_shared<Navigation>();
    std::unordered_map<int64_t, std::vector<VolumeItem>> byParentCluster;
    for (const auto& entry : entries_) {
        byParentCluster[entry->parentCluster].push_back(entry);
        if (walkedFolders.contains(entry.get())) navigation->folderByCluster.try_emplace(entry->startingCluster, entry);
    }
    // From the root down, each folder once: a "." entry that names the
    // folder itself or an ancestor cannot make a folder its own child.
    const auto takeChildren = [&](int64_t cluster) {
        const auto found = byParentCluster.find(cluster);
        if (found == byParentCluster.end()) return std::vector<VolumeItem>{};
        return std::exchange(found->second, {});
    };
    navigation->rootChildren = takeChildren(0);
    std::vector<const std::vector<VolumeItem>*> pending{&navigation->rootChildren};
    while (!pending.empty()) {
        const std::vector<VolumeItem>* children = pending.back();
        pending.pop_back();
        for (const VolumeItem& item : *children) {
            const TOSDirectoryEntry* entry = asEntry(item);
            const auto folder = navigation->folderByCluster.find(entry->startingCluster);
            if (folder == navigation->folderByCluster.end() || folder->second != item) continue;
            auto& own = navigation->childrenByFolder[entry];
            own = takeChildren(entry->startingCluster);
            pending.push_back(&own);
        }
    }
    navigation_ = std::move(navigation);
}

const std::vector<VolumeItem>& TOSDisk::childrenOf(const VolumeItem& item) const {
    const TOSDirectoryEntry* entry = asEntry(item);
    if (entry == nullptr) return navigation_->rootChildren;
    const auto found = navigation_->childrenByFolder.find(entry);
    return found == navigation_->childrenByFolder.end() ? noChildren : found->second;
}

std::string TOSDisk::volumeFormatName() const {
    return "Atari ST (" + (imageWrapper_ ? imageWrapper_->descriptiveName() : std::string("FAT12")) + ")";
}

std::string TOSDisk::helpfulDescription() const { return "This is an Atari ST floppy image in FAT12 format."; }

void TOSDisk::setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper) {
    imageWrapper_ = std::move(wrapper);
}

std::string TOSDisk::volumeName() const { return diskName().value_or("Untitled"); }

int64_t TOSDisk::totalCapacityInBytes() const { return bootSector_.nsects * bootSector_.bps; }

int64_t TOSDisk::freeCapacityInBytes() const { return fat_.freeClusterCount() * bootSector_.spc * blockSize; }

int64_t TOSDisk::numberOfChildrenOfItem(const VolumeItem& item) const {
    return static_cast<int64_t>(childrenOf(item).size());
}

bool TOSDisk::isItemExpandable(const VolumeItem& item) const {
    const TOSDirectoryEntry* entry = asEntry(item);
    return entry != nullptr && entry->isSubdirectory();
}

VolumeItem TOSDisk::child(int64_t index, const VolumeItem& ofItem) const {
    const std::vector<VolumeItem>& children = childrenOf(ofItem);
    if (index < 0 || index >= static_cast<int64_t>(children.size())) return nullptr;
    return children[static_cast<size_t>(index)];
}

VolumeItem TOSDisk::volumeItem(const VolumeItem& item) const { return asEntry(item) != nullptr ? item : nullptr; }

VolumeItem TOSDisk::parentItem(const VolumeItem& item) const {
    const TOSDirectoryEntry* entry = asEntry(item);
    if (entry == nullptr || entry->parentCluster == 0) return nullptr;
    const auto found = navigation_->folderByCluster.find(entry->parentCluster);
    return found == navigation_->folderByCluster.end() ? nullptr : found->second;
}

std::optional<ImageBytes> TOSDisk::getFork(ForkType fork, const VolumeItem& item) const {
    const TOSDirectoryEntry* entry = asEntry(item);
    if (entry == nullptr || fork != ForkType::data) return std::nullopt;
    return contentsOf(*entry);
}

bool TOSDisk::isBlockOccupied(int64_t /*block*/) const { return false; }

int64_t TOSDisk::trackCount() const {
    if (bootSector_.spt == 0 || bootSector_.nheads == 0) return 0;
    return bootSector_.nsects / bootSector_.spt / bootSector_.nheads;
}

}  // namespace zorv
