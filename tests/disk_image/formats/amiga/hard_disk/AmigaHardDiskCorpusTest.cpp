// The Amiga hard disk of the shared corpus (../shared/corpus/rdb), an A590
// drive partitioned under Kickstart 3.1 into six partitions, one per Amiga
// DOS flavour, read against ADFlib's own expected outputs
// (rdb/oracles/adfinfo_hd_test_device.txt): the drive geometry, each
// partition's first and last block, and the items of each volume. Skips when
// the image is absent.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "disk_image/formats/amiga/hard_disk/AmigaHardDisk.hpp"
#include "support/AmigaTestImages.hpp"

namespace zorv {
namespace {

// A row of adfinfo's volume table, with the volume name its root block
// holds and the file system of its DOS type (DOS\0 to DOS\5: OFS, then FFS,
// plain, international, directory cache), which the reports leave out.
struct OracleVolume {
    const char* name;
    int64_t first;
    int64_t last;
    const char* volumeName;
    const char* formatName;
};

const OracleVolume oracleVolumes[] = {
    {"OFS", 108, 6263, "VolOFS", "UAE Hardfile (OFS)"},
    {"OFS INTL", 6264, 12419, "VolOFSIntl", "UAE Hardfile (OFS)"},
    {"OFS DirCache", 12420, 18575, "VolOFSDirCache", "UAE Hardfile (OFS)"},
    {"FFS", 18576, 24731, "VolFFS", "UAE Hardfile (FFS)"},
    {"FFS INTL", 24732, 30887, "VolFFSIntl", "UAE Hardfile (FFS)"},
    {"FFS DirCache", 30888, 42227, "VolFFSDirCache", "UAE Hardfile (FFS)"},
};

TEST(AmigaHardDiskCorpus, TheDriveAndEachPartitionWithItsVolume) {
    const auto image = testing::corpusImage("rdb/a590_WD93028XA_6parts.hdd.gz");
    if (!image) GTEST_SKIP() << "the RDB corpus disk is absent (or gzip is missing)";
    const auto disk = AmigaHardDisk::fromImageData(*image);
    ASSERT_TRUE(disk.has_value());
    EXPECT_EQ(disk->trackCount(), 782);
    EXPECT_EQ(disk->sideCount(), 2);
    EXPECT_EQ(disk->sectorCount(), 27);
    // Vendor, product and revision as stored, padded with spaces. The reports
    // leave the drive name out.
    EXPECT_EQ(disk->deviceName(), std::string("WD(A590)") + " " + "WD93028XA       " + " " + "    ");

    const auto partitions = disk->devicePartitions();
    ASSERT_EQ(partitions.size(), std::size(oracleVolumes));
    for (size_t index = 0; index < partitions.size(); ++index) {
        const OracleVolume& oracle = oracleVolumes[index];
        SCOPED_TRACE(oracle.name);
        const auto& partition = *partitions[index];
        EXPECT_EQ(partition.partitionName(), oracle.name);
        EXPECT_EQ(partition.startPhysicalBlock(), oracle.first);
        EXPECT_EQ(partition.sizeInPhysicalBlocks(), oracle.last - oracle.first + 1);
        EXPECT_EQ(partition.partitionTypeLabel(), oracle.volumeName);

        const auto volume = partition.associatedVolume();
        ASSERT_NE(volume, nullptr);
        EXPECT_EQ(volume->volumeName(), oracle.volumeName);
        EXPECT_EQ(volume->volumeFormatName(), oracle.formatName);
        // Formatted, never installed: the boot block's root pointer is 0, so
        // the top level is the root entry, a folder with an empty name.
        std::map<std::string, int64_t> items;
        for (const auto& [path, item] : testing::itemsByPath(*volume)) {
            items[path + (item->isFolder() ? "/" : "")] = item->logicalSizeInBytes().value_or(0);
            // The file reads whole from the partition's blocks.
            if (!item->isFolder()) {
                EXPECT_EQ(volume->getFork(ForkType::data, item)->size(), 1172u);
            }
        }
        EXPECT_EQ(items, (std::map<std::string, int64_t>{{"/", 0}, {"/Trashcan/", 0}, {"/Trashcan.info", 1172}}));
    }
}

// The first partition cut out as a file: 6,156 blocks, not whole hardfile
// cylinders, with its root block in their middle; `unadf -l` reports it as
// 6,156 cylinders of one head and one sector.
TEST(AmigaHardDiskCorpus, FirstPartitionCutOutOpensAsABareVolume) {
    const auto image = testing::corpusImage("rdb/a590_WD93028XA_6parts.hdd.gz");
    if (!image) GTEST_SKIP() << "the RDB corpus disk is absent (or gzip is missing)";
    const ImageBytes cut = image->slice(108 * 512, 6156 * 512);
    const auto volume = ADFDisk::fromImageData(cut);
    ASSERT_TRUE(volume.has_value());
    EXPECT_EQ(volume->rootBlockNumber(), 3078);
    EXPECT_EQ(volume->diskGeometry, (ADFDiskGeometry{6156, 1, 1, 512}));
    EXPECT_EQ(volume->totalCapacityInBytes(), 6156 * 512);
    EXPECT_EQ(volume->freeCapacityInBytes(), 6146 * 512);  // the bitmap's, as adfinfo lists it
}

}  // namespace
}  // namespace zorv
