#include "disk_image/formats/macintosh/volume/btree/BTreeNodeRecord.hpp"

#include <string>

#include "data_access/ByteHelpers.hpp"
#include "data_access/CheckedMath.hpp"
#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/btree/BTreeError.hpp"

namespace zorv {

BTreeNodeRecord::BTreeNodeRecord(const ImageBytes& block, bool hasLongKey, std::optional<int64_t> maxKeyLength) {
    const int64_t fieldWidth = hasLongKey ? 2 : 1;
    const auto size = static_cast<int64_t>(block.size());
    if (size < fieldWidth) throw BTreeError(BTreeError::Case::keyOutsideRecord);

    keyLength = hasLongKey ? int64_t{fromBigEndian(block.view().first(2))} : int64_t{block[0]};
    if (keyLength == 0) return;  // deleted
    if (!checked::rangeFits(fieldWidth, keyLength, size)) throw BTreeError(BTreeError::Case::keyOutsideRecord);

    const int64_t keyEnd = fieldWidth + keyLength;
    recordData = block.sliceFrom(keyEnd);
    if (!maxKeyLength) {
        // The stored length field and the key are already contiguous.
        recordKey = block.slice(0, keyEnd);
        return;
    }
    if (*maxKeyLength < 0 || *maxKeyLength > 0xFFFF) {
        throw ValueOutOfRangeError("B-tree maximum key length " + std::to_string(*maxKeyLength));
    }
    Bytes key;
    key.reserve(static_cast<size_t>(2 + keyLength));
    key.push_back(static_cast<uint8_t>(*maxKeyLength >> 8));
    key.push_back(static_cast<uint8_t>(*maxKeyLength & 0xFF));
    const ImageBytes storedKey = block.slice(fieldWidth, keyLength);
    key.insert(key.end(), storedKey.begin(), storedKey.end());
    recordKey = ImageBytes(std::move(key));
}

}  // namespace zorv
