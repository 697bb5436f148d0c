#include "disk_image/blocks/PhysicalBlockFile.hpp"

#include <algorithm>

#include "data_access/CheckedMath.hpp"
#include "platform/AtomicFileWriter.hpp"
#include "platform/FileSystem.hpp"

namespace zorv {

PhysicalBlockFile::PhysicalBlockFile(URL fileURL, int64_t sizeInBytes, int64_t blockSize)
    : sizeInBytes(sizeInBytes), fileURL_(std::move(fileURL)), blockSize_(blockSize) {
    if (!fileURL_.isFileURL() || fileURL_.hasDirectoryPath()) {
        throw PhysicalBlockFileError(PhysicalBlockFileError::Case::invalidFileURL);
    }
}

void PhysicalBlockFile::checkRun(int64_t block, int64_t byteCount) const {
    int64_t start = 0;
    int64_t end = 0;
    const bool endsTheFile = block >= 0 && blockSize_ > 0 && byteCount > 0 &&
                             !__builtin_mul_overflow(block, blockSize_, &start) &&
                             !__builtin_add_overflow(start, byteCount, &end) && end == sizeInBytes;
    if (blockSize_ <= 0 || (byteCount % blockSize_ != 0 && !endsTheFile)) {
        throw PhysicalBlockFileError(PhysicalBlockFileError::Case::invalidBlockSize, byteCount);
    }
    if (block < 0 || block >= sizeInBytes / blockSize_) {
        throw PhysicalBlockFileError(PhysicalBlockFileError::Case::blockOutOfBounds);
    }
}

void PhysicalBlockFile::installBlock(int64_t block, ImageBytes blockData) {
    checkRun(block, static_cast<int64_t>(blockData.size()));
    blocksToInstall_.emplace_back(block, std::move(blockData));
}

void PhysicalBlockFile::patchBlock(int64_t block, int64_t offsetInBlock, ByteView newData) {
    const auto first = std::find_if(blocksToInstall_.begin(), blocksToInstall_.end(),
                                    [block](const auto& run) { return run.first == block; });
    if (first == blocksToInstall_.end()) {
        throw PhysicalBlockFileError(PhysicalBlockFileError::Case::blockNotFound, block);
    }
    ImageBytes patched = first->second;
    const auto count = static_cast<int64_t>(newData.size());
    if (!checked::rangeFits(offsetInBlock, count, static_cast<int64_t>(patched.size()))) {
        throw PhysicalBlockFileError(PhysicalBlockFileError::Case::patchTooLarge);
    }
    // The run's storage may be shared (a slice of an input): the patch
    // copies it first.
    patched.replace(offsetInBlock, newData);
    std::erase_if(blocksToInstall_, [block](const auto& run) { return run.first == block; });
    installBlock(block, std::move(patched));
}

void PhysicalBlockFile::generateFile(bool overwrite) const {
    if (sizeInBytes < 0) throw PhysicalBlockFileError(PhysicalBlockFileError::Case::blockOutOfBounds);
    AtomicFileWriter writer(fileURL_.path(), fileURL_.relativePath());
    if (!overwrite) writer.refuseExistingTarget();
    // The capacity that matters is that of the volume that will hold the file.
    if (writer.availableCapacity() < sizeInBytes) {
        throw PhysicalBlockFileError(PhysicalBlockFileError::Case::notEnoughSpace);
    }
    std::vector<AtomicFileWriter::Piece> pieces;
    for (const auto& [block, bytes] : blocksToInstall_) pieces.push_back({checked::mul(block, blockSize_), bytes});
    writer.write(sizeInBytes, pieces, overwrite);
}

void PhysicalBlockFile::replaceBlockInGeneratedFile(int64_t block, ByteView blockData) const {
    checkRun(block, static_cast<int64_t>(blockData.size()));
    AtomicFileWriter::writeIntoExistingFile(fileURL_.path(), checked::mul(block, blockSize_), blockData,
                                           fileURL_.relativePath());
}

void setExtendedAttribute(const URL& file, ByteView data, const std::string& name) {
    fs::setExtendedAttribute(file, data, name);
}

}  // namespace zorv
