#pragma once

#include <cstdint>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentDescriptor.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusExtentsOverflowFileKey.hpp"

namespace zorv {

// One leaf record of the HFS+ extents overflow file (76 bytes): its key, then
// eight more extents of the fork the key names, with no alignment byte
// between them.
struct HFSPlusExtentsOverflowRecord : HFSPlusBlockable<HFSPlusExtentsOverflowRecord> {
    // The body: eight extent descriptors, 64 bytes.
    struct HFSPlusExtentsOverflowFileData : HFSPlusBlockable<HFSPlusExtentsOverflowFileData> {
        static constexpr int64_t extentCount = 8;
        static constexpr int64_t size = extentCount * HFSPlusExtentDescriptor::size;

        std::vector<HFSPlusExtentDescriptor> records;

        HFSPlusExtentsOverflowFileData() = default;
        explicit HFSPlusExtentsOverflowFileData(std::vector<HFSPlusExtentDescriptor> records)
            : records(std::move(records)) {}
        // Reads eight descriptors (startBlock, blockCount) from the first 64
        // bytes; ReadPastEndError when there are fewer. The descriptors carry
        // a block size of 512: the volume gathers them with its own.
        explicit HFSPlusExtentsOverflowFileData(const ImageBytes& data);

        // Allocation blocks the eight extents cover together (each at most
        // 2^32 - 1, so the sum fits).
        int64_t blockCount() const;

        // One 8-byte chunk per descriptor.
        std::vector<Bytes> dataBlockArray() const;
    };

    static constexpr int64_t size = HFSPlusExtentsOverflowFileKey::size + HFSPlusExtentsOverflowFileData::size;

    HFSPlusExtentsOverflowFileKey key;
    HFSPlusExtentsOverflowFileData record;

    HFSPlusExtentsOverflowRecord() = default;
    HFSPlusExtentsOverflowRecord(HFSPlusExtentsOverflowFileKey key, HFSPlusExtentsOverflowFileData record)
        : key(std::move(key)), record(std::move(record)) {}

    // Two chunks: the key's 12 bytes, then the body's 64.
    std::vector<Bytes> dataBlockArray() const { return {key.dataBlock(), record.dataBlock()}; }
};

}  // namespace zorv
