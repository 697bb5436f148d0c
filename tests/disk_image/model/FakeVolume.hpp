#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv::testing {

// An item whose every answer is a field the test sets.
struct FakeItem : VolumeItemRepresentable {
    std::string itemName;
    bool folder = false;
    std::optional<int64_t> logicalSize;
    std::optional<int64_t> physicalSize;
    std::optional<Date> created;
    std::optional<Date> modified;
    std::optional<std::vector<FinderFlag>> finderFlags;
    std::optional<std::string> itemKind;
    std::optional<OSType> typeCode;
    std::optional<OSType> creatorCode;
    std::optional<uint64_t> identifier;

    FakeItem() = default;
    explicit FakeItem(std::string name, bool isFolder = false) : itemName(std::move(name)), folder(isFolder) {}

    std::string name() const override { return itemName; }
    std::optional<int64_t> logicalSizeInBytes() const override { return logicalSize; }
    std::optional<int64_t> physicalSizeInBytes() const override { return physicalSize; }
    std::optional<Date> creationDate() const override { return created; }
    std::optional<Date> modificationDate() const override { return modified; }
    bool isFolder() const override { return folder; }
    std::optional<std::vector<FinderFlag>> flags() const override { return finderFlags; }
    std::optional<std::string> kind() const override { return itemKind; }
    std::optional<OSType> type() const override { return typeCode; }
    std::optional<OSType> creator() const override { return creatorCode; }
    bool isExportable() const override { return true; }
    std::optional<uint64_t> itemIdentifier() const override { return identifier; }
};

inline OSType code(const char* text) { return OSType(Bytes(text, text + 4)); }

// A volume held as maps: the children of each folder (the null key is the
// root) and the parent of each item. It records which blocks it was asked
// about and, when `recordCounts` is set, which items it was asked to count the
// children of.
class FakeVolume : public VolumeRepresentable {
public:
    std::string name = "V";
    std::string format = "F";
    std::optional<Date> created;
    std::optional<Date> modified;
    bool bootable = false;
    std::map<const VolumeItemRepresentable*, std::vector<VolumeItem>> childrenOf;
    std::map<const VolumeItemRepresentable*, VolumeItem> parentOf;
    std::set<int64_t> occupiedBlocks;
    // The forks of files, by item; an item without an entry has no such fork.
    std::map<const VolumeItemRepresentable*, ImageBytes> dataForks;
    std::map<const VolumeItemRepresentable*, ImageBytes> resourceForks;
    bool recordCounts = false;
    mutable std::vector<std::string> countedItems;
    mutable std::vector<int64_t> askedBlocks;

    // Adds a new item under `parent` (null: the root) and answers it.
    VolumeItem add(const VolumeItem& parent, FakeItem item) {
        auto added = std::make_shared<const FakeItem>(std::move(item));
        link(parent, added);
        return added;
    }
    // Lists `item` (again) among the children of `parent`.
    void link(const VolumeItem& parent, const VolumeItem& item) {
        childrenOf[parent.get()].push_back(item);
        parentOf.emplace(item.get(), parent);
    }

    static std::optional<FakeVolume> fromImageData(const ImageBytes& imageData) {
        if (imageData.size() < 4 || imageData[0] != 'F') return std::nullopt;
        return FakeVolume();
    }

    std::string volumeFormatName() const override { return format; }
    std::string volumeName() const override { return name; }
    std::optional<Date> creationDate() const override { return created; }
    std::optional<Date> modificationDate() const override { return modified; }
    int64_t totalCapacityInBytes() const override { return 819200; }
    int64_t freeCapacityInBytes() const override { return 1024; }
    bool isFormatted() const override { return true; }
    bool isBootable() const override { return bootable; }
    std::optional<int64_t> totalCountOfFiles() const override { return std::nullopt; }
    std::optional<int64_t> totalCountOfFolders() const override { return std::nullopt; }

    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override {
        if (recordCounts) countedItems.push_back(item ? item->name() : "<root>");
        const auto found = childrenOf.find(item.get());
        return found == childrenOf.end() ? 0 : static_cast<int64_t>(found->second.size());
    }
    bool isItemExpandable(const VolumeItem& item) const override { return numberOfChildrenOfItem(item) > 0; }
    VolumeItem child(int64_t index, const VolumeItem& ofItem) const override {
        const auto found = childrenOf.find(ofItem.get());
        if (found == childrenOf.end() || index < 0 || index >= static_cast<int64_t>(found->second.size())) {
            return nullptr;
        }
        return found->second[static_cast<size_t>(index)];
    }
    VolumeItem volumeItem(const VolumeItem& item) const override { return item; }
    VolumeItem parentItem(const VolumeItem& item) const override {
        const auto found = parentOf.find(item.get());
        return found == parentOf.end() ? nullptr : found->second;
    }
    std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const override {
        const auto& forks = fork == ForkType::data ? dataForks : resourceForks;
        const auto found = forks.find(item.get());
        if (found == forks.end()) return std::nullopt;
        return found->second;
    }
    bool isBlockOccupied(int64_t block) const override {
        askedBlocks.push_back(block);
        return occupiedBlocks.contains(block);
    }
};

}  // namespace zorv::testing
