// Amiga volumes as the reports see them, on copies of corpus floppies
// changed where real disks differ from what the usual layout says (the root
// pointer of a bootable high-density floppy, a missing "DOS" signature,
// links in hash chains) and on hostile copies; and the blank volumes built
// here, read back by unadf and by format detection.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <set>

#include "ADFTestImages.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/amiga/AmigaChecksum.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskError.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskFileHeaderBlock.hpp"
#include "disk_image/formats/amiga/adf/AmigaImageCreator.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/RunCommand.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::itemsByPath;
using testing::longAt;
using testing::putLong;

std::optional<Bytes> corpusBytes(const char* file) {
    const auto image = testing::corpusImage(file);
    if (!image) return std::nullopt;
    return image->toBytes();
}

#define CORPUS_OR_SKIP(bytes, file)              \
    auto bytes##Found = corpusBytes(file);          \
    if (!bytes##Found) GTEST_SKIP() << file << " is not in the corpus"; \
    Bytes& bytes = *bytes##Found

std::vector<std::string> topLevelNames(const ADFDisk& volume) {
    std::vector<std::string> names;
    for (int64_t index = 0; index < volume.numberOfChildrenOfItem(nullptr); ++index) {
        names.push_back(volume.child(index, nullptr)->name());
    }
    return names;
}

// The header block of an item, by its path in the hierarchy ("/dir_1/...",
// the root entry's empty name first).
int64_t keyOf(const ADFDisk& volume, const std::string& path) {
    for (const auto& [itemPath, item] : itemsByPath(volume)) {
        if (itemPath == path) return dynamic_cast<const ADFDiskEntry&>(*item).key;
    }
    ADD_FAILURE() << path << " not found";
    return 0;
}

size_t at(int64_t block, size_t offset = 0) { return static_cast<size_t>(block) * 512 + offset; }

// --- The top level ---

TEST(ADFDiskTopLevel, BootableHighDensityFloppyShowsItsFiles) {
    CORPUS_OR_SKIP(bytes, "adf/testhd.adf");
    // As Install writes it on an Amiga: root pointer 880, root at 1,760.
    const Bytes boot = ADFDiskBootBlock::blankBootBlock(true, 880).dataBlock();
    std::copy(boot.begin(), boot.end(), bytes.begin());
    bytes[3] = 5;
    const ADFDisk volume{ImageBytes(bytes)};
    EXPECT_EQ(volume.rootBlockNumber(), 1760);
    EXPECT_EQ(topLevelNames(volume),
              (std::vector<std::string>{"textfile.txt", "dir_1", "mod.And.DistantCall", "emptyfile", "empty_dir"}));
    const VolumeItem file = volume.child(0, nullptr);
    const VolumeItem root = volume.parentItem(file);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name(), "");
    EXPECT_EQ(volume.getFork(ForkType::data, file)->size(), 12u);
}

TEST(ADFDiskTopLevel, VolumeWithoutSignatureShowsItsFiles) {
    CORPUS_OR_SKIP(bytes, "adf/testffs.adf");
    bytes[0] = 'X';
    const ADFDisk volume{ImageBytes(bytes)};
    EXPECT_EQ(volume.volumeFormatName(), "Amiga Floppy ()");
    EXPECT_EQ(volume.volumeName(), "ffs_cache");
    const auto names = topLevelNames(volume);
    EXPECT_EQ(names.size(), 10u);
    EXPECT_NE(std::find(names.begin(), names.end(), "secret.S"), names.end());
    // The file system of the contents is unknown: non-empty files cannot be read.
    for (const auto& [path, item] : itemsByPath(volume)) {
        if (path == "secret.S") {
            testing::expectError<ADFDiskError>(ADFDiskError::Case::invalidBootBlock,
                                               [&] { volume.getFork(ForkType::data, item); });
        }
        if (path == "emptyfile") {
            EXPECT_EQ(volume.getFork(ForkType::data, item)->size(), 0u);
        }
    }
}

TEST(ADFDiskTopLevel, RootAtTheOlderHighDensityPositionStillOpens) {
    Bytes bytes = ADFDisk::blankDisk(ADFDiskGeometry::HDFloppy, false).structureData.toBytes();
    std::copy_n(bytes.begin() + at(1760), 512, bytes.begin() + at(880));
    std::fill_n(bytes.begin() + at(1760), 512, 0);
    const ADFDisk volume{ImageBytes(bytes)};
    EXPECT_EQ(volume.rootBlockNumber(), 880);
    EXPECT_EQ(volume.volumeName(), "Empty");
    EXPECT_EQ(volume.rootBlock().diskName, "Empty");
}

TEST(ADFDiskTopLevel, ImageTooSmallForItsRoot) {
    testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock,
                                                       [] { ADFDisk(ImageBytes(Bytes(880 * 512, 0)), ADFDiskGeometry::DDFloppy); });
    EXPECT_FALSE(ADFDisk::fromImageData(ImageBytes(Bytes(901120, 0))).has_value());
}

// --- Hash chains ---

TEST(ADFDiskHashChains, LinkDoesNotHideTheFilesBehindIt) {
    CORPUS_OR_SKIP(bytes, "adf/testffs.adf");
    const ADFDisk original{ImageBytes(bytes)};
    // A file whose hash chain goes on to another entry.
    std::string linked;
    int64_t linkedKey = 0;
    for (const auto& [path, item] : itemsByPath(original)) {
        const auto& entry = dynamic_cast<const ADFDiskEntry&>(*item);
        if (entry.folder) continue;
        if (ADFDiskFileHeaderBlock(original.getBlockAtPosition(entry.key)).nextHash != 0) {
            linked = path;
            linkedKey = entry.key;
            break;
        }
    }
    ASSERT_NE(linkedKey, 0) << "no hash chain with a file in front";
    putLong(bytes, at(linkedKey, 508), static_cast<uint32_t>(-4));  // now a hard link to a file
    const ADFDisk changed{ImageBytes(bytes)};
    std::set<std::string> before;
    std::set<std::string> after;
    for (const auto& [path, item] : itemsByPath(original)) before.insert(path);
    for (const auto& [path, item] : itemsByPath(changed)) after.insert(path);
    before.erase(linked);
    EXPECT_EQ(after, before);
}

// --- Hostile copies ---

struct HostileCase {
    const char* name;
    // Changes a copy of testffs.adf, given the volume read from the original.
    std::function<void(Bytes&, const ADFDisk&)> damage;
};

std::ostream& operator<<(std::ostream& out, const HostileCase& c) { return out << c.name; }

class ADFDiskHostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(ADFDiskHostile, EndAtOnceWithAReportOrAnError) {
    CORPUS_OR_SKIP(bytes, "adf/testffs.adf");
    const ADFDisk original{ImageBytes(bytes)};
    GetParam().damage(bytes, original);
    const auto started = std::chrono::steady_clock::now();
    testing::mayThrowOwnErrors("open and read", [&] {
        const ImageParser parser{ImageBytes(bytes)};
        (void)parser.textualDescription(true);
        const auto* volume = dynamic_cast<const ADFDisk*>(parser.volume().get());
        ASSERT_NE(volume, nullptr);
        std::set<int64_t> keys;
        for (const auto& [path, item] : itemsByPath(*volume)) {
            // No header block is listed twice, so no folder inside itself.
            EXPECT_TRUE(keys.insert(dynamic_cast<const ADFDiskEntry&>(*item).key).second) << path;
            if (!item->isFolder()) {
                testing::mayThrowOwnErrors("getFork", [&] {
                    const auto fork = volume->getFork(ForkType::data, item);
                    EXPECT_LE(std::ssize(*fork), *item->logicalSizeInBytes());
                });
            }
        }
    });
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

INSTANTIATE_TEST_SUITE_P(
    Copies, ADFDiskHostile,
    ::testing::Values(
        HostileCase{"hashChainLoopingOnItself",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        const int64_t key = keyOf(volume, "/secret.S");
                        putLong(bytes, at(key, 496), static_cast<uint32_t>(key));
                    }},
        HostileCase{"directoryHoldingItself",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        const int64_t key = keyOf(volume, "/dir_2");
                        putLong(bytes, at(key, 24), static_cast<uint32_t>(key));
                    }},
        HostileCase{"directoryHoldingItsParent",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        const int64_t outer = keyOf(volume, "/dir_2");
                        const int64_t inner = keyOf(volume, "/dir_2/dir_21");
                        putLong(bytes, at(inner, 24 + 4 * 5), static_cast<uint32_t>(outer));
                    }},
        HostileCase{"fileParentOfItself",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        const int64_t key = keyOf(volume, "/secret.S");
                        putLong(bytes, at(key, 500), static_cast<uint32_t>(key));
                    }},
        HostileCase{"nameAndCommentLengthsOf255",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        const int64_t key = keyOf(volume, "/mod.And.DistantCall");
                        bytes[at(key, 432)] = 255;
                        bytes[at(key, 328)] = 255;
                        bytes[at(volume.rootBlockNumber(), 432)] = 255;
                    }},
        HostileCase{"highSeqOf1000",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        putLong(bytes, at(keyOf(volume, "/mod.And.DistantCall"), 8), 1000);
                    }},
        HostileCase{"fileExtensionChainLooping",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        const int64_t key = keyOf(volume, "/mod.And.DistantCall");
                        const int64_t extension = longAt(bytes, at(key, 504));
                        putLong(bytes, at(extension, 504), static_cast<uint32_t>(extension));
                    }},
        HostileCase{"bitmapExtensionChainLooping",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        putLong(bytes, at(1759, 508), 1759);
                        putLong(bytes, at(volume.rootBlockNumber(), 416), 1759);
                    }},
        HostileCase{"hashSlotBeyondTheImage",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        putLong(bytes, at(volume.rootBlockNumber(), 24), 0xFFFFFFFF);
                    }}));

TEST(ADFDiskHostile, HighSeqOf1000ReadsTheTableOnly) {
    CORPUS_OR_SKIP(bytes, "adf/testffs.adf");
    const ADFDisk original{ImageBytes(bytes)};
    const int64_t key = keyOf(original, "/mod.And.DistantCall");
    VolumeItem file;
    for (const auto& [path, item] : itemsByPath(original)) {
        if (path == "/mod.And.DistantCall") file = item;
    }
    const ImageBytes expected = *original.getFork(ForkType::data, file);
    EXPECT_EQ(expected.size(), 145360u);
    putLong(bytes, at(key, 8), 1000);
    const ADFDisk changed{ImageBytes(bytes)};
    EXPECT_TRUE(*changed.getFork(ForkType::data, file) == expected);
}

// --- Blank volumes ---

struct BlankCase {
    const char* name;
    ADFDiskGeometry geometry;
    bool bootable;
    int64_t root;
    int64_t bootPointer;
    const char* formatName;
};

std::ostream& operator<<(std::ostream& out, const BlankCase& c) { return out << c.name; }

class ADFBlankVolumes : public ::testing::TestWithParam<BlankCase> {};

TEST_P(ADFBlankVolumes, ReadBackWithValidChecksums) {
    const BlankCase& c = GetParam();
    const ADFDisk blank = ADFDisk::blankDisk(c.geometry, c.bootable);
    EXPECT_TRUE(blank.entries.empty());
    EXPECT_FALSE(blank.bitmap.has_value());
    const Bytes bytes = blank.structureData.toBytes();
    EXPECT_EQ(std::ssize(bytes), c.geometry.totalBlocks() * c.geometry.blockSize);
    EXPECT_EQ(longAt(bytes, 8), static_cast<uint32_t>(c.bootPointer));
    if (c.bootable) {
        EXPECT_EQ(~AmigaChecksum::bootBlockChecksum(ByteView(bytes).first(1024)), 0xFFFFFFFFu);
    }
    const ByteView root = ByteView(bytes).subspan(at(c.root), 512);
    EXPECT_EQ(AmigaChecksum::calculatedChecksumValue(root), 0u);

    const ADFDisk volume{ImageBytes(bytes)};
    EXPECT_EQ(volume.rootBlockNumber(), c.root);
    EXPECT_EQ(volume.volumeName(), "Empty");
    EXPECT_EQ(volume.volumeFormatName(), c.formatName);
    ASSERT_TRUE(volume.bitmap.has_value());
    for (const auto& [key, block] : volume.bitmap->bitmapBlocks) {
        EXPECT_EQ(AmigaChecksum::calculatedChecksumValue(block.dataBlock()), 0u) << key;
    }
    EXPECT_EQ(std::ssize(volume.bitmap->bitmapBlocks), (c.geometry.totalBlocks() + 4063) / 4064);

    // The same bytes through the image file writer.
    const testing::TemporaryDirectory folder;
    const std::string path = folder.file("blank.adf");
    AmigaImageCreator creator(c.geometry, c.bootable, URL::fileURLWithPath(path));
    creator.create(false);
    // The root block carries the moment of creation, which may have moved on
    // between the two builds: compare it apart from its dates and checksum.
    Bytes written = fs::readWholeFile(path).toBytes();
    ASSERT_EQ(written.size(), bytes.size());
    Bytes expected = bytes;
    const auto rootAt = static_cast<size_t>(at(c.root));
    EXPECT_EQ(AmigaChecksum::calculatedChecksumValue(ByteView(written).subspan(rootAt, 512)), 0u);
    for (Bytes* image : {&written, &expected}) {
        std::fill_n(image->begin() + static_cast<std::ptrdiff_t>(rootAt) + 20, 4, 0);    // checksum
        std::fill_n(image->begin() + static_cast<std::ptrdiff_t>(rootAt) + 420, 12, 0);   // bitmap change date
        std::fill_n(image->begin() + static_cast<std::ptrdiff_t>(rootAt) + 472, 12, 0);   // volume change date
        std::fill_n(image->begin() + static_cast<std::ptrdiff_t>(rootAt) + 484, 12, 0);   // creation date
    }
    EXPECT_TRUE(written == expected);

    const ImageParser parser{ImageBytes(bytes)};
    EXPECT_EQ(parser.imageFormat(), ImageFormat::adfVolume);

    if (!testing::isCommandAvailable("unadf")) GTEST_SKIP() << "unadf is not installed";
    const auto listed = testing::runCommand({"unadf", "-l", path});
    EXPECT_EQ(listed.exitStatus, 0) << listed.output;
    EXPECT_NE(listed.output.find("OFS . Filled at"), std::string::npos) << listed.output;
}

INSTANTIATE_TEST_SUITE_P(
    Geometries, ADFBlankVolumes,
    ::testing::Values(BlankCase{"doubleDensity", ADFDiskGeometry::DDFloppy, true, 880, 880, "Amiga Floppy (OFS)"},
                      // The root in the middle, the boot block's pointer as AmigaDOS writes it.
                      BlankCase{"highDensity", ADFDiskGeometry::HDFloppy, true, 1760, 880, "Amiga Floppy (OFS)"},
                      BlankCase{"highDensityNotBootable", ADFDiskGeometry::HDFloppy, false, 1760, 0,
                                "Amiga Floppy (OFS)"},
                      // 105,600 blocks: 26 bitmap blocks and one extension block.
                      BlankCase{"hardfileWithBitmapExtension", ADFDiskGeometry{3300, 32, 1, 512}, false, 52800, 0,
                                "UAE Hardfile (OFS)"}));

TEST(ADFBlankVolumes, BootableHighDensityFloppyShowsItsRootFolder) {
    // The top level of a blank bootable floppy is its (empty) root directory:
    // pointer 880 on a floppy whose root is at 1,760.
    const ADFDisk blank = ADFDisk::blankDisk(ADFDiskGeometry::HDFloppy, true);
    const ADFDisk volume{blank.structureData};
    EXPECT_EQ(volume.numberOfChildrenOfItem(nullptr), 0);
    const ADFDisk notBootable{ADFDisk::blankDisk(ADFDiskGeometry::HDFloppy, false).structureData};
    ASSERT_EQ(notBootable.numberOfChildrenOfItem(nullptr), 1);
    EXPECT_EQ(notBootable.child(0, nullptr)->name(), "");
}

TEST(ADFBlankVolumes, LargerBlocksDoubleTheImage) {
    const ADFDiskGeometry geometry{80, 11, 2, 1024};
    const ADFDisk blank = ADFDisk::blankDisk(geometry, false);
    EXPECT_EQ(blank.sizeInBytes(), 1802240);
    EXPECT_EQ(longAt(blank.structureData.toBytes(), at(880, 508)), 1u);
}

TEST(ADFBlankVolumes, GeometryTooSmallIsRefused) {
    const ADFDiskGeometry tiny{1, 1, 1, 512};
    testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock,
                                                       [&] { ADFDisk::blankDisk(tiny, true); });
    const testing::TemporaryDirectory folder;
    testing::expectError<BlockStructureDefinableError>(
            BlockStructureDefinableError::Case::unreacheableBlock,
            [&] { AmigaImageCreator(tiny, true, URL::fileURLWithPath(folder.file("tiny.adf"))); });
    EXPECT_FALSE(std::filesystem::exists(folder.file("tiny.adf")));
}

}  // namespace
}  // namespace zorv
