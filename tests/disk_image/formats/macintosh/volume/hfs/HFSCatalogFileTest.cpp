#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFile.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileError.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/ByteBuilder.hpp"
#include "support/HfsCatalogRecordBytes.hpp"

namespace zorv {
namespace {

using testing::BTreeFileBuilder;
using testing::hfsCatalogRecord;
using testing::hfsFileData;
using testing::hfsFolderData;
using testing::hfsThreadData;
using LeafType = HFSCatalogLeafRecord::LeafType;

std::vector<std::string> namesOf(const std::vector<HFSCatalogLeafRecord>& leaves) {
    std::vector<std::string> names;
    for (const auto& leaf : leaves) names.push_back(leaf.key.nodeName);
    return names;
}

HFSCatalogFile catalogOf(const std::vector<std::vector<Bytes>>& leafNodes) {
    BTreeFileBuilder builder;
    builder.addLeafChain(leafNodes);
    return HFSCatalogFile(ImageBytes(builder.build()), 512);
}

// A small volume: the root folder "Disk" (ID 2) with its thread, the folders
// "b" (16) and "Docs" (19), the files "B" (17) and "a" (18), a leaf of an
// unknown type, and a file thread. Catalog order is the Macintosh's
// case-insensitive order, spread over two leaf nodes.
HFSCatalogFile sampleCatalog() {
    return catalogOf({
        {hfsCatalogRecord(1, "Disk", hfsFolderData(2, 4)), hfsCatalogRecord(2, "", hfsThreadData(3, 1, "Disk")),
         hfsCatalogRecord(2, "a", hfsFileData(18, "TEXT", "ttxt"))},
        {hfsCatalogRecord(2, "b", hfsFolderData(16, 0)), hfsCatalogRecord(2, "B", hfsFileData(17, "APPL", "MvIm")),
         hfsCatalogRecord(2, "Docs", hfsFolderData(19, 0)),
         hfsCatalogRecord(2, "zz", testing::ByteBuilder().u8(9).u8(0).zeros(20)),
         hfsCatalogRecord(16, "", hfsThreadData(3, 2, "b")), hfsCatalogRecord(18, "", hfsThreadData(4, 2, "a"))},
    });
}

TEST(HFSCatalogFile, KeepsEveryLeafInChainOrder) {
    const HFSCatalogFile catalog = sampleCatalog();
    EXPECT_EQ(namesOf(catalog.leaves()), (std::vector<std::string>{"Disk", "", "a", "b", "B", "Docs", "zz", "", ""}));
    EXPECT_EQ(catalog.leaf(6).leafType(), LeafType::unknown);
    EXPECT_EQ(catalog.leaf(8).leafType(), LeafType::fileThread);
    EXPECT_EQ(catalog.leaf(8).data.fileThread->fthdCName, "a");
}

TEST(HFSCatalogFile, ListsTheFilesAndFoldersOfAFolderByName) {
    const HFSCatalogFile catalog = sampleCatalog();
    EXPECT_EQ(namesOf(catalog.leavesInParent(1)), std::vector<std::string>{"Disk"});
    // Upper case sorts before lower case; threads and unknown leaves are no children.
    EXPECT_EQ(namesOf(catalog.leavesInParent(2)), (std::vector<std::string>{"B", "Docs", "a", "b"}));
    EXPECT_TRUE(catalog.leavesInParent(16).empty());
    EXPECT_TRUE(catalog.leavesInParent(99).empty());
}

TEST(HFSCatalogFile, ComparesNamesByScalarValue) {
    // Mac OS Roman 0x8E is é (U+00E9), 0x8F è (U+00E8): in catalog order é
    // comes first, by scalar value è does.
    const HFSCatalogFile catalog = catalogOf({{
        hfsCatalogRecord(100, "\x8E", hfsFolderData(20)),
        hfsCatalogRecord(100, "z", hfsFileData(21, "TEXT", "ttxt")),
        hfsCatalogRecord(100, "f", hfsFileData(17, "TEXT", "ttxt")),
        hfsCatalogRecord(100, "f", hfsFolderData(19)),
        hfsCatalogRecord(100, "\x8F", hfsFileData(22, "TEXT", "ttxt")),
    }});
    const auto children = catalog.leavesInParent(100);
    EXPECT_EQ(namesOf(children), (std::vector<std::string>{"f", "f", "z", "\u00E8", "\u00E9"}));
    // Equal names keep their catalog order.
    EXPECT_EQ(children[0].data.fileRecord->filFlNum, 17);
    EXPECT_EQ(children[1].data.directoryRecord->dirDirID, 19);
}

TEST(HFSCatalogFile, AFolderWhoseChildrenLieApartIsSortedWhole) {
    // A damaged catalog: each of the two runs of folder 100 is in order,
    // the two together are not.
    const HFSCatalogFile catalog = catalogOf({{
        hfsCatalogRecord(100, "b", hfsFileData(21, "TEXT", "ttxt")),
        hfsCatalogRecord(100, "c", hfsFileData(22, "TEXT", "ttxt")),
        hfsCatalogRecord(101, "x", hfsFileData(23, "TEXT", "ttxt")),
        hfsCatalogRecord(100, "a", hfsFileData(24, "TEXT", "ttxt")),
    }});
    EXPECT_EQ(namesOf(catalog.leavesInParent(100)), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(namesOf(catalog.leavesInParent(101)), (std::vector<std::string>{"x"}));
}

TEST(HFSCatalogFile, FindsTheFolderRecordOfAnID) {
    const HFSCatalogFile catalog = sampleCatalog();
    const auto root = catalog.directoryRecord(2);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->key.nodeName, "Disk");
    EXPECT_EQ(root->data.directoryRecord->dirVal, 4);
    ASSERT_TRUE(catalog.directoryRecord(16));
    EXPECT_EQ(catalog.directoryRecord(16)->key.nodeName, "b");
    EXPECT_FALSE(catalog.directoryRecord(17)) << "17 is a file";
    EXPECT_FALSE(catalog.directoryRecord(1)) << "no folder has the root's parent ID";

    const HFSCatalogFile twice = catalogOf(
        {{hfsCatalogRecord(2, "first", hfsFolderData(30)), hfsCatalogRecord(2, "second", hfsFolderData(30))}});
    EXPECT_EQ(twice.directoryRecord(30)->key.nodeName, "first");
}

TEST(HFSCatalogFile, LeavesOutRecordsWhoseKeysCannotBeRead) {
    const Bytes shortKey = BTreeFileBuilder::keyedRecord(Bytes{0, 0, 0, 2}, hfsFolderData(40));
    const HFSCatalogFile catalog = catalogOf({{shortKey, hfsCatalogRecord(2, "kept", hfsFolderData(41)), shortKey}});
    EXPECT_EQ(namesOf(catalog.leaves()), std::vector<std::string>{"kept"});
}

TEST(HFSCatalogFile, ACatalogWithoutReadableLeavesIsRefused) {
    const Bytes deleted = testing::ByteBuilder().u8(0).zeros(20);
    const Bytes shortKey = BTreeFileBuilder::keyedRecord(Bytes{0, 0}, hfsFolderData(40));
    BTreeFileBuilder emptyTree;
    emptyTree.addLeaf({hfsCatalogRecord(2, "orphan", hfsFolderData(16))});
    BTreeFileBuilder damaged;
    damaged.addLeafChain(
        {{hfsCatalogRecord(2, "a", hfsFolderData(16))}, {hfsCatalogRecord(2, "b", hfsFolderData(17))}});
    damaged.firstLeafNode = 40;  // the chain starts outside the file

    BTreeFileBuilder onlyDeleted;
    onlyDeleted.addLeafChain({{deleted, deleted}});
    BTreeFileBuilder onlyShortKeys;
    onlyShortKeys.addLeafChain({{shortKey}});

    for (const Bytes& bytes : {emptyTree.build(), damaged.build(), onlyDeleted.build(), onlyShortKeys.build()}) {
        try {
            HFSCatalogFile(ImageBytes(bytes), 512);
            ADD_FAILURE() << "built a catalog";
        } catch (const HFSCatalogFileError& error) {
            EXPECT_EQ(error.errorCase, HFSCatalogFileError::Case::noLeafNodes);
        }
    }
    EXPECT_THROW(HFSCatalogFile(ImageBytes(Bytes(511, 0)), 512), BlockStructureDefinableError);
}

}  // namespace
}  // namespace zorv
