#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogKey.hpp"

#include <algorithm>

#include "data_access/Errors.hpp"
#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusCatalogKey::HFSPlusCatalogKey(const ImageBytes& keyBytes) {
    HFSPlusReaderBlock reader(keyBytes);
    keyLength = reader.getInteger();
    if (keyLength < minimumKeyLength) {
        throw ValueOutOfRangeError("HFS+ catalog key length below 6: " + std::to_string(keyLength));
    }
    // Read inside the key only, whatever follows it in the bytes given.
    HFSPlusReaderBlock key(keyBytes.slice(0, 2 + keyLength), 2);
    parentID = key.getLongInteger();
    nodeName = key.getLengthByteString(keyLength - 4);
}

HFSPlusCatalogKey HFSPlusCatalogKey::forName(int64_t parentID, std::string nodeName) {
    const Bytes units = encodeText(nodeName, TextEncoding::utf16BigEndian).value_or(Bytes());
    return HFSPlusCatalogKey(minimumKeyLength + static_cast<int64_t>(units.size()), parentID, std::move(nodeName));
}

std::vector<Bytes> HFSPlusCatalogKey::dataBlockArray() const {
    if (keyLength < minimumKeyLength) throw FieldEncodingError("HFS+ catalog key length below 6");
    const auto room = static_cast<size_t>(keyLength - minimumKeyLength);
    Bytes units = encodeText(nodeName, TextEncoding::utf16BigEndian).value_or(Bytes());
    if (units.size() > room) {
        size_t cut = room & ~size_t{1};
        // Never keep the high half of a surrogate pair without its low half.
        if (cut >= 2 && units[cut - 2] >= 0xD8 && units[cut - 2] <= 0xDB) cut -= 2;
        units.resize(cut);
    }
    const auto count = static_cast<int64_t>(units.size() / 2);
    Bytes name = integer(count);
    name.insert(name.end(), units.begin(), units.end());
    name.resize(2 + room, 0);
    return {integer(keyLength), longInteger(parentID), std::move(name)};
}

std::string HFSPlusCatalogKey::canonicallyComposed(std::string_view name) { return zorv::canonicallyComposed(name); }

std::strong_ordering HFSPlusCatalogKey::compareNodeNames(std::string_view a, std::string_view b) {
    // UTF-8 compared byte by byte (as unsigned) orders like the code points it spells.
    return canonicallyComposed(a) <=> canonicallyComposed(b);
}

}  // namespace zorv
