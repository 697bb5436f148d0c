#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentsOverflowRecord.hpp"

namespace zorv {

HFSPlusExtentsOverflowRecord::HFSPlusExtentsOverflowFileData::HFSPlusExtentsOverflowFileData(const ImageBytes& data) {
    const ImageBytes body = data.slice(0, size);
    records.reserve(extentCount);
    for (int64_t index = 0; index < extentCount; ++index) {
        records.emplace_back(body.slice(index * HFSPlusExtentDescriptor::size, HFSPlusExtentDescriptor::size), 512);
    }
}

int64_t HFSPlusExtentsOverflowRecord::HFSPlusExtentsOverflowFileData::blockCount() const {
    int64_t blocks = 0;
    for (const auto& extent : records) blocks += extent.blockCount;
    return blocks;
}

std::vector<Bytes> HFSPlusExtentsOverflowRecord::HFSPlusExtentsOverflowFileData::dataBlockArray() const {
    std::vector<Bytes> chunks;
    chunks.reserve(records.size());
    for (const auto& extent : records) chunks.push_back(extent.dataBlock());
    return chunks;
}

}  // namespace zorv
