#include "disk_image/formats/amiga/adf/ADFDiskRootBlock.hpp"

#include "disk_image/formats/amiga/AmigaChecksum.hpp"
#include "disk_image/formats/amiga/AmigaReaderBlock.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBitmap.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskRootBlockError.hpp"

namespace zorv {
namespace {

[[noreturn]] void invalid() { throw ADFDiskRootBlockError(ADFDiskRootBlockError::Case::invalidRootBlock); }

}  // namespace

ADFDiskRootBlock::ADFDiskRootBlock(const ImageBytes& block) {
    AmigaReaderBlock reader(block.slice(0, 512));
    if (adfDiskBlockType(reader.getLongInteger()) != ADFDiskBlockType::T_HEADER) invalid();
    headerKey = reader.getLongInteger();
    highSeq = reader.getLongInteger();
    htSize = reader.getLongInteger();
    firstData = reader.getLongInteger();
    checksum = reader.getLongInteger();
    for (auto& slot : ht) slot = reader.getLongInteger();
    bmFlag = reader.getSignedLongInteger();
    for (auto& page : bmPages) page = reader.getLongInteger();
    bmExt = reader.getLongInteger();
    rootDate = reader.getAmigaDate();
    diskName = reader.getBCPLString(nameFieldLength);
    reader.offset += 1 + 8;
    volumeDate = reader.getAmigaDate();
    creationDate = reader.getAmigaDate();
    nextHash = reader.getLongInteger();
    parentDir = reader.getLongInteger();
    ext = reader.getLongInteger();
    if (adfSecondaryType(reader.getSignedLongInteger()) != ADFSecondaryType::ST_ROOT) invalid();
}

ADFDiskRootBlock::ADFDiskRootBlock(const std::string& name, const ADFDiskBitmap& bitmap) : diskName(name) {
    const AmigaDateComponents now = AmigaDateComponents::fromDate(Date::now());
    rootDate = volumeDate = creationDate = now;
    const std::vector<int64_t> pages = bitmap.bitmapLocationGroups().front();
    std::copy(pages.begin(), pages.end(), bmPages.begin());
    bmExt = bitmap.firstExtension();
    checksum = AmigaChecksum::blockChecksum(dataBlock());
}

std::vector<Bytes> ADFDiskRootBlock::dataBlockArray() const {
    const auto date = [](const AmigaDateComponents& d) {
        return longIntegerArray(std::array<int64_t, 3>{d.days, d.minutes, d.ticks});
    };
    return {longInteger(rawValue(type)),
            longInteger(headerKey),
            longInteger(highSeq),
            longInteger(htSize),
            longInteger(firstData),
            longInteger(checksum),
            longIntegerArray(ht),
            signedLongInteger(bmFlag),
            longIntegerArray(bmPages),
            longInteger(bmExt),
            date(rootDate),
            lengthByteString(diskName, nameFieldLength - 1),
            Bytes(1, 0),
            Bytes(8, 0),
            date(volumeDate),
            date(creationDate),
            longInteger(nextHash),
            longInteger(parentDir),
            longInteger(ext),
            signedLongInteger(rawValue(secType))};
}

}  // namespace zorv
