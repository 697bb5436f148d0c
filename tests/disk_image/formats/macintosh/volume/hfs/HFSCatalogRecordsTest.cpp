#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileKey.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "support/ByteBuilder.hpp"
#include "support/HfsCatalogRecordBytes.hpp"
#include "support/ScopedTimeZone.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;
using testing::ScopedTimeZone;
using LeafType = HFSCatalogLeafData::LeafType;

constexpr int64_t kUnixEpochIn1904Seconds = 2082844800;

Bytes pattern(size_t count, uint8_t first) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + 7 * i);
    return bytes;
}

// --- Keys ----------------------------------------------------------------------

TEST(HFSCatalogFileKey, ReadsParentAndName) {
    const HFSCatalogFileKey empty(ImageBytes(ByteBuilder().u8(6).u8(0).u32(2).u8(0)));
    EXPECT_EQ(empty.keyLength, 6);
    EXPECT_EQ(empty.parentID, 2);
    EXPECT_EQ(empty.nodeName, "");

    const Bytes stored = ByteBuilder().u8(18).u8(0).u32(1).pascal("System Tools");
    const HFSCatalogFileKey key{ImageBytes(stored)};
    EXPECT_EQ(key.keyLength, 18);
    EXPECT_EQ(key.parentID, 1);
    EXPECT_EQ(key.nodeName, "System Tools");
    EXPECT_EQ(key.dataBlock(), stored);
    EXPECT_EQ(key.dataBlockArray().size(), 3u);

    const HFSCatalogFileKey roman(
        ImageBytes(ByteBuilder().u8(12).u8(0).u32(2).pascal("\x83"
                                                            "clair")));
    EXPECT_EQ(roman.nodeName, "\u00C9clair");
}

TEST(HFSCatalogFileKey, ANameRunningPastTheKeyIsCutAtItsEnd) {
    const HFSCatalogFileKey key(ImageBytes(ByteBuilder().u8(8).u8(0).u32(16).u8(31).text("ab")));
    EXPECT_EQ(key.nodeName, "ab");
    EXPECT_EQ(key.dataBlock(), (ByteBuilder().u8(8).u8(0).u32(16).u8(2).text("ab").data()));
}

TEST(HFSCatalogFileKey, KeysTooShortForTheirFixedFieldsAreRefused) {
    EXPECT_THROW(HFSCatalogFileKey(ImageBytes(Bytes{})), ReadPastEndError);
    EXPECT_THROW(HFSCatalogFileKey(ImageBytes(ByteBuilder().u8(6).u8(0).u32(2))), ReadPastEndError);
    EXPECT_THROW(HFSCatalogFileKey(ImageBytes(ByteBuilder().u8(5).u8(0).u32(2).u8(0))), ValueOutOfRangeError);
}

TEST(HFSCatalogFileKey, WritesTheNameInAFieldOfKeyLengthMinusFiveBytes) {
    struct Case {
        const char* name;
        HFSCatalogFileKey key;
        Bytes expected;
    };
    const std::vector<Case> cases{
        {"short names are zero-filled", HFSCatalogFileKey(10, 2, "ab"),
         ByteBuilder().u8(10).u8(0).u32(2).u8(2).text("ab").zeros(2)},
        {"long names are cut to the field", HFSCatalogFileKey(8, 2, "abcdef"),
         ByteBuilder().u8(8).u8(0).u32(2).u8(2).text("ab")},
        {"names outside Mac OS Roman give an empty field", HFSCatalogFileKey(9, 7, "\u65E5\u672C"),
         ByteBuilder().u8(9).u8(0).u32(7).zeros(4)},
        {"Mac OS Roman characters", HFSCatalogFileKey(10, 2, "Caf\u00E9"),
         ByteBuilder().u8(10).u8(0).u32(2).pascal("Caf\x8E")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.key.dataBlock(), c.expected);
    }
}

// --- Finder information ------------------------------------------------------------

TEST(HFSCatalogFinderInfo, EveryRecordWritesBackTheBytesRead) {
    const Bytes bytes = pattern(16, 0xF1);
    EXPECT_EQ(HFSFInfo(ImageBytes(bytes)).dataBlock(), bytes);
    EXPECT_EQ(HFSFXInfo(ImageBytes(bytes)).dataBlock(), bytes);
    EXPECT_EQ(HFSDInfo(ImageBytes(bytes)).dataBlock(), bytes);
    EXPECT_EQ(HFSDXInfo(ImageBytes(bytes)).dataBlock(), bytes);
    EXPECT_EQ(HFSFInfo().dataBlock(), Bytes(16, 0));
    EXPECT_EQ(HFSFXInfo().dataBlock(), Bytes(16, 0));
    EXPECT_EQ(HFSDInfo().dataBlock(), Bytes(16, 0));
    EXPECT_EQ(HFSDXInfo().dataBlock(), Bytes(16, 0));
}

TEST(HFSCatalogFinderInfo, ReadsFieldsAtTheirOffsets) {
    const HFSFInfo file(ImageBytes(ByteBuilder().text("APPL").text("MvIm").u16(0x4000).u16(0xFFFF).u16(0x10).u16(3)));
    EXPECT_EQ(file.fdType.string(), "APPL");
    EXPECT_EQ(file.fdCreator.string(), "MvIm");
    EXPECT_EQ(file.fdFlags, 0x4000);
    EXPECT_EQ(file.fdLocation, Point(65535, 16));
    EXPECT_EQ(file.fdFldr, 3);
    EXPECT_EQ(file.dataBlockArray().size(), 5u);

    const HFSFXInfo extended(ImageBytes(ByteBuilder().u16(9).u16(1).u16(2).u16(3).u8(4).u8(5).u16(6).u32(2)));
    EXPECT_EQ(extended.fdIconID, 9);
    EXPECT_EQ(extended.fdUnused, (std::array<int64_t, 3>{1, 2, 3}));
    EXPECT_EQ(extended.fdScript, 4);
    EXPECT_EQ(extended.fdXFlags, 5);
    EXPECT_EQ(extended.fdComment, 6);
    EXPECT_EQ(extended.fdPutAway, 2);
    EXPECT_EQ(extended.dataBlockArray().size(), 6u);

    const HFSDInfo folder(ImageBytes(ByteBuilder().u16(1).u16(2).u16(3).u16(4).u16(0x0400).u16(5).u16(6).u16(7)));
    EXPECT_EQ(folder.frRect, Rect(1, 2, 3, 4));
    EXPECT_EQ(folder.frFlags, 0x0400);
    EXPECT_EQ(folder.frLocation, Point(5, 6));
    EXPECT_EQ(folder.frView, 7);
    EXPECT_EQ(folder.dataBlockArray().size(), 4u);

    const HFSDXInfo folderExtended(ImageBytes(ByteBuilder().u16(1).u16(2).u32(3).u8(4).u8(5).u16(6).u32(7)));
    EXPECT_EQ(folderExtended.frScroll, Point(1, 2));
    EXPECT_EQ(folderExtended.frOpenChain, 3);
    EXPECT_EQ(folderExtended.frScript, 4);
    EXPECT_EQ(folderExtended.frXFlags, 5);
    EXPECT_EQ(folderExtended.frComment, 6);
    EXPECT_EQ(folderExtended.frPutAway, 7);
    EXPECT_EQ(folderExtended.dataBlockArray().size(), 6u);

    EXPECT_THROW(HFSFInfo(ImageBytes(Bytes(15, 0))), ReadPastEndError);
}

// --- Leaf data -------------------------------------------------------------------

TEST(HFSCatalogLeafData, TheTypeByteSelectsTheRecord) {
    struct Case {
        Bytes data;
        LeafType expected;
    };
    const Bytes folder = testing::hfsFolderData(16);
    const Bytes file = testing::hfsFileData(17, "TEXT", "ttxt");
    const Bytes folderThread = testing::hfsThreadData(3, 2, "Folder");
    const Bytes fileThread = testing::hfsThreadData(4, 16, "File");
    const auto retyped = [](Bytes data, uint8_t type) {
        data[0] = type;
        return data;
    };
    const std::vector<Case> cases{
        {folder, LeafType::directory},
        {file, LeafType::file},
        {folderThread, LeafType::directoryThread},
        {fileThread, LeafType::fileThread},
        {retyped(file, 0), LeafType::unknown},
        {retyped(file, 5), LeafType::unknown},
        {retyped(file, 255), LeafType::unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.data[0]));
        const HFSCatalogLeafData data{ImageBytes(c.data)};
        EXPECT_EQ(data.leafType, c.expected);
        EXPECT_EQ(data.directoryRecord.has_value(), c.expected == LeafType::directory);
        EXPECT_EQ(data.fileRecord.has_value(), c.expected == LeafType::file);
        EXPECT_EQ(data.directoryThread.has_value(), c.expected == LeafType::directoryThread);
        EXPECT_EQ(data.fileThread.has_value(), c.expected == LeafType::fileThread);
        if (c.expected != LeafType::unknown) {
            EXPECT_EQ(data.dataBlock(), c.data);
        }
    }
}

TEST(HFSCatalogLeafData, UnreadableLeavesAreKeptAsUnknown) {
    const Bytes thread = testing::hfsThreadData(3, 2, "Folder");
    const Bytes folder = testing::hfsFolderData(16);
    Bytes longThreadName = thread;
    longThreadName[14] = 32;
    struct Case {
        const char* name;
        Bytes data;
        int64_t reserved;
    };
    const std::vector<Case> cases{
        {"an unknown type byte", ByteBuilder().u8(9).u8(0x42).zeros(100), 0x42},
        {"no data", {}, 0},
        {"a type byte alone", Bytes{1}, 0},
        {"a folder one byte short", Bytes(folder.begin(), folder.end() - 1), 0},
        {"a file one byte short", Bytes(101, 2), 2},
        {"a thread one byte short", Bytes(thread.begin(), thread.end() - 1), 0},
        {"a thread name longer than its field", longThreadName, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HFSCatalogLeafData data{ImageBytes(c.data)};
        EXPECT_EQ(data.leafType, LeafType::unknown);
        EXPECT_EQ(data.cdrResrv2, c.reserved);
        EXPECT_EQ(data.dataBlock(), (Bytes{5, static_cast<uint8_t>(c.reserved)}));
    }
}

TEST(HFSCatalogLeafData, FolderDatesSpanTheWholeField) {
    ScopedTimeZone utc("UTC");
    Bytes data = testing::hfsFolderData(16);
    for (size_t i = 10; i < 14; ++i) data[i] = 0x00;  // created at the epoch
    for (size_t i = 14; i < 18; ++i) data[i] = 0xFF;  // modified at the field's last second
    const HFSCatalogLeafData leaf{ImageBytes(data)};
    ASSERT_TRUE(leaf.directoryRecord);
    EXPECT_EQ(leaf.directoryRecord->dirCrDat, HFSReaderBlock::epoch());
    EXPECT_EQ(leaf.directoryRecord->dirMdDat.secondsSince1970, -kUnixEpochIn1904Seconds + 0xFFFFFFFFLL);
    EXPECT_EQ(leaf.directoryRecord->dirDirID, 16);
    EXPECT_EQ(leaf.dataBlock(), data);
}

TEST(HFSCatalogLeafData, RecordsWriteBackEveryFieldAtItsOffset) {
    // Every byte distinct and non-zero, so that a field moved or dropped shows.
    Bytes folder = pattern(70, 0x11);
    folder[0] = 1;
    Bytes file = pattern(102, 0x23);
    file[0] = 2;
    for (const auto& data : {folder, file}) {
        const HFSCatalogLeafData leaf{ImageBytes(data)};
        EXPECT_NE(leaf.leafType, LeafType::unknown);
        EXPECT_EQ(leaf.dataBlock(), data);
    }
    const HFSCatalogLeafData parsed{ImageBytes(file)};
    EXPECT_EQ(parsed.fileRecord->dataBlockArray().size(), 18u);
    EXPECT_EQ(HFSCatalogLeafData{ImageBytes(folder)}.directoryRecord->dataBlockArray().size(), 9u);
}

TEST(HFSCatalogLeafData, AFileWithoutForksHasEmptyExtents) {
    const HFSCatalogLeafData leaf{ImageBytes(testing::hfsFileData(20, "TEXT", "ttxt"))};
    ASSERT_TRUE(leaf.fileRecord);
    const auto& file = *leaf.fileRecord;
    EXPECT_EQ(file.filFlNum, 20);
    EXPECT_EQ(file.filUsrWds.fdType.string(), "TEXT");
    EXPECT_EQ(file.filLgLen, 0);
    EXPECT_EQ(file.filRLgLen, 0);
    EXPECT_EQ(file.filExtRec, std::vector<ExtDescriptor>(3));
    EXPECT_EQ(file.filRExtRec, std::vector<ExtDescriptor>(3));

    const HFSCatalogLeafData withForks{ImageBytes(testing::hfsFileData(21, "APPL", "MvIm", 1000, 10))};
    EXPECT_EQ(withForks.fileRecord->filLgLen, 1000);
    EXPECT_EQ(withForks.fileRecord->filPyLen, 1024);
    EXPECT_EQ(withForks.fileRecord->filExtRec[0], ExtDescriptor(30, 2));
    EXPECT_EQ(withForks.fileRecord->filRExtRec[0], ExtDescriptor(60, 1));
}

TEST(HFSCatalogLeafData, ThreadNamesFillTheirFieldEvenly) {
    struct Case {
        std::string name;
        size_t filler;  // zero bytes after the length byte and the name
    };
    const std::vector<Case> cases{{"Folder7", 24}, {std::string(30, 'x'), 1}, {std::string(31, 'y'), 0}, {"", 31}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes data = testing::hfsThreadData(3, 0x1234, c.name);
        const HFSCatalogLeafData leaf{ImageBytes(data)};
        ASSERT_TRUE(leaf.directoryThread);
        EXPECT_EQ(leaf.directoryThread->thdParID, 0x1234);
        EXPECT_EQ(leaf.directoryThread->thdCName, c.name);
        EXPECT_EQ(leaf.dataBlock(), data);
        const auto chunks = leaf.directoryThread->dataBlockArray();
        ASSERT_EQ(chunks.size(), 4u);
        EXPECT_EQ(chunks[2].size() + chunks[3].size(), 32u);
        EXPECT_EQ(joinChunks({chunks[2], chunks[3]}), ByteBuilder().pascal(c.name).zeros(c.filler).data());
    }

    HFSCatalogLeafData::FileThreadRecord foreign;
    foreign.fthdCName = "\u65E5";
    EXPECT_EQ(foreign.dataBlock(), Bytes(44, 0));
    foreign.fthdCName = std::string(32, 'z');
    EXPECT_THROW(foreign.dataBlock(), FieldEncodingError);
}

// --- Leaf records ----------------------------------------------------------------

TEST(HFSCatalogLeafRecord, SkipsThePadByteAfterAnEvenKeyLength) {
    const Bytes folder = testing::hfsFolderData(16);
    struct Case {
        std::string name;  // key length is 6 + the name's length
        bool padded;
    };
    for (const auto& c : std::vector<Case>{{"abcd", true}, {std::string(31, 'n'), false}}) {
        SCOPED_TRACE(c.name);
        const Bytes stored = testing::hfsCatalogRecord(2, c.name, folder);
        const int64_t keyLength = 6 + static_cast<int64_t>(c.name.size());
        const BTreeNodeRecord btreeRecord(ImageBytes(stored), false, std::nullopt);
        const HFSCatalogLeafRecord leaf(btreeRecord);
        EXPECT_EQ(leaf.key.keyLength, keyLength);
        EXPECT_EQ(leaf.key.nodeName, c.name);
        EXPECT_EQ(leaf.leafType(), LeafType::directory);
        EXPECT_EQ(leaf.data.directoryRecord->dirDirID, 16);
        EXPECT_EQ(leaf.dataBlock(), stored);
        EXPECT_EQ(stored.size(), static_cast<size_t>(keyLength + 1) + (c.padded ? 1 : 0) + folder.size());
    }
}

TEST(HFSCatalogLeafRecord, RefusesKeysShorterThanTheirFixedFields) {
    const Bytes stored = testing::BTreeFileBuilder::keyedRecord(Bytes{0, 0, 0}, testing::hfsFolderData(16));
    const BTreeNodeRecord btreeRecord(ImageBytes(stored), false, std::nullopt);
    EXPECT_THROW(HFSCatalogLeafRecord{btreeRecord}, ReadPastEndError);
}

}  // namespace
}  // namespace zorv
