#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeHeader.hpp"

#include <algorithm>

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"

namespace zorv {

HFSPlusVolumeHeader::HFSPlusVolumeHeader(const ImageBytes& block) {
    structureData = block;
    if (std::all_of(block.begin(), block.end(), [](uint8_t byte) { return byte == 0; })) {
        throw HFSPlusVolumeHeaderError(HFSPlusVolumeHeaderError::Case::unformattedPartition);
    }

    HFSPlusReaderBlock reader(block);
    signature = reader.getAndCheckSignature(
        hfsPlusVolumeSignature,
        HFSPlusVolumeHeaderError(HFSPlusVolumeHeaderError::Case::invalidVolumeHeaderPartitionSignature));
    block.slice(0, size);  // the whole record must be present before any field is taken

    version = reader.getInteger();
    attributes = VolumeAttributes(reader.getLongInteger());
    lastMountedVersion = reader.getLongInteger();
    journalInfoBlock = reader.getLongInteger();
    createDate = reader.getLocalDateFromMacintoshIntegerValue();
    modifyDate = reader.getDateFromMacintoshIntegerValue();
    backupDate = reader.getDateFromMacintoshIntegerValue();
    checkedDate = reader.getDateFromMacintoshIntegerValue();
    fileCount = reader.getLongInteger();
    folderCount = reader.getLongInteger();
    blockSize = reader.getLongInteger();
    totalBlocks = reader.getLongInteger();
    freeBlocks = reader.getLongInteger();
    nextAllocation = reader.getLongInteger();
    rsrcClumpSize = reader.getLongInteger();
    dataClumpSize = reader.getLongInteger();
    nextCatalogID = reader.getLongInteger();
    writeCount = reader.getLongInteger();
    encodingsBitmap = reader.getLongLongInteger();
    const auto finder = reader.getLongIntegerArray(8);
    std::copy(finder.begin(), finder.end(), finderInfo.begin());

    for (HFSPlusForkDataStucture* fork : {&allocationFile, &extentsFile, &catalogFile, &attributesFile, &startupFile}) {
        *fork = HFSPlusForkDataStucture(reader.getDataBlock(HFSPlusForkDataStucture::size), blockSize);
    }
}

HFSPlusVolumeHeader::HFSPlusVolumeHeader(int64_t volumeBlockCount, std::string_view /*volumeName*/,
                                         int64_t blockSize, Date now)
    : createDate(now),
      totalBlocks(volumeBlockCount),
      allocationFile(blockSize),
      extentsFile(blockSize),
      catalogFile(blockSize),
      attributesFile(blockSize),
      startupFile(blockSize) {
    this->blockSize = blockSize;
}

std::map<int64_t, Bytes> HFSPlusVolumeHeader::blocksForNewVolume(int64_t sizeInBlocks, std::string_view volumeName,
                                                                 int64_t blockSize, Date now) {
    if (sizeInBlocks < minimumBlankVolumeBlocks || sizeInBlocks > maximumBlankVolumeBlocks) {
        throw HFSPlusVolumeHeaderError(HFSPlusVolumeHeaderError::Case::invalidVolumeSize, sizeInBlocks);
    }
    const Bytes header = HFSPlusVolumeHeader(sizeInBlocks, volumeName, blockSize, now).dataBlock();
    return {{2, header}, {sizeInBlocks - 2, header}};
}

bool HFSPlusVolumeHeader::isValidAllocationBlockSize(int64_t blockSize) {
    return blockSize >= 512 && (blockSize & (blockSize - 1)) == 0;
}

std::vector<Bytes> HFSPlusVolumeHeader::dataBlockArray() const {
    const auto date = [](Date value) { return longInteger(HFSPlusReaderBlock::macintoshIntegerValue(value)); };
    return {
        signature,
        integer(version),
        longInteger(attributes.rawValue),
        longInteger(lastMountedVersion),
        longInteger(journalInfoBlock),
        longInteger(HFSPlusReaderBlock::localMacintoshIntegerValue(createDate)),
        date(modifyDate),
        date(backupDate),
        date(checkedDate),
        longInteger(fileCount),
        longInteger(folderCount),
        longInteger(blockSize),
        longInteger(totalBlocks),
        longInteger(freeBlocks),
        longInteger(nextAllocation),
        longInteger(rsrcClumpSize),
        longInteger(dataClumpSize),
        longInteger(nextCatalogID),
        longInteger(writeCount),
        longLongInteger(encodingsBitmap),
        longIntegerArray(finderInfo),
        allocationFile.dataBlock(),
        extentsFile.dataBlock(),
        catalogFile.dataBlock(),
        attributesFile.dataBlock(),
        startupFile.dataBlock(),
    };
}

}  // namespace zorv
