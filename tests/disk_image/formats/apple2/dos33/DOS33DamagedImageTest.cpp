// Randomly damaged and truncated DOS 3.3 disks (fixed seeds) and hostile
// catalogs: the probe, the walks and every answer of the disk must end, stay
// within the image and throw nothing.

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "DOS33DiskImage.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"

namespace zorv {
namespace {

using testing::DOS33DiskImage;
using testing::mustNotThrow;

// Asks the disk everything detection, the reports and the sector map ask;
// true when the probe took it.
bool exercise(const Bytes& image) {
    mustNotThrow("opening", [&] { DOS33Disk{ImageBytes(image)}; });
    std::optional<DOS33Disk> disk;
    mustNotThrow("fromImageData", [&] { disk = DOS33Disk::fromImageData(ImageBytes(image)); });
    if (!disk) return false;
    mustNotThrow("answers", [&] {
        disk->volumeName();
        disk->freeCapacityInBytes();
        disk->codable(true);
        disk->physicalDisk()->codable();
        disk->occupiedSectors();
        for (const auto& element : disk->fileHierarchy()) {
            disk->sectorsFor(element.item);
            disk->tree(element.item);
        }
        for (int64_t track = 0; track < 40; track += 3) disk->itemAt(track, track % 16, 1);
    });
    return true;
}

TEST(DOS33DamagedImageTest, RandomDamageEndsCleanly) {
    struct Base {
        std::string name;
        Bytes bytes;
    };
    std::vector<Base> bases{{"blank", DOS33DiskImage().bytes}, {"blank in ProDOS order", DOS33DiskImage().inProDOSOrder()}};
    for (const char* path : {"dos33/cp2-simple-sparse.do", "dos33/cp2-system-master-1983.po"}) {
        if (const auto image = testing::corpusImage(path)) bases.push_back({path, image->toBytes()});
    }
    for (const Base& base : bases) {
        SCOPED_TRACE(base.name);
        std::mt19937 random(19830101);
        int opened = 0;
        const auto started = std::chrono::steady_clock::now();
        for (int iteration = 0; iteration < 200; ++iteration) {
            Bytes damaged = base.bytes;
            const int changes = 1 + static_cast<int>(random() % 16);
            for (int change = 0; change < changes; ++change) {
                // Most damage goes to tracks 17 and 18, where the VTOC, the
                // catalog and the lists are; small values make pointers back
                // into them, the likeliest loops.
                const size_t at = random() % 2 == 0 ? 17 * 4096 + random() % 8192 : random() % damaged.size();
                damaged[at] = random() % 2 == 0 ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(random() % 20);
            }
            if (random() % 8 == 0) damaged.resize(random() % damaged.size());
            opened += exercise(damaged) ? 1 : 0;
            if (::testing::Test::HasFailure()) {
                ADD_FAILURE() << "iteration " << iteration;
                return;
            }
        }
        EXPECT_GT(opened, 50);
        const auto elapsed = std::chrono::steady_clock::now() - started;
        EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 30);
    }
}

// Catalogs that send the walk through far more list sectors than a disk
// holds: every slot naming one chain of 256 full list sectors, and a
// megabyte of catalog (26,656 files on one list of 122 sectors). The walk
// reads a bounded number of lists in all, and the sectors of every file are
// found without a search of the whole map for each (a search took minutes).
TEST(DOS33DamagedImageTest, SectorsOfEveryFileOfAHugeCatalog) {
    DOS33DiskImage shared;
    for (int64_t sector = 1; sector <= 15; ++sector) {
        for (int64_t position = 0; position < 7; ++position) shared.putEntry(17, sector, position, 19, 0, 0x04, "SHARED", 2);
    }
    for (int64_t list = 0; list < 256; ++list) {
        const int64_t next = list + 1;
        shared.put(19 + list / 16, list % 16, 1, {static_cast<uint8_t>(next < 256 ? 19 + next / 16 : 0), static_cast<uint8_t>(next % 16)});
        for (int64_t pair = 0; pair < 122; ++pair) shared.put(19 + list / 16, list % 16, 0x0C + 2 * pair, {3, 0});
    }

    DOS33DiskImage huge;
    huge.bytes.resize(256 * DOS33Disk::trackSize, 0);
    huge.put(17, 0, 1, {18, 0});
    huge.put(2, 0, 1, {0, 0});
    for (int64_t pair = 0; pair < 122; ++pair) huge.put(2, 0, 0x0C + 2 * pair, {3, 0});
    for (int64_t linear = 18 * 16; linear < 256 * 16; ++linear) {
        const int64_t next = linear + 1 < 256 * 16 ? linear + 1 : 0;
        huge.put(linear / 16, linear % 16, 1, {static_cast<uint8_t>(next / 16), static_cast<uint8_t>(next % 16)});
        for (int64_t position = 0; position < 7; ++position) huge.putEntry(linear / 16, linear % 16, position, 2, 0, 0x04, "F", 2);
    }

    for (const auto& [image, files] : {std::pair{&shared, size_t{105}}, std::pair{&huge, size_t{26656}}}) {
        SCOPED_TRACE(files);
        const auto started = std::chrono::steady_clock::now();
        const DOS33Disk disk(ImageBytes(image->bytes));
        ASSERT_EQ(disk.catalog().size(), files);
        size_t sectors = 0;
        for (const auto& element : disk.fileHierarchy()) sectors += disk.sectorsFor(element.item).size();
        EXPECT_EQ(sectors, static_cast<size_t>(DOS33Disk::maximumTrackSectorListReads * 122));
        const auto elapsed = std::chrono::steady_clock::now() - started;
        EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 5);
    }
}

}  // namespace
}  // namespace zorv
