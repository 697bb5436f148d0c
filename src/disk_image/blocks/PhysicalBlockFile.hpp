#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/blocks/PhysicalBlockFileError.hpp"
#include "platform/URL.hpp"

namespace zorv {

// An image file under construction: where it goes, how large it is, and a
// queue of block runs to place in it. Nothing touches the disk until
// generateFile(), which writes a zero-filled file of the full size and then
// every queued run at its block, in queue order (a later run wins).
//
// A run is an ImageBytes: blocks a builder made, or a slice of an image read
// from disk (a volume placed in a device, a partition taken out of one),
// which is queued and written as it lies in the input, never copied.
class PhysicalBlockFile {
public:
    // Throws invalidFileURL unless the URL is a file URL without a directory path.
    PhysicalBlockFile(URL fileURL, int64_t sizeInBytes, int64_t blockSize);

    const URL& fileURL() const { return fileURL_; }
    int64_t blockSize() const { return blockSize_; }
    // Image builders grow the size by whole blocks.
    int64_t sizeInBytes = 0;

    const std::vector<std::pair<int64_t, ImageBytes>>& blocksToInstall() const { return blocksToInstall_; }

    // Queues a run of whole blocks starting at `block`. Throws invalidBlockSize
    // (the byte count) when the bytes are not a whole number of blocks, then
    // blockOutOfBounds when `block` is not below sizeInBytes / blockSize. Only
    // the first block of the run is tested against the size. A run that ends
    // exactly where the file ends may end in part of a block: the last bytes
    // of an image whose size is not a whole number of blocks.
    void installBlock(int64_t block, ImageBytes blockData);

    // Overwrites bytes of the first run queued for `block`, drops every other
    // run queued for it, and queues the patched run last.
    void patchBlock(int64_t block, int64_t offsetInBlock, ByteView newData);

    // Writes the file: checks the free capacity of the target's volume
    // (notEnoughSpace when smaller than the image), then writes a new file in
    // the target's folder and moves it over the target once every byte is
    // written. Whole zero blocks of the runs that no earlier run wrote over
    // are left as holes of the new file, which reads as zeros there already. A target that exists and is not a regular file (a named pipe,
    // a device) is written into instead, and stays what it is. With
    // `overwrite` false an existing target is refused (EEXIST) and left as it
    // was.
    void generateFile(bool overwrite) const;

    // Overwrites blocks of a file generateFile() already wrote; the same tests
    // as installBlock(). The queue is neither read nor changed.
    void replaceBlockInGeneratedFile(int64_t block, ByteView blockData) const;

private:
    void checkRun(int64_t block, int64_t byteCount) const;

    URL fileURL_;
    int64_t blockSize_;
    std::vector<std::pair<int64_t, ImageBytes>> blocksToInstall_;
};

// Attaches bytes to a file as a named extended attribute ("com.apple.ResourceFork").
void setExtendedAttribute(const URL& file, ByteView data, const std::string& name);

}  // namespace zorv
