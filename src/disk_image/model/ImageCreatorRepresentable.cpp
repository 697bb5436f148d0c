#include "disk_image/model/ImageCreatorRepresentable.hpp"

#include "data_access/CheckedMath.hpp"

namespace zorv {

void ImageCreatorRepresentable::installBlock(int64_t block, ImageBytes newData) {
    physicalFile.installBlock(block, std::move(newData));
}

void ImageCreatorRepresentable::create(bool overwrite) const { physicalFile.generateFile(overwrite); }

void ImageCreatorRepresentable::addEmptyBlocks(int64_t count) {
    if (count < 0) return;
    int64_t added = 0;
    int64_t grown = 0;
    if (__builtin_mul_overflow(count, physicalFile.blockSize(), &added) ||
        __builtin_add_overflow(physicalFile.sizeInBytes, added, &grown)) {
        return;
    }
    physicalFile.sizeInBytes = grown;
}

int64_t ImageCreatorRepresentable::sizeInBlocks() const {
    const int64_t fileBlockSize = physicalFile.blockSize();
    return fileBlockSize > 0 ? physicalFile.sizeInBytes / fileBlockSize : 0;
}

int64_t ImageCreatorRepresentable::sizeInBytes() const { return checked::mul(sizeInBlocks(), blockSize); }

void ImageCreatorRepresentable::replaceBlock(int64_t block, ByteView newData) const {
    physicalFile.replaceBlockInGeneratedFile(block, newData);
}

}  // namespace zorv
