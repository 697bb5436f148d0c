#include "disk_image/formats/atari_st/tos/TOSDisk.hpp"

#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/atari_st/tos/TOSDiskError.hpp"

namespace zorv {
namespace {

[[noreturn]] void invalidLayout() { throw TOSDiskError(TOSDiskError::Case::invalidVolumeLayout); }

// A directory being walked, and where the walk is in it.
struct OpenDirectory {
    ImageBytes bytes;
    int64_t offset = 0;
    int64_t parentCluster = 0;
};

}  // namespace

TOSDisk::TOSDisk(ImageBytes block)
    : BlockStructureDefinable(512, std::move(block)), bootSector_(structureData), fat_(ImageBytes(), 0) {
    const TOSBootSector& boot = bootSector_;
    blockSize = boot.bps;
    // Every cluster number and size follows from these; a volume that
    // cannot hold them is no FAT12 floppy.
    if (boot.spc == 0) invalidLayout();
    const int64_t firstFATSector = boot.firstFATSector();
    const int64_t rootDirectoryStart = firstFATSector + boot.nfats * boot.spf;
    const int64_t rootDirectoryLength = boot.ndirs * TOSDirectoryEntry::entrySize / boot.bps;
    firstDataSector_ = rootDirectoryStart + rootDirectoryLength;
    if (firstDataSector_ > boot.nsects) invalidLayout();
    const int64_t clusterCount = (boot.nsects - firstDataSector_) / boot.spc;
    if (clusterCount >= TOSFAT::fat12ClusterLimit) invalidLayout();

    fat_ = TOSFAT(getBlockAtPosition(firstFATSector, boot.spf), clusterCount);
    // A chain or the free count would otherwise read past the table.
    if (!fat_.holdsEveryCluster()) invalidLayout();
    walkDirectories(getBlockAtPosition(rootDirectoryStart, rootDirectoryLength));
}

std::optional<TOSDisk> TOSDisk::fromImageData(const ImageBytes& imageData) {
    try {
        return TOSDisk(imageData);
    } catch (const EnumeratedError&) {
    } catch (const ReadPastEndError&) {
    } catch (const ArithmeticOverflowError&) {
    }
    return std::nullopt;
}

ImageBytes TOSDisk::clusterBytes(const std::vector<int64_t>& clusters) const {
    std::vector<int64_t> sectors;
    sectors.reserve(clusters.size() * static_cast<size_t>(bootSector_.spc));
    for (const int64_t cluster : clusters) {
        const int64_t first = firstDataSector_ + (cluster - 2) * bootSector_.spc;
        for (int64_t sector = first; sector < first + bootSector_.spc; ++sector) sectors.push_back(sector);
    }
    return getGroupedBlocks(sectors);
}

void TOSDisk::walkDirectories(const ImageBytes& rootDirectory) {
    // Clusters of every directory walked so far; each is walked once, so
    // the walk reads no more than the data area.
    std::vector<bool> walked(static_cast<size_t>(fat_.clusterCount + 2), false);
    std::unordered_set<const TOSDirectoryEntry*> walkedFolders;
    std::vector<OpenDirectory> open{{rootDirectory, 0, 0}};

    while (!open.empty()) {
        OpenDirectory& directory = open.back();
        if (directory.offset + TOSDirectoryEntry::entrySize > static_cast<int64_t>(directory.bytes.size())) {
            open.pop_back();
            continue;
        }
        auto entry = std::make_shared<TOSDirectoryEntry>(directory.bytes.sliceFrom(directory.offset),
                                                         directory.parentCluster);
        directory.offset += TOSDirectoryEntry::entrySize;
        if (entry->isCurrentPointer) {
            directory.parentCluster = entry->startingCluster;
            continue;
        }
        // A never-used entry does not end a directory: later slots are read too.
        if (entry->isParentPointer || !entry->isLive()) continue;
        // Long names are spelled over entries of their own, each marked with
        // every low attribute bit; the 8.3 entry that follows is the file.
        if (entry->attributes.isLongName()) continue;

        if (!entry->isSubdirectory()) {
            entries_.push_back(entry);
            continue;
        }
        std::vector<int64_t> chain = fat_.clusterListStarting(entry->startingCluster);
        for (size_t at = 0; at < chain.size(); ++at) {
            if (walked[static_cast<size_t>(chain[at])]) {
                chain.resize(at);
                break;
            }
        }
        entries_.push_back(entry);
        // No cluster of its own: the root (cluster 0), a cluster outside
        // the data area, or a directory walked already (itself, an
        // ancestor). It is listed as `mdir` lists it, but nothing below it
        // is: that would show a folder inside itself.
        if (chain.empty()) continue;
        for (const int64_t cluster : chain) walked[static_cast<size_t>(cluster)] = true;
        walkedFolders.insert(entry.get());
        open.push_back({clusterBytes(chain), 0, 0});  // `directory` is not used after this
    }
    for (const auto& entry : entries_) {
        if (entry->attributes.contains(TOSDirectoryEntry::EntryOption::volumeLabel)) {
            volumeLabel_ = entry;
            break;
        }
    }
    buildNavigation(walkedFolders);
}

ImageBytes TOSDisk::contentsOf(const TOSDirectoryEntry& entry) const {
    const ImageBytes joined = clusterBytes(fat_.clusterListStarting(entry.startingCluster));
    if (static_cast<int64_t>(joined.size()) < entry.fileSize) {
        throw TOSDiskError(TOSDiskError::Case::fileSizeMismatch);
    }
    return joined.slice(0, entry.fileSize);
}

std::optional<std::string> TOSDisk::diskName() const {
    return volumeLabel_ ? std::optional(volumeLabel_->fileName) : std::nullopt;
}

std::optional<Date> TOSDisk::diskCreationDate() const {
    return volumeLabel_ ? volumeLabel_->fileDateTime : std::nullopt;
}

}  // namespace zorv
