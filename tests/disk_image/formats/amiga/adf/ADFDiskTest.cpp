// Amiga volumes as the reports see them, on copies of corpus floppies
// changed where real disks differ from what the usual layout says (the root
// pointer of a bootable high-density floppy, a missing "DOS" signature) and
// on hostile copies; and the blank volumes built here, read back by unadf
// and by format detection.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <set>
#include <tuple>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/amiga/AmigaChecksum.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskEntryBlockError.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskError.hpp"
#include "disk_image/formats/amiga/adf/AmigaImageCreator.hpp"
#include "disk_image/parser/AnalysisJSONEncoder.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/AmigaTestImages.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/RunCommand.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::amigaOffset;
using testing::itemsByPath;
using testing::longAt;
using testing::putLong;

#define CORPUS_OR_SKIP(bytes, file)                                     \
    auto bytes##Found = testing::corpusBytes(file);                     \
    if (!bytes##Found) GTEST_SKIP() << file << " is not in the corpus"; \
    Bytes& bytes = *bytes##Found

std::vector<std::string> topLevelNames(const ADFDisk& volume) {
    std::vector<std::string> names;
    for (int64_t index = 0; index < volume.numberOfChildrenOfItem(nullptr); ++index) {
        names.push_back(volume.child(index, nullptr)->name());
    }
    return names;
}

// An item by its path in the hierarchy ("/dir_1/...", the root entry's empty
// name first).
VolumeItem itemAt(const ADFDisk& volume, const std::string& path) {
    for (const auto& [itemPath, item] : itemsByPath(volume)) {
        if (itemPath == path) return item;
    }
    ADD_FAILURE() << path << " not found";
    return nullptr;
}

// The header block of an item.
int64_t keyOf(const ADFDisk& volume, const std::string& path) {
    const VolumeItem item = itemAt(volume, path);
    return item ? dynamic_cast<const ADFDiskEntry&>(*item).key : 0;
}

// --- The top level ---

TEST(ADFDiskTopLevel, BootableHighDensityFloppyShowsItsFiles) {
    CORPUS_OR_SKIP(bytes, "adf/testhd.adf");
    // As Install writes it on an Amiga: root pointer 880, root at 1,760.
    const Bytes boot = ADFDiskBootBlock::blankBootBlock(true, 880).dataBlock();
    std::copy(boot.begin(), boot.end(), bytes.begin());
    bytes[3] = 5;
    const ADFDisk volume{ImageBytes(bytes)};
    EXPECT_EQ(topLevelNames(volume),
              (std::vector<std::string>{"textfile.txt", "dir_1", "mod.And.DistantCall", "emptyfile", "empty_dir"}));
    EXPECT_EQ(volume.getFork(ForkType::data, volume.child(0, nullptr))->size(), 12u);
}

TEST(ADFDiskTopLevel, VolumeWithoutSignatureShowsItsFiles) {
    CORPUS_OR_SKIP(bytes, "adf/testffs.adf");
    bytes[0] = 'X';
    const ADFDisk volume{ImageBytes(bytes)};
    EXPECT_EQ(volume.volumeFormatName(), "Amiga Floppy ()");
    const auto names = topLevelNames(volume);
    EXPECT_EQ(names.size(), 10u);
    EXPECT_NE(std::find(names.begin(), names.end(), "secret.S"), names.end());
    // The file system of the contents is unknown: non-empty files cannot be read.
    testing::expectError<ADFDiskError>(ADFDiskError::Case::invalidBootBlock,
                                       [&] { volume.getFork(ForkType::data, itemAt(volume, "secret.S")); });
}

TEST(ADFDiskTopLevel, RootAtTheOlderHighDensityPositionStillOpens) {
    Bytes bytes = ADFDisk::blankDisk(ADFDiskGeometry::HDFloppy, false).structureData.toBytes();
    std::copy_n(bytes.begin() + amigaOffset(1760), 512, bytes.begin() + amigaOffset(880));
    std::fill_n(bytes.begin() + amigaOffset(1760), 512, 0);
    const ADFDisk volume{ImageBytes(bytes)};
    EXPECT_EQ(volume.rootBlockNumber(), 880);
    EXPECT_EQ(volume.volumeName(), "Empty");
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
    GetParam().damage(bytes, ADFDisk{ImageBytes(bytes)});
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
            if (item->isFolder()) continue;
            testing::mayThrowOwnErrors("getFork", [&] {
                EXPECT_LE(std::ssize(*volume->getFork(ForkType::data, item)), *item->logicalSizeInBytes());
            });
        }
    });
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

// A long of the header block of the item at `path`.
HostileCase pointing(const char* name, const char* path, size_t offset, std::function<int64_t(int64_t)> value) {
    return {name, [=](Bytes& bytes, const ADFDisk& volume) {
                const int64_t key = keyOf(volume, path);
                putLong(bytes, amigaOffset(key, offset), static_cast<uint32_t>(value(key)));
            }};
}

INSTANTIATE_TEST_SUITE_P(
    Copies, ADFDiskHostile,
    ::testing::Values(
        pointing("hashChainLoopingOnItself", "/secret.S", 496, [](int64_t key) { return key; }),
        pointing("directoryHoldingItself", "/dir_2", 24, [](int64_t key) { return key; }),
        pointing("fileParentOfItself", "/secret.S", 500, [](int64_t key) { return key; }),
        pointing("highSeqOf1000", "/mod.And.DistantCall", 8, [](int64_t) { return 1000; }),
        HostileCase{"directoryHoldingItsParent",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        putLong(bytes, amigaOffset(keyOf(volume, "/dir_2/dir_21"), 24 + 4 * 5),
                                static_cast<uint32_t>(keyOf(volume, "/dir_2")));
                    }},
        HostileCase{"nameAndCommentLengthsOf255",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        const int64_t key = keyOf(volume, "/mod.And.DistantCall");
                        bytes[amigaOffset(key, 432)] = 255;
                        bytes[amigaOffset(key, 328)] = 255;
                        bytes[amigaOffset(volume.rootBlockNumber(), 432)] = 255;
                    }},
        HostileCase{"fileExtensionChainLooping",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        const int64_t extension = longAt(bytes, amigaOffset(keyOf(volume, "/mod.And.DistantCall"), 504));
                        putLong(bytes, amigaOffset(extension, 504), static_cast<uint32_t>(extension));
                    }},
        // The root lists no bitmap block, so the extension chain is read.
        HostileCase{"bitmapExtensionChainLooping",
                    [](Bytes& bytes, const ADFDisk& volume) {
                        putLong(bytes, amigaOffset(1759, 508), 1759);
                        putLong(bytes, amigaOffset(volume.rootBlockNumber(), 316), 0);
                        putLong(bytes, amigaOffset(volume.rootBlockNumber(), 416), 1759);
                    }},
        HostileCase{"hashSlotBeyondTheImage", [](Bytes& bytes, const ADFDisk& volume) {
                        putLong(bytes, amigaOffset(volume.rootBlockNumber(), 24), 0xFFFFFFFF);
                    }}),
    testing::namedBy(&HostileCase::name));

TEST(ADFDiskHostile, HighSeqOf1000ReadsTheTableOnly) {
    CORPUS_OR_SKIP(bytes, "adf/testffs.adf");
    const ADFDisk original{ImageBytes(bytes)};
    const VolumeItem file = itemAt(original, "/mod.And.DistantCall");
    const ImageBytes expected = *original.getFork(ForkType::data, file);
    EXPECT_EQ(expected.size(), 145360u);
    putLong(bytes, amigaOffset(keyOf(original, "/mod.And.DistantCall"), 8), 1000);
    EXPECT_TRUE(*ADFDisk{ImageBytes(bytes)}.getFork(ForkType::data, file) == expected);
}

std::vector<std::string> pathsOf(const ADFDisk& volume) {
    std::vector<std::string> paths;
    for (const auto& [path, item] : itemsByPath(volume)) paths.push_back(path);
    return paths;
}

TEST(ADFDiskHostile, PointerPastTheEndEndsItsChainOnly) {
    CORPUS_OR_SKIP(original, "adf/testffs.adf");
    const std::vector<std::string> paths = pathsOf(ADFDisk{ImageBytes(original)});
    // testffs.adf's root block (880) has slot 0 empty; dir_1 (1,142) holds
    // textfile.txt in slot 7; file_1a (1,209) leads a chain to file_24.
    const std::pair<size_t, const char*> cases[] = {{amigaOffset(880, 24), ""},
                                                    {amigaOffset(1142, 24 + 4 * 7), "/dir_1/textfile.txt"},
                                                    {amigaOffset(1209, 496), "/same_hash2/file_24"}};
    for (const auto& [at, lost] : cases) {
        Bytes bytes = original;
        putLong(bytes, at, 0xFFFFFFFF);
        const auto volume = ADFDisk::fromImageData(ImageBytes(bytes));
        ASSERT_TRUE(volume.has_value()) << at;
        auto expected = paths;
        if (*lost != 0) std::erase(expected, std::string(lost));
        EXPECT_EQ(pathsOf(*volume), expected) << at;
    }
}

TEST(ADFDiskHostile, FileWhoseBlocksEndBeforeItsSizeFailsToRead) {
    // A header naming no extension block, on OFS and FFS, and an extension
    // block naming itself.
    const std::tuple<const char*, const char*, bool> cases[] = {{"adf/testofs.adf", "/MOON.GIF", false},
                                                                {"adf/testffs.adf", "/mod.And.DistantCall", false},
                                                                {"adf/testofs.adf", "/MOON.GIF", true}};
    for (const auto& [file, path, looping] : cases) {
        CORPUS_OR_SKIP(bytes, file);
        const VolumeItem item = itemAt(ADFDisk{ImageBytes(bytes)}, path);
        const int64_t header = dynamic_cast<const ADFDiskEntry&>(*item).key;
        const uint32_t extension = longAt(bytes, amigaOffset(header, 504));
        putLong(bytes, amigaOffset(looping ? extension : header, 504), looping ? extension : 0);
        const ADFDisk volume{ImageBytes(bytes)};
        testing::expectError<ADFDiskEntryBlockError>(ADFDiskEntryBlockError::Case::invalidExtensionBlock,
                                                     [&] { volume.getFork(ForkType::data, item); });
    }
}

// --- The bitmap ---

// arccsh.adf's one bitmap block (881) marks 436 blocks free, the last of
// them 879. Each copy lists a copy of it at 879 first, as a real floppy lists
// its bitmap at 973 before a surplus pointer to a file header at 948: only
// the page the volume needs is read, the first listed, and what comes after
// it changes nothing.
TEST(ADFDiskBitmapPages, TheVolumeReadsThePagesItNeedsInTheOrderListed) {
    CORPUS_OR_SKIP(original, "adf/arccsh.adf");
    const std::vector<std::string> paths = pathsOf(ADFDisk{ImageBytes(original)});
    constexpr uint32_t copy = 879;
    // The second pointer of the root block, and its extension pointer.
    const std::tuple<const char*, uint32_t, uint32_t> cases[] = {
            {"aDataBlockBelowTheCopy", 2, 0},
            {"aBlockPastTheEnd", 0xFFFFFFFF, 0},
            {"anExtensionBlockPastTheEnd", 0, 0xFFFFFFFF},
    };
    for (const auto& [name, second, extension] : cases) {
        Bytes bytes = original;
        std::copy_n(original.begin() + amigaOffset(881), 512, bytes.begin() + amigaOffset(copy));
        putLong(bytes, amigaOffset(880, 316), copy);
        putLong(bytes, amigaOffset(880, 320), second);
        putLong(bytes, amigaOffset(880, 416), extension);
        const auto volume = ADFDisk::fromImageData(ImageBytes(bytes));
        ASSERT_TRUE(volume.has_value()) << name;
        EXPECT_EQ(volume->freeCapacityInBytes(), 436 * 512) << name;
        EXPECT_TRUE(volume->bitmap->isFree(178) && !volume->bitmap->isFree(177)) << name;
        EXPECT_EQ(pathsOf(*volume), paths) << name;
    }
}

// --- Damaged headers in the reports ---

// Copies of arccsh.adf (root 880; the header of "CSH" at 1,014) with longs
// of the root block or a file header changed, read as the command line reads
// them in a zone west of UTC.
struct DamagedHeaderCase {
    const char* name;
    std::vector<std::tuple<int64_t, size_t, uint32_t>> longs;  // block, offset, value
    int64_t freeBytes;
};

std::ostream& operator<<(std::ostream& out, const DamagedHeaderCase& c) { return out << c.name; }

class ADFDamagedHeaders : public ::testing::TestWithParam<DamagedHeaderCase> {};

// Every date of a JSON report, wherever it sits.
void collectDates(const nlohmann::json& json, std::vector<std::string>& dates) {
    for (const auto& [key, value] : json.items()) {
        if (value.is_string() && key.ends_with("Date")) dates.push_back(value);
        if (value.is_structured()) collectDates(value, dates);
    }
}

TEST_P(ADFDamagedHeaders, OpenWithTheOriginalsFilesAndReportValuesInRange) {
    CORPUS_OR_SKIP(bytes, "adf/arccsh.adf");
    const testing::ScopedTimeZone zone("America/Los_Angeles");
    const ADFDisk original{ImageBytes(bytes)};
    for (const auto& [block, offset, value] : GetParam().longs) putLong(bytes, amigaOffset(block, offset), value);

    const ImageParser parser{ImageBytes(bytes)};
    ASSERT_EQ(parser.imageFormat(), ImageFormat::adfVolume);
    EXPECT_EQ(pathsOf(dynamic_cast<const ADFDisk&>(*parser.volume())), pathsOf(original));
    const int64_t freeBytes = GetParam().freeBytes;
    EXPECT_NE(parser.textualDescription(false).find(", " + std::to_string(freeBytes) + " bytes free out of 901120"),
              std::string::npos);
    const auto report = nlohmann::json::parse(AnalysisJSONEncoder::encode(parser.codableResult(true)));
    EXPECT_EQ(report["volume"]["freeCapacityInBytes"], freeBytes);
    // Four-digit years, up to the last second of 9999 in UTC.
    std::vector<std::string> dates;
    collectDates(report, dates);
    for (const std::string& date : dates) EXPECT_TRUE(date.size() == 20 && date <= "9999-12-31T23:59:59Z") << date;
    EXPECT_EQ(report["volume"]["creationDate"], "1999-03-25T03:35:24Z");
}

// Free space from the files, whose sizes add up to 610,677 bytes.
constexpr int64_t freeByFiles = 901120 - 610677;

INSTANTIATE_TEST_SUITE_P(
    Arccsh, ADFDamagedHeaders,
    ::testing::Values(
        DamagedHeaderCase{"noPageListedAndAFileLargerThanTheVolume", {{880, 316, 0}, {1014, 324, 1000000}}, 0},
        DamagedHeaderCase{"bitmapNotValidAndAFileOf4GiB", {{880, 312, 0}, {1014, 324, 0xFFFFFFFF}}, 0},
        // 9999-12-31 23:59:59 local time: 10000-01-01 07:59:59 in UTC.
        DamagedHeaderCase{"volumeDateAtTheLastSecondOf9999", {{880, 472, 2929974}, {880, 476, 1439}, {880, 480, 2999}},
                          436 * 512},
        DamagedHeaderCase{"bitmapNotValidWithAPagePastTheEnd", {{880, 312, 0}, {880, 316, 0xFFFFFFFF}}, freeByFiles},
        DamagedHeaderCase{"bitmapNotValidWithAnExtensionPastTheEnd",
                          {{880, 312, 0}, {880, 316, 0}, {880, 416, 0xFFFFFFFF}},
                          freeByFiles}),
    testing::namedBy(&DamagedHeaderCase::name));

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

TEST_P(ADFBlankVolumes, OpenWithValidChecksumsHereAndInUnadf) {
    const BlankCase& c = GetParam();
    const testing::TemporaryDirectory folder;
    const std::string path = folder.file("blank.adf");
    AmigaImageCreator(c.geometry, c.bootable, URL::fileURLWithPath(path)).create(false);
    // Built in memory, and written through the image file writer.
    for (const ImageBytes& image : {ADFDisk::blankDisk(c.geometry, c.bootable).structureData, fs::readWholeFile(path)}) {
        EXPECT_EQ(std::ssize(image), c.geometry.totalBlocks() * c.geometry.blockSize);
        EXPECT_EQ(longAt(image, 8), static_cast<uint32_t>(c.bootPointer));
        // The end-around sum of a boot block, checksum included, has all bits set.
        if (c.bootable) {
            EXPECT_EQ(AmigaChecksum::bootBlockChecksum(image.view().first(1024)), 0u);
        }
        EXPECT_EQ(AmigaChecksum::calculatedChecksumValue(image.view().subspan(amigaOffset(c.root), 512)), 0u);

        const ADFDisk volume{image};
        EXPECT_EQ(volume.rootBlockNumber(), c.root);
        EXPECT_EQ(volume.volumeName(), "Empty");
        EXPECT_EQ(volume.volumeFormatName(), c.formatName);
        ASSERT_TRUE(volume.bitmap.has_value());
        EXPECT_EQ(volume.bitmap->bitmapBlocks.begin()->first, c.root + 1);
        EXPECT_EQ(std::ssize(volume.bitmap->bitmapBlocks), (c.geometry.totalBlocks() + 4063) / 4064);
        EXPECT_FALSE(volume.bitmap->isFree(c.root));
        for (const auto& [key, block] : volume.bitmap->bitmapBlocks) {
            EXPECT_EQ(AmigaChecksum::calculatedChecksumValue(block.dataBlock()), 0u) << key;
            EXPECT_FALSE(volume.bitmap->isFree(key)) << key;
        }
    }
    EXPECT_EQ(ImageParser{fs::readWholeFile(path)}.imageFormat(), ImageFormat::adfVolume);

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
                                "UAE Hardfile (OFS)"}),
    testing::namedBy(&BlankCase::name));

TEST(ADFBlankVolumes, GeometryTooSmallIsRefused) {
    const testing::TemporaryDirectory folder;
    for (const ADFDiskGeometry& tiny : {ADFDiskGeometry{1, 1, 1, 512}, ADFDiskGeometry{0, 11, 2, 512},
                                        ADFDiskGeometry{1, 3, 1, 512}}) {
        testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock,
                                                           [&] { ADFDisk::blankDisk(tiny, true); });
        testing::expectError<BlockStructureDefinableError>(
                BlockStructureDefinableError::Case::unreacheableBlock,
                [&] { AmigaImageCreator(tiny, true, URL::fileURLWithPath(folder.file("tiny.adf"))); });
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("tiny.adf")));
    // An image too small for the root block its geometry places.
    testing::expectError<BlockStructureDefinableError>(
            BlockStructureDefinableError::Case::unreacheableBlock,
            [] { ADFDisk(ImageBytes(Bytes(880 * 512, 0)), ADFDiskGeometry::DDFloppy); });
}

}  // namespace
}  // namespace zorv
