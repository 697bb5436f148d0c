// Atari ST floppies made by mtools (`mformat -a`, `mmd`, `mcopy`) and packed
// by Hatari's hmsa: what the reader lists, frees and reads back must be what
// went in and what `mdir` shows.

#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "disk_image/formats/atari_st/image_wrappers/MSA.hpp"
#include "disk_image/formats/atari_st/tos/TOSDisk.hpp"
#include "disk_image/parser/AnalysisJSONEncoder.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/MtoolsFloppy.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::MdirListing;
using testing::MtoolsFloppy;

Bytes patterned(int64_t size, uint8_t seed) {
    Bytes bytes(static_cast<size_t>(size));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + seed + i / 251);
    return bytes;
}

// Every item of the volume by path, as MdirListing keeps them.
std::map<std::string, MdirListing::Item> listedItems(const VolumeRepresentable& volume) {
    std::map<std::string, MdirListing::Item> items;
    std::vector<std::string> folders;
    for (const FileHierarchyElement& element : volume.fileHierarchy()) {
        folders.resize(static_cast<size_t>(element.level));
        std::string path = "/";
        for (const std::string& folder : folders) path += folder + "/";
        const bool isFolder = element.item->isFolder();
        items[path + element.item->name()] = {isFolder, isFolder ? 0 : element.item->logicalSizeInBytes().value()};
        folders.push_back(element.item->name());
    }
    return items;
}

// The file at a path, found through the volume's navigation.
VolumeItem itemAt(const VolumeRepresentable& volume, const std::string& path) {
    VolumeItem folder;
    size_t from = 1;
    while (true) {
        const size_t slash = path.find('/', from);
        const std::string name = path.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
        VolumeItem found;
        for (int64_t i = 0; i < volume.numberOfChildrenOfItem(folder); ++i) {
            const VolumeItem child = volume.child(i, folder);
            if (child->name() == name) found = child;
        }
        if (!found || slash == std::string::npos) return found;
        folder = found;
        from = slash + 1;
    }
}

struct MediumCase {
    const char* name;
    int sides;
    int sectors;
};

class TOSMtoolsFloppies : public ::testing::TestWithParam<MediumCase> {};

// Files in the root and two levels of folders, then one file that takes
// every cluster left, the last two included.
TEST_P(TOSMtoolsFloppies, ListFreeAndReadWhatWentIn) {
    if (!MtoolsFloppy::isAvailable()) GTEST_SKIP() << "mtools is not installed";
    const MediumCase& medium = GetParam();
    const testing::TemporaryDirectory folder;
    const MtoolsFloppy floppy(folder.file("floppy.st"), 80, medium.sides, medium.sectors);
    std::map<std::string, Bytes> files{
        {"/README.TXT", patterned(3000, 1)},
        {"/EMPTY", {}},
        {"/GAMES/SUB/B.DAT", patterned(1025, 2)},
        {"/GAMES/PROGRAM.PRG", patterned(20000, 3)},
    };
    floppy.makeFolder("/GAMES");
    floppy.makeFolder("/GAMES/SUB");
    for (const auto& [path, bytes] : files) floppy.copyIn(bytes, path);
    files["/FILLER.BIN"] = patterned(floppy.listing().freeBytes, 4);
    floppy.copyIn(files["/FILLER.BIN"], "/FILLER.BIN");

    const MdirListing listing = floppy.listing();
    ASSERT_EQ(listing.freeBytes, 0);
    const ImageBytes image = fs::readWholeFile(floppy.imagePath());
    const auto disk = TOSDisk::fromImageData(image);
    ASSERT_TRUE(disk.has_value());
    EXPECT_EQ(listedItems(*disk), listing.items);
    EXPECT_EQ(disk->freeCapacityInBytes(), 0);
    for (const auto& [path, bytes] : files) {
        const VolumeItem item = itemAt(*disk, path);
        ASSERT_NE(item, nullptr) << path;
        EXPECT_EQ(disk->getFork(ForkType::data, item), bytes) << path;
    }
    // The filler ends in the last data cluster.
    const auto& filler = dynamic_cast<const TOSDirectoryEntry&>(*itemAt(*disk, "/FILLER.BIN"));
    EXPECT_EQ(disk->fat().clusterListStarting(filler.startingCluster).back(), disk->fat().clusterCount + 1);

    if (!MtoolsFloppy::isHmsaAvailable()) return;
    const ImageParser packed(fs::readWholeFile(floppy.packedAsMSA()));
    ASSERT_EQ(packed.imageFormat(), ImageFormat::tosVolume);
    EXPECT_EQ(listedItems(*packed.volume()), listing.items);
    EXPECT_EQ(packed.volume()->getFork(ForkType::data, itemAt(*packed.volume(), "/FILLER.BIN")), files["/FILLER.BIN"]);
}

// Folders and free space against mdir while the disk is far from full.
TEST_P(TOSMtoolsFloppies, FreeSpaceIsMdirs) {
    if (!MtoolsFloppy::isAvailable()) GTEST_SKIP() << "mtools is not installed";
    const MediumCase& medium = GetParam();
    const testing::TemporaryDirectory folder;
    const MtoolsFloppy floppy(folder.file("floppy.st"), 80, medium.sides, medium.sectors);
    floppy.makeFolder("/AUTO");
    floppy.copyIn(patterned(5000, 5), "/AUTO/START.PRG");
    const auto disk = TOSDisk::fromImageData(fs::readWholeFile(floppy.imagePath()));
    ASSERT_TRUE(disk.has_value());
    EXPECT_EQ(disk->freeCapacityInBytes(), floppy.listing().freeBytes);
    EXPECT_EQ(disk->trackCount(), 80);
    EXPECT_EQ(disk->sideCount(), medium.sides);
    EXPECT_EQ(disk->sectorCount(), medium.sectors);
}

INSTANTIATE_TEST_SUITE_P(Media, TOSMtoolsFloppies,
                         ::testing::Values(MediumCase{"SSDD", 1, 9}, MediumCase{"DSDD", 2, 9},
                                           MediumCase{"DSHD", 2, 18}),
                         [](const auto& info) { return std::string(info.param.name); });

// The reports of a floppy from an MSA file name the wrapper and give the
// geometry.
TEST(TOSMtoolsFloppy, MSAWrapperInBothReports) {
    if (!MtoolsFloppy::isAvailable() || !MtoolsFloppy::isHmsaAvailable()) {
        GTEST_SKIP() << "mtools or hmsa is not installed";
    }
    const testing::TemporaryDirectory folder;
    const MtoolsFloppy floppy(folder.file("floppy.st"));
    floppy.copyIn(patterned(700, 6), "/TEXT");
    const ImageParser parser(fs::readWholeFile(floppy.packedAsMSA()));

    const std::string text = parser.textualDescription(true);
    EXPECT_EQ(text.substr(0, text.find("\nVolume:")),
              "Atari ST TOS (Atari ST)\nMSA wrapper\nBlock size: 512\nSize in blocks: 1440 (737280 bytes)");
    EXPECT_NE(text.find("\nGeometry: 80 tracks, 2 sides, 9 sectors\n"), std::string::npos);
    EXPECT_EQ(parser.volume()->volumeFormatName(), "Atari ST (MSA)");

    const CodableResult result = parser.codableResult(true);
    EXPECT_EQ(result.wrapper, "MSA");
    ASSERT_TRUE(result.geometry.has_value());
    EXPECT_EQ(*result.geometry, (CodableDiskGeometry{80, 2, 9}));
    const auto report = nlohmann::json::parse(AnalysisJSONEncoder::encode(result));
    EXPECT_EQ(report["wrapper"], "MSA");
    EXPECT_EQ(report["geometry"]["tracks"], 80);
}

// Long or lower-case names: mtools writes long-name entries before the 8.3
// entry; only the 8.3 entries are files.
TEST(TOSMtoolsFloppy, LongNameEntriesAreSkipped) {
    if (!MtoolsFloppy::isAvailable()) GTEST_SKIP() << "mtools is not installed";
    const testing::TemporaryDirectory folder;
    const MtoolsFloppy floppy(folder.file("floppy.st"));
    floppy.copyIn(patterned(100, 7), "/A rather long name.text");
    floppy.copyIn(patterned(200, 8), "/lower.txt");
    const auto disk = TOSDisk::fromImageData(fs::readWholeFile(floppy.imagePath()));
    ASSERT_TRUE(disk.has_value());
    ASSERT_EQ(disk->entries().size(), 2u);
    EXPECT_EQ(disk->entries()[0]->fileSize, 100);
    EXPECT_EQ(disk->entries()[1]->name(), "LOWER.TXT");
    EXPECT_EQ(disk->volumeName(), "Untitled");
}

}  // namespace
}  // namespace zorv
