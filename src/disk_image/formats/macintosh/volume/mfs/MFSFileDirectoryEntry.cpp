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

std::vector<FinderFlag> MFSFileDirectoryEntry::finderFlags(int64_t fdFlags) {
    std::vector<FinderFlag> set;
    for (FinderFlag flag : allFinderFlags()) {
        // Sign-extended, so the two negative folder numbers never match a
        // 16-bit word.
        const auto mask = static_cast<int64_t>(static_cast<int>(flag));
        if ((fdFlags & mask) == mask) set.push_back(flag);
    }
    return set;
}

}  // namespace zorv
