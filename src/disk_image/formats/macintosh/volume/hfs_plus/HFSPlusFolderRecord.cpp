#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusFolderRecord.hpp"

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusFolderRecord::HFSPlusFolderRecord(const ImageBytes& data) {
    HFSPlusReaderBlock reader(data.slice(0, size));
    flags = reader.getInteger();
    valence = reader.getLongInteger();
    folderID = reader.getLongInteger();
    createDate = reader.getDateFromMacintoshIntegerValue();
    contentModDate = reader.getDateFromMacintoshIntegerValue();
    attributeModDate = reader.getDateFromMacintoshIntegerValue();
    accessDate = reader.getDateFromMacintoshIntegerValue();
    backupDate = reader.getDateFromMacintoshIntegerValue();
    permissions = HFSPlusBSDInfo(reader.getDataBlock(HFSPlusBSDInfo::size));
    userInfo = HFSPlusFolderInfo(reader.getDataBlock(HFSPlusFolderInfo::size));
    finderInfo = HFSPlusExtendedFolderInfo(reader.getDataBlock(HFSPlusExtendedFolderInfo::size));
    textEncoding = reader.getLongInteger();
    reserved = reader.getLongInteger();
}

std::vector<Bytes> HFSPlusFolderRecord::dataBlockArray() const {
    const auto date = [](Date value) { return longInteger(HFSPlusReaderBlock::macintoshIntegerValue(value)); };
    return {integer(flags),        longInteger(valence),    longInteger(folderID), date(createDate),
            date(contentModDate),  date(attributeModDate),  date(accessDate),      date(backupDate),
            permissions.dataBlock(), userInfo.dataBlock(),  finderInfo.dataBlock(), longInteger(textEncoding),
            longInteger(reserved)};
}

}  // namespace zorv
