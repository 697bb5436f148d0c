#include "support/HfsBTreeFiles.hpp"

namespace zorv::testing {

namespace {

constexpr int64_t mdbOffset = 1024;
constexpr int64_t drAlBlkSiz = 20;
constexpr int64_t drAlBlSt = 28;
constexpr int64_t drXTExtRec = 134;
constexpr int64_t drCTExtRec = 150;

int64_t bigEndian(const ImageBytes& bytes, int64_t offset, int width) {
    int64_t value = 0;
    for (int i = 0; i < width; ++i) value = (value << 8) | bytes[static_cast<size_t>(offset + i)];
    return value;
}

// The bytes of the three extents at `recordOffset` in the MDB, joined.
std::optional<ImageBytes> cutFile(const ImageBytes& volume, int64_t recordOffset, int64_t firstSector,
                                  int64_t blockSize) {
    Bytes file;
    for (int i = 0; i < 3; ++i) {
        const int64_t start = bigEndian(volume, mdbOffset + recordOffset + 4 * i, 2);
        const int64_t count = bigEndian(volume, mdbOffset + recordOffset + 4 * i + 2, 2);
        const int64_t from = firstSector * 512 + start * blockSize;
        const int64_t length = count * blockSize;
        if (from + length > static_cast<int64_t>(volume.size())) return std::nullopt;
        const ImageBytes extent = volume.slice(from, length);
        file.insert(file.end(), extent.begin(), extent.end());
    }
    return ImageBytes(std::move(file));
}

}  // namespace

std::optional<HfsBTreeFiles> HfsBTreeFiles::cutFrom(const ImageBytes& volume) {
    if (volume.size() < mdbOffset + 512 || volume[mdbOffset] != 'B' || volume[mdbOffset + 1] != 'D') {
        return std::nullopt;
    }
    HfsBTreeFiles files;
    files.allocationBlockSize = bigEndian(volume, mdbOffset + drAlBlkSiz, 4);
    const int64_t firstSector = bigEndian(volume, mdbOffset + drAlBlSt, 2);
    auto catalog = cutFile(volume, drCTExtRec, firstSector, files.allocationBlockSize);
    auto extents = cutFile(volume, drXTExtRec, firstSector, files.allocationBlockSize);
    if (!catalog || !extents) return std::nullopt;
    files.catalogFile = std::move(*catalog);
    files.extentsFile = std::move(*extents);
    return files;
}

}  // namespace zorv::testing
