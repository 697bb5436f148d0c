// A ProDOS volume as the reports and the hierarchy walk see it: capacities,
// counts, the item tree built from block pointers, and the bytes of forks.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/model/FakeVolume.hpp"
#include "ProDOSImageBuilder.hpp"

namespace zorv {
namespace {

using testing::FakeItem;
using testing::ProDOSEntryFields;
using testing::ProDOSImageBuilder;

ProDOSEntryFields entry(const std::string& name, int storageType, int keyPointer, int blocksUsed,
                        int headerPointer = 2) {
    ProDOSEntryFields fields;
    fields.name = name;
    fields.storageType = storageType;
    fields.keyPointer = keyPointer;
    fields.blocksUsed = blocksUsed;
    fields.eof = 1;
    fields.headerPointer = headerPointer;
    if (storageType == 0xD) fields.fileType = 0x0F;
    return fields;
}

ProDOSVolume openVolume(const ProDOSImageBuilder& builder) { return ProDOSVolume(ImageBytes(builder.image)); }

std::vector<std::string> childNames(const ProDOSVolume& volume, const VolumeItem& item) {
    std::vector<std::string> names;
    const int64_t count = volume.numberOfChildrenOfItem(item);
    for (int64_t i = 0; i < count; ++i) names.push_back(volume.child(i, item)->name());
    return names;
}

std::string text(const std::optional<ImageBytes>& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<none>");
}

TEST(ProDOSVolumeReportedTest, BlankVolume) {
    const ProDOSVolume volume = ProDOSVolume::blankVolume(280);
    EXPECT_EQ(volume.volumeFormatName(), "Apple II (ProDOS)");
    EXPECT_EQ(volume.helpfulDescription(),
              "This is a bootable ProDOS Volume. It contains the files required to start an Apple II.");
    EXPECT_EQ(volume.volumeName(), "UNTITLED");
    EXPECT_EQ(volume.totalCapacityInBytes(), 143360);
    EXPECT_EQ(volume.freeCapacityInBytes(), (280 - 7) * 512) << "boot blocks, directory and bitmap are in use";
    EXPECT_EQ(volume.numberOfChildrenOfItem(nullptr), 0);
    EXPECT_EQ(volume.totalCountOfFiles(), 0);
    EXPECT_EQ(volume.totalCountOfFolders(), 0);
    EXPECT_FALSE(volume.creationDate()) << "a new volume's date bytes are zero";
    EXPECT_FALSE(volume.modificationDate());
    EXPECT_TRUE(volume.isFormatted());
    EXPECT_TRUE(volume.isBootable());
    EXPECT_TRUE(volume.hasForks());
    EXPECT_FALSE(volume.isBlockOccupied(0));
    EXPECT_FALSE(volume.isRangeOccupied(0, 279));
    EXPECT_TRUE(volume.fileHierarchy().empty());
}

TEST(ProDOSVolumeReportedTest, FreeCapacityComesFromTheBitmap) {
    struct Case {
        const char* what;
        int totalBlocks;
        int bitmapPointer;
        std::vector<std::pair<int64_t, uint8_t>> bytes;  // of the bitmap, from its first block
        int64_t freeBlocks;
    };
    std::vector<std::pair<int64_t, uint8_t>> allSet;
    for (int64_t at = 0; at < 512; ++at) allSet.emplace_back(at, 0xFF);
    const std::vector<Case> cases{
        {"one bit per block, the first block in the high bit", 280, 6, {{0, 0x01}, {1, 0x81}}, 3},
        {"bits past the total blocks are not counted", 280, 6, allSet, 280},
        {"a bitmap beyond the image is all in use", 280, 300, {}, 0},
        {"so is its part beyond the image", 5000, 279, allSet, 4096},
    };
    for (const Case& c : cases) {
        ProDOSImageBuilder builder;
        builder.putEntry(2, 1, entry("SAP", 2, 40, 3));  // entries' blocks used play no part
        ProDOSImageBuilder::put16(&builder.headerByte(35), c.bitmapPointer);
        ProDOSImageBuilder::put16(&builder.headerByte(37), c.totalBlocks);
        for (const auto& [at, value] : c.bytes) *builder.at(c.bitmapPointer, at) = value;
        EXPECT_EQ(openVolume(builder).freeCapacityInBytes(), c.freeBlocks * 512) << c.what;
    }
}

TEST(ProDOSVolumeReportedTest, CountsComeFromTheHeader) {
    ProDOSImageBuilder builder;
    builder.headerByte(33) = 7;
    builder.putEntry(2, 1, entry("ONE", 1, 10, 1));
    const ProDOSVolume volume = openVolume(builder);
    EXPECT_EQ(volume.totalCountOfFiles(), 7);
    EXPECT_EQ(volume.totalCountOfFolders(), 0);
}

TEST(ProDOSVolumeReportedTest, ChildrenAreSortedByName) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, entry("ZETA", 1, 10, 1));
    builder.putEntry(2, 2, entry("ALPHA", 1, 10, 1));
    builder.putEntry(2, 3, entry("beta", 1, 10, 1));
    builder.putEntry(2, 4, entry("ALPHA", 2, 11, 1));
    const ProDOSVolume volume = openVolume(builder);
    EXPECT_EQ(childNames(volume, nullptr), (std::vector<std::string>{"ALPHA", "ALPHA", "ZETA", "beta"}));
    // Equal names keep their directory order.
    const auto* first = dynamic_cast<const ProDOSVolumeFileEntry*>(volume.child(0, nullptr).get());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->storageType, ProDOSStorageType::seedling);
    EXPECT_EQ(volume.child(4, nullptr), nullptr);
    EXPECT_EQ(volume.child(-1, nullptr), nullptr);
}

TEST(ProDOSVolumeReportedTest, TreeFollowsBlockPointers) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, entry("SUB", 0xD, 37, 1));
    builder.putEntry(2, 2, entry("TOP.FILE", 1, 10, 1));
    builder.putSubdirectoryKeyBlock(37, "SUB", 2, 1);
    builder.putEntry(37, 1, entry("INNER", 1, 11, 1, 37));
    builder.putEntry(37, 2, entry("DEEP", 0xD, 38, 1, 37));
    builder.putSubdirectoryKeyBlock(38, "DEEP", 37, 2);
    builder.putEntry(38, 1, entry("LEAF", 1, 12, 1, 38));
    const ProDOSVolume volume = openVolume(builder);

    EXPECT_EQ(childNames(volume, nullptr), (std::vector<std::string>{"SUB", "TOP.FILE"}));
    const VolumeItem sub = volume.child(0, nullptr);
    EXPECT_TRUE(volume.isItemExpandable(sub));
    EXPECT_TRUE(sub->isFolder());
    EXPECT_FALSE(volume.isItemExpandable(volume.child(1, nullptr)));
    EXPECT_EQ(childNames(volume, sub), (std::vector<std::string>{"DEEP", "INNER"}));
    for (int64_t i = 0; i < 2; ++i) EXPECT_EQ(volume.parentItem(volume.child(i, sub)), sub);
    EXPECT_EQ(volume.parentItem(sub), nullptr);
    EXPECT_EQ(volume.parentItem(volume.child(1, nullptr)), nullptr);

    const VolumeItem deep = volume.child(0, sub);
    const VolumeItem leaf = volume.child(0, deep);
    EXPECT_EQ(leaf->name(), "LEAF");
    EXPECT_EQ(volume.tree(leaf), (std::vector<std::string>{"DEEP", "SUB", "TEST - Apple II (ProDOS)"}));

    const auto hierarchy = volume.fileHierarchy();
    std::vector<std::pair<std::string, int64_t>> walked;
    for (const auto& element : hierarchy) walked.emplace_back(element.item->name(), element.level);
    EXPECT_EQ(walked, (std::vector<std::pair<std::string, int64_t>>{
                              {"SUB", 0}, {"DEEP", 1}, {"LEAF", 2}, {"INNER", 1}, {"TOP.FILE", 0}}));

    // Something that is not an entry of this kind stands for the root.
    const auto stranger = std::make_shared<const FakeItem>("SUB", true);
    EXPECT_EQ(volume.numberOfChildrenOfItem(stranger), volume.numberOfChildrenOfItem(nullptr));
    EXPECT_EQ(volume.volumeItem(stranger), nullptr);
    EXPECT_EQ(volume.volumeItem(sub), sub);
    EXPECT_EQ(volume.parentItem(stranger), nullptr);
    EXPECT_FALSE(volume.isItemExpandable(stranger));
    EXPECT_FALSE(volume.getFork(ForkType::data, stranger));
}

TEST(ProDOSVolumeReportedTest, ItemsKeepTheirIdentityAcrossCopies) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, entry("A", 1, 10, 1));
    builder.putEntry(3, 4, entry("B", 1, 10, 1));
    const ProDOSVolume volume = openVolume(builder);
    const ProDOSVolume again = openVolume(builder);
    EXPECT_TRUE(isSameVolumeItem(volume.child(0, nullptr), again.child(0, nullptr)));
    EXPECT_FALSE(isSameVolumeItem(volume.child(0, nullptr), again.child(1, nullptr)));
    EXPECT_EQ(volume.child(1, nullptr)->itemIdentifier(), uint64_t{3} << 8 | 4);
}

TEST(ProDOSVolumeReportedTest, SelfParentingEntriesEndTheWalk) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, entry("SUB", 0xD, 37, 1));
    builder.putSubdirectoryKeyBlock(37, "SUB", 2, 1);
    // Entries of SUB whose header pointers name SUB's own blocks in a ring:
    // LOOP claims to hold SUB's entries, and SUB LOOP's.
    builder.putEntry(37, 1, entry("LOOP", 0xD, 38, 1, 37));
    builder.putSubdirectoryKeyBlock(38, "LOOP", 37, 1);
    builder.putEntry(38, 1, entry("BACK", 0xD, 39, 1, 37));
    builder.putSubdirectoryKeyBlock(39, "BACK", 38, 1);
    builder.putEntry(39, 1, entry("AROUND", 0xD, 40, 1, 38));
    builder.putSubdirectoryKeyBlock(40, "AROUND", 39, 1);
    builder.putEntry(40, 1, entry("SELF", 0xD, 41, 1, 41));
    builder.putSubdirectoryKeyBlock(41, "SELF", 40, 1);
    const ProDOSVolume volume = openVolume(builder);
    const auto hierarchy = volume.fileHierarchy();
    EXPECT_LT(hierarchy.size(), 20u);
    for (const auto& element : hierarchy) EXPECT_FALSE(volume.tree(element.item).empty());
}

TEST(ProDOSVolumeReportedTest, DeepTreeIsWalkedWhole) {
    // 270 nested subdirectories, key blocks 7 to 276, and a file at the bottom.
    constexpr int depth = 270;
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, entry("D0", 0xD, 7, 1));
    for (int level = 0; level < depth; ++level) {
        const int key = 7 + level;
        builder.putSubdirectoryKeyBlock(key, "D" + std::to_string(level), level == 0 ? 2 : key - 1, 1);
        if (level + 1 < depth) {
            builder.putEntry(key, 1, entry("D" + std::to_string(level + 1), 0xD, key + 1, 1, key));
        } else {
            builder.putEntry(key, 1, entry("BOTTOM", 1, 277, 1, key));
        }
    }
    const auto hierarchy = openVolume(builder).fileHierarchy();
    ASSERT_EQ(hierarchy.size(), static_cast<size_t>(depth + 1));
    EXPECT_EQ(hierarchy.back().item->name(), "BOTTOM");
    EXPECT_EQ(hierarchy.back().level, depth);
}

TEST(ProDOSVolumeReportedTest, ApplesoftProgramsAreOfferedAsTheirListing) {
    ProDOSImageBuilder builder;
    ProDOSEntryFields program = entry("HELLO", 1, 10, 1);
    program.fileType = 0xFC;
    program.auxType = 0x0801;
    const Bytes tokens{0x0B, 0x08, 0x64, 0x00, 0x89, 0x3A, 0x9D, 0x3A, 0x97, 0x00, 0x00, 0x00};
    program.eof = static_cast<int64_t>(tokens.size());
    std::copy(tokens.begin(), tokens.end(), builder.at(10, 0));
    builder.putEntry(2, 1, program);
    const ProDOSVolume volume = openVolume(builder);
    const VolumeItem item = volume.child(0, nullptr);

    EXPECT_EQ(text(volume.getFork(ForkType::data, item)), "100 TEXT:NORMAL:HOME\n");
    EXPECT_FALSE(volume.getFork(ForkType::resource, item));
    EXPECT_EQ(item->type()->string(), "TEXT");
    EXPECT_EQ(item->fileExtension(), ".BAS");
    EXPECT_EQ(item->kind(), "AppleSoft BASIC program");
}

TEST(ProDOSVolumeReportedTest, ForksOfPlainFilesAndExtendedFiles) {
    ProDOSImageBuilder builder;
    for (int64_t block = 10; block < 30; ++block) builder.fillBlock(block, static_cast<uint8_t>('A' + block - 10));
    builder.putEntry(2, 1, entry("PLAIN", 1, 10, 1));  // eof 1
    // Data fork: a seedling of 100 bytes at 11; resource fork: a sapling of
    // 300 bytes whose index block 13 lists block 12.
    const Bytes forks[2] = {{0x01, 11, 0, 1, 0, 100, 0, 0}, {0x02, 13, 0, 2, 0, 0x2C, 0x01, 0}};
    builder.fillBlock(20, 0);
    std::copy(forks[0].begin(), forks[0].end(), builder.at(20, 0));
    std::copy(forks[1].begin(), forks[1].end(), builder.at(20, 256));
    builder.fillBlock(13, 0);
    builder.putIndex(13, {12});
    ProDOSEntryFields extended = entry("FORKED", 5, 20, 4);
    extended.eof = 512;
    builder.putEntry(2, 2, extended);
    // An extended Applesoft program: its data fork is listed, its resource
    // fork stays as it is.
    builder.fillBlock(21, 0);
    const Bytes programForks[2] = {{0x01, 22, 0, 1, 0, 12, 0, 0}, {0x01, 23, 0, 1, 0, 3, 0, 0}};
    std::copy(programForks[0].begin(), programForks[0].end(), builder.at(21, 0));
    std::copy(programForks[1].begin(), programForks[1].end(), builder.at(21, 256));
    const Bytes tokens{0x0B, 0x08, 0x0A, 0x00, 0x80, 0x00, 0x00, 0x00};
    builder.fillBlock(22, 0);
    std::copy(tokens.begin(), tokens.end(), builder.at(22, 0));
    ProDOSEntryFields program = entry("PROGRAM", 5, 21, 3);
    program.fileType = 0xFC;
    builder.putEntry(2, 3, program);
    const ProDOSVolume volume = openVolume(builder);

    const VolumeItem forked = volume.child(0, nullptr);
    const VolumeItem plain = volume.child(1, nullptr);
    const VolumeItem listed = volume.child(2, nullptr);
    EXPECT_EQ(text(volume.getFork(ForkType::data, plain)), "A");
    EXPECT_FALSE(volume.getFork(ForkType::resource, plain));
    EXPECT_EQ(text(volume.getFork(ForkType::data, forked)), std::string(100, 'B'));
    EXPECT_EQ(text(volume.getFork(ForkType::resource, forked)), std::string(300, 'C'));
    EXPECT_EQ(forked->logicalSizeInBytes(), 400);
    EXPECT_EQ(forked->physicalSizeInBytes(), 3 * 512);
    EXPECT_EQ(text(volume.getFork(ForkType::data, listed)), "10 END\n");
    EXPECT_EQ(text(volume.getFork(ForkType::resource, listed)), std::string(3, 'N'));
}

TEST(ProDOSVolumeReportedTest, ExtendedFileWithItsKeyBlockBeyondTheImage) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, entry("FORKED", 5, 300, 2));
    const ProDOSVolume volume = openVolume(builder);
    const VolumeItem forked = volume.child(0, nullptr);
    EXPECT_THROW(volume.getFork(ForkType::data, forked), BlockStructureDefinableError);
    EXPECT_THROW(volume.getFork(ForkType::resource, forked), BlockStructureDefinableError);
}

TEST(ProDOSVolumeReportedTest, SubdirectoryForkIsItsKeyBlock) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, entry("SUB", 0xD, 37, 1));
    builder.putSubdirectoryKeyBlock(37, "SUB", 2, 1);
    const ProDOSVolume volume = openVolume(builder);
    const auto fork = volume.getFork(ForkType::data, volume.child(0, nullptr));
    ASSERT_TRUE(fork);
    EXPECT_EQ(fork->size(), 512u);
    EXPECT_EQ((*fork)[4], 0xE3);
}

TEST(ProDOSVolumeReportedTest, WrapperIsKept) {
    struct Container : ImageWrapperRepresentable {
        std::string descriptiveName() const override { return "2MG"; }
        std::string helpfulDescription() const override { return ""; }
    };
    ProDOSVolume volume = ProDOSVolume::blankVolume(280);
    volume.setWrapper(std::make_shared<const Container>());
    ASSERT_TRUE(volume.wrapper());
    EXPECT_EQ(volume.wrapper()->descriptiveName(), "2MG");
    const ProDOSVolume copy = volume;
    EXPECT_EQ(copy.wrapper(), volume.wrapper());
}

}  // namespace
}  // namespace zorv
