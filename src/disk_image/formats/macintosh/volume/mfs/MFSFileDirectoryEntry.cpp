#include "disk_image/formats/macintosh/volume/mfs/MFSFileDirectoryEntry.hpp"

namespace zorv {

MFSFileDirectoryEntry::MFSFileDirectoryEntry(HFSReaderBlock& reader) {
    // The fixed part and the name length byte first, so that a cut entry
    // throws before anything is read.
    reader.data.slice(reader.offset, fixedSize + 1);
    flFlags = reader.getUnsignedByte();
    flTyp = reader.getUnsignedByte();
    flUsrWds = HFSFInfo(reader.getDataBlock(HFSFInfo::size));
    flFlNum = reader.getLongInteger();
    flStBlk = reader.getInteger();
    flLgLen = reader.getLongInteger();
    flPyLen = reader.getLongInteger();
    flRStBlk = reader.getInteger();
    flRLgLen = reader.getLongInteger();
    flRPyLen = reader.getLongInteger();
    flCrDat = reader.getDateFromMacintoshIntegerValue();
    flMdDat = reader.getDateFromMacintoshIntegerValue();
    flNam = reader.getLengthByteStringNoPadding();
}

std::vector<FinderFlag> MFSFileDirectoryEntry::finderFlags(int64_t fdFlags) { return finderFlagsOf(fdFlags); }

}  // namespace zorv
