// DOS 3.3 disks: the blank disk against one DOS 3.3 initialised, the probe,
// and the catalog and track/sector list walks over sound, unusual and
// damaged chains, in either sector order.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DOS33DiskImage.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "support/Corpus.hpp"

namespace zorv {
namespace {

using testing::DOS33DiskImage;
using Usage = DOS33TSListEntry::Usage;
using Sectors = std::vector<std::pair<int64_t, int64_t>>;

std::vector<std::string> names(const DOS33Disk& disk) {
    std::vector<std::string> result;
    for (const auto& entry : disk.catalog()) result.push_back(entry->fileName);
    return result;
}

// The data sectors the map gives a file, in map order.
Sectors sectorsOf(const DOS33Disk& disk, size_t file) {
    Sectors sectors;
    for (const auto& address : disk.sectorsFor(disk.catalog().at(file))) sectors.emplace_back(address.track, address.sector);
    return sectors;
}

TEST(DOS33DiskTest, TheBlankDiskOpensAsVolume254WithHello) {
    const DOS33Disk disk(DOS33Disk::dos33AsData());
    EXPECT_EQ(disk.volumeName(), "Volume 254");
    ASSERT_EQ(names(disk), std::vector<std::string>{"HELLO"});
    const VolumeItem hello = disk.catalog()[0];
    EXPECT_EQ(hello->logicalSizeInBytes(), 512);

    // 48 DOS sectors, the VTOC, the catalog 17/15 down to 17/1 with HELLO's
    // one data sector after the catalog sector that holds its entry.
    std::vector<DOS33TSListEntry> expected;
    for (int64_t linear = 0; linear < 48; ++linear) expected.push_back({linear / 16, linear % 16, Usage::system, 0});
    expected.push_back({17, 0, Usage::catalog, 1});
    expected.push_back({17, 15, Usage::catalog, 1});
    expected.push_back({18, 14, Usage::user, 2});
    for (int64_t sector = 14; sector >= 1; --sector) expected.push_back({17, sector, Usage::catalog, 1});
    EXPECT_EQ(disk.tsList(), expected);
    // What the VTOC's bitmaps mark free: HELLO's list sector is in use too.
    EXPECT_EQ(disk.freeCapacityInBytes(), 126464);
    EXPECT_EQ(disk.occupiedSectors()[50], (PhysicalDiskRepresentable::OccupiedSector{18, 14, 1, 2}));
    // Only a data sector names its file: not the list, the VTOC, DOS or a free one.
    EXPECT_EQ(disk.itemAt(18, 14, 1), hello);
    for (const auto& [track, sector] : Sectors{{18, 15}, {17, 0}, {0, 0}, {20, 0}}) {
        EXPECT_EQ(disk.itemAt(track, sector, 1), nullptr) << track << "/" << sector;
    }
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

TEST(DOS33DiskTest, TheProbeNeedsTheWholeVTOCAndItsGeometry) {
    struct Case {
        const char* what;
        size_t size;
        size_t offset;  // of a byte to change, 0 for none
        uint8_t value;
        bool accepted;
    };
    for (const Case& c : std::vector<Case>{{"whole disk", 143360, 0, 0, true},
                                           {"ends with the VTOC", 69888, 0, 0, true},
                                           {"VTOC cut short", 69887, 0, 0, false},
                                           {"geometry bytes only", 69689, 0, 0, false},
                                           {"36 tracks", 143360, 0x11034, 36, false},
                                           {"13 sectors", 143360, 0x11035, 13, false},
                                           {"sectors of 512 bytes", 143360, 0x11037, 2, false}}) {
        Bytes bytes = DOS33Disk::dos33AsData().toBytes();
        bytes.resize(c.size);
        if (c.offset != 0) bytes[c.offset] = c.value;
        EXPECT_EQ(DOS33Disk::fromImageData(ImageBytes(bytes)).has_value(), c.accepted) << c.what;
    }
}

// The blank disk changed: what the catalog lists, the sectors of its last
// file and the size of the sector map. Damaged chains end at a sector met
// before or outside the image, keeping what they read.
TEST(DOS33DiskTest, CatalogAndListWalks) {
    Sectors fullList;
    for (int64_t pair = 0; pair < 122; ++pair) fullList.emplace_back(20 + pair / 16, pair % 16);
    struct Case {
        const char* what;
        std::function<void(DOS33DiskImage&)> change;
        std::vector<std::string> names;
        Sectors lastFileSectors;
        size_t mapEntries;
        bool proDOSOrder = false;
    };
    const std::vector<Case> cases{
        {"free and deleted slots are skipped",
         [](DOS33DiskImage& image) {
             image.putEntry(17, 15, 2, 0xFF, 19, 0x02, "GONE", 2);  // deleted: its list names 20/0
             image.put(19, 0, 0x0C, {20, 0});
             image.putEntry(17, 15, 5, 19, 1, 0x04, "KEPT", 2);
             image.put(19, 1, 0x0C, {21, 3});
         },
         {"HELLO", "KEPT"}, {{21, 3}}, 66},
        {"a full list sector gives all 122 pairs",
         [&](DOS33DiskImage& image) {
             image.putEntry(17, 15, 1, 19, 0, 0x04, "FULL", 123);
             for (size_t pair = 0; pair < 122; ++pair) {
                 image.put(19, 0, 0x0C + 2 * static_cast<int64_t>(pair),
                           {static_cast<uint8_t>(fullList[pair].first), static_cast<uint8_t>(fullList[pair].second)});
             }
         },
         {"HELLO", "FULL"}, fullList, 65 + 122},
        {"a list chain ends at track 0, the catalog goes on to sector 0/5",
         [](DOS33DiskImage& image) {
             image.put(18, 15, 1, {0, 5});
             image.put(17, 1, 1, {0, 5});
             std::fill_n(image.at(0, 5), 256, 0);
             image.putEntry(0, 5, 0, 19, 0, 0x04, "IN DOS", 2);
             image.put(19, 0, 0x0C, {22, 2});
         },
         {"HELLO", "IN DOS"}, {{22, 2}}, 67},
        {"a catalog sector pointing at itself", [](DOS33DiskImage& image) { image.put(17, 15, 1, {17, 15}); },
         {"HELLO"}, {{18, 14}}, 51},
        {"a list naming itself as the next", [](DOS33DiskImage& image) { image.put(18, 15, 1, {18, 15}); },
         {"HELLO"}, {{18, 14}}, 65},
        {"a sector named by two files is entered for both",
         [](DOS33DiskImage& image) { image.putEntry(17, 15, 1, 18, 15, 0x02, "TWIN", 2); },
         {"HELLO", "TWIN"}, {{18, 14}}, 66},
        {"a list outside the image",
         [](DOS33DiskImage& image) {
             image.putEntry(17, 15, 1, 30, 0, 0x04, "FAR", 2);
             image.bytes.resize(DOS33Disk::trackSize * 20);
         },
         {"HELLO", "FAR"}, {}, 65},
        // The VTOC is at the same offset in both orders; the catalog tells
        // them apart.
        {"stored in ProDOS order",
         [](DOS33DiskImage& image) {
             image.putEntry(17, 14, 0, 19, 0, 0x04, "SECOND", 2);
             image.put(19, 0, 0x0C, {23, 7});
         },
         {"HELLO", "SECOND"}, {{23, 7}}, 66, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DOS33DiskImage image;
        c.change(image);
        const auto disk = DOS33Disk::fromImageData(ImageBytes(c.proDOSOrder ? image.inProDOSOrder() : image.bytes));
        ASSERT_TRUE(disk.has_value());
        EXPECT_EQ(disk->proDOSOrder(), c.proDOSOrder);
        EXPECT_EQ(disk->volumeName(), "Volume 254");
        ASSERT_EQ(names(*disk), c.names);
        EXPECT_EQ(sectorsOf(*disk, c.names.size() - 1), c.lastFileSectors);
        EXPECT_EQ(disk->tsList().size(), c.mapEntries);
    }
}

// The volume planner opens bytes without the probe: a VTOC that claims more
// tracks than its sector has bitmaps for keeps the bitmaps the sector holds.
TEST(DOS33DiskTest, AVTOCOfManyTracksKeepsTheBitmapsItsSectorHolds) {
    DOS33DiskImage image;
    image.put(17, 0, 0x34, {200});
    const DOS33Disk disk{ImageBytes(image.bytes)};
    ASSERT_TRUE(disk.vtoc().has_value());
    EXPECT_EQ(disk.vtoc()->bitmaps.size(), 50U);
    EXPECT_EQ(disk.vtoc()->bitmaps.back(), ImageBytes(Bytes(4, 0)));
}

}  // namespace
}  // namespace zorv
