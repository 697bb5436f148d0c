#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFileRecord.hpp"

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusFileRecord::HFSPlusFileRecord(const ImageBytes& data, int64_t blockSize) {
    HFSPlusReaderBlock reader(data.slice(0, size));
    flags = reader.getInteger();
    reserved1 = reader.getLongInteger();
    fileID = reader.getLongInteger();
    createDate = reader.getDateFromMacintoshIntegerValue();
    contentModDate = reader.getDateFromMacintoshIntegerValue();
    attributeModDate = reader.getDateFromMacintoshIntegerValue();
    accessDate = reader.getDateFromMacintoshIntegerValue();
    backupDate = reader.getDateFromMacintoshIntegerValue();
    permissions = HFSPlusBSDInfo(reader.getDataBlock(HFSPlusBSDInfo::size));
    userInfo = HFSPlusFileInfo(reader.getDataBlock(HFSPlusFileInfo::size));
    finderInfo = HFSPlusExtendedFileInfo(reader.getDataBlock(HFSPlusExtendedFileInfo::size));
    textEncoding = reader.getLongInteger();
    reserved2 = reader.getLongInteger();
    dataFork = HFSPlusForkDataStucture(reader.getDataBlock(HFSPlusForkDataStucture::size), blockSize);
    resourceFork = HFSPlusForkDataStucture(reader.getDataBlock(HFSPlusForkDataStucture::size), blockSize);
}

std::vector<Bytes> HFSPlusFileRecord::dataBlockArray() const {
    const auto date = [](Date value) { return longInteger(HFSPlusReaderBlock::macintoshIntegerValue(value)); };
    return {integer(flags),          longInteger(reserved1),  longInteger(fileID),       date(createDate),
            date(contentModDate),    date(attributeModDate),  date(accessDate),          date(backupDate),
            permissions.dataBlock(), userInfo.dataBlock(),    finderInfo.dataBlock(),    longInteger(textEncoding),
            longInteger(reserved2),  dataFork.dataBlock(),    resourceFork.dataBlock()};
}

}  // namespace zorv
