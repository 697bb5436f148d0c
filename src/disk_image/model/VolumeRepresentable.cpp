#include "disk_image/model/VolumeRepresentable.hpp"

#include <algorithm>
#include <limits>
#include <unordered_set>

#include "disk_image/model/HierarchyWalk.hpp"
#include "disk_image/model/ISO8601DateFormatter.hpp"
#include "disk_image/model/VolumeItemRepresentableError.hpp"

namespace zorv {

std::string VolumeRepresentable::helpfulDescription() const { return {}; }

std::shared_ptr<const ImageWrapperRepresentable> VolumeRepresentable::wrapper() const { return nullptr; }

void VolumeRepresentable::setWrapper(std::shared_ptr<const ImageWrapperRepresentable> /*wrapper*/) {}

bool VolumeRepresentable::hasForks() const { return false; }

std::vector<std::string> VolumeRepresentable::tree(const VolumeItem& item) const {
    std::vector<std::string> names;
    if (item) {
        // A damaged volume's parents can lead back round, so the walk up
        // stops where the hierarchy walk would: at a folder key already met.
        // Folders without a key are told apart by object, kept alive so that
        // no other can take an address; and since a volume can hand out a
        // new object for each answer, they are named no more times than the
        // volume has items (counted when such a folder first comes, and
        // kept: see countOfItems_).
        std::unordered_set<uint64_t> keys;
        std::unordered_set<const VolumeItemRepresentable*> objects{item.get()};
        std::vector<VolumeItem> keyless{item};
        if (item->isFolder()) {
            if (const auto key = folderKey(item)) keys.insert(*key);
        }
        int64_t keylessParents = 0;
        for (VolumeItem parent = parentItem(item); parent; parent = parentItem(parent)) {
            if (const auto key = folderKey(parent)) {
                if (!keys.insert(*key).second) break;
            } else {
                if (!objects.insert(parent.get()).second) break;
                if (!countOfItems_) {
                    int64_t count = 0;
                    walkFileHierarchy([&](const FileHierarchyElement&) { ++count; });
                    countOfItems_ = count;
                }
                if (++keylessParents > *countOfItems_) break;
                keyless.push_back(parent);
            }
            names.push_back(parent->name());
        }
    }
    names.push_back(volumeName() + " - " + volumeFormatName());
    return names;
}

bool VolumeRepresentable::isRangeOccupied(int64_t firstBlock, int64_t lastBlock) const {
    for (int64_t block = firstBlock; block <= lastBlock; ++block) {
        if (isBlockOccupied(block)) return true;
        if (block == std::numeric_limits<int64_t>::max()) break;
    }
    return false;
}

void VolumeRepresentable::exportItem(const VolumeItem& item, const URL& url, bool separateForks) const {
    if (!item) throw VolumeItemRepresentableError(VolumeItemRepresentableError::Case::fileNotCreated);
    item->createExportedFile(*this, url, separateForks);
}

const PhysicalDiskRepresentable* VolumeRepresentable::physicalDisk() const { return nullptr; }

std::optional<uint64_t> VolumeRepresentable::folderKey(const VolumeItem& folder) const {
    if (!folder) return std::nullopt;
    return folder->itemIdentifier();
}

std::vector<FileHierarchyElement> VolumeRepresentable::fileHierarchy() const {
    std::vector<FileHierarchyElement> elements;
    walkFileHierarchy([&](const FileHierarchyElement& element) { elements.push_back(element); });
    return elements;
}

void VolumeRepresentable::walkFileHierarchy(const std::function<void(const FileHierarchyElement&)>& visit) const {
    HierarchyWalk(*this, [&](const VolumeItem& item, int64_t level) {
        if (!item) return false;
        visit({item, level});
        return item->isFolder();
    }).run(nullptr);
}

CodableVolume VolumeRepresentable::codable(bool verbose) const {
    CodableVolume record;
    record.creationDate = ISO8601DateFormatter::string(creationDate());
    record.modificationDate = ISO8601DateFormatter::string(modificationDate());
    if (verbose) {
        std::vector<CodableVolumeItem> items;
        walkFileHierarchy([&](const FileHierarchyElement& element) {
            items.push_back(element.item->generateCodableAtLevel(element.level));
        });
        record.fileHierarchy = std::move(items);
    }
    record.name = volumeName();
    record.bootable = isBootable();
    record.totalCapacityInBytes = totalCapacityInBytes();
    record.freeCapacityInBytes = freeCapacityInBytes();
    return record;
}

}  // namespace zorv
