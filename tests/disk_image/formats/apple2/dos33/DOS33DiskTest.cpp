// DOS 3.3 disks: the blank disk against one DOS 3.3 initialised, the probe,
// the catalog and track/sector list walks with their edge cases, the sector
// map, and the sector order of .po images.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "DOS33DiskImage.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42.hpp"
#include "support/Corpus.hpp"

namespace zorv {
namespace {

using testing::DOS33DiskImage;
using Usage = DOS33TSListEntry::Usage;

DOS33Disk open(const Bytes& bytes) { return DOS33Disk(ImageBytes(bytes)); }

std::vector<std::string> names(const DOS33Disk& disk) {
    std::vector<std::string> result;
    for (const auto& entry : disk.catalog()) result.push_back(entry->fileName);
    return result;
}

// The data sectors the map gives a file, in map order.
std::vector<std::pair<int64_t, int64_t>> sectorsOf(const DOS33Disk& disk, size_t file) {
    std::vector<std::pair<int64_t, int64_t>> sectors;
    for (const auto& address : disk.sectorsFor(disk.catalog().at(file))) sectors.emplace_back(address.track, address.sector);
    return sectors;
}

TEST(DOS33DiskTest, TheBlankDiskOpensAsFreshlyInitialised) {
    const DOS33Disk disk(DOS33Disk::dos33AsData());
    ASSERT_TRUE(disk.vtoc().has_value());
    const DOS33VTOC& vtoc = *disk.vtoc();
    EXPECT_EQ(vtoc.trackNumberFirstCatalog, 17);
    EXPECT_EQ(vtoc.sectorNumberFirstCatalog, 15);
    EXPECT_EQ(vtoc.initDOSReleaseNumber, 3);
    EXPECT_EQ(vtoc.disketteVolumeNumber, 254);
    EXPECT_EQ(vtoc.maxNumTrackSectorPair, 122);
    EXPECT_EQ(vtoc.lastAllocatedTrack, 18);
    EXPECT_EQ(vtoc.trackAllocationDirection, 1);
    EXPECT_EQ(vtoc.bitmaps.size(), 35U);
    EXPECT_FALSE(disk.proDOSOrder());

    ASSERT_EQ(disk.catalog().size(), 1U);
    const DOS33FileDescriptiveEntry& hello = *disk.catalog()[0];
    EXPECT_EQ(hello.fileName, "HELLO");
    EXPECT_EQ(hello.fileTypeAndFlags, 0x02);
    EXPECT_EQ(hello.fileLength, 2);
    EXPECT_EQ(std::make_pair(hello.trackOfFirstTSList, hello.sectorOfFirstTSList), std::make_pair(int64_t{18}, int64_t{15}));

    // 48 DOS sectors, the VTOC, the catalog 17/15 down to 17/1 with HELLO's
    // one data sector after the catalog sector that holds its entry.
    std::vector<DOS33TSListEntry> expected;
    for (int64_t track = 0; track < 3; ++track) {
        for (int64_t sector = 0; sector < 16; ++sector) expected.push_back({track, sector, Usage::system, 0});
    }
    expected.push_back({17, 0, Usage::catalog, 1});
    expected.push_back({17, 15, Usage::catalog, 1});
    expected.push_back({18, 14, Usage::user, hello.uuid});
    for (int64_t sector = 14; sector >= 1; --sector) expected.push_back({17, sector, Usage::catalog, 1});
    EXPECT_EQ(disk.tsList(), expected);

    EXPECT_EQ(disk.volumeName(), "Volume 254");
    EXPECT_EQ(disk.totalCapacityInBytes(), 143360);
    EXPECT_EQ(disk.freeCapacityInBytes(), 143360 - 65 * 256);
    EXPECT_EQ(hello.logicalSizeInBytes(), 512);
    EXPECT_EQ(DOS33Disk::dos33AsData(), DOS33Disk::dos33AsData());
}

// CiderPress2's new-init.do was initialised by DOS 3.3 itself: its VTOC,
// catalog and HELLO's list are the blank disk's byte for byte. Its HELLO
// data sector carries a stray byte after the empty program, which the blank
// disk leaves zero.
TEST(DOS33DiskTest, TheBlankDiskMatchesADiskInitialisedByDOS) {
    const auto initialised = testing::corpusImage("dos33/cp2-new-init.do");
    if (!initialised) GTEST_SKIP() << "dos33/cp2-new-init.do is not in the corpus";
    const ImageBytes blank = DOS33Disk::dos33AsData();
    ASSERT_EQ(blank.size(), initialised->size());
    const auto sector = [](const ImageBytes& disk, int64_t track, int64_t number, int64_t length = 256) {
        return disk.slice(track * 4096 + number * 256, length);
    };
    for (int64_t number = 0; number < 16; ++number) {
        EXPECT_EQ(sector(blank, 17, number), sector(*initialised, 17, number)) << "track 17 sector " << number;
    }
    EXPECT_EQ(sector(blank, 18, 15), sector(*initialised, 18, 15));
    EXPECT_EQ(sector(blank, 18, 14, 4), sector(*initialised, 18, 14, 4));
    // Only the DOS image differs elsewhere; both boot sectors load one sector.
    EXPECT_EQ(blank[0], (*initialised)[0]);
    EXPECT_EQ(blank.slice(77582, 143360 - 77582), initialised->slice(77582, 143360 - 77582));
}

TEST(DOS33DiskTest, TheSectorMapNamesTheFileOfADataSectorOnly) {
    const DOS33Disk disk(DOS33Disk::dos33AsData());
    const VolumeItem hello = disk.catalog()[0];
    EXPECT_EQ(disk.itemAt(18, 14, 0), hello);
    EXPECT_EQ(disk.itemAt(18, 15, 1), nullptr);  // its list sector
    EXPECT_EQ(disk.itemAt(17, 0, 1), nullptr);   // the VTOC
    EXPECT_EQ(disk.itemAt(0, 0, 1), nullptr);    // DOS
    EXPECT_EQ(disk.itemAt(20, 0, 1), nullptr);   // free
    EXPECT_EQ(sectorsOf(disk, 0), (std::vector<std::pair<int64_t, int64_t>>{{18, 14}}));
    EXPECT_TRUE(disk.sectorsFor(nullptr).empty());

    const auto occupied = disk.occupiedSectors();
    ASSERT_EQ(occupied.size(), 65U);
    EXPECT_EQ(occupied[0], (PhysicalDiskRepresentable::OccupiedSector{0, 0, 1, 0}));
    EXPECT_EQ(occupied[48], (PhysicalDiskRepresentable::OccupiedSector{17, 0, 1, 1}));
    EXPECT_EQ(occupied[50], (PhysicalDiskRepresentable::OccupiedSector{18, 14, 1, 2}));
    EXPECT_EQ(disk.physicalDisk(), &disk);
    EXPECT_EQ(disk.trackCount(), 35);
    EXPECT_EQ(disk.sectorCount(), 16);
    EXPECT_EQ(disk.sideCount(), 1);
}

TEST(DOS33DiskTest, TheCatalogIsFlatAndOffersNoContents) {
    DOS33Disk disk(DOS33Disk::dos33AsData());
    const VolumeItem hello = disk.catalog()[0];
    EXPECT_EQ(disk.numberOfChildrenOfItem(hello), 1);
    EXPECT_FALSE(disk.isItemExpandable(hello));
    EXPECT_EQ(disk.child(0, hello), hello);
    EXPECT_EQ(disk.child(1, nullptr), nullptr);
    EXPECT_EQ(disk.parentItem(hello), nullptr);
    EXPECT_EQ(disk.volumeItem(hello), hello);
    EXPECT_FALSE(disk.getFork(ForkType::data, hello).has_value());
    EXPECT_FALSE(disk.getFork(ForkType::resource, hello).has_value());
    const auto hierarchy = disk.fileHierarchy();
    ASSERT_EQ(hierarchy.size(), 1U);
    EXPECT_EQ(hierarchy[0].level, 0);
    EXPECT_EQ(disk.tree(hello), std::vector<std::string>{"Volume 254 - Apple II (DOS 3.3)"});
    EXPECT_EQ(hello->fileExtension(), "");
    EXPECT_FALSE(hello->isExportable());
    // A DOS 3.3 disk keeps no container.
    disk.setWrapper(std::make_shared<const DiskCopy42>());
    EXPECT_EQ(disk.wrapper(), nullptr);
}

struct ProbeCase {
    const char* name;
    int64_t size;
    int64_t offset;  // of a byte to change, or -1
    uint8_t value;
    bool accepted;
};

class DOS33ProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(DOS33ProbeTest, NeedsTheWholeVTOCAndItsGeometry) {
    const ProbeCase& c = GetParam();
    Bytes bytes = DOS33Disk::dos33AsData().toBytes();
    bytes.resize(static_cast<size_t>(c.size));
    if (c.offset >= 0) bytes[static_cast<size_t>(c.offset)] = c.value;
    EXPECT_EQ(DOS33Disk::fromImageData(ImageBytes(bytes)).has_value(), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Probe, DOS33ProbeTest,
    ::testing::Values(ProbeCase{"WholeDisk", 143360, -1, 0, true},
                      ProbeCase{"EndsWithTheVTOC", 69888, -1, 0, true},
                      // The geometry bytes are there, the rest of the VTOC is not.
                      ProbeCase{"VTOCCutShort", 69887, -1, 0, false},
                      ProbeCase{"GeometryBytesOnly", 69689, -1, 0, false},
                      ProbeCase{"ThirtySixTracks", 143360, 0x11034, 36, false},
                      ProbeCase{"ThirteenSectors", 143360, 0x11035, 13, false},
                      ProbeCase{"SectorsOf512Bytes", 143360, 0x11037, 2, false}),
    [](const auto& info) { return info.param.name; });

TEST(DOS33DiskTest, EntriesKeepTheirTypeByteAndTrimmedNames) {
    DOS33DiskImage image;
    image.putEntry(17, 15, 1, 18, 13, 0x82, "LOCKED", 1);
    image.putEntry(17, 15, 2, 18, 12, 0x04, "INVERSE", 1);
    image.at(17, 15, 0x0B + 2 * 35 + 3)[1] = 'N';  // bit 7 clear: an inverse N
    image.putEntry(17, 15, 3, 18, 11, 0x00, "  PADDED", 1);
    const DOS33Disk disk = open(image.bytes);
    ASSERT_EQ(names(disk), (std::vector<std::string>{"HELLO", "LOCKED", "", "PADDED"}));
    EXPECT_EQ(disk.catalog()[1]->fileTypeAndFlags, 0x82);
    EXPECT_EQ(disk.catalog()[1]->fileTypeAndFlags & DOS33FileDescriptiveEntry::lockedBitmask, 0x80);
}

TEST(DOS33DiskTest, FreeSlotsAndDeletedEntriesAreSkipped) {
    DOS33DiskImage image;
    // Slot 1 stays free; slot 2 is a deleted file (track byte 0xFF) whose
    // list names 20/0; slot 5 is in use after them.
    image.putEntry(17, 15, 2, 0xFF, 19, 0x02, "GONE", 2);
    image.put(19, 0, 0x0C, {20, 0});
    image.putEntry(17, 15, 5, 19, 1, 0x04, "KEPT", 2);
    image.put(19, 1, 0x0C, {21, 3});
    const DOS33Disk disk = open(image.bytes);
    EXPECT_EQ(names(disk), (std::vector<std::string>{"HELLO", "KEPT"}));
    EXPECT_EQ(sectorsOf(disk, 1), (std::vector<std::pair<int64_t, int64_t>>{{21, 3}}));
    EXPECT_EQ(disk.itemAt(20, 0, 1), nullptr);
}

TEST(DOS33DiskTest, AFullListSectorGivesAll122Pairs) {
    DOS33DiskImage image;
    image.putEntry(17, 15, 1, 19, 0, 0x04, "FULL", 123);
    std::vector<std::pair<int64_t, int64_t>> expected;
    for (int64_t pair = 0; pair < 122; ++pair) {
        const auto track = static_cast<uint8_t>(20 + pair / 16);
        const auto sector = static_cast<uint8_t>(pair % 16);
        image.put(19, 0, 0x0C + 2 * pair, {track, sector});
        expected.emplace_back(track, sector);
    }
    const DOS33Disk disk = open(image.bytes);
    EXPECT_EQ(sectorsOf(disk, 1), expected);
    EXPECT_EQ(expected.back(), (std::pair<int64_t, int64_t>{27, 9}));  // the pair at 0xFE
}

TEST(DOS33DiskTest, ListChainsEndAtTrackZeroWhileTheCatalogGoesOnToSectorZeroFive) {
    DOS33DiskImage image;
    // HELLO's list points on to (0, 5): the list chain ends there.
    image.put(18, 15, 1, {0, 5});
    // The last catalog sector (17/1) points on to (0, 5): the catalog goes
    // on and reads an entry there.
    image.put(17, 1, 1, {0, 5});
    std::fill_n(image.at(0, 5), 256, 0);
    image.putEntry(0, 5, 0, 19, 0, 0x04, "IN DOS", 2);
    image.put(19, 0, 0x0C, {22, 2});
    const DOS33Disk disk = open(image.bytes);
    EXPECT_EQ(names(disk), (std::vector<std::string>{"HELLO", "IN DOS"}));
    EXPECT_EQ(sectorsOf(disk, 0), (std::vector<std::pair<int64_t, int64_t>>{{18, 14}}));
    EXPECT_EQ(sectorsOf(disk, 1), (std::vector<std::pair<int64_t, int64_t>>{{22, 2}}));
}

// Damaged chains end at a sector met before or outside the image, keeping
// what they read.
TEST(DOS33DiskTest, ALoopingCatalogEnds) {
    DOS33DiskImage image;
    image.put(17, 15, 1, {17, 15});  // the first catalog sector points at itself
    const DOS33Disk disk = open(image.bytes);
    EXPECT_EQ(names(disk), std::vector<std::string>{"HELLO"});
    EXPECT_EQ(disk.tsList().size(), 48U + 1 + 1 + 1);

    image.put(17, 15, 1, {17, 14});
    image.put(17, 1, 1, {17, 8});  // the chain's end leads back into it
    EXPECT_EQ(open(image.bytes).tsList().size(), 65U);
}

TEST(DOS33DiskTest, ALoopingTrackSectorListEnds) {
    DOS33DiskImage image;
    image.put(18, 15, 1, {18, 15});  // HELLO's list names itself as the next one
    const DOS33Disk disk = open(image.bytes);
    EXPECT_EQ(sectorsOf(disk, 0), (std::vector<std::pair<int64_t, int64_t>>{{18, 14}}));
}

TEST(DOS33DiskTest, ASectorNamedByTwoFilesIsEnteredForBoth) {
    DOS33DiskImage image;
    image.putEntry(17, 15, 1, 18, 15, 0x02, "TWIN", 2);  // HELLO's list again
    const DOS33Disk disk = open(image.bytes);
    EXPECT_EQ(sectorsOf(disk, 1), (std::vector<std::pair<int64_t, int64_t>>{{18, 14}}));
    EXPECT_EQ(disk.tsList().size(), 66U);
    EXPECT_EQ(disk.freeCapacityInBytes(), 143360 - 66 * 256);
    EXPECT_EQ(disk.itemAt(18, 14, 1), disk.catalog()[0]);  // the first entry wins
}

TEST(DOS33DiskTest, PointersOutsideTheImageEndTheirChains) {
    DOS33DiskImage image;
    image.putEntry(17, 15, 1, 30, 0, 0x04, "FAR", 2);
    image.bytes.resize(DOS33Disk::trackSize * 20);  // tracks 0 to 19
    DOS33Disk disk = open(image.bytes);
    EXPECT_EQ(names(disk), (std::vector<std::string>{"HELLO", "FAR"}));
    EXPECT_TRUE(sectorsOf(disk, 1).empty());

    image.bytes.resize(69888);  // the VTOC alone: no catalog sector is inside
    disk = open(image.bytes);
    EXPECT_TRUE(disk.catalog().empty());
    EXPECT_EQ(disk.tsList().size(), 49U);
    EXPECT_EQ(disk.volumeName(), "Volume 254");
}

TEST(DOS33DiskTest, BytesWithoutAWholeVTOCOpenEmpty) {
    const DOS33Disk disk = open(Bytes(69887, 0));
    EXPECT_FALSE(disk.vtoc().has_value());
    EXPECT_EQ(disk.volumeName(), "");
    EXPECT_EQ(disk.totalCapacityInBytes(), 0);
    EXPECT_EQ(disk.freeCapacityInBytes(), 0);
    EXPECT_EQ(disk.trackCount(), 0);
    EXPECT_TRUE(disk.tsList().empty());
}

// The volume planner opens bytes without the probe: a VTOC that claims more
// tracks than its sector has bitmaps for keeps the bitmaps the sector holds.
TEST(DOS33DiskTest, AVTOCOfManyTracksKeepsTheBitmapsItsSectorHolds) {
    DOS33DiskImage image;
    image.put(17, 0, 0x34, {200});
    const DOS33Disk disk = open(image.bytes);
    ASSERT_TRUE(disk.vtoc().has_value());
    EXPECT_EQ(disk.vtoc()->numTracksPerDisk, 200);
    EXPECT_EQ(disk.vtoc()->bitmaps.size(), 50U);
    EXPECT_EQ(disk.vtoc()->bitmaps.back(), ImageBytes(Bytes(4, 0)));
}

TEST(DOS33DiskTest, AProDOSOrderedDiskIsReadThroughTheProDOSInterleave) {
    DOS33DiskImage image;
    image.putEntry(17, 14, 0, 19, 0, 0x04, "SECOND", 2);
    image.put(19, 0, 0x0C, {23, 7});
    const DOS33Disk dosOrder = open(image.bytes);
    const DOS33Disk proDOSOrder = open(image.inProDOSOrder());
    EXPECT_FALSE(dosOrder.proDOSOrder());
    EXPECT_TRUE(proDOSOrder.proDOSOrder());
    EXPECT_EQ(names(proDOSOrder), (std::vector<std::string>{"HELLO", "SECOND"}));
    EXPECT_EQ(proDOSOrder.tsList(), dosOrder.tsList());
    EXPECT_EQ(proDOSOrder.sector(19, 0), dosOrder.sector(19, 0));
    EXPECT_TRUE(DOS33Disk::fromImageData(ImageBytes(image.inProDOSOrder())).has_value());
}

}  // namespace
}  // namespace zorv
