#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"

#include <algorithm>

#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSBlock.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDiskError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeError.hpp"

namespace zorv {
namespace {

constexpr int64_t blockSize = ProDOSDisk::proDOSBlockSize;
// Block numbers are 16-bit everywhere in ProDOS.
constexpr int64_t blockNumberCount = 65536;
// Entries of every storage type but the volume directory header take this
// much room in a directory block.
constexpr int64_t entrySize = ProDOSVolumeFileEntry::entrySize;
// Numbers one index block holds: the low bytes fill its first half, the
// high bytes its second.
constexpr int64_t numbersPerIndexBlock = 256;

[[noreturn]] void unreachable() {
    throw BlockStructureDefinableError(BlockStructureDefinableError::Case::unreacheableBlock);
}

int64_t indexNumber(const ImageBytes& indexBlock, int64_t position) {
    const auto at = static_cast<size_t>(position);
    return indexBlock[at] | indexBlock[at + numbersPerIndexBlock] << 8;
}

// A directory block being walked, and where the walk is in it.
struct DirectoryCursor {
    int64_t blockNumber = 0;
    ProDOSBlock block;
    int64_t offset = 0;      // in block.blockData
    int64_t entryIndex = 0;  // of the entry at offset
};

}  // namespace

ProDOSVolume::ProDOSVolume(ImageBytes block) : disk_(std::move(block)) {
    volumeDirectoryHeader_ = ProDOSVolumeDirectoryHeader(ProDOSBlock(requireBlock(ProDOSDisk::volumeDirectoryBlock)).blockData);
    fileEntries_ = walkDirectories(disk_, volumeDirectoryHeader_);
    buildNavigation();
}

ProDOSVolume::ProDOSVolume(ProDOSDisk disk, ProDOSVolumeDirectoryHeader header,
                           std::vector<std::shared_ptr<const ProDOSVolumeFileEntry>> entries)
    : disk_(std::move(disk)), volumeDirectoryHeader_(std::move(header)), fileEntries_(std::move(entries)) {
    buildNavigation();
}

std::optional<ProDOSVolume> ProDOSVolume::fromImageData(const ImageBytes& imageData) {
    try {
        // Opened in place whatever its order: rearranging a DOS-ordered input
        // up front would copy all of it, however large, before block 2 says
        // whether it holds a volume at all.
        return ProDOSVolume(imageData);
    } catch (const EnumeratedError&) {
    } catch (const ReadPastEndError&) {
    } catch (const ArithmeticOverflowError&) {
    } catch (const ValueOutOfRangeError&) {
    }
    return std::nullopt;
}

ProDOSVolume ProDOSVolume::blankVolume(int64_t sizeInBlocks) {
    ProDOSDisk disk = ProDOSDisk::blankDisk(std::min(sizeInBlocks, ProDOSDisk::maximumBlankVolumeBlocks));
    ProDOSVolumeDirectoryHeader header(ProDOSBlock(disk.getProDOSBlock(ProDOSDisk::volumeDirectoryBlock)).blockData);
    return ProDOSVolume(std::move(disk), std::move(header), {});
}

std::vector<std::shared_ptr<const ProDOSVolumeFileEntry>> ProDOSVolume::walkDirectories(
        const ProDOSDisk& disk, const ProDOSVolumeDirectoryHeader& header) {
    const auto readDirectoryBlock = [&disk](int64_t number) {
        if (!disk.hasProDOSBlock(number)) unreachable();
        return DirectoryCursor{number, ProDOSBlock(disk.getProDOSBlock(number))};
    };
    // The header is skipped by its own entry length, every other entry by 39
    // bytes; a length that cannot skip it would stall or overrun the walk.
    const int64_t headerLength = header.entryLength;
    if (headerLength < entrySize) throw ProDOSVolumeError(ProDOSVolumeError::Case::invalidEntryLength);

    std::vector<std::shared_ptr<const ProDOSVolumeFileEntry>> entries;
    std::vector<bool> walked(blockNumberCount, false);
    walked[ProDOSDisk::volumeDirectoryBlock] = true;
    // The directories being walked, the innermost last.
    std::vector<DirectoryCursor> open{readDirectoryBlock(ProDOSDisk::volumeDirectoryBlock)};

    while (!open.empty()) {
        DirectoryCursor& cursor = open.back();
        const int64_t remaining = static_cast<int64_t>(cursor.block.blockData.size()) - cursor.offset;
        if (remaining < entrySize) {
            const int64_t next = cursor.block.nextBlock;
            if (next == 0 || walked[static_cast<size_t>(next)]) {
                open.pop_back();
                continue;
            }
            walked[static_cast<size_t>(next)] = true;
            cursor = readDirectoryBlock(next);
            continue;
        }

        const ImageBytes bytes = cursor.block.blockData.sliceFrom(cursor.offset);
        const int64_t entryBlock = cursor.blockNumber;
        const int64_t entryIndex = cursor.entryIndex++;
        const auto storageType = proDOSStorageType(bytes[0] >> 4);
        if (storageType == ProDOSStorageType::volumeDirectoryHeader) {
            static_cast<void>(ProDOSVolumeDirectoryHeader(bytes));
            if (headerLength > remaining) throw ProDOSVolumeError(ProDOSVolumeError::Case::invalidEntryLength);
            cursor.offset += headerLength;
            continue;
        }
        cursor.offset += entrySize;
        if (!storageType) continue;

        switch (*storageType) {
            case ProDOSStorageType::seedling:
            case ProDOSStorageType::sapling:
            case ProDOSStorageType::tree:
            case ProDOSStorageType::extendedFile: {
                auto entry = std::make_shared<ProDOSVolumeFileEntry>(bytes, &disk);
                entry->entryBlock = entryBlock;
                entry->entryIndex = entryIndex;
                entries.push_back(std::move(entry));
                break;
            }
            case ProDOSStorageType::subdirectory: {
                auto entry = std::make_shared<ProDOSVolumeFileEntry>(bytes, nullptr);
                entry->entryBlock = entryBlock;
                entry->entryIndex = entryIndex;
                const int64_t key = entry->keyPointer;
                if (!disk.hasProDOSBlock(key)) unreachable();
                // Met already: the volume directory, an ancestor or another
                // subdirectory's blocks. Walking it again could not end.
                if (walked[static_cast<size_t>(key)]) break;
                walked[static_cast<size_t>(key)] = true;
                entries.push_back(std::move(entry));
                open.push_back(readDirectoryBlock(key));  // `cursor` is not used after this
                break;
            }
            default:  // deleted entries, Pascal areas, subdirectory headers
                break;
        }
    }
    return entries;
}

ImageBytes ProDOSVolume::requireBlock(int64_t block) const {
    if (!disk_.hasProDOSBlock(block)) unreachable();
    return disk_.getProDOSBlock(block);
}

ImageBytes ProDOSVolume::getFileContents(const ProDOSVolumeFileEntry& entry) const {
    switch (entry.storageType) {
        case ProDOSStorageType::seedling:
        case ProDOSStorageType::extendedFile: {
            const int64_t length = std::min(entry.eof, blockSize);
            if (length <= 0) return {};
            return requireBlock(entry.keyPointer).slice(0, length);
        }
        case ProDOSStorageType::sapling: return indexedContents(entry, 1);
        case ProDOSStorageType::tree: return indexedContents(entry, 2);
        case ProDOSStorageType::subdirectory: return requireBlock(entry.keyPointer);
        default: return {};
    }
}

// A sapling (one level of index) or a tree (a master index of index blocks):
// the data blocks in index order, cut to the end of file, read only as far
// as the end of file reaches.
ImageBytes ProDOSVolume::indexedContents(const ProDOSVolumeFileEntry& entry, int64_t levels) const {
    const int64_t capacityInBlocks = levels == 1 ? numbersPerIndexBlock : numbersPerIndexBlock * numbersPerIndexBlock;
    const int64_t length = std::min(entry.eof, capacityInBlocks * blockSize);
    if (length <= 0) return {};
    const int64_t dataBlockCount = (length + blockSize - 1) / blockSize;

    Bytes contents(static_cast<size_t>(length), 0);
    const ImageBytes topIndex = requireBlock(entry.keyPointer);
    ImageBytes index = topIndex;
    int64_t loadedIndex = -1;  // the master index position of `index` in a tree

    for (int64_t position = 0; position < dataBlockCount; ++position) {
        if (levels == 2) {
            const int64_t master = position / numbersPerIndexBlock;
            const int64_t indexBlock = indexNumber(topIndex, master);
            if (indexBlock == 0) {
                // 256 blocks of zeros: go on with the next master entry.
                position = (master + 1) * numbersPerIndexBlock - 1;
                continue;
            }
            if (master != loadedIndex) {
                index = requireBlock(indexBlock);
                loadedIndex = master;
            }
        }
        const int64_t number = indexNumber(index, position % numbersPerIndexBlock);
        if (number == 0) continue;  // a block of zeros
        const ImageBytes block = requireBlock(number);
        const int64_t start = position * blockSize;
        const int64_t count = std::min(blockSize, length - start);
        std::copy_n(block.begin(), count, contents.begin() + start);
    }
    return ImageBytes(std::move(contents));
}

ImageBytes ProDOSVolume::dataInProDOSBlockOrder() const {
    // The blocks of a partial last track would be dropped without a word:
    // the volume could not be placed whole.
    if (!disk_.proDOSOrder && disk_.sizeInBytes() % ProDOSDisk::trackSize != 0) {
        throw ProDOSDiskError(ProDOSDiskError::Case::dosOrderPartialTrack, disk_.sizeInBytes());
    }
    return disk_.dataInDiskOrder();
}

std::vector<Bytes> ProDOSVolume::dataBlockArray() const {
    if (disk_.proDOSOrder) return {disk_.structureData.toBytes()};
    return {disk_.dataInDiskOrder().toBytes()};
}

}  // namespace zorv
