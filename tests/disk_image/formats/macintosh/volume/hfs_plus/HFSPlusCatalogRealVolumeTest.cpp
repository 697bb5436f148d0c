// Catalog keys and leaf records of the real HFS+ volumes of the shared
// corpus. The B-tree reader is not used here: the test cuts the catalog's
// first leaf node out of the volume itself, at the catalog's first extent
// and the node size of its header node, and splits the node's records by
// its offset table.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusCatalogLeafRecord.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusTestImages.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeHeader.hpp"

namespace zorv {
namespace {

using LeafType = HFSPlusCatalogLeafData::LeafType;
using testing::hfsplus::Outcome;
using testing::hfsplus::RawLeafRecord;

// 2022-01-14 07:19:41 and :42 GMT.
constexpr int64_t k0719_41 = 1642144781;
constexpr int64_t k0719_42 = 1642144782;

struct RealCatalog {
    ImageBytes volume;
    HFSPlusVolumeHeader header;
    std::vector<RawLeafRecord> records;
    std::vector<HFSPlusCatalogLeafRecord> leaves;
};

RealCatalog catalogOf(const ImageBytes& volume) {
    HFSPlusVolumeHeader header(volume.slice(HFSPlusVolumeHeader::offsetInVolume, HFSPlusVolumeHeader::size));
    const HFSPlusExtentDescriptor& first = header.catalogFile.extents[0];
    const ImageBytes catalog = volume.slice(first.startBlock * header.blockSize, first.blockCount * header.blockSize);
    const auto records = testing::hfsplus::nodeRecords(testing::hfsplus::firstLeafNode(catalog));
    std::vector<HFSPlusCatalogLeafRecord> leaves;
    for (const auto& record : records) leaves.emplace_back(record.keyBytes, record.body, header.blockSize);
    return RealCatalog{volume, std::move(header), records, std::move(leaves)};
}

std::optional<RealCatalog> dfvfsCatalog() {
    const auto volume = testing::corpusImage("hfsplus/dfvfs-hfsplus.raw");
    if (!volume) return std::nullopt;
    return catalogOf(*volume);
}

const HFSPlusCatalogLeafRecord* leafNamed(const RealCatalog& catalog, int64_t parentID, const std::string& name) {
    for (const auto& leaf : catalog.leaves) {
        if (leaf.parentID() == parentID && leaf.nodeName() == name && !leaf.data.threadRecord()) return &leaf;
    }
    return nullptr;
}

std::optional<std::string> forkText(const RealCatalog& catalog, const HFSPlusForkDataStucture& fork) {
    const ImageBytes gathered =
        HFSPlusForkDataStucture::gatherExtents(catalog.volume, catalog.header.blockSize, fork.extents);
    const auto contents = fork.contents(gathered);
    if (!contents) return std::nullopt;
    return std::string(contents->begin(), contents->end());
}

TEST(HFSPlusCatalogRealVolume, LeafRecordsOfTheDfvfsVolume) {
    const auto catalog = dfvfsCatalog();
    if (!catalog) GTEST_SKIP() << "corpus volume hfsplus/dfvfs-hfsplus.raw is absent";

    const std::string privateData = std::string(4, '\0') + "HFS+ Private Data";
    struct Expected {
        int64_t parentID;
        std::string name;
        LeafType type;
        int64_t id;  // folder or file ID; for a thread, the parent it names
    };
    // In catalog order: by parent ID, then by name as HFS+ orders names.
    const std::vector<Expected> expected = {
        {1, "hfsplus_test", LeafType::directory, 2},
        {2, "", LeafType::directoryThread, 1},
        {2, ".fseventsd", LeafType::directory, 23},
        {2, ".HFS+ Private Directory Data\r", LeafType::directory, 17},
        {2, "a_directory", LeafType::directory, 18},
        {2, "a_link", LeafType::file, 22},
        {2, "passwords.txt", LeafType::file, 20},
        {2, privateData, LeafType::directory, 16},
        {16, "", LeafType::directoryThread, 2},
        {17, "", LeafType::directoryThread, 2},
        {18, "", LeafType::directoryThread, 2},
        {18, "a_file", LeafType::file, 19},
        {18, "a_resourcefork", LeafType::file, 25},
        {18, "another_file", LeafType::file, 21},
        {19, "", LeafType::fileThread, 18},
        {20, "", LeafType::fileThread, 2},
        {21, "", LeafType::fileThread, 18},
        {22, "", LeafType::fileThread, 2},
        {23, "", LeafType::directoryThread, 2},
        {23, "00000000171494cb", LeafType::file, 26},
        {23, "00000000171494cc", LeafType::file, 27},
        {23, "fseventsd-uuid", LeafType::file, 24},
        {24, "", LeafType::fileThread, 23},
        {25, "", LeafType::fileThread, 18},
        {26, "", LeafType::fileThread, 23},
        {27, "", LeafType::fileThread, 23},
    };
    ASSERT_EQ(catalog->leaves.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& leaf = catalog->leaves[i];
        const auto& want = expected[i];
        EXPECT_EQ(leaf.parentID(), want.parentID) << i;
        EXPECT_EQ(leaf.nodeName(), want.name) << i;
        EXPECT_EQ(leaf.key.keyLength, 6 + 2 * static_cast<int64_t>(want.name.size())) << i;
        EXPECT_EQ(leaf.data.leafType, want.type) << i;
        EXPECT_EQ(leaf.blockSize, 4096);
        if (const auto* folder = leaf.data.folderRecord()) {
            EXPECT_EQ(folder->folderID, want.id) << i;
        }
        if (const auto* file = leaf.data.fileRecord()) {
            EXPECT_EQ(file->fileID, want.id) << i;
        }
        if (const auto* thread = leaf.data.threadRecord()) {
            EXPECT_EQ(thread->parentID, want.id) << i;
            // A thread names the item whose ID is in its key.
            const auto named = std::find_if(catalog->leaves.begin(), catalog->leaves.end(), [&](const auto& other) {
                const auto* folder = other.data.folderRecord();
                const auto* file = other.data.fileRecord();
                return (folder && folder->folderID == leaf.parentID()) || (file && file->fileID == leaf.parentID());
            });
            ASSERT_NE(named, catalog->leaves.end()) << i;
            EXPECT_EQ(thread->nodeName, named->nodeName()) << i;
        }
    }
}

TEST(HFSPlusCatalogRealVolume, FoldersAndDatesOfTheDfvfsVolume) {
    const auto catalog = dfvfsCatalog();
    if (!catalog) GTEST_SKIP() << "corpus volume hfsplus/dfvfs-hfsplus.raw is absent";

    // The root folder is the volume: its name is the volume name.
    const auto* root = leafNamed(*catalog, 1, "hfsplus_test");
    ASSERT_NE(root, nullptr);
    const HFSPlusFolderRecord& folder = *root->data.folderRecord();
    EXPECT_EQ(folder.valence, 6);
    // 7-Zip: created 07:19:41, modified, accessed and changed 07:19:42 GMT.
    EXPECT_EQ(folder.createDate.secondsSince1970, k0719_41);
    EXPECT_EQ(folder.contentModDate.secondsSince1970, k0719_42);
    EXPECT_EQ(folder.accessDate.secondsSince1970, k0719_42);
    EXPECT_EQ(folder.attributeModDate.secondsSince1970, k0719_42);
    EXPECT_EQ(folder.backupDate.secondsSince1970, HFSPlusReaderBlock::epochSecondsSince1970);
    EXPECT_EQ(folder.permissions.fileMode, 040755);  // drwxr-xr-x
    EXPECT_EQ(folder.permissions.ownerID, 501);

    struct FolderCase {
        int64_t parentID;
        std::string name;
        int64_t valence;
        int64_t fileMode;
    };
    for (const auto& c : std::vector<FolderCase>{{2, "a_directory", 3, 040755},
                                                 {2, ".fseventsd", 3, 040700},
                                                 {2, std::string(4, '\0') + "HFS+ Private Data", 0, 040000}}) {
        const auto* leaf = leafNamed(*catalog, c.parentID, c.name);
        ASSERT_NE(leaf, nullptr) << c.name;
        EXPECT_EQ(leaf->data.folderRecord()->valence, c.valence) << c.name;
        EXPECT_EQ(leaf->data.folderRecord()->permissions.fileMode, c.fileMode) << c.name;
    }
}

TEST(HFSPlusCatalogRealVolume, FilesAndForksOfTheDfvfsVolume) {
    const auto catalog = dfvfsCatalog();
    if (!catalog) GTEST_SKIP() << "corpus volume hfsplus/dfvfs-hfsplus.raw is absent";

    struct FileCase {
        int64_t parentID;
        std::string name;
        std::optional<std::string> data;
        std::optional<std::string> resource;
        int64_t fileMode;
    };
    const std::vector<FileCase> cases = {
        {18, "a_file", "This is a text file.\n\nWe should be able to parse it.\n", std::nullopt, 0100644},
        {18, "another_file", std::string(22, '?'), std::nullopt, 0100644},
        {18, "a_resourcefork", std::nullopt, "My resource fork\n", 0100644},
        {2, "a_link", "a_directory/another_file", std::nullopt, 0120755},
        {2, "passwords.txt", std::string(116, '?'), std::nullopt, 0100644},
        {23, "fseventsd-uuid", std::string(36, '?'), std::nullopt, 0100600},
    };
    for (const auto& c : cases) {
        const auto* leaf = leafNamed(*catalog, c.parentID, c.name);
        ASSERT_NE(leaf, nullptr) << c.name;
        const HFSPlusFileRecord& file = *leaf->data.fileRecord();
        EXPECT_EQ(file.permissions.fileMode, c.fileMode) << c.name;
        EXPECT_EQ(file.createDate.secondsSince1970, k0719_42) << c.name;
        EXPECT_EQ(file.dataFork.blockSize, 4096) << c.name;

        const auto data = forkText(*catalog, file.dataFork);
        const auto resource = forkText(*catalog, file.resourceFork);
        ASSERT_EQ(data.has_value(), c.data.has_value()) << c.name;
        ASSERT_EQ(resource.has_value(), c.resource.has_value()) << c.name;
        // '?' stands for contents the oracle gives only the length of.
        if (c.data && c.data->find_first_not_of('?') != std::string::npos) {
            EXPECT_EQ(*data, *c.data) << c.name;
        }
        if (c.data) {
            EXPECT_EQ(data->size(), c.data->size()) << c.name;
        }
        if (c.resource) {
            EXPECT_EQ(*resource, *c.resource) << c.name;
        }
    }

    // A symbolic link carries the Finder type and creator of one.
    const auto* link = leafNamed(*catalog, 2, "a_link");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->data.fileRecord()->userInfo.fileType.string(), "slnk");
    EXPECT_EQ(link->data.fileRecord()->userInfo.fileCreator.string(), "rhap");
}

TEST(HFSPlusCatalogRealVolume, LeafRecordsWriteBackAsStored) {
    const auto catalog = dfvfsCatalog();
    if (!catalog) GTEST_SKIP() << "corpus volume hfsplus/dfvfs-hfsplus.raw is absent";
    for (size_t i = 0; i < catalog->leaves.size(); ++i) {
        Bytes stored = catalog->records[i].whole.toBytes();
        // Folder and file records do not keep the last four bytes of their
        // BSD block (the link count of a file here): they write zeros there.
        if (!catalog->leaves[i].data.threadRecord()) {
            const size_t bsdTail = catalog->records[i].keyBytes.size() + 44;
            for (size_t at = bsdTail; at < bsdTail + 4; ++at) stored[at] = 0;
        }
        EXPECT_EQ(catalog->leaves[i].dataBlock(), stored) << i << " " << catalog->leaves[i].nodeName();
    }
}

TEST(HFSPlusCatalogRealVolume, DamagedRecordsAreRefusedCleanly) {
    const auto catalog = dfvfsCatalog();
    if (!catalog) GTEST_SKIP() << "corpus volume hfsplus/dfvfs-hfsplus.raw is absent";
    for (const auto& record : catalog->records) {
        const Bytes whole = record.whole.toBytes();
        const auto decode = [](const Bytes& bytes) {
            return testing::hfsplus::outcomeOf([&] {
                const ImageBytes image(bytes);
                const int64_t keyLength = bytes.size() >= 2 ? (bytes[0] << 8 | bytes[1]) : 0;
                const int64_t keyEnd = std::min<int64_t>(2 + keyLength, static_cast<int64_t>(bytes.size()));
                const HFSPlusCatalogLeafRecord leaf(image.slice(0, keyEnd), image.sliceFrom(keyEnd), 4096);
                (void)leaf.dataBlock();
            });
        };
        // Every truncation.
        for (size_t length = 0; length < whole.size(); ++length) {
            EXPECT_NE(decode(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length))),
                      Outcome::foreignError)
                << length;
        }
        // Every byte set to all ones, then to a lone high bit.
        for (size_t at = 0; at < whole.size(); ++at) {
            for (const uint8_t value : {uint8_t{0xFF}, uint8_t{0x80}}) {
                Bytes damaged = whole;
                damaged[at] = value;
                EXPECT_NE(decode(damaged), Outcome::foreignError) << at;
            }
        }
    }
}

TEST(HFSPlusCatalogRealVolume, LabelOfTheUtilLinuxVolume) {
    const auto volume = testing::corpusImage("hfsplus/util-linux-hfsplus.img.xz");
    if (!volume) GTEST_SKIP() << "corpus volume hfsplus/util-linux-hfsplus.img.xz is absent, or xz is";
    const RealCatalog catalog = catalogOf(*volume);
    EXPECT_EQ(catalog.header.catalogFile.extents[0], HFSPlusExtentDescriptor(22, 20, 4096));
    ASSERT_EQ(catalog.leaves.size(), 2u);

    const HFSPlusCatalogLeafRecord& root = catalog.leaves[0];
    const HFSPlusCatalogLeafRecord& thread = catalog.leaves[1];
    // blkid: LABEL=123456789ABCDE.
    EXPECT_EQ(root.parentID(), 1);
    EXPECT_EQ(root.nodeName(), "123456789ABCDE");
    ASSERT_NE(root.data.folderRecord(), nullptr);
    EXPECT_EQ(root.data.folderRecord()->folderID, 2);
    EXPECT_EQ(root.data.folderRecord()->valence, 0);
    // 7-Zip: modified 2008-10-09 09:44:47 GMT.
    EXPECT_EQ(root.data.folderRecord()->contentModDate.secondsSince1970, 1223545487);
    ASSERT_NE(thread.data.threadRecord(), nullptr);
    EXPECT_EQ(thread.data.leafType, LeafType::directoryThread);
    EXPECT_EQ(thread.parentID(), 2);
    EXPECT_EQ(thread.data.threadRecord()->parentID, 1);
    EXPECT_EQ(thread.data.threadRecord()->nodeName, "123456789ABCDE");
    for (size_t i = 0; i < 2; ++i) EXPECT_EQ(catalog.leaves[i].dataBlock(), catalog.records[i].whole.toBytes()) << i;
}

}  // namespace
}  // namespace zorv
