#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data_access/Date.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

// One file or directory of an Amiga DOS volume, or the root entry that
// stands for the volume's root directory, and the item the volume hands out
// for it. Amiga DOS keeps no type, creator or Finder information.
struct ADFDiskEntry : VolumeItemRepresentable {
    // The block the walk found its header block at (not the headerKey
    // stored in it); the root block number for the root entry.
    int64_t key = 0;
    std::string entryName;  // empty for the root entry
    int64_t sizeInBytes = 0;  // byteSize of a file; 0 for directories
    // Last change of a file or directory; of the volume for the root entry.
    std::optional<Date> lastDate;
    bool folder = false;  // a directory or the root entry
    int64_t parent = 0;   // parentDir of its header block

    ADFDiskEntry() = default;
    ADFDiskEntry(int64_t key, std::string entryName, int64_t sizeInBytes, std::optional<Date> lastDate, bool folder,
                 int64_t parent)
        : key(key), entryName(std::move(entryName)), sizeInBytes(sizeInBytes), lastDate(lastDate), folder(folder),
          parent(parent) {}

    // VolumeItemRepresentable
    std::string name() const override { return entryName; }
    std::optional<int64_t> logicalSizeInBytes() const override { return sizeInBytes; }
    std::optional<int64_t> physicalSizeInBytes() const override { return sizeInBytes; }
    std::optional<Date> creationDate() const override { return lastDate; }
    std::optional<Date> modificationDate() const override { return lastDate; }
    bool isFolder() const override { return folder; }
    std::optional<std::vector<FinderFlag>> flags() const override { return std::nullopt; }
    std::optional<std::string> kind() const override { return std::nullopt; }
    std::optional<OSType> type() const override { return std::nullopt; }
    std::optional<OSType> creator() const override { return std::nullopt; }
    bool isExportable() const override { return true; }
    // The header block, unique within a volume.
    std::optional<uint64_t> itemIdentifier() const override { return static_cast<uint64_t>(key); }
};

}  // namespace zorv
