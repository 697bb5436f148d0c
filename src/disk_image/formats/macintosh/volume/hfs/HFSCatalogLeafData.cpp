#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafData.hpp"

#include <string>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"

namespace zorv {

namespace {

// The name field of a thread record: a length byte and at most 31 bytes.
constexpr int64_t threadNameFieldSize = 32;
constexpr int64_t threadNameMaximum = threadNameFieldSize - 1;
// Where the name's length byte lies in a thread body (after the reserved
// words and the parent ID).
constexpr int64_t threadNameOffset = 12;

// The stored form of a date: its wall-clock time as seconds since 1904.
int64_t storedDate(Date date) { return HFSReaderBlock::macintoshIntegerValue(date); }

}  // namespace

std::optional<HFSCatalogLeafData::LeafType> HFSCatalogLeafData::leafTypeFromRawValue(int64_t rawValue) {
    if (rawValue < 1 || rawValue > 5) return std::nullopt;
    return static_cast<LeafType>(rawValue);
}

HFSCatalogLeafData::FolderRecord::FolderRecord(const ImageBytes& data) {
    HFSReaderBlock reader(data.slice(0, bodySize));
    dirFlags = reader.getInteger();
    dirVal = reader.getInteger();
    dirDirID = reader.getLongInteger();
    dirCrDat = reader.getDateFromMacintoshIntegerValue();
    dirMdDat = reader.getDateFromMacintoshIntegerValue();
    dirBkDat = reader.getDateFromMacintoshIntegerValue();
    dirUsrInfo = HFSDInfo(reader.getDataBlock(HFSDInfo::size));
    dirFndrInfo = HFSDXInfo(reader.getDataBlock(HFSDXInfo::size));
    for (auto& word : dirResrv) word = reader.getLongInteger();
}

std::vector<Bytes> HFSCatalogLeafData::FolderRecord::dataBlockArray() const {
    return {integer(dirFlags),
            integer(dirVal),
            longInteger(dirDirID),
            longInteger(storedDate(dirCrDat)),
            longInteger(storedDate(dirMdDat)),
            longInteger(storedDate(dirBkDat)),
            dirUsrInfo.dataBlock(),
            dirFndrInfo.dataBlock(),
            longIntegerArray(dirResrv)};
}

HFSCatalogLeafData::FileRecord::FileRecord(const ImageBytes& data) {
    HFSReaderBlock reader(data.slice(0, bodySize));
    filFlags = reader.getUnsignedByte();
    filTyp = reader.getUnsignedByte();
    filUsrWds = HFSFInfo(reader.getDataBlock(HFSFInfo::size));
    filFlNum = reader.getLongInteger();
    filStBlk = reader.getInteger();
    filLgLen = reader.getLongInteger();
    filPyLen = reader.getLongInteger();
    filRStBlk = reader.getInteger();
    filRLgLen = reader.getLongInteger();
    filRPyLen = reader.getLongInteger();
    filCrDat = reader.getDateFromMacintoshIntegerValue();
    filMdDat = reader.getDateFromMacintoshIntegerValue();
    filBkDat = reader.getDateFromMacintoshIntegerValue();
    filFndrInfo = HFSFXInfo(reader.getDataBlock(HFSFXInfo::size));
    filClpSize = reader.getInteger();
    filExtRec = reader.getExtDescArray();
    filRExtRec = reader.getExtDescArray();
    filResrv = reader.getLongInteger();
}

std::vector<Bytes> HFSCatalogLeafData::FileRecord::dataBlockArray() const {
    return {signedByte(filFlags),
            signedByte(filTyp),
            filUsrWds.dataBlock(),
            longInteger(filFlNum),
            integer(filStBlk),
            longInteger(filLgLen),
            longInteger(filPyLen),
            integer(filRStBlk),
            longInteger(filRLgLen),
            longInteger(filRPyLen),
            longInteger(storedDate(filCrDat)),
            longInteger(storedDate(filMdDat)),
            longInteger(storedDate(filBkDat)),
            filFndrInfo.dataBlock(),
            integer(filClpSize),
            extDescArray(filExtRec),
            extDescArray(filRExtRec),
            longInteger(filResrv)};
}

HFSCatalogLeafData::FolderThreadRecord::FolderThreadRecord(const ImageBytes& data) {
    HFSReaderBlock reader(data.slice(0, bodySize));
    thdResrv = {reader.getLongInteger(), reader.getLongInteger()};
    thdParID = reader.getLongInteger();
    const int64_t nameLength = reader.data[static_cast<size_t>(reader.offset)];
    if (nameLength > threadNameMaximum) {
        throw ValueOutOfRangeError("HFS thread name length " + std::to_string(nameLength));
    }
    thdCName = reader.getLengthByteString(threadNameFieldSize);
}

std::vector<Bytes> HFSCatalogLeafData::FolderThreadRecord::dataBlockArray() const {
    Bytes name = lengthByteStringPaddedToWord(thdCName);
    if (static_cast<int64_t>(name.size()) > threadNameFieldSize) {
        throw FieldEncodingError("HFS thread name longer than 31 bytes");
    }
    Bytes filler(threadNameFieldSize - name.size(), 0);
    return {longIntegerArray(thdResrv), longInteger(thdParID), std::move(name), std::move(filler)};
}

// A file thread has the folder thread's layout under other field names.
HFSCatalogLeafData::FileThreadRecord::FileThreadRecord(const ImageBytes& data) {
    const FolderThreadRecord same(data);
    fthdResrv = same.thdResrv;
    fthdParID = same.thdParID;
    fthdCName = same.thdCName;
}

std::vector<Bytes> HFSCatalogLeafData::FileThreadRecord::dataBlockArray() const {
    FolderThreadRecord same;
    same.thdResrv = fthdResrv;
    same.thdParID = fthdParID;
    same.thdCName = fthdCName;
    return same.dataBlockArray();
}

HFSCatalogLeafData::HFSCatalogLeafData(const ImageBytes& data) {
    if (data.size() < 2) return;  // no room for the header bytes: unknown
    const int64_t typeByte = data[0];
    cdrResrv2 = data[1];
    const ImageBytes body = data.sliceFrom(2);
    const auto bodyHolds = [&](int64_t size) { return static_cast<int64_t>(body.size()) >= size; };
    const auto threadNameFits = [&] { return body[threadNameOffset] <= threadNameMaximum; };

    // Anything that is not a readable record of a known type stays unknown.
    switch (typeByte) {
        case 1:
            if (!bodyHolds(FolderRecord::bodySize)) return;
            directoryRecord = FolderRecord(body);
            leafType = LeafType::directory;
            return;
        case 2:
            if (!bodyHolds(FileRecord::bodySize)) return;
            fileRecord = FileRecord(body);
            leafType = LeafType::file;
            return;
        case 3:
            if (!bodyHolds(FolderThreadRecord::bodySize) || !threadNameFits()) return;
            directoryThread = FolderThreadRecord(body);
            leafType = LeafType::directoryThread;
            return;
        case 4:
            if (!bodyHolds(FileThreadRecord::bodySize) || !threadNameFits()) return;
            fileThread = FileThreadRecord(body);
            leafType = LeafType::fileThread;
            return;
        default: return;
    }
}

std::vector<Bytes> HFSCatalogLeafData::dataBlockArray() const {
    Bytes record;
    switch (leafType) {
        case LeafType::directory:
            if (directoryRecord) record = directoryRecord->dataBlock();
            break;
        case LeafType::file:
            if (fileRecord) record = fileRecord->dataBlock();
            break;
        case LeafType::directoryThread:
            if (directoryThread) record = directoryThread->dataBlock();
            break;
        case LeafType::fileThread:
            if (fileThread) record = fileThread->dataBlock();
            break;
        case LeafType::unknown: break;
    }
    return {signedByte(rawValue(leafType)), signedByte(cdrResrv2), std::move(record)};
}

}  // namespace zorv
