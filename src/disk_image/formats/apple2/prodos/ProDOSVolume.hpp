#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/apple2/AppleIIBlockable.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSBootSignature.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDisk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeDirectoryHeader.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeFileEntry.hpp"
#include "disk_image/model/VolumeRepresentable.hpp"

namespace zorv {

// A ProDOS volume held in memory: its disk (the image and its sector order),
// the header of its volume directory, and the entries of every directory,
// walked once when the volume is opened. Items are the entries
// (ProDOSVolumeFileEntry); a null item is the volume directory.
//
// The walk starts at block 2 and follows each directory's chain of blocks
// through their next-block pointers, 13 entries of 39 bytes to a block;
// a subdirectory's entries follow its own entry at once (depth first). It
// keeps files and subdirectories and drops deleted entries, Pascal areas,
// headers and unknown storage types. It never walks a block twice: a chain
// that comes back to a block already walked ends there, and a subdirectory
// whose key block was walked already (the volume directory, an ancestor,
// another subdirectory's) is left out with everything below it. Opening
// fails when a chain or a subdirectory points beyond the image.
//
// Items are placed by their numbers, as ProDOS links them: the children of
// the volume directory are the entries whose header pointer is 2, those of a
// subdirectory the entries whose header pointer is its key block; children
// are ordered by name (byte order, stable).
//
// File contents are read again from the image at each request; nothing but
// the entries is kept.
class ProDOSVolume : public VolumeRepresentable, public AppleIIBlockable<ProDOSVolume> {
public:
    static constexpr std::array<uint8_t, 4> ProDOSBootSignature = zorv::ProDOSBootSignature;

    // The probe of format detection, never throwing: the image opened as it
    // is, in the order ProDOSDisk finds, with or without the boot signature.
    // A DOS-ordered image is not copied: its blocks are put in ProDOS order
    // as they are read (and whole by dataInProDOSBlockOrder() when the volume
    // is written out). Nothing when opening fails.
    static std::optional<ProDOSVolume> fromImageData(const ImageBytes& imageData);

    // Opens a volume from its bytes, in either sector order, without
    // rearranging them. Throws BlockStructureDefinableError::unreacheableBlock
    // for fewer than 3 blocks and for a directory block or subdirectory key
    // block beyond the image; the errors of ProDOSVolumeDirectoryHeader for
    // block 2, or for any later entry with storage type 0xF; and
    // ProDOSVolumeError::invalidEntryLength when the header's entry length is
    // below 39 or the header does not fit its block by it.
    explicit ProDOSVolume(ImageBytes block);

    // A new blank volume (ProDOSDisk::blankDisk) of `sizeInBlocks` blocks, at
    // most 65,535 (larger sizes are cut to it), without files. Throws
    // ProDOSDiskError::volumeTooSmall below 7 blocks.
    static ProDOSVolume blankVolume(int64_t sizeInBlocks);

    const ProDOSDisk& disk() const { return disk_; }
    const ProDOSVolumeDirectoryHeader& volumeDirectoryHeader() const { return volumeDirectoryHeader_; }
    // Every entry the walk kept, of the volume directory and of all
    // subdirectories, in walk order.
    const std::vector<std::shared_ptr<const ProDOSVolumeFileEntry>>& fileEntries() const { return fileEntries_; }

    // The bytes of an entry by its storage type, cut to its end of file:
    // - seedling, and the fork-entry block of an extended file: its key
    //   block (at most 512 bytes);
    // - sapling: the blocks its index block lists (at most 128 KiB);
    // - tree: the blocks of the index blocks its master index block lists
    //   (at most 32 MiB, which no end of file reaches);
    // - subdirectory: its key block, 512 bytes whatever its end of file;
    // - anything else: nothing.
    // A block number 0 in an index block stands for a block of zeros, and one
    // in a master index block for 256 of them (sparse files). Only the blocks
    // within the end of file are read; one of them beyond the image throws
    // BlockStructureDefinableError::unreacheableBlock.
    ImageBytes getFileContents(const ProDOSVolumeFileEntry& entry) const;

    // The volume's blocks in ProDOS block order, as they go into a device
    // partition or a volume file: the image's whole blocks when it is in
    // ProDOS order, rearranged otherwise (ProDOSDisk::dataInDiskOrder).
    // Throws ProDOSDiskError::dosOrderPartialTrack (the image's size) for a
    // DOS-ordered image that does not end on a whole track.
    ImageBytes dataInProDOSBlockOrder() const;
    // One chunk: the image as it is when in ProDOS order (a trailing partial
    // block included), dataInProDOSBlockOrder() otherwise.
    std::vector<Bytes> dataBlockArray() const;

    // VolumeRepresentable
    std::string volumeFormatName() const override { return "Apple II (ProDOS)"; }
    std::string helpfulDescription() const override;
    std::shared_ptr<const ImageWrapperRepresentable> wrapper() const override { return imageWrapper_; }
    void setWrapper(std::shared_ptr<const ImageWrapperRepresentable> wrapper) override;
    std::string volumeName() const override { return volumeDirectoryHeader_.name; }
    std::optional<Date> creationDate() const override { return volumeDirectoryHeader_.creationDate; }
    std::optional<Date> modificationDate() const override { return std::nullopt; }
    // totalBlocks blocks of 512 bytes.
    int64_t totalCapacityInBytes() const override;
    // The blocks the volume bitmap marks free, 512 bytes each: the
    // (totalBlocks + 4,095) / 4,096 blocks from the header's bitmap pointer,
    // read in the disk's order, one set bit per free block below totalBlocks.
    // A bitmap block the image does not hold counts as all in use.
    int64_t freeCapacityInBytes() const override;
    bool isFormatted() const override { return true; }
    bool isBootable() const override { return true; }
    // The header's file count: the active entries of the volume directory.
    std::optional<int64_t> totalCountOfFiles() const override;
    std::optional<int64_t> totalCountOfFolders() const override { return 0; }
    bool hasForks() const override { return true; }
    // The entries whose header pointer is the item's key block (2 for the
    // root or anything that is not an entry of this volume).
    int64_t numberOfChildrenOfItem(const VolumeItem& item) const override;
    // True for a subdirectory entry.
    bool isItemExpandable(const VolumeItem& item) const override;
    VolumeItem child(int64_t index, const VolumeItem& ofItem) const override;
    VolumeItem volumeItem(const VolumeItem& item) const override;
    // The directory block whose entries the item's children are: its key
    // block, 2 for the root and for anything that is not an entry.
    std::optional<uint64_t> folderKey(const VolumeItem& folder) const override;
    // The first subdirectory entry whose key block is the item's header
    // pointer; nothing for entries of the volume directory.
    VolumeItem parentItem(const VolumeItem& item) const override;
    // The bytes of a fork. Nothing for anything but an entry of this kind,
    // and for the resource fork of anything but an extended file. The data
    // fork of an Applesoft BASIC program (0xFC) is its listing as text
    // (ApplesoftBasicParser::asTextData); each fork of an extended file is
    // read as a file of its own. Throws
    // BlockStructureDefinableError::unreacheableBlock for a block beyond the
    // image, the fork-entry block of an extended file included.
    std::optional<ImageBytes> getFork(ForkType fork, const VolumeItem& item) const override;
    // False for every block: the bitmap is not read.
    bool isBlockOccupied(int64_t block) const override;

private:
    struct Navigation;

    ProDOSVolume(ProDOSDisk disk, ProDOSVolumeDirectoryHeader header,
                 std::vector<std::shared_ptr<const ProDOSVolumeFileEntry>> entries);

    void buildNavigation();
    // The whole walk of the directories from block 2.
    static std::vector<std::shared_ptr<const ProDOSVolumeFileEntry>> walkDirectories(
            const ProDOSDisk& disk, const ProDOSVolumeDirectoryHeader& header);
    // Block n of the disk; throws unreacheableBlock when it is not held.
    ImageBytes requireBlock(int64_t block) const;
    ImageBytes indexedContents(const ProDOSVolumeFileEntry& entry, int64_t levels) const;
    int64_t parentBlock(const VolumeItem& item) const;

    std::shared_ptr<const ImageWrapperRepresentable> imageWrapper_;
    ProDOSDisk disk_;
    ProDOSVolumeDirectoryHeader volumeDirectoryHeader_;
    std::vector<std::shared_ptr<const ProDOSVolumeFileEntry>> fileEntries_;
    // Children by directory block and subdirectories by key block, built
    // when the volume is made and shared by copies.
    std::shared_ptr<const Navigation> navigation_;
};

}  // namespace zorv
