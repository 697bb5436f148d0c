#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The key of an extents overflow record (8 bytes): which fork of which file
// the record continues, and at which of the fork's allocation blocks.
struct ExtKeyRec : HFSBlockable<ExtKeyRec> {
    static constexpr int64_t size = 8;

    int64_t xkrKeyLen = 7;  // key bytes after this one
    int64_t xkrFkType = 0;  // 0x00 data fork, 0xFF resource fork; held as stored
    int64_t xkrFNum = 0;    // file number
    int64_t xkrFABN = 0;    // the fork's allocation block where the record starts

    ExtKeyRec() = default;
    ExtKeyRec(int64_t keyLength, int64_t forkType, int64_t fileNumber, int64_t startBlock)
        : xkrKeyLen(keyLength), xkrFkType(forkType), xkrFNum(fileNumber), xkrFABN(startBlock) {}
    // Reads the first 8 bytes, length byte first; ReadPastEndError when there
    // are fewer.
    explicit ExtKeyRec(const ImageBytes& data);

    // The 7 bytes that identify the record: fork type, file number, start
    // block. Equality and hashing use them alone, not the key length.
    Bytes keyOnly() const;

    // Four chunks: key length, fork type, file number, start block.
    std::vector<Bytes> dataBlockArray() const;

    friend bool operator==(const ExtKeyRec& a, const ExtKeyRec& b) { return a.keyOnly() == b.keyOnly(); }
};

}  // namespace zorv

template <>
struct std::hash<zorv::ExtKeyRec> {
    size_t operator()(const zorv::ExtKeyRec& key) const noexcept;
};
