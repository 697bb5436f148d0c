#include "disk_image/formats/macintosh/volume/mfs/MFSMasterDirectoryBlock.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSError.hpp"

namespace zorv {

MFSMasterDirectoryBlock::MFSMasterDirectoryBlock(const ImageBytes& block) {
    HFSReaderBlock reader(block);
    reader.getAndCheckSignature(ByteView(signature), MFSError(MFSError::Case::invalidSignature));
    // The whole record must be there before any field is read.
    reader.data.slice(0, recordSize);
    drCrDate = reader.getDateFromMacintoshIntegerValue();
    drLsBkUp = reader.getDateFromMacintoshIntegerValue();
    drAtrb = reader.getInteger();
    drNmFls = reader.getInteger();
    drDirSt = reader.getInteger();
    drBlLen = reader.getInteger();
    drNmAlBlks = reader.getInteger();
    drAlBlkSiz = reader.getLongInteger();
    drClpSiz = reader.getLongInteger();
    drAlBlSt = reader.getInteger();
    drNxtFNum = reader.getLongInteger();
    drFreeBks = reader.getInteger();
    drVN = reader.getLengthByteString(nameFieldSize);
}

std::vector<Bytes> MFSMasterDirectoryBlock::dataBlockArray() const { return {Bytes(512, 0), Bytes(512, 0)}; }

}  // namespace zorv
