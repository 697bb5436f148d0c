#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/EndToEnd.hpp"
#include "support/HfsTool.hpp"
#include "support/LoopDevice.hpp"
#include "support/TestCaseNames.hpp"

// Devices named where zorv reads a file. A character device (/dev/zero, a
// terminal) may never end: it is refused before it is read, wherever it is
// named. A disk is read as its image file is, within bounded memory.
namespace zorv::testing {
namespace {

struct CharacterDeviceCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string device;
};

void PrintTo(const CharacterDeviceCase& deviceCase, std::ostream* out) { *out << deviceCase.name; }

const CharacterDeviceCase characterDeviceCases[] = {
    {"AnalyzedImage", {"analyze", "/dev/zero"}, "/dev/zero"},
    {"ImageConvertedToADevice", {"convert", "to-device", "/dev/urandom", "out.hda"}, "/dev/urandom"},
    {"DeviceConvertedToAVolume", {"convert", "to-volume", "/dev/zero", "out.img"}, "/dev/zero"},
    {"ConfigFile", {"create", "mac-device-partitioned", "out.hda", "--config-file", "/dev/zero"}, "/dev/zero"},
    {"LocalFileVolume",
     {"create", "mac-device-partitioned", "out.hda", "--partitions", R"([{"localFile": "/dev/zero"}])"},
     "/dev/zero"},
    {"Terminal", {"analyze", "/dev/tty"}, "/dev/tty"},
};

class CliCharacterDeviceInputTest : public ZorvEndToEndTest,
                                    public ::testing::WithParamInterface<CharacterDeviceCase> {};

TEST_P(CliCharacterDeviceInputTest, IsRefusedBeforeItIsRead) {
    const CharacterDeviceCase& deviceCase = GetParam();
    if (!std::filesystem::is_character_file(deviceCase.device)) {
        GTEST_SKIP() << deviceCase.device << " is not on this machine";
    }
    // Reading the device whole would take gigabytes in seconds.
    const ZorvRun run =
        runZorvBinary(deviceCase.arguments, folder.path(), ZorvLimits{std::chrono::seconds(10), 256 << 10});
    ASSERT_FALSE(run.stoppedAtLimit) << "still reading after 10 seconds or 256 MiB";
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err,
              "Error: " + deviceCase.device + ": Is a character device; only files, disks and pipes can be read\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(listing(), std::vector<std::string>{}) << "nothing is written";
}

INSTANTIATE_TEST_SUITE_P(Inputs, CliCharacterDeviceInputTest, ::testing::ValuesIn(characterDeviceCases),
                         testing::namedBy(&CharacterDeviceCase::name));

using CliBlockDeviceInputTest = ZorvEndToEndTest;

TEST_F(CliBlockDeviceInputTest, ADiskIsReadAsItsImageFileIsWithinBoundedMemory) {
    if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    // A sparse 512 MiB HFS volume holding one file, as hfsutils makes it.
    constexpr int64_t size = int64_t{512} << 20;
    const std::string image = path("disk.img");
    std::ofstream(image, std::ios::binary).close();
    std::filesystem::resize_file(image, size);
    HfsTool tool;
    tool.run({"hformat", "-l", "Big Disk", image});
    tool.makeFolder(":Folder");
    writeFile("readme.txt", std::string("Read me first.\n"));
    tool.copyIn(path("readme.txt"), ":Folder:ReadMe");
    tool.unmount();

    std::string failure;
    const auto disk = LoopDevice::attach(image, LoopDevice::Access::readOnly, failure);
    if (!disk) GTEST_SKIP() << "no loop device on this machine: " << failure;

    const ZorvRun fromFile = zorv({"analyze", "-f", image});
    const ZorvRun fromDisk = zorv({"analyze", "-f", disk->path()});
    ASSERT_EQ(fromFile.exitStatus, 0) << fromFile.err;
    EXPECT_EQ(fromDisk.exitStatus, 0) << fromDisk.err;
    EXPECT_EQ(fromDisk.out, fromFile.out);
    // Read whole, the disk would take its size on top of what its file takes.
    EXPECT_LT(fromDisk.peakMemoryKilobytes, fromFile.peakMemoryKilobytes + size / 1024 / 4)
        << "the disk is mapped as its file is, not read whole";
}

}  // namespace
}  // namespace zorv::testing
