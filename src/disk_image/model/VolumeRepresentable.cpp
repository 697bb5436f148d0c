#include "disk_image/model/VolumeRepresentable.hpp"

#include <algorithm>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "disk_image/model/ISO8601DateFormatter.hpp"

namespace zorv {
namespace {

// The depth-first walk of fileHierarchy(), with an explicit stack of the
// folders being listed (a sound volume can nest deeper than a call stack
// would allow). Each folder is opened once: the keys its volume looks
// children up by are remembered, and objects for folders without a key.
class HierarchyWalk {
public:
    explicit HierarchyWalk(const VolumeRepresentable& volume) : volume_(volume) {}

    void run(const std::function<void(const FileHierarchyElement&)>& visit) {
        enter(nullptr);
        open(nullptr, 0);
        while (!open_.empty()) {
            OpenFolder& folder = open_.back();
            if (folder.next >= folder.count) {
                open_.pop_back();
                continue;
            }
            VolumeItem item = volume_.child(folder.next++, folder.item);
            // Fewer children than counted: the count cannot be trusted further.
            if (!item) {
                open_.pop_back();
                continue;
            }
            const int64_t level = folder.level;
            visit({item, level});
            if (item->isFolder() && enter(item)) open(item, level + 1);  // `folder` is not used after this
        }
    }

private:
    struct OpenFolder {
        VolumeItem item;  // null: the root
        int64_t count;
        int64_t next;
        int64_t level;  // of its children
    };

    void open(const VolumeItem& folder, int64_t childLevel) {
        open_.push_back({folder, volume_.numberOfChildrenOfItem(folder), 0, childLevel});
    }

    // Whether the folder is met for the first time in this walk.
    bool enter(const VolumeItem& folder) {
        if (const auto key = volume_.folderKey(folder)) return keys_.insert(*key).second;
        return folder && objects_.emplace(folder.get(), folder).second;
    }

    const VolumeRepresentable& volume_;
    std::vector<OpenFolder> open_;
    std::unordered_set<uint64_t> keys_;
    // Folders without a key, kept alive here so that no later item takes
    // the address of one already met.
    std::unordered_map<const VolumeItemRepresentable*, VolumeItem> objects_;
};

}  // namespace

std::string VolumeRepresentable::helpfulDescription() const { return {}; }

std::shared_ptr<const ImageWrapperRepresentable> VolumeRepresentable::wrapper() const { return nullptr; }

void VolumeRepresentable::setWrapper(std::shared_ptr<const ImageWrapperRepresentable> /*wrapper*/) {}

bool VolumeRepresentable::hasForks() const { return false; }

std::vector<std::string> VolumeRepresentable::tree(const VolumeItem& item) const {
    std::vector<std::string> names;
    if (item) {
        std::vector<VolumeItem> met{item};
        VolumeItem parent = parentItem(item);
        while (parent && static_cast<int64_t>(names.size()) < maxHierarchyDepth &&
               std::none_of(met.begin(), met.end(),
                            [&](const VolumeItem& earlier) { return isSameVolumeItem(earlier, parent); })) {
            names.push_back(parent->name());
            met.push_back(parent);
            parent = parentItem(parent);
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
    HierarchyWalk(*this).run(visit);
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
