#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafRecord.hpp"

#include <limits>

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

namespace {

constexpr int64_t largestSize = std::numeric_limits<int64_t>::max();

// Sizes of a damaged record must still be answered: they stop at 2^63 - 1.
int64_t saturatingAdd(int64_t a, int64_t b) {
    int64_t result;
    return __builtin_add_overflow(a, b, &result) ? largestSize : result;
}

int64_t saturatingMultiply(int64_t a, int64_t b) {
    int64_t result;
    return __builtin_mul_overflow(a, b, &result) ? largestSize : result;
}

int64_t allocatedBytes(const HFSPlusForkDataStucture& fork) {
    return saturatingMultiply(fork.totalBlocks, fork.blockSize);
}

}  // namespace

HFSPlusCatalogLeafRecord::HFSPlusCatalogLeafRecord(const ImageBytes& keyBytes, const ImageBytes& body,
                                                   int64_t blockSize)
    : key(keyBytes), data(body, blockSize), blockSize(blockSize) {}

std::string HFSPlusCatalogLeafRecord::name() const { return key.nodeName; }

std::optional<int64_t> HFSPlusCatalogLeafRecord::logicalSizeInBytes() const {
    const auto* file = data.fileRecord();
    if (file == nullptr) return std::nullopt;
    return saturatingAdd(file->dataFork.logicalSize, file->resourceFork.logicalSize);
}

std::optional<int64_t> HFSPlusCatalogLeafRecord::physicalSizeInBytes() const {
    const auto* file = data.fileRecord();
    if (file == nullptr) return std::nullopt;
    return saturatingAdd(allocatedBytes(file->dataFork), allocatedBytes(file->resourceFork));
}

std::optional<Date> HFSPlusCatalogLeafRecord::creationDate() const {
    if (const auto* file = data.fileRecord()) return file->createDate;
    if (const auto* folder = data.folderRecord()) return folder->createDate;
    return HFSPlusReaderBlock::epoch();
}

std::optional<Date> HFSPlusCatalogLeafRecord::modificationDate() const {
    if (const auto* file = data.fileRecord()) return file->contentModDate;
    if (const auto* folder = data.folderRecord()) return folder->contentModDate;
    return HFSPlusReaderBlock::epoch();
}

bool HFSPlusCatalogLeafRecord::isFolder() const { return data.folderRecord() != nullptr; }

std::vector<FinderFlag> HFSPlusCatalogLeafRecord::finderFlags(int64_t flagsWord) { return finderFlagsOf(flagsWord); }

std::optional<std::vector<FinderFlag>> HFSPlusCatalogLeafRecord::flags() const {
    if (const auto* file = data.fileRecord()) return finderFlags(file->userInfo.finderFlags);
    if (const auto* folder = data.folderRecord()) return finderFlags(folder->userInfo.finderFlags);
    return std::nullopt;
}

std::optional<std::string> HFSPlusCatalogLeafRecord::kind() const {
    const auto* file = data.fileRecord();
    if (file == nullptr) return std::nullopt;
    return file->userInfo.fileType.typeName();
}

std::optional<OSType> HFSPlusCatalogLeafRecord::type() const {
    const auto* file = data.fileRecord();
    if (file == nullptr) return std::nullopt;
    return file->userInfo.fileType;
}

std::optional<OSType> HFSPlusCatalogLeafRecord::creator() const {
    const auto* file = data.fileRecord();
    if (file == nullptr) return std::nullopt;
    return file->userInfo.fileCreator;
}

std::optional<uint64_t> HFSPlusCatalogLeafRecord::itemIdentifier() const {
    if (const auto* file = data.fileRecord()) return static_cast<uint64_t>(file->fileID);
    if (const auto* folder = data.folderRecord()) return static_cast<uint64_t>(folder->folderID);
    return std::nullopt;
}

}  // namespace zorv
