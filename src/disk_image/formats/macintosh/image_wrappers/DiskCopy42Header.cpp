#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42Header.hpp"

#include <algorithm>

#include "data_access/CheckedMath.hpp"
#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

DiskCopy42Header::DiskCopy42Header(const ImageBytes& file) {
    const ImageBytes header = file.slice(0, headerSize);
    const int64_t nameLength = std::min<int64_t>(header[0], maximumNameLength);
    diskName = decodeText(header.slice(1, nameLength), encoding).value_or(std::string());

    HFSReaderBlock reader(header, dataSizeOffset);
    dataSize = reader.getLongInteger();
    tagSize = reader.getLongInteger();
    dataChecksum = reader.getLongInteger();
    tagChecksum = reader.getLongInteger();
    diskFormat = reader.getUnsignedByte();
    formatByte = reader.getUnsignedByte();
    privateWord = reader.getInteger();
}

uint32_t DiskCopy42Header::checksum(ByteView bytes) {
    uint32_t sum = 0;
    for (size_t index = 0; index + 1 < bytes.size(); index += 2) {
        sum += static_cast<uint32_t>(bytes[index] << 8 | bytes[index + 1]);
        sum = sum >> 1 | sum << 31;
    }
    return sum;
}

bool DiskCopy42Header::checksumsMatch(const ImageBytes& file) const {
    const auto fileSize = static_cast<int64_t>(file.size());
    if (!checked::rangeFits(headerSize, dataSize, fileSize)) return false;
    const int64_t tagsStart = headerSize + dataSize;
    if (!checked::rangeFits(tagsStart, tagSize, fileSize)) return false;
    const ByteView data = file.view().subspan(headerSize, static_cast<size_t>(dataSize));
    ByteView tags = file.view().subspan(static_cast<size_t>(tagsStart), static_cast<size_t>(tagSize));
    tags = tags.subspan(std::min<size_t>(tags.size(), uncheckedTagBytes));
    return checksum(data) == dataChecksum && checksum(tags) == tagChecksum;
}

std::vector<Bytes> DiskCopy42Header::dataBlockArray() const {
    return {
        lengthByteString(diskName, maximumNameLength),
        longInteger(dataSize),
        longInteger(tagSize),
        longInteger(dataChecksum),
        longInteger(tagChecksum),
        signedByte(diskFormat),
        signedByte(formatByte),
        integer(privateWord),
    };
}

}  // namespace zorv
