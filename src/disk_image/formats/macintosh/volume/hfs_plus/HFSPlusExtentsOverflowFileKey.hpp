#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"

namespace zorv {

// The key of an HFS+ extents overflow record (12 bytes): which fork of which
// file the record continues, and from which of the fork's allocation blocks.
// On disk, big-endian: u16 keyLength (10), u8 fork type (0x00 data, 0xFF
// resource), u8 pad, u32 fileID, u32 startBlock.
struct HFSPlusExtentsOverflowFileKey : HFSPlusBlockable<HFSPlusExtentsOverflowFileKey> {
    // The fork a record belongs to. Any stored byte other than 0x00 and 0xFF
    // reads as `unknown`, which has no byte of its own: such a key writes
    // (and compares) with the fork type byte 0x01, which names no fork.
    enum class ForkType : int64_t { data = 0, resource = 255, unknown = 256 };

    static constexpr int64_t size = 12;
    static constexpr int64_t wellFormedKeyLength = size - 2;
    static constexpr uint8_t unknownForkTypeByte = 0x01;

    // The case of a raw value: 0, 255 and 256 only.
    static std::optional<ForkType> forkTypeFromRawValue(int64_t rawValue);

    int64_t keyLength = wellFormedKeyLength;
    ForkType forkType = ForkType::data;
    int64_t pad = 0;
    int64_t fileID = 0;
    // The allocation block of the fork, counted from the fork's start, that
    // the record's first extent holds.
    int64_t startBlock = 0;

    HFSPlusExtentsOverflowFileKey() = default;
    HFSPlusExtentsOverflowFileKey(ForkType forkType, int64_t fileID, int64_t startBlock)
        : forkType(forkType), fileID(fileID), startBlock(startBlock) {}
    // Reads the key bytes a B-tree leaf record yields (the u16 length field,
    // then the key). Only the first 12 bytes are read, whatever the length
    // field says; ReadPastEndError when there are fewer.
    explicit HFSPlusExtentsOverflowFileKey(const ImageBytes& keyBytes);

    // The stored fork type byte (0x01 for `unknown`).
    uint8_t forkTypeByte() const;

    // The 9 bytes that identify a record: fork type byte, fileID, startBlock.
    // Equality and hashing go through them; keyLength and pad take no part.
    Bytes keyOnly() const;

    // Five chunks: keyLength (u16), fork type byte, pad (u8), fileID,
    // startBlock (u32 each); 12 bytes.
    std::vector<Bytes> dataBlockArray() const;

    friend bool operator==(const HFSPlusExtentsOverflowFileKey& a, const HFSPlusExtentsOverflowFileKey& b) {
        return a.keyOnly() == b.keyOnly();
    }
};

}  // namespace zorv

template <>
struct std::hash<zorv::HFSPlusExtentsOverflowFileKey> {
    size_t operator()(const zorv::HFSPlusExtentsOverflowFileKey& key) const noexcept;
};
