#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafRecord.hpp"

#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

HFSCatalogLeafRecord::HFSCatalogLeafRecord(const BTreeNodeRecord& record) : key(record.recordKey) {
    const bool hasPadByte = record.keyLength % 2 == 0 && !record.recordData.empty();
    data = HFSCatalogLeafData(hasPadByte ? record.recordData.sliceFrom(1) : record.recordData);
}

std::vector<Bytes> HFSCatalogLeafRecord::dataBlockArray() const {
    std::vector<Bytes> chunks{key.dataBlock()};
    if (key.keyLength % 2 == 0) chunks.push_back(Bytes{0});
    chunks.push_back(data.dataBlock());
    return chunks;
}

const HFSCatalogLeafData::FileRecord* HFSCatalogLeafRecord::fileRecord() const {
    if (data.leafType != LeafType::file || !data.fileRecord) return nullptr;
    return &*data.fileRecord;
}

const HFSCatalogLeafData::FolderRecord* HFSCatalogLeafRecord::folderRecord() const {
    if (data.leafType != LeafType::directory || !data.directoryRecord) return nullptr;
    return &*data.directoryRecord;
}

std::string HFSCatalogLeafRecord::name() const { return key.nodeName; }

std::optional<int64_t> HFSCatalogLeafRecord::logicalSizeInBytes() const {
    const auto* file = fileRecord();
    if (file == nullptr) return std::nullopt;
    return file->filLgLen + file->filRLgLen;
}

std::optional<int64_t> HFSCatalogLeafRecord::physicalSizeInBytes() const {
    const auto* file = fileRecord();
    if (file == nullptr) return std::nullopt;
    return file->filPyLen + file->filRPyLen;
}

std::optional<Date> HFSCatalogLeafRecord::creationDate() const {
    if (const auto* file = fileRecord()) return file->filCrDat;
    if (const auto* folder = folderRecord()) return folder->dirCrDat;
    return HFSReaderBlock::epoch();
}

std::optional<Date> HFSCatalogLeafRecord::modificationDate() const {
    if (const auto* file = fileRecord()) return file->filMdDat;
    if (const auto* folder = folderRecord()) return folder->dirMdDat;
    return HFSReaderBlock::epoch();
}

bool HFSCatalogLeafRecord::isFolder() const { return data.leafType == LeafType::directory; }

std::vector<FinderFlag> HFSCatalogLeafRecord::finderFlags(int64_t flagsWord) { return finderFlagsOf(flagsWord); }

std::optional<std::vector<FinderFlag>> HFSCatalogLeafRecord::flags() const {
    if (const auto* file = fileRecord()) return finderFlags(file->filUsrWds.fdFlags);
    if (const auto* folder = folderRecord()) return finderFlags(folder->dirUsrInfo.frFlags);
    return std::nullopt;
}

std::optional<std::string> HFSCatalogLeafRecord::kind() const {
    const auto* file = fileRecord();
    if (file == nullptr) return std::nullopt;
    return file->filUsrWds.fdType.typeName();
}

std::optional<OSType> HFSCatalogLeafRecord::type() const {
    const auto* file = fileRecord();
    if (file == nullptr) return std::nullopt;
    return file->filUsrWds.fdType;
}

std::optional<OSType> HFSCatalogLeafRecord::creator() const {
    const auto* file = fileRecord();
    if (file == nullptr) return std::nullopt;
    return file->filUsrWds.fdCreator;
}

std::optional<uint64_t> HFSCatalogLeafRecord::itemIdentifier() const {
    if (const auto* file = fileRecord()) return static_cast<uint64_t>(file->filFlNum);
    if (const auto* folder = folderRecord()) return static_cast<uint64_t>(folder->dirDirID);
    return std::nullopt;
}

}  // namespace zorv
