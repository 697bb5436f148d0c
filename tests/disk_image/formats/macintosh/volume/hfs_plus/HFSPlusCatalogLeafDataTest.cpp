#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafData.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafRecord.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;
using LeafType = HFSPlusCatalogLeafData::LeafType;

// 2022-01-14 07:19:42 GMT, stored and as seconds since 1970.
constexpr int64_t kStored = 0xDE06D48E;
constexpr int64_t kSeconds = 1642144782;

ByteBuilder bsdBlock(int64_t special) {
    ByteBuilder f;
    f.u32(501).u32(20).u8(0x02).u8(0x80).u16(0x41ED).u32(special);
    return f;
}

// The body of a folder record, record type included (88 bytes).
Bytes folderBody(int64_t bsdSpecial = 0) {
    ByteBuilder f;
    f.u16(1).u16(0x4000).u32(6).u32(2);
    for (int date = 0; date < 5; ++date) f.u32(kStored + date);
    f.bytes(bsdBlock(bsdSpecial));
    f.u16(10).u16(20).u16(300).u16(400).u16(0x0100).u16(0xFFFF).u16(5).u16(0);  // window, flags, location
    f.u16(7).u16(8).u32(0).u16(0x8000).u16(0).u32(99);                         // scroll, flags, put-away
    f.u32(0x7E).u32(0);
    return f;
}

// A fork record with one extent.
ByteBuilder forkRecord(int64_t logicalSize, int64_t start, int64_t count) {
    ByteBuilder f;
    f.u64(static_cast<uint64_t>(logicalSize)).u32(0).u32(count).u32(start).u32(count).zeros(56);
    return f;
}

// The body of a file record, record type included (248 bytes).
Bytes fileBody(int64_t bsdSpecial = 1) {
    ByteBuilder f;
    f.u16(2).u16(0x0082).u32(0).u32(20);
    for (int date = 0; date < 5; ++date) f.u32(kStored);
    f.bytes(bsdBlock(bsdSpecial));
    f.text("TEXTttxt").u16(0x4000).u16(3).u16(4).u16(0);
    f.u16(1).u16(2).u16(3).u16(4).u16(0x0002).u16(0).u32(0);
    f.u32(0).u32(0);
    f.bytes(forkRecord(116, 275, 1)).bytes(forkRecord(17, 279, 1));
    return f;
}

Bytes threadBody(int64_t type, int64_t parentID, const std::u16string& name) {
    return ByteBuilder().u16(type).u16(0).u32(parentID).utf16Name(name);
}

TEST(HFSPlusCatalogLeafData, RecordTypes) {
    struct Case {
        Bytes body;
        LeafType leafType;
        size_t variantIndex;  // folder, file, thread
    };
    const std::vector<Case> cases = {
        {folderBody(), LeafType::directory, 0},
        {fileBody(), LeafType::file, 1},
        {threadBody(3, 1, u"Volume"), LeafType::directoryThread, 2},
        {threadBody(4, 2, u"file"), LeafType::fileThread, 2},
        {threadBody(0, 2, u"zero"), LeafType::fileThread, 2},
        {threadBody(5, 2, u"five"), LeafType::fileThread, 2},
        {threadBody(7, 2, u"seven"), LeafType::fileThread, 2},
        {threadBody(0xFFFF, 2, u"max"), LeafType::fileThread, 2},
    };
    for (const auto& c : cases) {
        const HFSPlusCatalogLeafData data(ImageBytes(c.body), 4096);
        EXPECT_EQ(data.leafType, c.leafType) << c.body[1];
        EXPECT_EQ(data.record.index(), c.variantIndex) << c.body[1];
    }
    EXPECT_EQ(HFSPlusCatalogLeafData(ImageBytes(threadBody(7, 2, u"seven")), 512).threadRecord()->nodeName, "seven");

    EXPECT_EQ(HFSPlusCatalogLeafData::leafTypeFromRawValue(1), LeafType::directory);
    EXPECT_EQ(HFSPlusCatalogLeafData::leafTypeFromRawValue(4), LeafType::fileThread);
    for (const int64_t raw : {0, 5, -1, 256}) EXPECT_FALSE(HFSPlusCatalogLeafData::leafTypeFromRawValue(raw)) << raw;
}

TEST(HFSPlusCatalogLeafData, FolderRecordFields) {
    const HFSPlusCatalogLeafData data(ImageBytes(folderBody()), 4096);
    const HFSPlusFolderRecord* folder = data.folderRecord();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(data.fileRecord(), nullptr);
    EXPECT_EQ(data.threadRecord(), nullptr);
    EXPECT_EQ(folder->flags, 0x4000);
    EXPECT_EQ(folder->valence, 6);
    EXPECT_EQ(folder->folderID, 2);
    EXPECT_EQ(folder->createDate.secondsSince1970, kSeconds);
    EXPECT_EQ(folder->contentModDate.secondsSince1970, kSeconds + 1);
    EXPECT_EQ(folder->backupDate.secondsSince1970, kSeconds + 4);
    EXPECT_EQ(folder->permissions.ownerID, 501);
    EXPECT_EQ(folder->permissions.groupID, 20);
    EXPECT_EQ(folder->permissions.adminFlags, 0x02);
    EXPECT_EQ(folder->permissions.ownerFlags, 0x80);
    EXPECT_EQ(folder->permissions.fileMode, 0x41ED);
    EXPECT_EQ(folder->userInfo.windowBounds, Rect(10, 20, 300, 400));
    EXPECT_EQ(folder->userInfo.finderFlags, 0x0100);
    EXPECT_EQ(folder->userInfo.location, Point(0xFFFF, 5));
    EXPECT_EQ(folder->finderInfo.scrollPosition, Point(7, 8));
    EXPECT_EQ(folder->finderInfo.extendedFinderFlags, 0x8000);
    EXPECT_EQ(folder->finderInfo.putAwayFolderID, 99);
    EXPECT_EQ(folder->textEncoding, 0x7E);
}

TEST(HFSPlusCatalogLeafData, FileRecordFields) {
    const HFSPlusCatalogLeafData data(ImageBytes(fileBody()), 4096);
    const HFSPlusFileRecord* file = data.fileRecord();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->flags, 0x0082);
    EXPECT_EQ(file->fileID, 20);
    EXPECT_EQ(file->accessDate.secondsSince1970, kSeconds);
    EXPECT_EQ(file->userInfo.fileType.string(), "TEXT");
    EXPECT_EQ(file->userInfo.fileCreator.string(), "ttxt");
    EXPECT_EQ(file->userInfo.finderFlags, 0x4000);
    EXPECT_EQ(file->userInfo.location, Point(3, 4));
    EXPECT_EQ(file->finderInfo.reserved1, (std::array<int64_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(file->finderInfo.extendedFinderFlags, 0x0002);
    EXPECT_EQ(file->dataFork.logicalSize, 116);
    EXPECT_EQ(file->dataFork.extents[0], HFSPlusExtentDescriptor(275, 1, 4096));
    EXPECT_EQ(file->resourceFork.logicalSize, 17);
    EXPECT_EQ(file->resourceFork.totalBlocks, 1);
    EXPECT_EQ(file->resourceFork.blockSize, 4096);
    EXPECT_EQ(file->resourceFork.extents[0], HFSPlusExtentDescriptor(279, 1, 4096));
}

TEST(HFSPlusCatalogLeafData, RecordsWriteBackTheirBytes) {
    // The BSD block's last four bytes are not kept: they come back as zeros.
    const std::vector<Bytes> exact = {folderBody(0), fileBody(0), threadBody(3, 1, u"Macintosh HD"),
                                      threadBody(4, 16, u"\u65E5\u672C\u8A9E"), threadBody(4, 2, u"")};
    for (const Bytes& body : exact) {
        EXPECT_EQ(HFSPlusCatalogLeafData(ImageBytes(body), 512).dataBlock(), body) << body[1];
    }
    for (Bytes body : {folderBody(0xDEADBEEF), fileBody(1)}) {
        const Bytes written = HFSPlusCatalogLeafData(ImageBytes(body), 512).dataBlock();
        ASSERT_EQ(written.size(), body.size());
        for (size_t at = 44; at < 48; ++at) body[at] = 0;
        EXPECT_EQ(written, body);
    }
    EXPECT_EQ(HFSPlusCatalogLeafData(ImageBytes(folderBody()), 512).dataBlock().size(), 88u);
    EXPECT_EQ(HFSPlusCatalogLeafData(ImageBytes(fileBody()), 512).dataBlock().size(), 248u);
}

TEST(HFSPlusCatalogLeafData, UnknownRecordTypesWriteBackAsFileThreads) {
    const Bytes written = HFSPlusCatalogLeafData(ImageBytes(threadBody(7, 2, u"x")), 512).dataBlock();
    EXPECT_EQ(written, threadBody(4, 2, u"x"));
}

TEST(HFSPlusCatalogLeafData, ThreadNamesAreUnicode) {
    const HFSPlusCatalogLeafData data(ImageBytes(threadBody(3, 2, u"Cafe\u0301 \u00E0 Z\u00FCrich")), 512);
    ASSERT_NE(data.threadRecord(), nullptr);
    EXPECT_EQ(data.threadRecord()->parentID, 2);
    EXPECT_EQ(data.threadRecord()->nodeName, "Cafe\xCC\x81 \xC3\xA0 Z\xC3\xBC" "rich");
}

TEST(HFSPlusCatalogLeafData, ShortBodiesAreRefused) {
    for (const Bytes& whole : {folderBody(), fileBody(), threadBody(3, 2, u"name")}) {
        for (size_t length = 0; length < whole.size(); ++length) {
            const ImageBytes cut(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
            EXPECT_THROW(HFSPlusCatalogLeafData(cut, 512), ReadPastEndError) << whole[1] << " cut at " << length;
        }
    }
    // A body longer than its layout reads what the layout names.
    Bytes padded = folderBody();
    padded.push_back(0);
    EXPECT_EQ(HFSPlusCatalogLeafData(ImageBytes(padded), 512).dataBlock(), folderBody());
}

TEST(HFSPlusCatalogLeafData, BSDBlockIgnoresItsLastFourBytes) {
    const HFSPlusBSDInfo zeroTail{ImageBytes(Bytes(bsdBlock(0)))};
    const HFSPlusBSDInfo otherTail{ImageBytes(Bytes(bsdBlock(0x12345678)))};
    EXPECT_EQ(zeroTail, otherTail);
    EXPECT_EQ(otherTail.dataBlock(), Bytes(bsdBlock(0)));
    EXPECT_EQ(otherTail.dataBlockArray().size(), 6u);
}

TEST(HFSPlusCatalogLeafRecord, WritesKeyThenBody) {
    const Bytes keyBytes = ByteBuilder().u16(18).u32(2).utf16Name(u"a_link");
    const Bytes body = fileBody(0);
    const HFSPlusCatalogLeafRecord leaf(ImageBytes(keyBytes), ImageBytes(body), 4096);
    EXPECT_EQ(leaf.parentID(), 2);
    EXPECT_EQ(leaf.nodeName(), "a_link");
    EXPECT_EQ(leaf.blockSize, 4096);
    EXPECT_EQ(leaf.data.leafType, LeafType::file);
    Bytes expected = keyBytes;
    expected.insert(expected.end(), body.begin(), body.end());
    EXPECT_EQ(leaf.dataBlock(), expected);
    EXPECT_EQ(leaf.dataBlockArray().size(), 2u);
}

}  // namespace
}  // namespace zorv
