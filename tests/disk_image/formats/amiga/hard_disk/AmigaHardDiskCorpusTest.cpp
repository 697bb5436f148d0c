// The Amiga hard disk of the shared corpus (../shared/corpus/rdb), an A590
// drive partitioned under Kickstart 3.1 into six partitions, one per Amiga
// DOS flavour, read against ADFlib's own expected outputs in rdb/oracles/:
// the drive geometry, each partition's first and last block, and the items
// of each volume. Skips when the image or its oracle is absent.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../adf/ADFTestImages.hpp"
#include "disk_image/formats/amiga/hard_disk/AmigaHardDisk.hpp"
#include "support/Corpus.hpp"

namespace zorv {
namespace {

const char* const diskFile = "rdb/a590_WD93028XA_6parts.hdd.gz";
const char* const deviceOracle = "rdb/oracles/adfinfo_hd_test_device.txt";

std::string readText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// One row of adfinfo's volume table.
struct OracleVolume {
    int64_t first = 0;
    int64_t last = 0;
    std::string name;
};

std::vector<OracleVolume> oracleVolumes(const std::string& listing) {
    static const std::regex row(R"row(^ +\d+ +(\d+) +(\d+) +\S+ +"(.*)"$)row");
    std::vector<OracleVolume> volumes;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, row))
            volumes.push_back({std::stoll(match[1]), std::stoll(match[2]), match[3]});
    }
    return volumes;
}

int64_t oracleValue(const std::string& listing, const std::string& key) {
    const std::regex field("\\n +" + key + "\\t(\\d+)");
    std::smatch match;
    return std::regex_search(listing, match, field) ? std::stoll(match[1]) : -1;
}

class CorpusHardDisk : public ::testing::Test {
protected:
    void SetUp() override {
        const auto oracle = testing::corpusFile(deviceOracle);
        image = testing::corpusImage(diskFile);
        if (!image || !oracle) GTEST_SKIP() << diskFile << " or its oracle is not in the corpus (or gzip is missing)";
        listing = readText(*oracle);
    }
    std::optional<ImageBytes> image;
    std::string listing;
};

TEST_F(CorpusHardDisk, TheDriveAsTheRigidDiskBlockDescribesIt) {
    const auto disk = AmigaHardDisk::fromImageData(*image);
    ASSERT_TRUE(disk.has_value());
    EXPECT_EQ(disk->rigidDiskBlockBlockLocation, 0);
    EXPECT_EQ(disk->trackCount(), oracleValue(listing, "Cylinders"));
    EXPECT_EQ(disk->sideCount(), oracleValue(listing, "Heads"));
    EXPECT_EQ(disk->sectorCount(), oracleValue(listing, "Sectors"));
    EXPECT_EQ(disk->physicalBlockSize(), 512);
    // Vendor, product and revision as stored: the product and the revision
    // are padded with spaces, which are kept.
    EXPECT_EQ(disk->deviceName(), std::string("WD(A590)") + " " + "WD93028XA       " + " " + "    ");
    EXPECT_EQ(disk->targetOS(), SupportedOS::amiga);
    EXPECT_EQ(disk->firstInterestingPartition(), 0);
    EXPECT_TRUE(disk->fileSystemHeaders.empty());
}

TEST_F(CorpusHardDisk, EachPartitionWithItsVolume) {
    // The volume names as the partitions' root blocks hold them, and the file
    // system of each (DOS\0 to DOS\5: OFS, then FFS, plain, international,
    // directory cache).
    const std::map<std::string, std::pair<std::string, std::string>> volumes{
        {"OFS", {"VolOFS", "UAE Hardfile (OFS)"}},
        {"OFS INTL", {"VolOFSIntl", "UAE Hardfile (OFS)"}},
        {"OFS DirCache", {"VolOFSDirCache", "UAE Hardfile (OFS)"}},
        {"FFS", {"VolFFS", "UAE Hardfile (FFS)"}},
        {"FFS INTL", {"VolFFSIntl", "UAE Hardfile (FFS)"}},
        {"FFS DirCache", {"VolFFSDirCache", "UAE Hardfile (FFS)"}},
    };
    const std::vector<OracleVolume> expected = oracleVolumes(listing);
    ASSERT_EQ(expected.size(), 6u);

    const auto disk = AmigaHardDisk::fromImageData(*image);
    ASSERT_TRUE(disk.has_value());
    const auto partitions = disk->devicePartitions();
    ASSERT_EQ(partitions.size(), expected.size());
    for (size_t index = 0; index < expected.size(); ++index) {
        const OracleVolume& oracle = expected[index];
        SCOPED_TRACE(oracle.name);
        const auto& partition = *partitions[index];
        const auto& [volumeName, formatName] = volumes.at(oracle.name);
        EXPECT_EQ(partition.partitionName(), oracle.name);
        EXPECT_EQ(partition.startPhysicalBlock(), oracle.first);
        EXPECT_EQ(partition.sizeInPhysicalBlocks(), oracle.last - oracle.first + 1);
        EXPECT_EQ(partition.sizeInBytes(), (oracle.last - oracle.first + 1) * 512);
        EXPECT_EQ(partition.partitionTypeLabel(), volumeName);
        EXPECT_EQ(partition.preferredName(), volumeName);
        EXPECT_EQ(disk->partitions[index].dosType, "DOS");

        const auto volume = disk->volumeForPartition(static_cast<int64_t>(index));
        ASSERT_NE(volume, nullptr);
        EXPECT_EQ(volume, partition.associatedVolume());
        EXPECT_EQ(volume->volumeName(), volumeName);
        EXPECT_EQ(volume->volumeFormatName(), formatName);
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
    EXPECT_EQ(disk->volumeForPartition(6), nullptr);
}

}  // namespace
}  // namespace zorv
