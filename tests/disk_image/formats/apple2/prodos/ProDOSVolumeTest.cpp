// Opening ProDOS volumes: the probe, both sector orders, the directory walk
// (and its guards against damaged directories), file contents by storage
// type, and blank volumes.

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDiskError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeDirectoryHeaderError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolumeBitmap.hpp"
#include "platform/FileSystem.hpp"
#include "ProDOSImageBuilder.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/ErrorExpectations.hpp"

namespace zorv {
namespace {

using testing::ProDOSEntryFields;
using testing::ProDOSImageBuilder;

ProDOSEntryFields file(const std::string& name, int storageType, int keyPointer, int64_t eof, int headerPointer = 2) {
    ProDOSEntryFields fields;
    fields.name = name;
    fields.storageType = storageType;
    fields.keyPointer = keyPointer;
    fields.eof = eof;
    fields.headerPointer = headerPointer;
    return fields;
}

ProDOSEntryFields subdirectory(const std::string& name, int keyPointer, int headerPointer = 2) {
    ProDOSEntryFields fields = file(name, 0xD, keyPointer, 512, headerPointer);
    fields.fileType = 0x0F;
    return fields;
}

std::vector<std::string> walkOrder(const ProDOSVolume& volume) {
    std::vector<std::string> names;
    for (const auto& entry : volume.fileEntries()) names.push_back(entry->fileName);
    return names;
}

ProDOSVolume openVolume(const Bytes& image) { return ProDOSVolume(ImageBytes(image)); }

// A block of 512 bytes counting up from `first`.
void fillCounting(ProDOSImageBuilder& builder, int64_t block, uint8_t first) {
    for (int64_t i = 0; i < 512; ++i) *builder.at(block, i) = static_cast<uint8_t>(first + i);
}

Bytes blockBytes(const ProDOSImageBuilder& builder, int64_t block, int64_t count = 512) {
    const auto start = builder.image.begin() + block * 512;
    return Bytes(start, start + count);
}

TEST(ProDOSVolumeTest, OpensAndLeavesTheHeaderOut) {
    ProDOSImageBuilder builder(280, "MY.DISK");
    builder.putEntry(2, 1, file("HELLO", 1, 10, 5));
    const auto volume = ProDOSVolume::fromImageData(ImageBytes(builder.image));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->volumeDirectoryHeader().name, "MY.DISK");
    EXPECT_EQ(volume->volumeDirectoryHeader().totalBlocks, 280);
    EXPECT_TRUE(volume->disk().proDOSOrder);
    EXPECT_EQ(walkOrder(*volume), std::vector<std::string>{"HELLO"});
    EXPECT_EQ(volume->fileEntries()[0]->entryBlock, 2);
    EXPECT_EQ(volume->fileEntries()[0]->entryIndex, 1);
}

TEST(ProDOSVolumeTest, DOSOrderWithTheBootSignatureIsReadInPlace) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, file("HELLO", 1, 10, 5));
    fillCounting(builder, 10, 0x41);
    const ImageBytes dos(builder.dosOrdered());
    ASSERT_EQ(Bytes(dos.begin(), dos.begin() + 4), (Bytes{0x01, 0x38, 0xB0, 0x03}));

    const auto volume = ProDOSVolume::fromImageData(dos);
    ASSERT_TRUE(volume);
    EXPECT_FALSE(volume->disk().proDOSOrder);
    EXPECT_EQ(volume->disk().structureData.data(), dos.data()) << "the input itself, not a copy";
    // What goes into a partition or a volume file is in ProDOS block order.
    EXPECT_EQ(volume->dataBlockArray(), std::vector<Bytes>{builder.image});
    EXPECT_EQ(volume->dataInProDOSBlockOrder(), builder.image);
    EXPECT_EQ(volume->getFileContents(*volume->fileEntries()[0]), blockBytes(builder, 10, 5));
}

TEST(ProDOSVolumeTest, DOSOrderWithoutTheBootSignatureStaysInDOSOrder) {
    ProDOSImageBuilder builder;
    std::fill(builder.image.begin(), builder.image.begin() + 4, 0);
    builder.putEntry(2, 1, file("HELLO", 1, 10, 5));
    fillCounting(builder, 10, 0x41);
    const Bytes dos = builder.dosOrdered();

    const auto volume = ProDOSVolume::fromImageData(ImageBytes(dos));
    ASSERT_TRUE(volume);
    EXPECT_FALSE(volume->disk().proDOSOrder);
    EXPECT_EQ(volume->disk().structureData, dos) << "the bytes as stored";
    EXPECT_EQ(walkOrder(*volume), std::vector<std::string>{"HELLO"});
    EXPECT_EQ(volume->getFileContents(*volume->fileEntries()[0]), blockBytes(builder, 10, 5));
    // What goes into a partition or a volume file is in ProDOS block order.
    EXPECT_EQ(volume->dataInProDOSBlockOrder(), builder.image);
    EXPECT_EQ(volume->dataBlockArray(), std::vector<Bytes>{builder.image});
    EXPECT_EQ(volume->dataBlock(), builder.image);
}

// Peak resident memory of this process, in KiB.
int64_t peakResidentKiB() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(ProDOSVolumeTest, ProbeOfAHugeInputCopiesNothing) {
    // 1 GiB that begins with the boot signature and holds no volume in either
    // order: a sparse file, mapped as files to analyse are.
    const testing::TemporaryDirectory folder;
    const std::string path = folder.file("huge.do");
    std::ofstream(path, std::ios::binary).write("\x01\x38\xB0\x03", 4);
    std::filesystem::resize_file(path, uintmax_t{1} << 30);
    const ImageBytes huge = fs::readWholeFile(path);

    const int64_t before = peakResidentKiB();
    EXPECT_FALSE(ProDOSVolume::fromImageData(huge));
    EXPECT_LT(peakResidentKiB() - before, 64 * 1024) << "KiB more at the peak";
}

TEST(ProDOSVolumeTest, TooShortImages) {
    EXPECT_FALSE(ProDOSVolume::fromImageData(ImageBytes(Bytes(1535, 0))));
    testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock,
                                                       [&] { openVolume(Bytes(1535, 0)); });
    // Three blocks of ProDOS order hold block 2; the same bytes in DOS order
    // hold no whole track.
    ProDOSImageBuilder three(3);
    EXPECT_TRUE(ProDOSVolume::fromImageData(ImageBytes(three.image)));
    EXPECT_FALSE(ProDOSVolume::fromImageData(ImageBytes(Bytes(1536, 0))));
}

TEST(ProDOSVolumeTest, NotAVolumeWithoutAHeaderInEitherOrder) {
    ProDOSImageBuilder builder;
    builder.headerByte(0) = 0xE4;
    EXPECT_FALSE(ProDOSVolume::fromImageData(ImageBytes(builder.image)));
    EXPECT_FALSE(ProDOSVolume::fromImageData(ImageBytes(Bytes(143360, 0))));
}

TEST(ProDOSVolumeTest, FourDirectoryBlocksHoldFiftyOneEntries) {
    ProDOSImageBuilder builder;
    int number = 0;
    for (int64_t block = 2; block <= 5; ++block) {
        for (int64_t slot = block == 2 ? 1 : 0; slot < 13; ++slot) {
            builder.putEntry(block, slot, file("F" + std::to_string(number++), 1, 10, 1));
        }
    }
    // The byte after the thirteenth slot is never read.
    *builder.at(3, 511) = 0xFF;
    const ProDOSVolume volume = openVolume(builder.image);
    ASSERT_EQ(volume.fileEntries().size(), 51u);
    for (size_t i = 0; i < 51; ++i) EXPECT_EQ(volume.fileEntries()[i]->fileName, "F" + std::to_string(i));
    EXPECT_EQ(volume.fileEntries()[24]->entryBlock, 3);
    EXPECT_EQ(volume.fileEntries()[24]->entryIndex, 12);
}

TEST(ProDOSVolumeTest, DeletedPascalAndUnknownEntriesAreSkipped) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, file("GONE", 0, 10, 1));
    builder.putEntry(2, 2, file("ODD", 7, 10, 1));
    builder.putEntry(2, 3, file("PASCAL", 4, 10, 1));
    builder.putEntry(2, 4, file("STRAY.HDR", 0xE, 10, 1));
    builder.putEntry(2, 5, file("KEPT", 1, 10, 1));
    EXPECT_EQ(walkOrder(openVolume(builder.image)), std::vector<std::string>{"KEPT"});
}

TEST(ProDOSVolumeTest, SubdirectoryEntriesFollowTheirEntry) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, file("FIRST", 1, 10, 1));
    builder.putEntry(2, 3, subdirectory("SUB", 37));
    builder.putEntry(2, 4, file("LAST", 1, 10, 1));
    builder.putSubdirectoryKeyBlock(37, "SUB", 2, 3);
    builder.setPointers(37, 0, 38);
    builder.putEntry(37, 1, file("CHILD1", 1, 11, 1, 37));
    builder.putEntry(37, 2, subdirectory("DEEPER", 39, 37));
    builder.putEntry(38, 0, file("CHILD2", 1, 11, 1, 37));
    builder.putSubdirectoryKeyBlock(39, "DEEPER", 37, 2);
    builder.putEntry(39, 1, file("DEEPEST", 1, 12, 1, 39));

    const ProDOSVolume volume = openVolume(builder.image);
    EXPECT_EQ(walkOrder(volume),
              (std::vector<std::string>{"FIRST", "SUB", "CHILD1", "DEEPER", "DEEPEST", "CHILD2", "LAST"}));
    EXPECT_EQ(volume.fileEntries()[2]->headerPointer, 37);
    EXPECT_EQ(volume.fileEntries()[5]->headerPointer, 37);
    EXPECT_EQ(volume.fileEntries()[5]->entryBlock, 38);
}

// File contents by storage type.
class ProDOSFileContentsTest : public ::testing::Test {
protected:
    ProDOSFileContentsTest() {
        for (int64_t block = 10; block < 40; ++block) fillCounting(builder, block, static_cast<uint8_t>(block));
    }

    Bytes contents(const ProDOSEntryFields& fields) {
        builder.putEntry(2, 1, fields);
        const ProDOSVolume volume = openVolume(builder.image);
        return volume.getFileContents(*volume.fileEntries().at(0)).toBytes();
    }

    Bytes join(const std::vector<Bytes>& parts) {
        Bytes joined;
        for (const Bytes& part : parts) joined.insert(joined.end(), part.begin(), part.end());
        return joined;
    }

    ProDOSImageBuilder builder;
};

TEST_F(ProDOSFileContentsTest, Seedling) {
    EXPECT_EQ(contents(file("S", 1, 10, 0)), Bytes());
    EXPECT_EQ(contents(file("S", 1, 10, 100)), blockBytes(builder, 10, 100));
    EXPECT_EQ(contents(file("S", 1, 10, 600)), blockBytes(builder, 10)) << "one block at most";
}

TEST_F(ProDOSFileContentsTest, Sapling) {
    builder.putIndex(40, {10, 11});
    EXPECT_EQ(contents(file("S", 2, 40, 1000)), join({blockBytes(builder, 10), blockBytes(builder, 11, 488)}));
    builder.putIndex(40, {10, 0, 12});
    EXPECT_EQ(contents(file("S", 2, 40, 1536)), join({blockBytes(builder, 10), Bytes(512, 0), blockBytes(builder, 12)}));
    // Beyond the blocks listed, zeros up to the end of file (at most 128 KiB).
    EXPECT_EQ(contents(file("S", 2, 40, 131072 + 5000)).size(), 131072u);
}

TEST_F(ProDOSFileContentsTest, Tree) {
    builder.putIndex(50, {20, 21});
    builder.putIndex(20, std::vector<int>(256, 30));
    builder.putIndex(21, {31});
    const Bytes read = contents(file("T", 3, 50, 131072 + 100));
    ASSERT_EQ(read.size(), 131172u);
    for (size_t block = 0; block < 256; ++block) {
        ASSERT_EQ(Bytes(read.begin() + static_cast<std::ptrdiff_t>(block * 512),
                        read.begin() + static_cast<std::ptrdiff_t>(block * 512 + 512)),
                  blockBytes(builder, 30))
                << block;
    }
    EXPECT_EQ(Bytes(read.end() - 100, read.end()), blockBytes(builder, 31, 100));
}

TEST_F(ProDOSFileContentsTest, SparseTreeKeepsItsGapsInPlace) {
    // A master entry of 0 before a non-zero one stands for 256 blocks of
    // zeros: the data after it stays at 128 KiB.
    builder.fillBlock(21, 0);
    builder.putIndex(50, {0, 21, 0});
    builder.putIndex(21, {0, 31});
    const Bytes read = contents(file("T", 3, 50, 3 * 131072));
    ASSERT_EQ(read.size(), 3u * 131072);
    EXPECT_EQ(Bytes(read.begin(), read.begin() + 131072 + 512), Bytes(131072 + 512, 0));
    EXPECT_EQ(Bytes(read.begin() + 131072 + 512, read.begin() + 131072 + 1024), blockBytes(builder, 31));
    EXPECT_TRUE(std::all_of(read.begin() + 131072 + 1024, read.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(ProDOSFileContentsTest, SubdirectoryIsItsKeyBlock) {
    builder.fillBlock(37, 0);
    builder.putSubdirectoryKeyBlock(37, "SUB", 2, 1);
    EXPECT_EQ(contents(subdirectory("SUB", 37)), blockBytes(builder, 37));
    ProDOSEntryFields huge = subdirectory("SUB", 37);
    huge.eof = 5000;
    EXPECT_EQ(contents(huge).size(), 512u);
}

TEST_F(ProDOSFileContentsTest, OnlyBlocksWithinTheEndOfFileAreRead) {
    builder.putIndex(40, {10, 60000});
    EXPECT_EQ(contents(file("S", 2, 40, 512)), blockBytes(builder, 10));
}

TEST_F(ProDOSFileContentsTest, BlocksBeyondTheImageAreAnError) {
    builder.putIndex(40, {10, 60000});
    builder.putIndex(50, {20, 61000});
    builder.putIndex(20, {10});
    const std::vector<ProDOSEntryFields> beyond{file("SEEDLING", 1, 300, 10), file("DATA", 2, 40, 1000),
                                                file("INDEX", 2, 300, 10), file("MASTER", 3, 300, 10),
                                                file("SECOND.INDEX", 3, 50, 131072 + 1)};
    for (const ProDOSEntryFields& fields : beyond) {
        EXPECT_THROW(contents(fields), BlockStructureDefinableError) << fields.name;
    }
}

TEST(ProDOSVolumeTest, ContentsOfEntriesWithoutContents) {
    ProDOSImageBuilder builder;
    const ProDOSVolume volume = openVolume(builder.image);
    ProDOSVolumeFileEntry entry;
    entry.keyPointer = 10;
    entry.eof = 100;
    for (const auto storageType : {ProDOSStorageType::deleted, ProDOSStorageType::pascalArea,
                                   ProDOSStorageType::subdirectoryHeader, ProDOSStorageType::volumeDirectoryHeader}) {
        entry.storageType = storageType;
        EXPECT_TRUE(volume.getFileContents(entry).empty()) << rawValue(storageType);
    }
}

// Damaged directories end the walk at once, or keep the volume from opening.
TEST(ProDOSVolumeTest, EntryLengthMustCoverTheHeader) {
    for (const int length : {0, 1, 38}) {
        ProDOSImageBuilder builder;
        builder.headerByte(31) = static_cast<uint8_t>(length);
        SCOPED_TRACE(length);
        testing::expectError<ProDOSVolumeError>(ProDOSVolumeError::Case::invalidEntryLength,
                                                [&] { openVolume(builder.image); });
        EXPECT_FALSE(ProDOSVolume::fromImageData(ImageBytes(builder.image))) << length;
    }
    // A length that skips the whole block leaves its other slots unread.
    ProDOSImageBuilder wide;
    wide.headerByte(31) = 255;
    wide.putEntry(2, 1, file("HIDDEN", 1, 10, 1));
    wide.putEntry(3, 0, file("SEEN", 1, 10, 1));
    EXPECT_EQ(walkOrder(openVolume(wide.image)), std::vector<std::string>{"SEEN"});
}

TEST(ProDOSVolumeTest, HeaderThatDoesNotFitItsBlockByItsLength) {
    ProDOSImageBuilder builder;
    builder.headerByte(31) = 100;
    // A second volume directory header near the end of block 3.
    builder.putEntry(3, 11, file("AGAIN", 0xF, 0, 0));
    testing::expectError<ProDOSVolumeError>(ProDOSVolumeError::Case::invalidEntryLength,
                                            [&] { openVolume(builder.image); });
}

TEST(ProDOSVolumeTest, LaterHeaderEntriesAreCheckedLikeTheFirst) {
    ProDOSImageBuilder builder;
    ProDOSEntryFields stray = file("BAD\xC1NAME", 0xF, 0, 0);
    builder.putEntry(3, 2, stray);
    testing::expectError<ProDOSVolumeDirectoryHeaderError>(ProDOSVolumeDirectoryHeaderError::Case::nonASCIIName,
                                                           [&] { openVolume(builder.image); });

    ProDOSImageBuilder sound;
    sound.putEntry(3, 2, file("AGAIN", 0xF, 0, 0));
    sound.putEntry(3, 3, file("AFTER", 1, 10, 1));
    EXPECT_EQ(walkOrder(openVolume(sound.image)), std::vector<std::string>{"AFTER"});
}

TEST(ProDOSVolumeTest, ChainThatComesBackEndsThere) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, file("A", 1, 10, 1));
    builder.putEntry(3, 0, file("B", 1, 10, 1));
    builder.putEntry(5, 0, file("C", 1, 10, 1));
    builder.setPointers(5, 4, 3);
    EXPECT_EQ(walkOrder(openVolume(builder.image)), (std::vector<std::string>{"A", "B", "C"}));

    ProDOSImageBuilder self;
    self.putEntry(2, 1, file("A", 1, 10, 1));
    self.setPointers(2, 0, 2);
    EXPECT_EQ(walkOrder(openVolume(self.image)), std::vector<std::string>{"A"});
}

TEST(ProDOSVolumeTest, SubdirectoriesMetAgainAreLeftOut) {
    ProDOSImageBuilder builder;
    builder.putEntry(2, 1, subdirectory("ROOT.AGAIN", 2));
    builder.putEntry(2, 2, subdirectory("SUB", 37));
    builder.putEntry(2, 3, subdirectory("SUB.TWIN", 37));
    builder.putSubdirectoryKeyBlock(37, "SUB", 2, 2);
    builder.putEntry(37, 1, subdirectory("ITSELF", 37, 37));
    builder.putEntry(37, 2, subdirectory("PARENT", 2, 37));
    builder.putEntry(37, 3, file("FILE", 1, 10, 1, 37));
    builder.putEntry(3, 0, file("AFTER", 1, 10, 1));
    EXPECT_EQ(walkOrder(openVolume(builder.image)), (std::vector<std::string>{"SUB", "FILE", "AFTER"}));
}

TEST(ProDOSVolumeTest, PointersBeyondTheImageKeepTheVolumeShut) {
    ProDOSImageBuilder subdirectoryBeyond;
    subdirectoryBeyond.putEntry(2, 1, subdirectory("FAR", 280));
    testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock,
                                                       [&] { openVolume(subdirectoryBeyond.image); });

    ProDOSImageBuilder chainBeyond;
    chainBeyond.setPointers(5, 4, 65535);
    testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock,
                                                       [&] { openVolume(chainBeyond.image); });
    EXPECT_FALSE(ProDOSVolume::fromImageData(ImageBytes(chainBeyond.image)));

    // Truncated: the directory ends past the last block held.
    ProDOSImageBuilder whole;
    Bytes truncated(whole.image.begin(), whole.image.begin() + 4 * 512);
    EXPECT_FALSE(ProDOSVolume::fromImageData(ImageBytes(truncated)));
}

TEST(ProDOSVolumeTest, BlankVolume) {
    const ProDOSVolume volume = ProDOSVolume::blankVolume(280);
    EXPECT_EQ(volume.volumeDirectoryHeader().name, "UNTITLED");
    EXPECT_EQ(volume.volumeDirectoryHeader().totalBlocks, 280);
    EXPECT_TRUE(volume.fileEntries().empty());
    EXPECT_EQ(volume.disk().sizeInBlocks(), 280);
    EXPECT_TRUE(volume.disk().proDOSOrder);
    EXPECT_FALSE(volume.wrapper());

    const ProDOSVolume largest = ProDOSVolume::blankVolume(100000);
    EXPECT_EQ(largest.volumeDirectoryHeader().totalBlocks, 65535);
    EXPECT_EQ(largest.disk().sizeInBlocks(), 65535);

    EXPECT_EQ(ProDOSVolume::blankVolume(7).disk().sizeInBlocks(), 7);
    try {
        ProDOSVolume::blankVolume(6);
        ADD_FAILURE() << "a 6-block volume was made";
    } catch (const ProDOSDiskError& error) {
        EXPECT_EQ(error.errorCase, ProDOSDiskError::Case::volumeTooSmall);
    }
}

TEST(ProDOSVolumeTest, BlankVolumeOpensAsItWasMade) {
    for (const int64_t blocks : {7, 280, 1600, 4096, 65535}) {
        const Bytes bytes = ProDOSVolume::blankVolume(blocks).dataBlock();
        ASSERT_EQ(static_cast<int64_t>(bytes.size()), blocks * 512);
        const auto reopened = ProDOSVolume::fromImageData(ImageBytes(bytes));
        ASSERT_TRUE(reopened) << blocks;
        EXPECT_EQ(reopened->volumeName(), "UNTITLED");
        EXPECT_EQ(reopened->volumeDirectoryHeader().totalBlocks, blocks);
        EXPECT_EQ(reopened->volumeDirectoryHeader().bitmapPointer, 6);
        EXPECT_EQ(reopened->numberOfChildrenOfItem(nullptr), 0);

        const ProDOSVolumeBitmap expected(blocks);
        const ImageBytes bitmap = reopened->disk().getBlockAtPosition(6, ProDOSVolumeBitmap::blockCount(blocks));
        EXPECT_EQ(bitmap, expected.bitmapData) << blocks;
        int64_t free = 0;
        for (int64_t block = 0; block < blocks; ++block) free += expected.isBlockFree(block) ? 1 : 0;
        EXPECT_EQ(free, blocks - 6 - ProDOSVolumeBitmap::blockCount(blocks)) << blocks;
        EXPECT_EQ(reopened->freeCapacityInBytes(), free * 512) << blocks;
    }
}

}  // namespace
}  // namespace zorv
