#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// A four-character type or creator code, held as the bytes stored on disk.
struct OSType : HFSBlockable<OSType> {
    Bytes internalBytes;

    OSType() = default;
    explicit OSType(Bytes bytes) : internalBytes(std::move(bytes)) {}
    explicit OSType(ByteView bytes) : internalBytes(bytes.begin(), bytes.end()) {}

    // The bytes as Mac OS Roman text; empty when they do not decode.
    std::string string() const;
    // The kind of file from TypeList, or "Unknown type".
    std::string typeName() const;
    // The application from CreatorList, or "Unknown creator".
    std::string creatorName() const;
    // The first four bytes as a big-endian value (0 for a shorter code).
    uint32_t uint32() const;

    // One chunk: the text converted back to Mac OS Roman, or as many zero
    // bytes as the text has characters when it does not convert.
    std::vector<Bytes> dataBlockArray() const;

    friend bool operator==(const OSType& a, const OSType& b) { return a.internalBytes == b.internalBytes; }
};

}  // namespace zorv
