#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/FakeLibrary.hpp"
#include "cli/ImageSizeChecks.hpp"
#include "cli/MacDevice.hpp"
#include "cli/ZORV.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::cli {
namespace {

using testing::FakeLibrary;
using testing::fileContents;
using testing::Outcome;
using testing::runWith;
using testing::TemporaryDirectory;

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(CliEmptyImageCommandTest, WritesZerosOfTheSizeInBytes) {
    TemporaryDirectory folder;
    FakeLibrary fake;
    const auto outcome = runWith(fake, {"create", "empty-image", "-sB", "1000", folder.file("a.img")});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(fileContents(folder.file("a.img")), std::string(1000, '\0'));
}

TEST(CliEmptyImageCommandTest, WritesOneMegabytePerMegabyteAndBytesWin) {
    TemporaryDirectory folder;
    FakeLibrary fake;
    EXPECT_EQ(runWith(fake, {"create", "empty-image", "-sM", "1", folder.file("m.img")}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.file("m.img")), 1'048'576u);
    EXPECT_EQ(runWith(fake, {"create", "empty-image", folder.file("b.img"), "-sB", "512", "-sM", "10"}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.file("b.img")), 512u);
}

TEST(CliEmptyImageCommandTest, SizeZeroGivesAnEmptyFile) {
    TemporaryDirectory folder;
    FakeLibrary fake;
    EXPECT_EQ(runWith(fake, {"create", "empty-image", "-sB", "0", folder.file("zero.img")}).status, 0);
    EXPECT_TRUE(std::filesystem::exists(folder.file("zero.img")));
    EXPECT_EQ(std::filesystem::file_size(folder.file("zero.img")), 0u);
    EXPECT_EQ(runWith(fake, {"create", "empty-image", "-sM", "0", folder.file("zeroMB.img")}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.file("zeroMB.img")), 0u);
}

TEST(CliEmptyImageCommandTest, ReplacesAnExistingFile) {
    TemporaryDirectory folder;
    { std::ofstream(folder.file("old.img")) << std::string(5000, 'x'); }
    FakeLibrary fake;
    EXPECT_EQ(runWith(fake, {"create", "empty-image", "-sB", "10", folder.file("old.img")}).status, 0);
    EXPECT_EQ(fileContents(folder.file("old.img")), std::string(10, '\0'));
}

TEST(CliEmptyImageCommandTest, RefusesMissingNegativeAndOverflowingSizesBeforeWriting) {
    TemporaryDirectory folder;
    FakeLibrary fake;
    const std::string target = folder.file("never.img");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{},
         "You must specify a capacity for your image, using either -sB for a size in bytes or -sM for a size in "
         "megabytes"},
        {{"-sB", "-1"}, "The size in bytes (-sB) cannot be negative."},
        {{"-sM", "-3"}, "The size in megabytes (-sM) cannot be negative."},
        {{"-sM", "8796093022208"},
         "The size in megabytes (-sM) is too large: an image holds at most 8796093022207 megabytes."},
        {{"-sM", "9223372036854775807"},
         "The size in megabytes (-sM) is too large: an image holds at most 8796093022207 megabytes."},
        // The size in bytes wins: a bad size in megabytes beside it is ignored,
        // a bad size in bytes is not excused by a good one in megabytes.
        {{"-sB", "-1", "-sM", "1"}, "The size in bytes (-sB) cannot be negative."},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> arguments{"create", "empty-image", target};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const auto outcome = runWith(fake, arguments);
        EXPECT_EQ(outcome.status, 64) << message;
        EXPECT_EQ(firstLine(outcome.err), "Error: " + message);
        EXPECT_FALSE(std::filesystem::exists(target)) << message;
    }
    EXPECT_EQ(runWith(fake, {"create", "empty-image", target, "-sB", "3", "-sM", "-1"}).status, 0);
    EXPECT_EQ(std::filesystem::file_size(target), 3u);
}

TEST(CliEmptyImageCommandTest, FileWriterErrorsEndWithStatusOne) {
    TemporaryDirectory folder;
    FakeLibrary fake;
    const auto directory = runWith(fake, {"create", "empty-image", "-sB", "10", folder.path().string()});
    EXPECT_EQ(directory.status, 1);
    EXPECT_EQ(directory.err, "Error: invalidFileURL\n");
    const auto slash = runWith(fake, {"create", "empty-image", "-sB", "10", folder.file("new") + "/"});
    EXPECT_EQ(slash.err, "Error: invalidFileURL\n");
    const auto huge = runWith(fake, {"create", "empty-image", "-sM", "8796093022207", folder.file("huge.img")});
    EXPECT_EQ(huge.status, 1);
    EXPECT_EQ(huge.err, "Error: notEnoughSpace\n");
    EXPECT_FALSE(std::filesystem::exists(folder.file("huge.img")));
}

TEST(CliMacDeviceCommandTest, DefaultFileNameCarriesScsiIdAndSize) {
    EXPECT_EQ(MacDevice::defaultFileName(1, 20), "HD10_512 20MB.hda");
    EXPECT_EQ(MacDevice::defaultFileName(0, 20), "HD00_512 20MB.hda");
    EXPECT_EQ(MacDevice::defaultFileName(7, 1024), "HD70_512 1024MB.hda");
}

TEST(CliMacDeviceCommandTest, HandsTheBuilderTheFileAndTheSize) {
    FakeLibrary fake;
    EXPECT_EQ(runWith(fake, {"create", "mac-device", "-sM", "20"}).status, 0);
    EXPECT_EQ(runWith(fake, {"create", "mac-device", "-sM", "20", "-s", "7"}).status, 0);
    EXPECT_EQ(runWith(fake, {"create", "mac-device", "-sM", "3", "/tmp/given name"}).status, 0);
    ASSERT_EQ(fake.createdDevices.size(), 3u);
    EXPECT_EQ(fake.createdDevices[0],
              (std::pair<std::string, int64_t>{URL::fileURLWithPath("HD10_512 20MB.hda").path(), 20}));
    EXPECT_EQ(fake.createdDevices[1].first, URL::fileURLWithPath("HD70_512 20MB.hda").path());
    EXPECT_EQ(fake.createdDevices[2], (std::pair<std::string, int64_t>{"/tmp/given name", 3}));
}

TEST(CliMacDeviceCommandTest, ValidationChecksSizeFirstThenScsiIdThenTheVolumeBounds) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, "You must specify a capacity for your image using -sM for a size in megabytes"},
        {{"-s", "9"}, "You must specify a capacity for your image using -sM for a size in megabytes"},
        {{"-sM", "20", "-s", "8"}, "A valid SCSI ID is an integer betweem 0 and 7."},
        {{"-sM", "20", "-s", "-1"}, "A valid SCSI ID is an integer betweem 0 and 7."},
        {{"-sM", "0", "-s", "8"}, "A valid SCSI ID is an integer betweem 0 and 7."},
        {{"-sM", "0"}, "The size in megabytes (-sM) must be at least 1: a blank HFS volume needs at least 22 blocks."},
        {{"-sM", "-20"},
         "The size in megabytes (-sM) must be at least 1: a blank HFS volume needs at least 22 blocks."},
        {{"-sM", "524289"},
         "The size in megabytes (-sM) must be at most 524288: a blank HFS volume holds at most 1073741824 blocks."},
        {{"-sM", "9223372036854775807"},
         "The size in megabytes (-sM) must be at most 524288: a blank HFS volume holds at most 1073741824 blocks."},
    };
    for (const auto& [options, message] : cases) {
        FakeLibrary fake;
        std::vector<std::string> arguments{"create", "mac-device"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const auto outcome = runWith(fake, arguments);
        EXPECT_EQ(outcome.status, 64) << message;
        EXPECT_EQ(firstLine(outcome.err), "Error: " + message);
        EXPECT_TRUE(fake.createdDevices.empty()) << message;
    }
    for (const std::string id : {"0", "7"}) {
        FakeLibrary fake;
        EXPECT_EQ(runWith(fake, {"create", "mac-device", "-sM", "1", "-s", id}).status, 0);
        EXPECT_EQ(runWith(fake, {"create", "mac-device", "-sM", "524288", "-s", id}).status, 0);
    }
}

TEST(CliImageSizeChecksTest, TheMacDeviceBoundsFollowTheBlankVolumeBounds) {
    EXPECT_EQ(image_size::blocksPerMegabyte, 2048);
    // The smallest device volume (one megabyte) holds a blank HFS volume.
    EXPECT_GE(image_size::blocksPerMegabyte, MasterDirectoryBlock::minimumBlankVolumeBlocks);
    EXPECT_FALSE(image_size::macDeviceFailure(1));
    EXPECT_TRUE(image_size::macDeviceFailure(0));
    EXPECT_FALSE(image_size::macDeviceFailure(MasterDirectoryBlock::maximumBlankVolumeBlocks / 2048));
    EXPECT_TRUE(image_size::macDeviceFailure(MasterDirectoryBlock::maximumBlankVolumeBlocks / 2048 + 1));
    // Every size that passes makes a device of fewer than 2^32 blocks.
    const int64_t largest = MasterDirectoryBlock::maximumBlankVolumeBlocks / 2048;
    EXPECT_LT(image_size::deviceHeadBlocks + largest * 2048, int64_t{1} << 32);
}

TEST(CliImageSizeChecksTest, DevicesOfTwoToThe32BlocksOrMoreAreRefused) {
    const int64_t limit = int64_t{1} << 32;
    // The conversion adds 99 blocks to the volume's whole blocks.
    const int64_t largestVolume = (limit - 1 - image_size::convertedDeviceExtraBlocks) * 512;
    EXPECT_FALSE(image_size::volumeToDeviceFailure(largestVolume));
    EXPECT_FALSE(image_size::volumeToDeviceFailure(largestVolume + 511));
    EXPECT_EQ(image_size::volumeToDeviceFailure(largestVolume + 512),
              "The device image would hold more than 4294967295 blocks, the most a device image can hold.");
    EXPECT_TRUE(image_size::volumeToDeviceFailure(INT64_MAX));
    EXPECT_FALSE(image_size::volumeToDeviceFailure(0));
}

TEST(CliImageSizeChecksTest, EmptyImagesAcceptZeroAndTheLargestByteCount) {
    EXPECT_FALSE(image_size::emptyImageFailure(0, std::nullopt));
    EXPECT_FALSE(image_size::emptyImageFailure(INT64_MAX, std::nullopt));
    EXPECT_FALSE(image_size::emptyImageFailure(std::nullopt, 0));
    EXPECT_FALSE(image_size::emptyImageFailure(std::nullopt, INT64_MAX / 1'048'576));
    EXPECT_TRUE(image_size::emptyImageFailure(std::nullopt, INT64_MAX / 1'048'576 + 1));
    EXPECT_TRUE(image_size::emptyImageFailure(-1, 5));
    EXPECT_FALSE(image_size::emptyImageFailure(5, -1));
}

}  // namespace
}  // namespace zorv::cli
