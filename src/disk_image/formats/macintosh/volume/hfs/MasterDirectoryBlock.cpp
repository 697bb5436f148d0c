#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "data_access/CheckedMath.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

namespace {

std::array<ExtDescriptor, 3> extentRecord(const std::vector<ExtDescriptor>& extents) {
    return {extents.at(0), extents.at(1), extents.at(2)};
}

Bytes extentRecordBytes(const std::array<ExtDescriptor, 3>& extents) {
    return extDescArray({extents.begin(), extents.end()});
}

}  // namespace

MasterDirectoryBlock::MasterDirectoryBlock(const ImageBytes& block) : BlockStructureDefinable(512, block) {
    // A never-initialised volume reads as zeros: that is told apart from a
    // volume of another format, which fails the signature test below.
    if (std::all_of(block.begin(), block.end(), [](uint8_t byte) { return byte == 0; })) {
        throw MasterDirectoryBlockError(MasterDirectoryBlockError::Case::unformattedPartition);
    }
    HFSReaderBlock reader(block);
    reader.getAndCheckSignature(ByteView(hfsVolumeSignature),
                                MasterDirectoryBlockError(MasterDirectoryBlockError::Case::invalidMDBPartitionSignature));
    drCrDate = reader.getDateFromMacintoshIntegerValue();
    drLsMod = reader.getDateFromMacintoshIntegerValue();
    drAtrb = reader.getInteger();
    drNmFls = reader.getInteger();
    drVBMSt = reader.getInteger();
    drAllocPtr = reader.getInteger();
    drNmAlBlks = reader.getInteger();
    drAlBlkSiz = reader.getLongInteger();
    drClpSiz = reader.getLongInteger();
    drAlBlSt = reader.getInteger();
    drNxtCNID = reader.getLongInteger();
    drFreeBks = reader.getInteger();
    drVN = reader.getLengthByteString(maximumNameLength + 1);
    drVolBkUp = reader.getDateFromMacintoshIntegerValue();
    drVSeqNum = reader.getInteger();
    drWrCnt = reader.getLongInteger();
    drXTClpSiz = reader.getLongInteger();
    drCTClpSiz = reader.getLongInteger();
    drNmRtDirs = reader.getInteger();
    drFilCnt = reader.getLongInteger();
    drDirCnt = reader.getLongInteger();
    for (auto& value : drFndrInfo) value = reader.getLongInteger();
    drVCSize = reader.getInteger();
    drVBMCSize = reader.getInteger();
    drCtlCSize = reader.getInteger();
    drXTFlSize = reader.getLongInteger();
    drXTExtRec = extentRecord(reader.getExtDescArray());
    drCTFlSize = reader.getLongInteger();
    drCTExtRec = extentRecord(reader.getExtDescArray());
}

MasterDirectoryBlock::MasterDirectoryBlock(int64_t volumeBlockCount, std::string_view volumeName, int64_t blockSize,
                                           Date now)
    : BlockStructureDefinable(blockSize, ImageBytes()) {
    if (blockSize != blankVolumeBlockSize) {
        throw std::invalid_argument("a blank HFS volume is laid out in 512-byte blocks, not " +
                                    std::to_string(blockSize));
    }
    if (volumeBlockCount < minimumBlankVolumeBlocks) {
        throw MasterDirectoryBlockError(MasterDirectoryBlockError::Case::volumeTooSmall, volumeBlockCount);
    }
    if (volumeBlockCount > maximumBlankVolumeBlocks) {
        throw MasterDirectoryBlockError(MasterDirectoryBlockError::Case::volumeTooLarge, volumeBlockCount);
    }
    const int64_t n = volumeBlockCount;
    const int64_t b = blockSize;
    drCrDate = now;
    drLsMod = now;
    drVolBkUp = now;
    drVN = std::string(volumeName);

    // Allocation block multiplier: the volume's size in MiB times 2000 over
    // 65536, rounded up. With 2000 rather than 2048 the count of allocation
    // blocks can pass 65535 just above each step of the multiplier (65 MiB:
    // 66,549); the written count is then capped at 65535.
    const int64_t volumeBytes = checked::mul(n, b);
    const double mebibytes = static_cast<double>(volumeBytes) / 1024.0 / 1024.0;
    const auto multiplier = static_cast<int64_t>(std::ceil(mebibytes * 2000.0 / 65536.0));
    drAlBlkSiz = checked::mul(multiplier, b);

    // The bitmap starts at sector 3 and the allocation blocks right after it.
    const int64_t bitmapBytes = volumeBytes / checked::mul(8, drAlBlkSiz);
    drAlBlSt = static_cast<int64_t>(std::ceil(static_cast<double>(bitmapBytes) / static_cast<double>(b))) + 3;
    // The last two blocks (the alternate MDB and the one after it) stay
    // outside the allocation blocks.
    const int64_t allocatable = n - drAlBlSt - 2;
    drNmAlBlks = static_cast<int64_t>(
        std::floor(static_cast<double>(allocatable) / static_cast<double>(drAlBlkSiz / b)));

    // The extents overflow file, then the catalog file, each take c
    // allocation blocks from block 0 on.
    const int64_t clumpBlocks = std::max<int64_t>(drNmAlBlks / 128, 8);
    drClpSiz = checked::mul(4, drAlBlkSiz);
    drFreeBks = drNmAlBlks - 2 * clumpBlocks;
    drXTExtRec = {ExtDescriptor(0, clumpBlocks), ExtDescriptor(), ExtDescriptor()};
    drCTExtRec = {ExtDescriptor(clumpBlocks, clumpBlocks), ExtDescriptor(), ExtDescriptor()};
    // Each file's length and clump size is exactly the space its extent
    // gives it, as HFS formatters write it and disk checkers expect.
    const int64_t treeFileBytes = checked::mul(clumpBlocks, drAlBlkSiz);
    drXTFlSize = treeFileBytes;
    drCTFlSize = treeFileBytes;
    drXTClpSiz = treeFileBytes;
    drCTClpSiz = treeFileBytes;
}

std::map<int64_t, Bytes> MasterDirectoryBlock::newVolumeHeaderBlocks(int64_t volumeBlockCount,
                                                                     std::string_view volumeName, int64_t blockSize,
                                                                     Date now) {
    const MasterDirectoryBlock header(volumeBlockCount, volumeName, blockSize, now);
    const Bytes bytes = header.dataBlock();
    // Both copies come from the one record, so they carry the same dates.
    return {{sectorInVolume, bytes}, {volumeBlockCount - 2, bytes}};
}

std::vector<Bytes> MasterDirectoryBlock::dataBlockArray() const {
    constexpr int64_t maximumCount = 0xFFFF;
    return {
        Bytes(drSigWord.begin(), drSigWord.end()),
        longInteger(HFSReaderBlock::macintoshIntegerValue(drCrDate)),
        longInteger(HFSReaderBlock::macintoshIntegerValue(drLsMod)),
        integer(drAtrb),
        integer(drNmFls),
        integer(drVBMSt),
        integer(drAllocPtr),
        integer(std::min(drNmAlBlks, maximumCount)),
        longInteger(drAlBlkSiz),
        longInteger(drClpSiz),
        integer(drAlBlSt),
        longInteger(drNxtCNID),
        integer(std::min(drFreeBks, maximumCount)),
        lengthByteString(drVN, maximumNameLength),
        longInteger(HFSReaderBlock::macintoshIntegerValue(drVolBkUp)),
        integer(drVSeqNum),
        longInteger(drWrCnt),
        longInteger(drXTClpSiz),
        longInteger(drCTClpSiz),
        integer(drNmRtDirs),
        longInteger(drFilCnt),
        longInteger(drDirCnt),
        longIntegerArray(drFndrInfo),
        integer(drVCSize),
        integer(drVBMCSize),
        integer(drCtlCSize),
        longInteger(drXTFlSize),
        extentRecordBytes(drXTExtRec),
        longInteger(drCTFlSize),
        extentRecordBytes(drCTExtRec),
        Bytes(static_cast<size_t>(writtenSize - recordSize), 0),
    };
}

}  // namespace zorv
