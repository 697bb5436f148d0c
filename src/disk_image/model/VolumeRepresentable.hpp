#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data_access/Date.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/model/CodableVolume.hpp"
#include "disk_image/model/FileHierarchyElement.hpp"
#include "disk_image/model/ForkType.hpp"
#include "disk_image/model/ImageWrapperRepresentable.hpp"
#include "disk_image/model/VolumeItemRepresentable.hpp"

namespace zorv {

class PhysicalDiskRepresentable;

// A volume as the reports and the export see it, whatever its format: names,
// dates, capacities and counts, a navigation over its files and folders, the
// bytes of a file's forks and a map of occupied blocks. Each volume type is
// also ImageRepresentable (a static fromImageData factory).
//
// Navigation hands out the volume's own items (VolumeItem) and takes them
// back; a null item stands for the root. Given an item of another format
// (the concrete volume checks with a dynamic_cast to its own item type) a
// volume answers nothing: 0 children, a null child or parent, no fork.
class VolumeRepresentable {
public:
    virtual ~VolumeRepresentable() = default;

    // The format's name for the report ("HFS", "ProDOS"...).
    virtual std::string volumeFormatName() const = 0;
    // A sentence or two about the format. Default: empty.
    virtual std::string helpfulDescription() const;
    // The container the volume was taken out of. Default: none, and a wrapper
    // set is dropped; formats that can come wrapped store it themselves.
    virtual std::shared_ptr<const ImageWrapperRepresentable> wrapper() const;
    virtual void setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper);
    virtual std::string volumeName() const = 0;
    virtual std::optional<Date> creationDate() const = 0;
    virtual std::optional<Date> modificationDate() const = 0;
    virtual int64_t totalCapacityInBytes() const = 0;
    virtual int64_t freeCapacityInBytes() const = 0;
    virtual bool isFormatted() const = 0;
    virtual bool isBootable() const = 0;
    virtual std::optional<int64_t> totalCountOfFiles() const = 0;
    virtual std::optional<int64_t> totalCountOfFolders() const = 0;
    // Whether files of this format can have a resource fork. Default: false.
    virtual bool hasForks() const;

    // How many children the item has (null: the root). Counts the children
    // child() can actually answer, never a count stored on disk; never negative.
    virtual int64_t numberOfChildrenOfItem(const VolumeItem& item) const = 0;
    // Whether the item has children to show.
    virtual bool isItemExpandable(const VolumeItem& item) const = 0;
    // The child at `index` (from 0) of the item (null: the root); null when
    // there is none.
    virtual VolumeItem child(int64_t index, const VolumeItem& ofItem) const = 0;
    // The item's record, or null when the item is not one of this volume's.
    virtual VolumeItem volumeItem(const VolumeItem& item) const = 0;
    // What the volume looks a folder's children up by (null: the root): a
    // catalog folder ID, a directory's key block... Two folders with the same
    // key have the same children. Default: the folder's itemIdentifier(),
    // nothing for the root. A format whose folders can be met on more than
    // one path (a damaged catalog can do that) must answer one, the same for
    // every object it hands out for the folder: without it the walk can tell
    // folders apart only by object.
    virtual std::optional<uint64_t> folderKey(const VolumeItem& folder) const;
    // The folder holding the item; null at the top. Whether the root folder
    // answers as a parent is the format's choice.
    virtual VolumeItem parentItem(const VolumeItem& item) const = 0;
    // The item's path for display: the names of its parents from the innermost
    // outwards (not the item's own), then "<volume name> - <format name>".
    // Default: follows parentItem() to the top, however deep, and stops
    // where a damaged volume leads back round: at a folderKey() already met,
    // or, for folders without a key, at an object already met or after as
    // many such parents as the volume has items. Those items are counted
    // (a walkFileHierarchy()) the first time a folder without a key comes,
    // and the count is kept for every later call: naming each item of a
    // volume costs one walk plus the items' depths, not a walk per item.
    virtual std::vector<std::string> tree(const VolumeItem& item) const;
    // The contents of the item's data or resource fork; nothing when the item
    // has no such fork or is not one of this volume's files. Throws when the
    // fork's blocks lie outside the image.
    virtual std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const = 0;
    // Writes one of this volume's items, file or folder, below the host
    // folder `url` (C++ reserves the plain name `export`). Default: the
    // item's createExportedFile() with this volume; a null item is refused
    // with VolumeItemRepresentableError::fileNotCreated.
    virtual void exportItem(const VolumeItem& item, const URL& url, bool separateForks) const;
    virtual bool isBlockOccupied(int64_t block) const = 0;
    // Whether any block of [firstBlock, lastBlock] is in use (false for an
    // empty range). Default: asks isBlockOccupied() from the first block up
    // and stops at the first one in use.
    virtual bool isRangeOccupied(int64_t firstBlock, int64_t lastBlock) const;

    // The volume's track/sector view when its format has one, else null. A
    // type deriving from both answers itself.
    virtual const PhysicalDiskRepresentable* physicalDisk() const;

    // Every item reachable from the root, depth first: each item before its
    // children, children in index order, folders' contents one level deeper.
    // Only folders are asked for children, and each folder is opened at most
    // once per walk (by folderKey(), the root's included): a folder met again,
    // inside itself or on another path of a damaged volume, is listed but not
    // opened. A folder that hands out fewer children than it counts (a null
    // child) ends there. So a sound volume is listed whole, however deep or
    // large, and a damaged one in time and memory linear in what it holds.
    std::vector<FileHierarchyElement> fileHierarchy() const;
    // The same walk, each element handed to `visit` as it is met and not
    // kept: the walk itself holds only the folders being listed, so a report
    // written as it goes costs the same memory for ten items or a million.
    void walkFileHierarchy(const std::function<void(const FileHierarchyElement&)>& visit) const;
    // The volume's record in the JSON report; with `verbose`, with the walk's
    // items.
    CodableVolume codable(bool verbose) const;

protected:
    VolumeRepresentable() = default;
    // A copy, or a volume given another's value, counts its own items again
    // when tree() first needs them.
    VolumeRepresentable(const VolumeRepresentable& /*other*/) {}
    VolumeRepresentable& operator=(const VolumeRepresentable& /*other*/) {
        countOfItems_.reset();
        return *this;
    }

private:
    // How many items walkFileHierarchy() lists, as tree() counted them, kept
    // for the object's life. No volume changes its items after tree() has
    // counted them: the sole format with folders without a key (Atari ST)
    // builds them all when it opens, and the one whose items can change
    // afterwards (MFS, after a write to its bytes) has no parents, so never
    // counts. Filling it from a const call makes a volume unfit for use by
    // several threads at once, which the program never does.
    mutable std::optional<int64_t> countOfItems_;
};

}  // namespace zorv
