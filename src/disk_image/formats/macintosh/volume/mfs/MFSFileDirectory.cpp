#include "disk_image/formats/macintosh/volume/mfs/MFSFileDirectory.hpp"

#include <algorithm>

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

MFSFileDirectory::MFSFileDirectory(const ImageBytes& block, int64_t numberOfEntries) {
    if (numberOfEntries <= 0) return;
    const auto size = static_cast<int64_t>(block.size());
    // Each entry takes at least 52 bytes, which bounds the list by the bytes
    // as well as by the count.
    constexpr int64_t smallestEntry = MFSFileDirectoryEntry::fixedSize + 2;
    entries.reserve(static_cast<size_t>(std::min(numberOfEntries, size / smallestEntry + 1)));

    HFSReaderBlock reader(block);
    while (static_cast<int64_t>(entries.size()) < numberOfEntries && reader.offset < size) {
        const int64_t flags = block[static_cast<size_t>(reader.offset)];
        if ((flags & MFSFileDirectoryEntry::inUseFlag) == 0) {
            reader.offset = (reader.offset / sectorSize + 1) * sectorSize;
            continue;
        }
        const int64_t nameLengthAt = reader.offset + MFSFileDirectoryEntry::fixedSize;
        if (nameLengthAt >= size) break;
        if (nameLengthAt + 1 + block[static_cast<size_t>(nameLengthAt)] > size) break;
        entries.emplace_back(reader);
        reader.alignToWordBoundary();
    }
}

}  // namespace zorv
