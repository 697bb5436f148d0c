#include "disk_image/formats/macintosh/volume/hfs/ExtKeyRec.hpp"

#include <string_view>

#include "data_access/FieldEncoder.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

ExtKeyRec::ExtKeyRec(const ImageBytes& data) {
    HFSReaderBlock reader(data.slice(0, size));
    xkrKeyLen = reader.getUnsignedByte();
    xkrFkType = reader.getUnsignedByte();
    xkrFNum = reader.getLongInteger();
    xkrFABN = reader.getInteger();
}

Bytes ExtKeyRec::keyOnly() const { return joinChunks({signedByte(xkrFkType), longInteger(xkrFNum), integer(xkrFABN)}); }

std::vector<Bytes> ExtKeyRec::dataBlockArray() const {
    return {signedByte(xkrKeyLen), signedByte(xkrFkType), longInteger(xkrFNum), integer(xkrFABN)};
}

}  // namespace zorv

size_t std::hash<zorv::ExtKeyRec>::operator()(const zorv::ExtKeyRec& key) const noexcept {
    try {
        const zorv::Bytes bytes = key.keyOnly();
        return std::hash<std::string_view>()(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (...) {
        // A key whose fields do not fit their widths has no stored form.
        return 0;
    }
}
