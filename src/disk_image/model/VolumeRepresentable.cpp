#include "disk_image/model/VolumeRepresentable.hpp"

#include <algorithm>
#include <limits>
#include <unordered_set>

#include "disk_image/model/ISO8601DateFormatter.hpp"

namespace zorv {
namespace {

// The depth-first walk of fileHierarchy(). `path_` holds the folders being
// opened, from a child of the root down to the current folder, each with its
// identifier read once (the walk compares them for every folder it opens);
// it is at most maxHierarchyDepth long. `opened_` remembers every folder
// opened so far, so that listing a folder again on another path (which only
// a damaged volume does) can be told apart and kept in bounds.
class HierarchyWalk {
public:
    explicit HierarchyWalk(const VolumeRepresentable& volume) : volume_(volume) {}

    std::vector<FileHierarchyElement> run() {
        listChildren(nullptr, 0);
        return std::move(elements_);
    }

private:
    struct OpenFolder {
        const VolumeItemRepresentable* object;
        bool hasIdentifier;
        uint64_t identifier;

        explicit OpenFolder(const VolumeItem& folder) : object(folder.get()) {
            const auto id = folder->itemIdentifier();
            hasIdentifier = id.has_value();
            identifier = id.value_or(0);
        }
    };

    void listChildren(const VolumeItem& folder, int64_t level) {
        const int64_t count = volume_.numberOfChildrenOfItem(folder);
        for (int64_t index = 0; index < count; ++index) {
            if (visits_ == VolumeRepresentable::maxHierarchyVisits) return;
            // What a folder opened again holds was listed on its first
            // opening: repeating it may at most double the list.
            if (repeating_ > 0) {
                if (repeatedVisits_ >= firstVisits_) return;
                ++repeatedVisits_;
            } else {
                ++firstVisits_;
            }
            ++visits_;
            VolumeItem item = volume_.child(index, folder);
            if (!item) continue;
            elements_.push_back({item, level});
            if (!item->isFolder() || level + 1 >= VolumeRepresentable::maxHierarchyDepth) continue;
            const OpenFolder opened(item);
            if (isOnPath(opened)) continue;
            // A folder listed on several paths is opened on each, but what
            // it holds then counts as repeated work: folders that share
            // their subfolders level after level would otherwise make a
            // few records list millions of items (2^n paths for n levels).
            const bool repeated = !remember(opened);
            if (repeated) ++repeating_;
            path_.push_back(opened);
            listChildren(item, level + 1);
            path_.pop_back();
            if (repeated) --repeating_;
        }
    }

    // Records a folder as opened; false when it was opened before.
    bool remember(const OpenFolder& folder) {
        if (folder.hasIdentifier) return openedIdentifiers_.insert(folder.identifier).second;
        return openedObjects_.insert(folder.object).second;
    }

    // isSameVolumeItem()'s test against every folder of the path.
    bool isOnPath(const OpenFolder& folder) const {
        for (const OpenFolder& ancestor : path_) {
            if (ancestor.object == folder.object) return true;
            if (folder.hasIdentifier && ancestor.hasIdentifier && ancestor.identifier == folder.identifier) return true;
        }
        return false;
    }

    const VolumeRepresentable& volume_;
    std::vector<FileHierarchyElement> elements_;
    std::vector<OpenFolder> path_;
    std::unordered_set<uint64_t> openedIdentifiers_;
    std::unordered_set<const VolumeItemRepresentable*> openedObjects_;
    int64_t visits_ = 0;
    // How many folders of the current path were opened before elsewhere; how
    // many children were asked for inside such folders, and outside them.
    int64_t repeating_ = 0;
    int64_t repeatedVisits_ = 0;
    int64_t firstVisits_ = 0;
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

std::vector<FileHierarchyElement> VolumeRepresentable::fileHierarchy() const { return HierarchyWalk(*this).run(); }

CodableVolume VolumeRepresentable::codable(bool verbose) const {
    CodableVolume record;
    record.creationDate = ISO8601DateFormatter::string(creationDate());
    record.modificationDate = ISO8601DateFormatter::string(modificationDate());
    if (verbose) {
        std::vector<CodableVolumeItem> items;
        for (const FileHierarchyElement& element : fileHierarchy()) {
            items.push_back(element.item->generateCodableAtLevel(element.level));
        }
        record.fileHierarchy = std::move(items);
    }
    record.name = volumeName();
    record.bootable = isBootable();
    record.totalCapacityInBytes = totalCapacityInBytes();
    record.freeCapacityInBytes = freeCapacityInBytes();
    return record;
}

}  // namespace zorv
