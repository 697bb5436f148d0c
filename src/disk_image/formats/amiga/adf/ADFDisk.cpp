#include "disk_image/formats/amiga/adf/ADFDisk.hpp"

#include <algorithm>
#include <exception>

#include "data_access/ByteHelpers.hpp"
#include "data_access/CheckedMath.hpp"
#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/amiga/ADFSecondaryType.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskDirectoryHeaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskEntryBlockError.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskError.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskFileDataBlockOFS.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskFileExtensionBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskFileHeaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskRootBlockError.hpp"

namespace zorv {
namespace {

constexpr int64_t amigaBlockSize = 512;
constexpr int64_t secondaryTypeOffset = 508;
constexpr int64_t nextHashOffset = 496;

[[noreturn]] void unreacheableBlock() {
    throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
}

int64_t longAt(const ImageBytes& block, int64_t at) {
    return fromLongBigEndian(block.view().subspan(static_cast<size_t>(at)));
}

int64_t signedLongAt(const ImageBytes& block, int64_t at) { return static_cast<int32_t>(longAt(block, at)); }

// A hash table being walked: its slots, the slot being followed and where
// its chain has got to.
struct HashTableCursor {
    std::array<int64_t, ADFDiskRootBlock::hashTableSize> slots{};
    int64_t slot = -1;
    int64_t next = 0;  // the next block of the current chain; 0 at its end
};

}  // namespace

ADFDisk::ADFDisk(ImageBytes block, const std::optional<ADFDiskGeometry>& geometry, int64_t reservedBlocks)
    : BlockStructureDefinable(amigaBlockSize, std::move(block)) {
    diskGeometry = ADFDiskGeometry::forImage(sizeInBytes(), geometry);

    std::optional<ADFDiskRootBlock> root;
    std::exception_ptr firstFailure;
    const auto tryRoot = [&](int64_t candidate) {
        try {
            // A root inside the boot block would read the boot block as one.
            if (candidate < reservedBlocks) unreacheableBlock();
            root = ADFDiskRootBlock(requireBlock(candidate));
            rootBlockNumber_ = candidate;
        } catch (const BlockStructureDefinableError&) {
            if (!firstFailure) firstFailure = std::current_exception();
        } catch (const ADFDiskRootBlockError&) {
            if (!firstFailure) firstFailure = std::current_exception();
        }
    };
    for (const int64_t candidate : diskGeometry.rootBlockCandidates(reservedBlocks)) {
        tryRoot(candidate);
        if (root) break;
    }
    if (!root && !geometry) {
        // A bare volume whose blocks are not whole hardfile cylinders (a
        // partition cut out of a hard disk): AmigaDOS placed its root in the
        // middle of all of them, and unadf sees one block a cylinder.
        const ADFDiskGeometry everyBlock{sizeInBlocks(), 1, 1, amigaBlockSize};
        tryRoot(everyBlock.rootBlock(reservedBlocks));
        if (root) diskGeometry = everyBlock;
    }
    if (!root) std::rethrow_exception(firstFailure);

    entries.push_back(std::make_shared<ADFDiskEntry>(rootBlockNumber_, "", 0, root->volumeDate.date(), true,
                                                     root->parentDir));
    loadBitmap(*root);
    walkHashTables(*root);
    buildNavigation();
}

std::optional<ADFDisk> ADFDisk::fromImageData(const ImageBytes& imageData,
                                              const std::optional<ADFDiskGeometry>& geometry, int64_t reservedBlocks) {
    try {
        return ADFDisk(imageData, geometry, reservedBlocks);
    } catch (const EnumeratedError&) {
    } catch (const ReadPastEndError&) {
    } catch (const ArithmeticOverflowError&) {
    } catch (const ValueOutOfRangeError&) {
    }
    return std::nullopt;
}

ImageBytes ADFDisk::requireBlock(int64_t block) const {
    if (block < 0 || block >= sizeInBlocks()) unreacheableBlock();
    return getBlockAtPosition(block);
}

void ADFDisk::loadBitmap(const ADFDiskRootBlock& root) {
    // A bitmap the root block does not call valid is not read at all: free
    // space then comes from the files, and its pointers, wherever they
    // point, do not keep the volume from opening.
    if (root.bmFlag != ADFDiskRootBlock::validBitmapFlag) return;
    // The pages the volume needs, in the order listed: the root block's
    // pointers, then each extension block's. A pointer of 0 lists none; the
    // pointers after the last page needed are not read, wherever they point.
    const int64_t needed = ADFDiskBitmap::pagesNeeded(diskGeometry.totalBlocks());
    std::vector<std::pair<int64_t, ADFDiskBitmapBlock>> blocks;
    const auto load = [&](int64_t page) {
        if (page < 1 || std::ssize(blocks) >= needed) return;
        blocks.emplace_back(page, ADFDiskBitmapBlock::fromBlock(requireBlock(page)));
    };
    for (const int64_t page : root.bmPages) load(page);

    // The extension chain ends at a block already read: a loop would not.
    std::vector<bool> read(static_cast<size_t>(sizeInBlocks()), false);
    for (int64_t extension = root.bmExt; extension >= 1 && std::ssize(blocks) < needed;) {
        const ImageBytes listing = requireBlock(extension);
        if (read[static_cast<size_t>(extension)]) break;
        read[static_cast<size_t>(extension)] = true;
        // 127 bitmap blocks, then the next extension block.
        constexpr int64_t pointers = ADFDiskBitmap::pagesPerExtensionBlock;
        for (int64_t index = 0; index < pointers; ++index) load(longAt(listing, index * 4));
        extension = longAt(listing, pointers * 4);
    }
    bitmap = ADFDiskBitmap(std::move(blocks), diskGeometry);
}

void ADFDisk::walkHashTables(const ADFDiskRootBlock& root) {
    // Header blocks already walked (the root included): a chain or a
    // directory that leads back to one would never end.
    std::vector<bool> walked(static_cast<size_t>(sizeInBlocks()), false);
    walked[static_cast<size_t>(rootBlockNumber_)] = true;
    // The hash tables being walked, the innermost last.
    std::vector<HashTableCursor> open(1);
    open.back().slots = root.ht;

    while (!open.empty()) {
        HashTableCursor& cursor = open.back();
        if (cursor.next == 0) {
            if (++cursor.slot >= std::ssize(cursor.slots)) {
                open.pop_back();
                continue;
            }
            cursor.next = cursor.slots[static_cast<size_t>(cursor.slot)];
            continue;
        }
        const int64_t number = cursor.next;
        // A pointer past the end, like one to a block already walked, ends
        // its chain only: the other chains are still listed.
        if (number >= sizeInBlocks() || walked[static_cast<size_t>(number)]) {
            cursor.next = 0;
            continue;
        }
        const ImageBytes block = requireBlock(number);
        walked[static_cast<size_t>(number)] = true;

        switch (adfSecondaryType(signedLongAt(block, secondaryTypeOffset)).value_or(ADFSecondaryType::unknown)) {
            case ADFSecondaryType::ST_FILE: {
                const ADFDiskFileHeaderBlock header(block);
                entries.push_back(std::make_shared<ADFDiskEntry>(number, header.fileName, header.byteSize,
                                                                 header.lastChange.date(), false, header.parentDir));
                cursor.next = header.nextHash;
                break;
            }
            case ADFSecondaryType::ST_USERDIR: {
                const ADFDiskDirectoryHeaderBlock header(block);
                entries.push_back(std::make_shared<ADFDiskEntry>(number, header.dirName, 0, header.lastAccess.date(),
                                                                 true, header.parentDir));
                cursor.next = header.nextHash;
                HashTableCursor inner;
                inner.slots = header.ht;
                open.push_back(inner);  // `cursor` is not used after this
                break;
            }
            case ADFSecondaryType::ST_SOFTLINK:
            case ADFSecondaryType::ST_LINKFILE:
            case ADFSecondaryType::ST_LINKDIR:
                // Links are not listed, but the entries hashed behind them are.
                cursor.next = longAt(block, nextHashOffset);
                break;
            default:  // a root block or an unknown type: the chain ends
                cursor.next = 0;
                break;
        }
    }
}

ADFDiskRootBlock ADFDisk::rootBlock() const { return ADFDiskRootBlock(requireBlock(rootBlockNumber_)); }

int64_t ADFDisk::occupiedCapacityInBytes() const {
    int64_t total = 0;
    for (const auto& entry : entries) total = checked::add(total, entry->sizeInBytes);
    return total;
}

std::optional<ADFDiskBootBlock> ADFDisk::bootBlock() const {
    if (sizeInBlocks() < 2) return std::nullopt;
    try {
        return ADFDiskBootBlock(getBlockAtPosition(0, 2));
    } catch (const ADFDiskError&) {
        return std::nullopt;
    }
}

std::vector<std::pair<int64_t, Bytes>> ADFDisk::blankVolumeBlocks(const ADFDiskGeometry& geometry, bool bootable) {
    const ADFDiskBitmap newBitmap(geometry);
    // AmigaDOS writes 880 on both floppy sizes; the pointer is not used to
    // find the root.
    const int64_t rootPointer =
        geometry == ADFDiskGeometry::HDFloppy ? ADFDiskGeometry::DDFloppy.rootBlock() : geometry.rootBlock();
    std::vector<std::pair<int64_t, Bytes>> blocks{
        {0, ADFDiskBootBlock::blankBootBlock(bootable, rootPointer).dataBlock()},
        {geometry.rootBlock(), ADFDiskRootBlock("Empty", newBitmap).dataBlock()}};
    for (const auto& [key, block] : newBitmap.bitmapBlocks) blocks.emplace_back(key, block.dataBlock());
    for (auto& extension : newBitmap.extensionBlockData()) blocks.push_back(std::move(extension));
    return blocks;
}

ADFDisk ADFDisk::blankDisk(const ADFDiskGeometry& geometry, bool bootable) {
    const auto blocks = blankVolumeBlocks(geometry, bootable);
    ImageBytes image(Bytes(static_cast<size_t>(checked::mul(geometry.totalBlocks(), geometry.blockSize)), 0));
    for (const auto& [key, bytes] : blocks) image.replace(key * amigaBlockSize, bytes);

    ADFDisk disk;
    disk.blockSize = amigaBlockSize;
    disk.structureData = std::move(image);
    disk.diskGeometry = geometry;
    disk.rootBlockNumber_ = geometry.rootBlock();
    disk.buildNavigation();
    return disk;
}

std::optional<ImageBytes> ADFDisk::getFork(ForkType fork, const VolumeItem& item) const {
    const auto* entry = dynamic_cast<const ADFDiskEntry*>(item.get());
    if (entry == nullptr || fork != ForkType::data) return std::nullopt;
    const ADFDiskFileHeaderBlock header(requireBlock(entry->key));

    const int64_t size = header.byteSize;
    if (size == 0) return ImageBytes();
    if (sizeInBlocks() < 2) unreacheableBlock();
    const ADFDiskBootBlock boot(getBlockAtPosition(0, 2));
    const bool fastFileSystem = boot.fileSystem() == ADFDiskBootBlock::ADFFileSystemMode::FFS;
    const int64_t payloadSize = fastFileSystem ? amigaBlockSize : ADFDiskFileDataBlockOFS::payloadSize;

    // Only the blocks that hold the file's bytes are read.
    std::vector<int64_t> dataBlocks = header.dataBlockList();
    std::vector<bool> read(static_cast<size_t>(sizeInBlocks()), false);
    for (int64_t extension = header.ext; extension >= 1;) {
        if (std::ssize(dataBlocks) * payloadSize >= size) break;
        const ImageBytes block = requireBlock(extension);
        // A chain that comes back to a block already read ends there.
        if (read[static_cast<size_t>(extension)]) break;
        read[static_cast<size_t>(extension)] = true;
        const ADFDiskFileExtensionBlock listing(block);
        const std::vector<int64_t> more = listing.dataBlockList();
        dataBlocks.insert(dataBlocks.end(), more.begin(), more.end());
        extension = listing.ext;
    }
    // Extension blocks that end before the file does (a header naming none,
    // or a chain coming back on itself) would read it short, as if whole.
    if (std::ssize(dataBlocks) * payloadSize < size) {
        throw ADFDiskEntryBlockError(ADFDiskEntryBlockError::Case::invalidExtensionBlock);
    }

    Bytes contents;
    for (const int64_t number : dataBlocks) {
        if (std::ssize(contents) >= size) break;
        const ImageBytes block = requireBlock(number);
        const ImageBytes payload = fastFileSystem ? block : ADFDiskFileDataBlockOFS(block).data;
        const int64_t count = std::min<int64_t>(std::ssize(payload), size - std::ssize(contents));
        contents.insert(contents.end(), payload.begin(), payload.begin() + count);
    }
    return ImageBytes(std::move(contents));
}

}  // namespace zorv
