#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "platform/FileSystem.hpp"
#include "support/HfsTool.hpp"
#include "support/RunCommand.hpp"
#include "support/TemporaryDirectory.hpp"

// Devices built here, read by other programs' partition map readers: The
// Sleuth Kit's mmls and hfsutils.
namespace zorv {
namespace {

struct Listed {
    int64_t start;
    int64_t end;
    int64_t length;
    std::string description;

    friend bool operator==(const Listed&, const Listed&) = default;
};

void PrintTo(const Listed& listed, std::ostream* out) {
    *out << listed.description << " " << listed.start << "-" << listed.end << " (" << listed.length << ")";
}

// The partitions `mmls -t mac` lists (its "Meta" line for the map itself
// and its unallocated ranges left out).
std::vector<Listed> mmlsPartitions(const std::string& output) {
    static const std::regex line(R"(^\d+:\s+\d+\s+(\d+)\s+(\d+)\s+(\d+)\s+(.*?)\s*$)");
    std::vector<Listed> partitions;
    std::istringstream lines(output);
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        if (!std::regex_match(text, match, line)) continue;
        partitions.push_back({std::stoll(match[1]), std::stoll(match[2]), std::stoll(match[3]), match[4]});
    }
    return partitions;
}

std::vector<VolumeDescriptor> sampleVolumes() {
    return {VolumeDescriptor::newBlankVolume("Old Floppy", 0, 800, VolumeType::mfs),
            VolumeDescriptor::newBlankVolume("Zorv HD", 0, 20000, VolumeType::hfs),
            VolumeDescriptor::fromExistingData("Unix", 0, ImageBytes(Bytes(64 * 512, 0x11)), VolumeType::aux),
            VolumeDescriptor::newBlankVolume("Apple II", 0, 1600, VolumeType::dos33),
            VolumeDescriptor::newBlankVolume("Second HD", 0, 3000, VolumeType::hfs)};
}

std::string writeDevice(const testing::TemporaryDirectory& folder, const SCSIDriver& driver) {
    const std::string path = folder.file("device.hda");
    auto creator = MacintoshImageCreator::withCapacityInBlocks(URL::fileURLWithPath(path), 30000);
    creator.partition(sampleVolumes(), driver);
    creator.create(true);
    return path;
}

TEST(MacintoshImageCreatorInterchange, MmlsListsTheSamePartitions) {
    if (!testing::isCommandAvailable("mmls")) GTEST_SKIP() << "mmls (sleuthkit) is not installed";
    for (const SCSIDriver* driver : {&SCSIDriver::appleHDSC735(), &SCSIDriver::silverLining531()}) {
        SCOPED_TRACE(driver->name);
        testing::TemporaryDirectory folder;
        const std::string path = writeDevice(folder, *driver);
        const auto result = testing::runCommand({"mmls", "-t", "mac", path});
        ASSERT_EQ(result.exitStatus, 0) << result.output;

        // What the device reader finds, in map order, is what mmls lists.
        const MacintoshDevice device(fs::readWholeFile(path));
        std::vector<Listed> expected;
        for (const auto& entry : device.partitionMap.partitions) {
            expected.push_back({entry.pmPyPartStart, entry.pmPyPartStart + entry.pmPartBlkCnt - 1,
                                entry.pmPartBlkCnt, entry.pmParType});
        }
        const std::string driverType = driver->prefersOldSCSIManager ? "Apple_Driver" : "Apple_Driver43";
        EXPECT_EQ(expected, (std::vector<Listed>{{1, 63, 63, "Apple_partition_map"},
                                                 {64, 95, 32, driverType},
                                                 {96, 20095, 20000, "Apple_HFS"},
                                                 {20096, 23095, 3000, "Apple_HFS"},
                                                 {23096, 24695, 1600, "Apple_PRODOS"},
                                                 {24696, 25495, 800, "Apple_MFS"},
                                                 {25496, 25559, 64, "Apple_Unix_SVR2"}}));
        EXPECT_EQ(mmlsPartitions(result.output), expected) << result.output;
    }
}

// hfsutils finds the HFS partitions by number in the map, formats the first
// one and mounts it; the rest of the device is untouched.
TEST(MacintoshImageCreatorInterchange, HformatFormatsTheHFSPartition) {
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    testing::TemporaryDirectory folder;
    const std::string path = writeDevice(folder, SCSIDriver::appleHDSC735());
    const ImageBytes before = fs::readWholeFile(path);

    testing::HfsTool hfs;
    hfs.run({"hformat", "-l", "Formatted", path, "1"});
    const std::string mounted = hfs.run({"hmount", path, "1"});
    EXPECT_NE(mounted.find("contains 2 HFS partitions"), std::string::npos) << mounted;
    EXPECT_NE(mounted.find("Volume name is \"Formatted\""), std::string::npos) << mounted;
    const std::string note = folder.file("note.txt");
    std::ofstream(note) << "Made on a device built by zorv.\n";
    hfs.run({"hcopy", "-r", note, ":Read Me"});
    hfs.run({"hmkdir", ":Folder"});
    const std::string listing = hfs.run({"hls", "-a"});
    EXPECT_NE(listing.find("Read Me"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Folder"), std::string::npos) << listing;
    hfs.run({"humount"});

    // The second HFS partition is the blank volume built here: mountable as
    // partition 2 once formatted too.
    hfs.run({"hformat", "-l", "Second", path, "2"});
    EXPECT_NE(hfs.run({"hmount", path, "2"}).find("Volume name is \"Second\""), std::string::npos);
    hfs.run({"humount"});

    // Only the two HFS partitions changed; block 0, the map and the driver
    // are as built, and the device still reads with its volumes.
    const ImageBytes after = fs::readWholeFile(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 96 * 512, after.begin()));
    EXPECT_TRUE(std::equal(before.begin() + 23096 * 512, before.end(), after.begin() + 23096 * 512));
    const MacintoshDevice device(after);
    const auto first = device.volumeDescriptorForInterestingPartition(0);
    EXPECT_EQ(first.volumeType(), VolumeType::hfs);
    ASSERT_NE(first.parsedVolume(), nullptr);
    EXPECT_EQ(first.parsedVolume()->volumeName(), "Formatted");
    EXPECT_EQ(device.devicePartitions()[2]->partitionName(), "Formatted");
    ASSERT_NE(device.volumeForPartition(3), nullptr);
    EXPECT_EQ(device.volumeForPartition(3)->volumeName(), "Second");
}

}  // namespace
}  // namespace zorv
