// HFS catalog leaf records as the items of a volume.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogLeafRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/TypeList.hpp"
#include "support/ScopedTimeZone.hpp"

namespace zorv {
namespace {

using LeafType = HFSCatalogLeafRecord::LeafType;

OSType code(const std::string& text) { return OSType(Bytes(text.begin(), text.end())); }

HFSCatalogLeafRecord fileLeaf(const std::string& name, const std::string& type = "TEXT", int64_t flags = 0) {
    HFSCatalogLeafData::FileRecord file;
    file.filFlNum = 77;
    file.filUsrWds.fdType = code(type);
    file.filUsrWds.fdCreator = code("ttxt");
    file.filUsrWds.fdFlags = flags;
    file.filLgLen = 1000;
    file.filPyLen = 1024;
    file.filRLgLen = 300;
    file.filRPyLen = 512;
    file.filCrDat = Date{1000000};
    file.filMdDat = Date{2000000};
    HFSCatalogLeafData data;
    data.leafType = LeafType::file;
    data.fileRecord = file;
    return HFSCatalogLeafRecord(HFSCatalogFileKey(6 + static_cast<int64_t>(name.size()), 2, name), data);
}

HFSCatalogLeafRecord folderLeaf(const std::string& name, int64_t dirFlags = 0, int64_t frFlags = 0) {
    HFSCatalogLeafData::FolderRecord folder;
    folder.dirDirID = 55;
    folder.dirFlags = dirFlags;
    folder.dirUsrInfo.frFlags = frFlags;
    folder.dirCrDat = Date{3000000};
    folder.dirMdDat = Date{4000000};
    HFSCatalogLeafData data;
    data.leafType = LeafType::directory;
    data.directoryRecord = folder;
    return HFSCatalogLeafRecord(HFSCatalogFileKey(6 + static_cast<int64_t>(name.size()), 2, name), data);
}

HFSCatalogLeafRecord threadLeaf(LeafType type) {
    HFSCatalogLeafData data;
    data.leafType = type;
    if (type == LeafType::directoryThread) {
        data.directoryThread = HFSCatalogLeafData::FolderThreadRecord();
        data.directoryThread->thdParID = 1;
        data.directoryThread->thdCName = "Volume";
    }
    return HFSCatalogLeafRecord(HFSCatalogFileKey(6, 55, ""), data);
}

TEST(HFSCatalogLeafItem, FileAnswersFromItsFileRecord) {
    const HFSCatalogLeafRecord leaf = fileLeaf("Notes");
    EXPECT_EQ(leaf.name(), "Notes");
    EXPECT_EQ(leaf.logicalSizeInBytes(), 1300);
    EXPECT_EQ(leaf.physicalSizeInBytes(), 1536);
    EXPECT_EQ(leaf.creationDate(), Date{1000000});
    EXPECT_EQ(leaf.modificationDate(), Date{2000000});
    EXPECT_FALSE(leaf.isFolder());
    EXPECT_EQ(leaf.flags(), std::vector<FinderFlag>{});
    EXPECT_EQ(leaf.type(), code("TEXT"));
    EXPECT_EQ(leaf.creator(), code("ttxt"));
    EXPECT_EQ(leaf.kind(), TypeList::shared().list.at("TEXT"));
    EXPECT_TRUE(leaf.isExportable());
    EXPECT_FALSE(leaf.otherInfo());
    EXPECT_FALSE(leaf.isInvisible());
    EXPECT_EQ(leaf.itemIdentifier(), 77u);
    EXPECT_NE(leaf.fileRecord(), nullptr);
    EXPECT_EQ(leaf.folderRecord(), nullptr);
}

TEST(HFSCatalogLeafItem, UnknownTypeCode) { EXPECT_EQ(fileLeaf("x", "\x01\x02zq").kind(), "Unknown type"); }

TEST(HFSCatalogLeafItem, FolderAnswersFromItsFolderRecord) {
    const HFSCatalogLeafRecord leaf = folderLeaf("Stuff");
    EXPECT_TRUE(leaf.isFolder());
    EXPECT_FALSE(leaf.logicalSizeInBytes());
    EXPECT_FALSE(leaf.physicalSizeInBytes());
    EXPECT_FALSE(leaf.type());
    EXPECT_FALSE(leaf.creator());
    EXPECT_FALSE(leaf.kind());
    EXPECT_EQ(leaf.creationDate(), Date{3000000});
    EXPECT_EQ(leaf.modificationDate(), Date{4000000});
    EXPECT_TRUE(leaf.isExportable());
    EXPECT_FALSE(leaf.otherInfo());
    EXPECT_EQ(leaf.itemIdentifier(), 55u);
    EXPECT_EQ(leaf.fileExtension(), "") << "folders have no type";
}

TEST(HFSCatalogLeafItem, InvisibleFilesAndFolders) {
    const HFSCatalogLeafRecord file = fileLeaf("Desktop", "FNDR", 0x4000);
    EXPECT_EQ(file.flags(), std::vector<FinderFlag>{FinderFlag::kIsInvisible});
    EXPECT_TRUE(file.isInvisible());
    // A folder answers from its Finder information (frFlags), as the Finder
    // does, whatever the record's own dirFlags hold.
    EXPECT_EQ(folderLeaf("F", 0, 0x4000).flags(), std::vector<FinderFlag>{FinderFlag::kIsInvisible});
    EXPECT_TRUE(folderLeaf("F", 0, 0x4000).isInvisible());
    EXPECT_EQ(folderLeaf("F", 0x4000, 0).flags(), std::vector<FinderFlag>{});
    EXPECT_FALSE(folderLeaf("F", 0x4000, 0).isInvisible());
}

TEST(HFSCatalogLeafItem, FinderFlagsNeedAllTheirBits) {
    EXPECT_EQ(HFSCatalogLeafRecord::finderFlags(0x000E), std::vector<FinderFlag>{FinderFlag::kColor});
    EXPECT_EQ(HFSCatalogLeafRecord::finderFlags(0x0002), std::vector<FinderFlag>{});
    EXPECT_EQ(HFSCatalogLeafRecord::finderFlags(0xFFFF),
              (std::vector<FinderFlag>{FinderFlag::kIsOnDesk, FinderFlag::kColor, FinderFlag::kIsShared,
                                       FinderFlag::kHasNoINITs, FinderFlag::kHasBeenInited, FinderFlag::kHasCustomIcon,
                                       FinderFlag::kIsStationery, FinderFlag::kNameLocked, FinderFlag::kHasBundle,
                                       FinderFlag::kIsInvisible, FinderFlag::kIsAlias}));
    EXPECT_EQ(fileLeaf("A", "APPL", 0x2001).flags(),
              (std::vector<FinderFlag>{FinderFlag::kIsOnDesk, FinderFlag::kHasBundle}));
}

TEST(HFSCatalogLeafItem, ThreadsAnswerTheEpoch) {
    const testing::ScopedTimeZone zone{"America/New_York"};
    for (LeafType type : {LeafType::directoryThread, LeafType::fileThread, LeafType::unknown}) {
        const HFSCatalogLeafRecord leaf = threadLeaf(type);
        EXPECT_EQ(leaf.creationDate(), HFSReaderBlock::epoch());
        EXPECT_EQ(leaf.modificationDate(), HFSReaderBlock::epoch());
        EXPECT_FALSE(leaf.isFolder());
        EXPECT_FALSE(leaf.flags());
        EXPECT_FALSE(leaf.logicalSizeInBytes());
        EXPECT_FALSE(leaf.kind());
        EXPECT_FALSE(leaf.itemIdentifier());
        EXPECT_TRUE(leaf.isExportable());
        EXPECT_EQ(leaf.name(), "");
    }
}

TEST(HFSCatalogLeafItem, FolderLeafWithoutItsRecord) {
    HFSCatalogLeafData data;
    data.leafType = LeafType::directory;
    const HFSCatalogLeafRecord leaf(HFSCatalogFileKey(7, 2, "x"), data);
    EXPECT_TRUE(leaf.isFolder());
    EXPECT_FALSE(leaf.flags());
    EXPECT_EQ(leaf.creationDate(), HFSReaderBlock::epoch());
    EXPECT_FALSE(leaf.itemIdentifier());

    HFSCatalogLeafData fileData;
    fileData.leafType = LeafType::file;
    const HFSCatalogLeafRecord file(HFSCatalogFileKey(7, 2, "y"), fileData);
    EXPECT_FALSE(file.isFolder());
    EXPECT_FALSE(file.type());
    EXPECT_FALSE(file.logicalSizeInBytes());
}

TEST(HFSCatalogLeafItem, FileExtensions) {
    EXPECT_EQ(fileLeaf("notes.txt").fileExtension(), "");
    const auto textExtension = TypeList::extensionForType(std::string("TEXT"));
    ASSERT_TRUE(textExtension);
    EXPECT_EQ(fileLeaf("notes").fileExtension(), "." + *textExtension);
}

TEST(HFSCatalogLeafItem, CodableRecordOfTheReport) {
    const auto codable = fileLeaf("Notes").generateCodableAtLevel(1);
    EXPECT_EQ(codable.name, "Notes");
    EXPECT_EQ(codable.sizeInBytes, 1300);
}

}  // namespace
}  // namespace zorv
