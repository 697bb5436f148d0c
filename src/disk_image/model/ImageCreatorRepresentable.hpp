#pragma once

#include <cstdint>
#include <utility>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/PhysicalBlockFile.hpp"

namespace zorv {

// Base of the builders of new image files (Macintosh devices, Apple II, Atari
// ST and Amiga volumes): an image file under construction and the builder's
// own block size, with the operations every builder shares.
class ImageCreatorRepresentable {
public:
    // The image file under construction.
    PhysicalBlockFile physicalFile;
    // The builder's block size in bytes; may differ from the file's.
    int64_t blockSize;

    ImageCreatorRepresentable(PhysicalBlockFile physicalFile, int64_t blockSize)
        : physicalFile(std::move(physicalFile)), blockSize(blockSize) {}

    // Queues bytes to be written at a block of the file; throws the file's
    // PhysicalBlockFileError.
    void installBlock(int64_t block, ImageBytes newData);
    // Writes the image file; throws what the file's generateFile() throws.
    void create(bool overwrite) const;
    // Grows the file by `count` of the file's own blocks. A negative count, or
    // one whose bytes would overflow the size, leaves the size unchanged.
    void addEmptyBlocks(int64_t count);
    // The file's size in its own blocks, a partial block dropped.
    int64_t sizeInBlocks() const;
    // sizeInBlocks() times the builder's block size (not the file's).
    int64_t sizeInBytes() const;
    // Rewrites a block of the file already written by create().
    void replaceBlock(int64_t block, ByteView newData) const;

protected:
    ~ImageCreatorRepresentable() = default;
};

}  // namespace zorv
