// Atari ST floppies made by mtools (`mformat -a`, `mmd`, `mcopy`) and packed
// by Hatari's hmsa: what the reader lists, frees and reads back must be what
// went in and what `mdir` shows.

#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "disk_image/formats/atari_st/tos/TOSDisk.hpp"
#include "disk_image/parser/AnalysisJSONEncoder.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/CountingVolume.hpp"
#include "support/HostFiles.hpp"
#include "support/MtoolsFloppy.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::MdirListing;
using testing::MtoolsFloppy;

Bytes patterned(int64_t size, uint8_t seed) {
    Bytes bytes(static_cast<size_t>(size));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + seed + i / 251);
    return bytes;
}

// Every item of the volume by path ("/GAMES/SUB/B.DAT").
std::map<std::string, VolumeItem> itemsByPath(const VolumeRepresentable& volume) {
    std::map<std::string, VolumeItem> items;
    std::vector<std::string> folders;
    for (const FileHierarchyElement& element : volume.fileHierarchy()) {
        folders.resize(static_cast<size_t>(element.level));
        std::string path = "/";
        for (const std::string& folder : folders) path += folder + "/";
        items[path + element.item->name()] = element.item;
        folders.push_back(element.item->name());
    }
    return items;
}

// The items as MdirListing keeps them.
std::map<std::string, MdirListing::Item> listed(const VolumeRepresentable& volume) {
    std::map<std::string, MdirListing::Item> items;
    for (const auto& [path, item] : itemsByPath(volume)) {
        items[path] = {item->isFolder(), item->isFolder() ? 0 : item->logicalSizeInBytes().value()};
    }
    return items;
}

struct MediumCase {
    const char* name;
    int sides;
    int sectors;
};

class TOSMtoolsFloppies : public ::testing::TestWithParam<MediumCase> {};

// Files in the root and two levels of folders, then one file that takes
// every cluster left, the last two included; bare and packed as MSA.
TEST_P(TOSMtoolsFloppies, ListFreeAndReadWhatWentIn) {
    if (!MtoolsFloppy::isAvailable()) GTEST_SKIP() << "mtools is not installed";
    const MediumCase& medium = GetParam();
    const testing::TemporaryDirectory folder;
    const MtoolsFloppy floppy(folder.file("floppy.st"), 80, medium.sides, medium.sectors);
    std::map<std::string, Bytes> files{
        {"/README.TXT", patterned(3000, 1)},
        {"/EMPTY", {}},
        {"/GAMES/SUB/B.DAT", patterned(1025, 2)},
        {"/GAMES/PROGRAM.C", patterned(20000, 3)},
    };
    floppy.makeFolder("/GAMES");
    floppy.makeFolder("/GAMES/SUB");
    for (const auto& [path, bytes] : files) floppy.copyIn(bytes, path);
    // Long or lower-case names: mtools writes long-name entries (which carry
    // the volume-label bit) before the 8.3 entry, which alone is the file.
    files["/ARATHE~1.TEX"] = patterned(100, 7);
    floppy.copyIn(files["/ARATHE~1.TEX"], "/A rather long name.text");
    files["/LOWER.TXT"] = patterned(200, 8);
    floppy.copyIn(files["/LOWER.TXT"], "/lower.txt");
    files["/FILLER.BIN"] = patterned(floppy.listing().freeBytes, 4);
    floppy.copyIn(files["/FILLER.BIN"], "/FILLER.BIN");

    const MdirListing listing = floppy.listing();
    ASSERT_EQ(listing.freeBytes, 0);
    const auto disk = TOSDisk::fromImageData(fs::readWholeFile(floppy.imagePath()));
    ASSERT_TRUE(disk.has_value());
    EXPECT_EQ(listed(*disk), listing.items);
    EXPECT_EQ(disk->freeCapacityInBytes(), 0);
    EXPECT_EQ(disk->volumeName(), "Untitled");
    EXPECT_EQ(disk->trackCount(), 80);
    EXPECT_EQ(disk->sideCount(), medium.sides);
    EXPECT_EQ(disk->sectorCount(), medium.sectors);
    const auto items = itemsByPath(*disk);
    for (const auto& [path, bytes] : files) {
        ASSERT_TRUE(items.contains(path)) << path;
        EXPECT_EQ(disk->getFork(ForkType::data, items.at(path)), bytes) << path;
    }
    // The filler ends in the last data cluster.
    const auto& filler = dynamic_cast<const TOSDirectoryEntry&>(*items.at("/FILLER.BIN"));
    EXPECT_EQ(disk->fat().clusterListStarting(filler.startingCluster).back(), disk->fat().clusterCount + 1);

    if (!MtoolsFloppy::isHmsaAvailable()) return;
    const ImageParser packed(fs::readWholeFile(floppy.packedAsMSA()));
    ASSERT_EQ(packed.imageFormat(), ImageFormat::tosVolume);
    EXPECT_EQ(listed(*packed.volume()), listing.items);
    EXPECT_EQ(packed.volume()->getFork(ForkType::data, itemsByPath(*packed.volume()).at("/FILLER.BIN")),
              files["/FILLER.BIN"]);
    // Both reports name the container and give the geometry.
    const std::string text = packed.textualDescription(true);
    EXPECT_NE(text.find("\nMSA wrapper\n"), std::string::npos);
    EXPECT_NE(text.find("\nGeometry: 80 tracks, " + std::to_string(medium.sides) + (medium.sides == 1 ? " side, " : " sides, ") +
                        std::to_string(medium.sectors) + " sectors\n"),
              std::string::npos);
    const auto report = nlohmann::json::parse(AnalysisJSONEncoder::encode(packed.codableResult(true)));
    EXPECT_EQ(report["wrapper"], "MSA");
    EXPECT_EQ(report["geometry"]["tracks"], 80);
    EXPECT_EQ(report["geometry"]["sides"], medium.sides);
}

INSTANTIATE_TEST_SUITE_P(Media, TOSMtoolsFloppies,
                         ::testing::Values(MediumCase{"SSDD", 1, 9}, MediumCase{"DSDD", 2, 9},
                                           MediumCase{"DSHD", 2, 18}),
                         testing::namedBy(&MediumCase::name));

// The full report of an image, as `analyze -f` writes it.
nlohmann::json reportOf(const ImageParser& parser) {
    return nlohmann::json::parse(AnalysisJSONEncoder::encode(parser.codableResult(true)));
}

struct UncountedCase {
    const char* name;
    int sectors;
    bool packed;  // both floppies packed by hmsa before they are read
};

class TOSUncountedBootSector : public ::testing::TestWithParam<UncountedCase> {};

// Some duplicators and formatters left the boot sector's reserved-sector
// count at 0. TOS never reads it: the first FAT follows the boot sector. So
// such a floppy reads exactly as the same bytes with a count of 1: a label,
// nested folders, a folder of 40 files over several clusters and a deleted
// file.
TEST_P(TOSUncountedBootSector, ReadsAsTheFloppyWithOneReservedSector) {
    if (!MtoolsFloppy::isAvailable()) GTEST_SKIP() << "mtools is not installed";
    const UncountedCase& row = GetParam();
    if (row.packed && !MtoolsFloppy::isHmsaAvailable()) GTEST_SKIP() << "hmsa is missing";
    const testing::TemporaryDirectory folder;
    const MtoolsFloppy floppy(folder.file("counted.st"), 80, 2, row.sectors, {"-v", "MUSIC"});
    floppy.makeFolders({"/DEMOS", "/DEMOS/TUNES"});
    floppy.copyIn(patterned(3000, 1), "/README.TXT");
    for (int tune = 0; tune < 40; ++tune) {
        floppy.copyIn(patterned(100 + tune * 37, static_cast<uint8_t>(tune)),
                      "/DEMOS/TUNES/T" + std::to_string(tune) + ".SND");
    }
    floppy.copyIn(patterned(5000, 2), "/DEMOS/GONE.TXT");
    floppy.remove("/DEMOS/GONE.TXT");
    Bytes uncounted = fs::readWholeFile(floppy.imagePath()).toBytes();
    ASSERT_EQ(uncounted[14] | uncounted[15] << 8, 1);
    uncounted[14] = 0;
    uncounted[15] = 0;
    const std::string uncountedPath = folder.file("uncounted.st");
    testing::writeFileBytes(uncountedPath, uncounted);

    const auto image = [&](const std::string& path) {
        return fs::readWholeFile(row.packed ? MtoolsFloppy::existing(path).packedAsMSA() : path);
    };
    const ImageParser counted(image(floppy.imagePath()));
    const ImageParser parser(image(uncountedPath));
    const nlohmann::json report = reportOf(counted);
    ASSERT_EQ(report["volume"]["name"], "MUSIC");
    ASSERT_EQ(report["volume"]["freeCapacityInBytes"], floppy.listing().freeBytes);
    EXPECT_EQ(reportOf(parser), report);

    const int64_t tunesCluster =
        dynamic_cast<const TOSDirectoryEntry&>(*itemsByPath(*counted.volume()).at("/DEMOS/TUNES")).startingCluster;
    const auto& fat = dynamic_cast<const TOSDisk&>(*counted.volume()).fat();
    ASSERT_GT(fat.clusterListStarting(tunesCluster).size(), 1u);
    // The field itself stays as read.
    EXPECT_EQ(dynamic_cast<const TOSDisk&>(*parser.volume()).bootSector().ressec, 0);
    const auto items = itemsByPath(*parser.volume());
    for (const auto& [path, item] : itemsByPath(*counted.volume())) {
        ASSERT_TRUE(items.contains(path)) << path;
        EXPECT_EQ(parser.volume()->getFork(ForkType::data, items.at(path)),
                  counted.volume()->getFork(ForkType::data, item))
            << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Media, TOSUncountedBootSector,
                         ::testing::Values(UncountedCase{"DSDD bare", 9, false}, UncountedCase{"DSDD MSA", 9, true},
                                           UncountedCase{"DSHD bare", 18, false},
                                           UncountedCase{"DSHD MSA", 18, true}),
                         testing::namedBy(&UncountedCase::name));

// A count above 1 is read as it stands: two reserved sectors put the first
// FAT at sector 2, as `mdir` reads it.
TEST(TOSMtoolsFloppyReservedSectors, TwoReservedSectorsReadAsMdirReadsThem) {
    if (!MtoolsFloppy::isAvailable()) GTEST_SKIP() << "mtools is not installed";
    const testing::TemporaryDirectory folder;
    const MtoolsFloppy floppy(folder.file("reserved.st"), 80, 2, 9, {"-R", "2"});
    floppy.makeFolder("/GAMES");
    const Bytes program = patterned(2500, 3);
    floppy.copyIn(program, "/GAMES/PROGRAM.PRG");
    floppy.copyIn(patterned(700, 4), "/TEXT");
    const auto disk = TOSDisk::fromImageData(fs::readWholeFile(floppy.imagePath()));
    ASSERT_TRUE(disk.has_value());
    ASSERT_EQ(disk->bootSector().ressec, 2);
    const MdirListing listing = floppy.listing();
    EXPECT_EQ(listed(*disk), listing.items);
    EXPECT_EQ(disk->freeCapacityInBytes(), listing.freeBytes);
    EXPECT_EQ(disk->getFork(ForkType::data, itemsByPath(*disk).at("/GAMES/PROGRAM.PRG")), program);
}

// hmsa's blank floppies pack into fewer than 1,024 bytes; they open all the
// same.
TEST(TOSHmsaBlankFloppies, OpenThoughSmallerThanAnyImage) {
    if (!MtoolsFloppy::isHmsaAvailable()) GTEST_SKIP() << "hmsa is missing";
    const testing::TemporaryDirectory folder;
    for (const int sides : {1, 2}) {
        SCOPED_TRACE(sides);
        const std::string msa = folder.file("blank" + std::to_string(sides) + ".msa");
        MtoolsFloppy::writeBlankMSA(msa, sides);
        const ImageBytes packed = fs::readWholeFile(msa);
        EXPECT_LT(packed.size(), 1024u);
        const ImageParser parser(packed);
        ASSERT_EQ(parser.imageFormat(), ImageFormat::tosVolume);
        EXPECT_EQ(parser.imageSizeInBytes(), sides * 80 * 9 * 512);
        EXPECT_EQ(parser.volume()->wrapper()->descriptiveName(), "MSA");
    }
}

// TOS folders have no key, so naming an item's enclosing folders (as export
// does for every file) bounds the walk up by the volume's item count. On a
// floppy of 1,040 folders, forty in the root and twenty-five in each of
// those, naming every item must look children up no more than about one walk
// of the hierarchy does, not once more for every item.
TEST(TOSMtoolsFloppyFolders, NamingEveryItemWalksTheHierarchyAboutOnce) {
    if (!MtoolsFloppy::isAvailable()) GTEST_SKIP() << "mtools is not installed";
    const testing::TemporaryDirectory folder;
    const MtoolsFloppy floppy(folder.file("folders.st"), 80, 2, 18);
    std::vector<std::string> folders;
    for (int top = 0; top < 40; ++top) {
        const std::string parent = "/T" + std::to_string(top);
        folders.push_back(parent);
        for (int sub = 0; sub < 25; ++sub) folders.push_back(parent + "/S" + std::to_string(sub));
    }
    floppy.makeFolders(folders);
    const auto disk = TOSDisk::fromImageData(fs::readWholeFile(floppy.imagePath()));
    ASSERT_TRUE(disk.has_value());

    testing::CountingVolume volume(*disk);
    const std::vector<FileHierarchyElement> hierarchy = volume.fileHierarchy();
    ASSERT_EQ(hierarchy.size(), folders.size());
    const int64_t oneWalk = volume.childLookups() + volume.childCounts();
    volume.resetCounts();
    for (const FileHierarchyElement& element : hierarchy) volume.tree(element.item);
    EXPECT_LE(volume.childLookups() + volume.childCounts(), 2 * oneWalk)
        << "one walk of the hierarchy looks children up " << oneWalk << " times";
    EXPECT_EQ(volume.tree(hierarchy.back().item), (std::vector<std::string>{"T39", "Untitled - Atari ST (FAT12)"}));
}

}  // namespace
}  // namespace zorv
