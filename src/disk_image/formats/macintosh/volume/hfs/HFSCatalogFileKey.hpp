#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data_access/ImageBytes.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/HFSBlockable.hpp"

namespace zorv {

// The key of an HFS catalog record: the parent folder's ID and the item's
// name. On disk: key length (bytes after itself), a reserved byte, the
// 32-bit parent ID, then the name as a length byte and Mac OS Roman bytes.
struct HFSCatalogFileKey : HFSBlockable<HFSCatalogFileKey> {
    // The smallest key: reserved byte, parent ID and the name's length byte.
    static constexpr int64_t minimumKeyLength = 6;

    int64_t keyLength = minimumKeyLength;
    int64_t parentID = 0;
    std::string nodeName;

    HFSCatalogFileKey() = default;
    HFSCatalogFileKey(int64_t keyLength, int64_t parentID, std::string nodeName)
        : keyLength(keyLength), parentID(parentID), nodeName(std::move(nodeName)) {}

    // Reads a key from its bytes, length byte first. The name's length byte
    // alone decides its length, but only the name bytes inside `data` are
    // read: a name running past the key is cut at the key's end. Throws
    // ReadPastEndError when `data` cannot hold the fixed fields and the name's
    // length byte, and ValueOutOfRangeError when the stored key length is
    // below 6 (such a key could not be written back).
    explicit HFSCatalogFileKey(const ImageBytes& data);

    // The name of the key `data` holds, read as the constructor reads it,
    // from a key whose fixed fields the bytes hold (7 bytes or more).
    static std::string nodeNameOf(ByteView data);
    // The same into `into`, whose room is reused.
    static void writeNodeNameOf(ByteView data, std::string& into);
    // The name's stored bytes (Mac OS Roman) in the same key.
    static ByteView nodeNameBytesOf(ByteView data);

    // Three chunks: key length and a zero byte; parent ID; the name in a
    // field of keyLength - 5 bytes (length byte, at most keyLength - 6
    // characters, zero filler; all zeros when the name is not Mac OS Roman).
    std::vector<Bytes> dataBlockArray() const;
};

}  // namespace zorv
