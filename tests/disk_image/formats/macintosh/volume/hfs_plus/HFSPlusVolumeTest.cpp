// HFS+ volumes built in the test: opening and refusing them, what they
// report, their navigation and their items.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusReaderBlock.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeError.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/TypeList.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/HFSPlusCatalogRecordBytes.hpp"
#include "support/HFSPlusVolumeBuilder.hpp"
#include "support/ScopedTimeZone.hpp"

namespace zorv {
namespace {

using testing::HFSPlusVolumeBuilder;
using Folder = HFSPlusVolumeBuilder::Folder;
using File = HFSPlusVolumeBuilder::File;

constexpr int64_t kSecondsFrom1904To1970 = 2082844800;

Bytes pattern(size_t length, uint8_t seed) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + i / 251);
    return bytes;
}

File textFile(int64_t parentID, std::u16string name, int64_t fileID, Bytes contents = {}) {
    File file;
    file.parentID = parentID;
    file.name = std::move(name);
    file.fileID = fileID;
    file.dataFork.contents = std::move(contents);
    return file;
}

Folder folderNamed(int64_t parentID, std::u16string name, int64_t folderID) {
    Folder folder;
    folder.parentID = parentID;
    folder.name = std::move(name);
    folder.folderID = folderID;
    return folder;
}

// A small tree:
//   Test Volume/
//     Apple Folder/ (16)
//       Inner/ (17)
//         deep.txt (30)
//       b (31)
//     Zebra (32)
//     apple (33)
//     café (34, stored decomposed)
//     😀 (35)
HFSPlusVolumeBuilder sampleTree() {
    HFSPlusVolumeBuilder builder;
    builder.folders = {folderNamed(2, u"Apple Folder", 16), folderNamed(16, u"Inner", 17)};
    builder.files = {textFile(17, u"deep.txt", 30, pattern(10, 1)),
                     textFile(16, u"b", 31, pattern(5000, 2)),
                     textFile(2, u"Zebra", 32, pattern(1, 3)),
                     textFile(2, u"apple", 33, pattern(4096, 4)),
                     textFile(2, u"cafe\u0301", 34, pattern(9000, 5)),
                     textFile(2, u"\U0001F600", 35)};
    return builder;
}

HFSPlusVolume open(const HFSPlusVolumeBuilder& builder) { return HFSPlusVolume(builder.image()); }

struct Listed {
    std::string name;
    int64_t level;
    friend bool operator==(const Listed&, const Listed&) = default;
};

std::ostream& operator<<(std::ostream& out, const Listed& item) { return out << item.level << ":" << item.name; }

std::vector<Listed> listing(const VolumeRepresentable& volume) {
    std::vector<Listed> items;
    for (const auto& element : volume.fileHierarchy()) items.push_back({element.item->name(), element.level});
    return items;
}

VolumeItem childNamed(const VolumeRepresentable& volume, const VolumeItem& folder, const std::string& name) {
    for (int64_t index = 0; index < volume.numberOfChildrenOfItem(folder); ++index) {
        VolumeItem item = volume.child(index, folder);
        if (item && item->name() == name) return item;
    }
    return nullptr;
}

class NamedWrapper : public ImageWrapperRepresentable {
public:
    std::string descriptiveName() const override { return "Test Container"; }
    std::string helpfulDescription() const override { return "A container made by the test."; }
};

// ---------------------------------------------------------------------------
// Opening

TEST(HFSPlusVolume, ProbeNeedsTheSignatureAndAWholeHeader) {
    const Bytes volume = sampleTree().build();
    struct Case {
        const char* what;
        Bytes bytes;
    };
    Bytes signatureOnly(1026, 0);
    signatureOnly[1024] = 'H';
    signatureOnly[1025] = '+';
    Bytes shortHeader(volume.begin(), volume.begin() + 1535);
    Bytes hfsx = volume;
    hfsx[1025] = 'X';
    Bytes classic = volume;
    classic[1024] = 'B';
    classic[1025] = 'D';
    const std::vector<Case> cases{
        {"1025 bytes", Bytes(volume.begin(), volume.begin() + 1025)},
        {"1026 bytes beginning H+ at 1024", signatureOnly},
        {"1535 bytes", shortHeader},
        {"HFSX", hfsx},
        {"HFS", classic},
        {"all zeros", Bytes(volume.size(), 0)},
    };
    for (const Case& c : cases) EXPECT_FALSE(HFSPlusVolume::fromImageData(ImageBytes(c.bytes)).has_value()) << c.what;
    EXPECT_TRUE(HFSPlusVolume::fromImageData(ImageBytes(volume)).has_value());

    EXPECT_THROW(HFSPlusVolume(ImageBytes(shortHeader)), BlockStructureDefinableError);
    try {
        HFSPlusVolume{ImageBytes(hfsx)};
        ADD_FAILURE() << "an HFSX volume opened";
    } catch (const HFSPlusVolumeHeaderError& error) {
        EXPECT_EQ(error.errorCase, HFSPlusVolumeHeaderError::Case::invalidVolumeHeaderPartitionSignature);
    }
}

TEST(HFSPlusVolume, RefusesAllocationBlockSizesNoVolumeHas) {
    for (const int64_t size : {0LL, 1LL, 256LL, 511LL, 513LL, 1000LL, 3072LL, 4095LL, 0x80000001LL, 0xFFFFFFFFLL}) {
        HFSPlusVolumeBuilder builder = sampleTree();
        builder.headerBlockSizeOverride = size;
        const ImageBytes image = builder.image();
        try {
            HFSPlusVolume{image};
            ADD_FAILURE() << size << " opened";
        } catch (const HFSPlusVolumeHeaderError& error) {
            EXPECT_EQ(error.errorCase, HFSPlusVolumeHeaderError::Case::invalidAllocationBlockSize) << size;
            EXPECT_EQ(error.payload, size);
        }
        EXPECT_FALSE(HFSPlusVolume::fromImageData(image).has_value()) << size;
    }
}

TEST(HFSPlusVolume, OpensWithEveryAllocationBlockSize) {
    for (const int64_t size : {512, 1024, 2048, 4096, 8192, 32768}) {
        HFSPlusVolumeBuilder builder = sampleTree();
        builder.blockSize = size;
        builder.catalogNodeSize = std::max<int64_t>(size, 4096);
        const HFSPlusVolume volume = open(builder);
        EXPECT_EQ(volume.blockSize, size);
        EXPECT_EQ(volume.sizeInBlocks(), volume.sizeInBytes() / size) << size;
        const VolumeItem cafe = childNamed(volume, nullptr, "cafe\xCC\x81");
        ASSERT_NE(cafe, nullptr) << size;
        EXPECT_EQ(volume.getFork(ForkType::data, cafe), pattern(9000, 5)) << size;
    }
}

TEST(HFSPlusVolume, BlankVolumeHeadersParseBackButDoNotOpen) {
    const Date made{1700000000};
    for (const int64_t blocks : {4, 5, 2048, 20480}) {
        const auto headers = HFSPlusVolume::blocksForNewHFSPlusVolume(blocks, "Untitled", 512, made);
        Bytes image(static_cast<size_t>(blocks * 512), 0);
        for (const auto& [block, bytes] : headers) {
            ASSERT_EQ(bytes.size(), 512u);
            std::copy(bytes.begin(), bytes.end(), image.begin() + block * 512);
        }
        for (const int64_t block : {int64_t{2}, blocks - 2}) {
            const HFSPlusVolumeHeader header(ImageBytes(image).slice(block * 512, 512));
            EXPECT_EQ(header.totalBlocks, blocks);
            EXPECT_EQ(header.blockSize, 512);
            EXPECT_EQ(header.createDate, made);
            EXPECT_EQ(header.catalogFile.logicalSize, 0);
        }
        EXPECT_THROW(HFSPlusVolume(ImageBytes(image)), BlockStructureDefinableError) << blocks;
        EXPECT_FALSE(HFSPlusVolume::fromImageData(ImageBytes(image)).has_value()) << blocks;
    }
    for (const int64_t blocks : {-1, 0, 3}) {
        EXPECT_THROW(HFSPlusVolume::blocksForNewHFSPlusVolume(blocks, "Untitled", 512), HFSPlusVolumeHeaderError)
            << blocks;
    }
}

TEST(HFSPlusVolume, ACatalogBeyondTheImageIsRefused) {
    const Bytes whole = sampleTree().build();
    // The catalog lies after the files' forks; cut the image inside it.
    const HFSPlusVolume volume{ImageBytes(whole)};
    const auto& catalog = volume.volumeHeader().catalogFile.extents[0];
    const Bytes cut(whole.begin(), whole.begin() + (catalog.startBlock + 1) * volume.blockSize);
    EXPECT_THROW(HFSPlusVolume(ImageBytes(cut)), BlockStructureDefinableError);
    EXPECT_FALSE(HFSPlusVolume::fromImageData(ImageBytes(cut)).has_value());
}

// ---------------------------------------------------------------------------
// The volume as reported

TEST(HFSPlusVolume, ReportsTheHeader) {
    HFSPlusVolumeBuilder builder = sampleTree();
    builder.totalBlocks = 1000;
    builder.freeBlocks = 250;
    builder.fileCount = 123;
    builder.folderCount = 45;
    builder.createDate = 0xDE06D48D;  // 2022-01-14 07:19:41 GMT
    builder.modifyDate = 0xDE06D48E;
    const HFSPlusVolume volume = open(builder);

    EXPECT_EQ(volume.volumeName(), "Test Volume");
    EXPECT_EQ(volume.presentableName(), "Test Volume");
    EXPECT_EQ(volume.totalCapacityInBytes(), 4096000);
    EXPECT_EQ(volume.freeCapacityInBytes(), 1024000);
    EXPECT_EQ(volume.totalCountOfFiles(), 123);
    EXPECT_EQ(volume.totalCountOfFolders(), 45);
    EXPECT_TRUE(volume.isFormatted());
    EXPECT_TRUE(volume.hasForks());
    EXPECT_FALSE(volume.isBlockOccupied(0));
    EXPECT_FALSE(volume.isRangeOccupied(0, 999));
    EXPECT_EQ(volume.sizeInBlocks(), 1000);
    // HFS+ dates are GMT, except the header's creation date, which Mac OS
    // keeps in local time: read in the host's zone when the volume opens.
    for (const auto& [zone, hoursAheadOfGMT] : std::vector<std::pair<const char*, int64_t>>{
                 {"UTC", 0}, {"EST5EDT,M3.2.0,M11.1.0", -5}, {"JST-9", 9}}) {
        const testing::ScopedTimeZone timeZone(zone);
        const HFSPlusVolume opened = open(builder);
        EXPECT_EQ(opened.creationDate(), Date{0xDE06D48D - kSecondsFrom1904To1970 - hoursAheadOfGMT * 3600}) << zone;
        EXPECT_EQ(opened.modificationDate(), Date{0xDE06D48E - kSecondsFrom1904To1970}) << zone;
    }
}

TEST(HFSPlusVolume, FormatNameShowsTheWrapper) {
    HFSPlusVolume volume = open(sampleTree());
    EXPECT_EQ(volume.volumeFormatName(), "Macintosh (HFS+)");
    EXPECT_EQ(volume.wrapper(), nullptr);
    volume.setWrapper(std::make_shared<NamedWrapper>());
    EXPECT_EQ(volume.volumeFormatName(), "Macintosh (HFS+)\n(Test Container)");
    ASSERT_NE(volume.wrapper(), nullptr);
    EXPECT_EQ(volume.wrapper()->descriptiveName(), "Test Container");
}

TEST(HFSPlusVolume, BootabilityIsTheBlessedFolder) {
    struct Case {
        int64_t blessed;
        bool bootable;
    };
    for (const Case& c : std::vector<Case>{{0, false}, {16, true}, {0xFFFFFFFF, true}}) {
        HFSPlusVolumeBuilder builder = sampleTree();
        builder.blessedFolderID = c.blessed;
        const HFSPlusVolume volume = open(builder);
        EXPECT_EQ(volume.isBootable(), c.bootable) << c.blessed;
        EXPECT_EQ(volume.helpfulDescription(),
                  c.bootable ? "This is a bootable HFS+ Volume."
                             : "This is a non-bootable HFS+ Volume. It doesn't seem to contain a working System "
                               "folder, so you will not be able to start a Mac (real or emulated) with this.")
            << c.blessed;
    }
}

TEST(HFSPlusVolume, WalksTheTreeInNameOrder) {
    const HFSPlusVolume volume = open(sampleTree());
    EXPECT_EQ(listing(volume), (std::vector<Listed>{{"Apple Folder", 0},
                                                     {"Inner", 1},
                                                     {"deep.txt", 2},
                                                     {"b", 1},
                                                     {"Zebra", 0},
                                                     {"apple", 0},
                                                     {"cafe\xCC\x81", 0},
                                                     {"\xF0\x9F\x98\x80", 0}}));
}

TEST(HFSPlusVolume, NavigatesBetweenItems) {
    const HFSPlusVolume volume = open(sampleTree());
    const VolumeItem appleFolder = childNamed(volume, nullptr, "Apple Folder");
    const VolumeItem zebra = childNamed(volume, nullptr, "Zebra");
    ASSERT_NE(appleFolder, nullptr);
    ASSERT_NE(zebra, nullptr);
    const VolumeItem inner = childNamed(volume, appleFolder, "Inner");
    const VolumeItem deep = childNamed(volume, inner, "deep.txt");
    ASSERT_NE(deep, nullptr);

    EXPECT_TRUE(volume.isItemExpandable(appleFolder));
    EXPECT_FALSE(volume.isItemExpandable(zebra));
    EXPECT_FALSE(volume.isItemExpandable(nullptr));
    EXPECT_EQ(volume.numberOfChildrenOfItem(nullptr), 5);
    EXPECT_EQ(volume.numberOfChildrenOfItem(appleFolder), 2);
    // A file has no children of its own: it answers the root's.
    EXPECT_EQ(volume.numberOfChildrenOfItem(zebra), 5);
    EXPECT_EQ(volume.child(0, zebra)->name(), "Apple Folder");
    EXPECT_EQ(volume.child(5, nullptr), nullptr);
    EXPECT_EQ(volume.child(-1, nullptr), nullptr);
    // The same item each time a folder is handed out.
    EXPECT_TRUE(isSameVolumeItem(volume.child(0, nullptr), appleFolder));

    EXPECT_EQ(volume.volumeItem(deep), deep);
    EXPECT_EQ(volume.volumeItem(nullptr), nullptr);
    const VolumeItem elsewhere = std::make_shared<HFSPlusCatalogLeafRecord>();
    EXPECT_EQ(volume.volumeItem(elsewhere), elsewhere);

    EXPECT_TRUE(isSameVolumeItem(volume.parentItem(deep), inner));
    EXPECT_TRUE(isSameVolumeItem(volume.parentItem(inner), appleFolder));
    const VolumeItem root = volume.parentItem(appleFolder);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name(), "Test Volume");
    EXPECT_TRUE(isSameVolumeItem(volume.parentItem(zebra), root));
    EXPECT_EQ(volume.parentItem(root), nullptr);
    EXPECT_EQ(volume.parentItem(nullptr), nullptr);
    EXPECT_EQ(volume.tree(deep), (std::vector<std::string>{"Inner", "Apple Folder", "Test Volume",
                                                            "Test Volume - Macintosh (HFS+)"}));
}

// Damaged catalogs: folders that contain themselves or each other.
TEST(HFSPlusVolume, FolderLoopsEndTheWalk) {
    HFSPlusVolumeBuilder builder;
    builder.folders = {
        folderNamed(2, u"Outer", 16),
        folderNamed(16, u"Middle", 17),
        folderNamed(17, u"Outer again", 16),  // a second record of folder 16 inside its own child
        folderNamed(18, u"Self", 18),          // its own parent, unreachable
        folderNamed(21, u"Ping", 20),          // 20 and 21 hold each other, unreachable
        folderNamed(20, u"Pong", 21),
    };
    builder.files = {textFile(16, u"leaf", 30), textFile(18, u"in self", 31)};
    const HFSPlusVolume volume = open(builder);

    EXPECT_EQ(listing(volume), (std::vector<Listed>{{"Outer", 0}, {"Middle", 1}, {"Outer again", 2}, {"leaf", 1}}));

    const auto leaves = volume.catalogFile().leaves();
    const auto itemOf = [&](const std::string& name) -> VolumeItem {
        for (const auto& leaf : leaves) {
            if (leaf.nodeName() == name && leaf.isFolder()) return std::make_shared<HFSPlusCatalogLeafRecord>(leaf);
        }
        return nullptr;
    };
    const VolumeItem self = itemOf("Self");
    EXPECT_EQ(volume.parentItem(self), nullptr);
    EXPECT_EQ(volume.numberOfChildrenOfItem(self), 1);
    EXPECT_EQ(volume.child(0, self)->name(), "in self");
    const auto pingTree = volume.tree(itemOf("Ping"));
    EXPECT_LE(pingTree.size(), 4u);
    EXPECT_EQ(pingTree.back(), "Test Volume - Macintosh (HFS+)");
}

// ---------------------------------------------------------------------------
// Forks

TEST(HFSPlusVolume, ReadsForks) {
    HFSPlusVolumeBuilder builder;
    File both = textFile(2, u"both", 40, pattern(5000, 9));
    both.resourceFork = {pattern(300, 10), 1};
    File emptyButAllocated = textFile(2, u"empty", 41);
    emptyButAllocated.dataFork.spareBlocks = 1;
    builder.files = {both, emptyButAllocated, textFile(2, u"none", 43)};
    builder.folders = {folderNamed(2, u"folder", 16)};
    const HFSPlusVolume volume = open(builder);

    struct Case {
        const char* name;
        ForkType fork;
        std::optional<Bytes> expected;
    };
    const std::vector<Case> cases{
        {"both", ForkType::data, pattern(5000, 9)},
        {"both", ForkType::resource, pattern(300, 10)},
        {"empty", ForkType::data, Bytes()},  // allocated: empty, not absent
        {"empty", ForkType::resource, std::nullopt},
        {"none", ForkType::data, std::nullopt},
        {"folder", ForkType::data, std::nullopt},
    };
    for (const Case& c : cases) {
        const VolumeItem item = childNamed(volume, nullptr, c.name);
        ASSERT_NE(item, nullptr) << c.name;
        const auto fork = volume.getFork(c.fork, item);
        ASSERT_EQ(fork.has_value(), c.expected.has_value()) << c.name;
        if (fork) {
            EXPECT_EQ(*fork, *c.expected) << c.name;
        }
    }
    EXPECT_FALSE(volume.getFork(ForkType::data, nullptr).has_value());
}

// A fork record whose blocks hold fewer bytes than its logical size is
// refused, not read short: one block claiming 100,000 bytes, and no block
// claiming 10.
TEST(HFSPlusVolume, AForkShorterThanItsLogicalSizeIsRefused) {
    HFSPlusVolumeBuilder builder;
    File longer = textFile(2, u"claims more", 42, pattern(100, 11));
    longer.dataFork.logicalSizeOverride = 100000;
    File blockless = textFile(2, u"no blocks", 43);
    blockless.dataFork.logicalSizeOverride = 10;
    builder.files = {longer, blockless};
    const HFSPlusVolume volume = open(builder);
    for (const char* name : {"claims more", "no blocks"}) {
        const VolumeItem item = childNamed(volume, nullptr, name);
        ASSERT_NE(item, nullptr) << name;
        testing::expectError<HFSPlusVolumeError>(HFSPlusVolumeError::Case::forkShorterThanLength,
                                                 [&] { volume.getFork(ForkType::data, item); });
    }
}

// ---------------------------------------------------------------------------
// Catalog records as items

HFSPlusCatalogLeafRecord leaf(int64_t parentID, const std::u16string& name, const Bytes& body, int64_t blockSize) {
    const Bytes key = testing::ByteBuilder().u16(6 + 2 * static_cast<int64_t>(name.size())).bytes(
        testing::hfsPlusCatalogKey(parentID, name));
    return HFSPlusCatalogLeafRecord(ImageBytes(key), ImageBytes(body), blockSize);
}

std::vector<FinderFlag> flagsOf(const HFSPlusCatalogLeafRecord& record) {
    return record.flags().value_or(std::vector<FinderFlag>{});
}

bool has(const std::vector<FinderFlag>& flags, FinderFlag flag) {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

TEST(HFSPlusCatalogItems, FilesAnswerFromTheirRecord) {
    testing::HFSPlusFileFields fields;
    fields.created = 0xDE06D48D;
    fields.modified = 0xDE06D48E;
    fields.dataFork = testing::hfsPlusForkRecord(1000, 1, {{10, 1}});
    fields.resourceFork = testing::hfsPlusForkRecord(300, 0, {});
    const HFSPlusCatalogLeafRecord file = leaf(2, u"ReadMe", testing::hfsPlusFileBody(25, fields), 4096);

    EXPECT_EQ(file.name(), "ReadMe");
    EXPECT_EQ(file.logicalSizeInBytes(), 1300);
    EXPECT_EQ(file.physicalSizeInBytes(), 4096);
    EXPECT_EQ(file.creationDate(), Date{0xDE06D48D - kSecondsFrom1904To1970});
    EXPECT_EQ(file.modificationDate(), Date{0xDE06D48E - kSecondsFrom1904To1970});
    EXPECT_FALSE(file.isFolder());
    EXPECT_EQ(file.kind(), TypeList::shared().list.at("TEXT"));
    EXPECT_EQ(file.type()->string(), "TEXT");
    EXPECT_EQ(file.creator()->string(), "ttxt");
    EXPECT_TRUE(file.isExportable());
    EXPECT_EQ(file.itemIdentifier(), 25u);
    EXPECT_EQ(file.fileExtension(), ".txt");

    fields.type = {'z', 'z', 'z', 'q'};
    EXPECT_EQ(leaf(2, u"other", testing::hfsPlusFileBody(26, fields), 4096).kind(), "Unknown type");
    // A name that ends in a three-letter extension keeps it, whatever the type.
    EXPECT_EQ(leaf(2, u"report.doc", testing::hfsPlusFileBody(27, fields), 4096).fileExtension(), "");
}

TEST(HFSPlusCatalogItems, FinderFlagsOfFilesAndFolders) {
    struct Case {
        const char* what;
        bool folder;
        int64_t recordFlags;  // the folder record's flags word
        int64_t finderFlags;  // userInfo.finderFlags
        std::vector<FinderFlag> expected;
    };
    const std::vector<Case> cases{
        {"invisible file", false, 0, 0x4000, {FinderFlag::kIsInvisible}},
        {"colour bits all set", false, 0, 0x000E, {FinderFlag::kColor}},
        {"one colour bit", false, 0, 0x0002, {}},
        {"every bit", false, 0, 0xFFFF,
         {FinderFlag::kIsOnDesk, FinderFlag::kColor, FinderFlag::kIsShared, FinderFlag::kHasNoINITs,
          FinderFlag::kHasBeenInited, FinderFlag::kHasCustomIcon, FinderFlag::kIsStationery, FinderFlag::kNameLocked,
          FinderFlag::kHasBundle, FinderFlag::kIsInvisible, FinderFlag::kIsAlias}},
        {"folder: Finder flags are read", true, 0, 0x4000, {FinderFlag::kIsInvisible}},
        {"folder: record flags are not", true, 0x4000, 0, {}},
    };
    for (const Case& c : cases) {
        testing::HFSPlusFileFields fields;
        fields.finderFlags = c.finderFlags;
        const Bytes body = c.folder ? testing::hfsPlusFolderBody(16, 0, c.recordFlags, 0, 0, c.finderFlags)
                                    : testing::hfsPlusFileBody(20, fields);
        const HFSPlusCatalogLeafRecord record = leaf(2, u"item", body, 512);
        EXPECT_EQ(flagsOf(record), c.expected) << c.what;
        EXPECT_EQ(record.isInvisible(), has(c.expected, FinderFlag::kIsInvisible)) << c.what;
    }
}

TEST(HFSPlusCatalogItems, FoldersAndThreadsAnswerLess) {
    const HFSPlusCatalogLeafRecord folder = leaf(2, u"Folder", testing::hfsPlusFolderBody(16, 3, 0, 0xDE06D48D), 4096);
    EXPECT_TRUE(folder.isFolder());
    EXPECT_FALSE(folder.logicalSizeInBytes().has_value());
    EXPECT_FALSE(folder.physicalSizeInBytes().has_value());
    EXPECT_FALSE(folder.kind().has_value());
    EXPECT_FALSE(folder.type().has_value());
    EXPECT_FALSE(folder.creator().has_value());
    EXPECT_TRUE(folder.isExportable());
    EXPECT_EQ(folder.itemIdentifier(), 16u);
    EXPECT_EQ(folder.creationDate(), Date{0xDE06D48D - kSecondsFrom1904To1970});

    const HFSPlusCatalogLeafRecord thread = leaf(16, u"", testing::hfsPlusThreadBody(3, 2, u"Folder"), 4096);
    EXPECT_FALSE(thread.isFolder());
    EXPECT_EQ(thread.creationDate(), HFSPlusReaderBlock::epoch());
    EXPECT_EQ(thread.modificationDate(), HFSPlusReaderBlock::epoch());
    EXPECT_FALSE(thread.flags().has_value());
    EXPECT_FALSE(thread.isInvisible());
    EXPECT_FALSE(thread.itemIdentifier().has_value());
    EXPECT_FALSE(thread.logicalSizeInBytes().has_value());
}

TEST(HFSPlusCatalogItems, DamagedSizesStopAtTheLargestValue) {
    testing::HFSPlusFileFields fields;
    fields.dataFork = testing::hfsPlusForkRecord(0x7FFFFFFFFFFFFFFF, 0xFFFFFFFF, {});
    fields.resourceFork = testing::hfsPlusForkRecord(0x7FFFFFFFFFFFFFFF, 0xFFFFFFFF, {});
    const HFSPlusCatalogLeafRecord file = leaf(2, u"huge", testing::hfsPlusFileBody(20, fields), 0x80000000);
    EXPECT_EQ(file.logicalSizeInBytes(), 0x7FFFFFFFFFFFFFFF);
    EXPECT_EQ(file.physicalSizeInBytes(), 0x7FFFFFFFFFFFFFFF);
}

}  // namespace
}  // namespace zorv
