#pragma once

#include <cstdint>
#include <optional>

#include "data_access/ImageBytes.hpp"

namespace zorv {

// One record of a B-tree node, split into its key and its data. The reader
// knows no key format: callers parse both parts by their own layouts.
struct BTreeNodeRecord {
    // The key length stored at the record's start (0 to 65535).
    int64_t keyLength = 0;
    // A key length field (1 or 2 bytes, see below), then the record's
    // keyLength key bytes.
    ImageBytes recordKey;
    // Every byte of the record after the key, up to the next record: a pad
    // byte that keeps the data on an even offset in the node is included.
    ImageBytes recordData;

    // A key length of 0 marks a deleted record; its key and data are empty.
    bool isDeleted() const { return keyLength == 0; }

    BTreeNodeRecord() = default;
    // Parses exactly the record's bytes. The key length is a 16-bit value when
    // `hasLongKey` is set, a byte otherwise. The length field that opens
    // `recordKey` holds `maxKeyLength` (2 bytes) when given, otherwise the
    // stored key length in its stored width. Throws
    // BTreeError::keyOutsideRecord when the length field or the key runs past
    // the record's bytes.
    BTreeNodeRecord(const ImageBytes& block, bool hasLongKey, std::optional<int64_t> maxKeyLength);
};

}  // namespace zorv
