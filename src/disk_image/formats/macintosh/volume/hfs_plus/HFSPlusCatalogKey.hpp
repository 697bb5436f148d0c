#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data_access/Bytes.hpp"
#include "data_access/ImageBytes.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusBlockable.hpp"

namespace zorv {

// The key of an HFS+ catalog record: the catalog ID of the folder that holds
// the item and the item's name. On disk: u16 keyLength (the bytes after
// itself, 6 + 2n for a name of n UTF-16 code units), u32 parentID, u16 n,
// then the n code units big-endian. The record body follows the key with no
// alignment byte.
struct HFSPlusCatalogKey : HFSPlusBlockable<HFSPlusCatalogKey> {
    // The smallest key: parent ID and the name's count.
    static constexpr int64_t minimumKeyLength = 6;

    int64_t keyLength = minimumKeyLength;
    int64_t parentID = 0;
    std::string nodeName;

    HFSPlusCatalogKey() = default;
    HFSPlusCatalogKey(int64_t keyLength, int64_t parentID, std::string nodeName)
        : keyLength(keyLength), parentID(parentID), nodeName(std::move(nodeName)) {}

    // Decodes the key bytes a B-tree leaf record yields: the u16 key length,
    // then the key. Only the keyLength bytes after the length field are
    // read. Throws ValueOutOfRangeError when the key length is below 6 (such
    // a key has no room for its fields) and ReadPastEndError when the bytes
    // are shorter than the key length says or the name's count reaches past
    // the key. A name that is not valid UTF-16 reads as the empty text.
    explicit HFSPlusCatalogKey(const ImageBytes& keyBytes);

    // The key with its name's length in keyLength (6 + 2n).
    static HFSPlusCatalogKey forName(int64_t parentID, std::string nodeName);

    // Three chunks: keyLength (u16); parentID (u32); the name as a u16 count
    // and big-endian code units in exactly keyLength - 6 bytes, so the key
    // takes keyLength + 2 bytes: a longer name is cut after its last whole
    // character that fits, a shorter one is followed by zero bytes, and the
    // count is the number of code units written. A name that is not valid
    // UTF-8 writes as the count 0. A key length below 6 throws
    // FieldEncodingError.
    std::vector<Bytes> dataBlockArray() const;

    // The name in Unicode canonical composition (NFC, through ICU), as
    // UTF-8; the name unchanged when ICU's composer cannot be had. Invalid
    // UTF-8 (never produced by the name reader) turns into U+FFFD.
    static std::string canonicallyComposed(std::string_view name);
    // The order of the children of a folder: names compared scalar by scalar
    // after canonical composition, case-sensitive (so "Z" before "a"), a
    // prefix before the longer name. This is not the case-insensitive order
    // of the catalog B-tree itself. Callers sorting many names compose each
    // one once and compare the results with std::string's own ordering,
    // which is the same order.
    static std::strong_ordering compareNodeNames(std::string_view a, std::string_view b);

    friend bool operator==(const HFSPlusCatalogKey& a, const HFSPlusCatalogKey& b) {
        return a.keyLength == b.keyLength && a.parentID == b.parentID && a.nodeName == b.nodeName;
    }
};

}  // namespace zorv
