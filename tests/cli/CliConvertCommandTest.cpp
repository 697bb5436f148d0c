#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "cli/FakeLibrary.hpp"
#include "cli/ZORV.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::cli {
namespace {

using testing::FakeLibrary;
using testing::fileContents;
using testing::Outcome;
using testing::runWith;
using testing::detectedImage;
using testing::macintoshDevice;
using testing::partition;
using testing::volumeImage;
using testing::TemporaryDirectory;

// Makes `path` a sparse file of `size` bytes; false when the file system or
// the address space cannot take it (the test is then skipped).
bool makeSparseFile(const std::string& path, uintmax_t size) {
    std::error_code error;
    { std::ofstream file(path); }
    std::filesystem::resize_file(path, size, error);
    if (error) return false;
    // The command maps the file; make sure it will not fall back to reading it.
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (address == MAP_FAILED) return false;
    ::munmap(address, size);
    return true;
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// The error report of a usage failure, less its usage lines.
std::string failureMessage(const std::string& err) {
    const auto usage = err.find("\nUsage: ");
    return err.substr(0, usage == std::string::npos ? err.size() : usage + 1);
}

class CliConvertTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(input) << "image bytes";
    }
    TemporaryDirectory folder;
    std::string input = folder.file("in.img");
    std::string output = folder.file("out.img");
    FakeLibrary fake;
};

using CliToDeviceCommandTest = CliConvertTest;
using CliToVolumeCommandTest = CliConvertTest;
using CliReplaceLidoCommandTest = CliConvertTest;

// The input is read and detected once; the conversion gets the volume found.
TEST_F(CliToDeviceCommandTest, AnHfsVolumeIsConverted) {
    fake.detected = volumeImage(ImageFormat::hfs);
    const auto outcome = runWith(fake, {"convert", "to-device", input, output});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "Image type: HFS (Macintosh)\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(fake.detectedPaths, std::vector<std::string>{input});
    ASSERT_EQ(fake.volumesToDevices.size(), 1u);
    EXPECT_EQ(fake.volumesToDevices[0],
              (std::pair<std::string, const VolumeRepresentable*>{output, fake.detected.volume.get()}));
}

TEST_F(CliToDeviceCommandTest, AProDOSVolumeIsConverted) {
    fake.detected = volumeImage(ImageFormat::prodos);
    const auto outcome = runWith(fake, {"convert", "to-device", input, output});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "Image type: ProDOS (Apple II)\n");
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(fake.volumesToDevices.size(), 1u);
    EXPECT_EQ(fake.volumesToDevices[0].first, output);
}

TEST_F(CliToDeviceCommandTest, OtherFormatsShowTheirTypeThenAreRefused) {
    const std::vector<std::tuple<ImageFormat, std::string, std::string>> formats{
        {ImageFormat::hfsPlus, "HFS+", "Macintosh"},
        {ImageFormat::macintoshDevice, "Macintosh Device", "Macintosh"},
        {ImageFormat::mfs, "MFS", "Macintosh"},
        {ImageFormat::dos33, "DOS 3.3", "Apple II"},
        {ImageFormat::adfVolume, "Amiga Disk Format", "Amiga"},
        {ImageFormat::amigaHardDisk, "Amiga Hard Disk", "Amiga"},
        {ImageFormat::tosVolume, "Atari ST TOS", "Atari ST"},
        {ImageFormat::emptyVolume, "Empty Volume", "Unknown"}};
    for (const auto& [format, name, computerClass] : formats) {
        fake.detected = volumeImage(format);
        const auto outcome = runWith(fake, {"convert", "to-device", input, output});
        EXPECT_EQ(outcome.status, 64) << name;
        EXPECT_EQ(outcome.out, "Image type: " + name + " (" + computerClass + ")\n");
        EXPECT_EQ(failureMessage(outcome.err), "Error: Non convertible image type.\n");
        EXPECT_EQ(outcome.err.substr(outcome.err.find("\nUsage: ") + 1),
                  "Usage: zorv convert to-device <input-file> <output-file>\n"
                  "  See 'zorv convert to-device --help' for more information.\n");
    }
    EXPECT_TRUE(fake.volumesToDevices.empty());
}

TEST_F(CliToDeviceCommandTest, HfsWithoutAVolumeIsRefused) {
    fake.detected = detectedImage(ImageFormat::hfs);
    const auto outcome = runWith(fake, {"convert", "to-device", input, output});
    EXPECT_EQ(outcome.status, 64);
    EXPECT_EQ(outcome.out, "Image type: HFS (Macintosh)\n");
    EXPECT_EQ(firstLine(outcome.err), "Error: Not a volume image.");
    EXPECT_TRUE(fake.volumesToDevices.empty());
}

TEST_F(CliToDeviceCommandTest, AVolumeThatWouldMakeADeviceOfTwoToThe32BlocksIsRefused) {
    fake.detected = volumeImage();
    // The conversion adds 99 blocks: this volume gives a device of 2^32 blocks.
    const uintmax_t tooLarge = ((uintmax_t{1} << 32) - 99) * 512;
    if (!makeSparseFile(input, tooLarge)) GTEST_SKIP() << "no room for a sparse file of " << tooLarge << " bytes";
    const auto refused = runWith(fake, {"convert", "to-device", input, output});
    EXPECT_EQ(refused.status, 64);
    EXPECT_EQ(refused.out, "Image type: HFS (Macintosh)\n");
    EXPECT_EQ(firstLine(refused.err),
              "Error: The device image would hold more than 4294967295 blocks, the most a device image can hold.");
    EXPECT_TRUE(fake.volumesToDevices.empty());

    ASSERT_TRUE(makeSparseFile(input, tooLarge - 512));
    EXPECT_EQ(runWith(fake, {"convert", "to-device", input, output}).status, 0);
    EXPECT_EQ(fake.volumesToDevices.size(), 1u);
}

TEST_F(CliToDeviceCommandTest, AMissingInputShowsTheReadErrorAlone) {
    const auto outcome = runWith(fake, {"convert", "to-device", folder.file("absent.img"), output});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "Error: " + folder.file("absent.img") + ": No such file or directory\n");
    EXPECT_TRUE(fake.detectedPaths.empty());
}

TEST_F(CliToVolumeCommandTest, TheOnlyConvertiblePartitionIsSelected) {
    fake.detected = macintoshDevice({partition("HFS or HFS+ Volume", "MacOS", 96, 40960, true)});
    const auto outcome = runWith(fake, {"convert", "to-volume", input, output});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out,
              "Image type: Macintosh Device (Macintosh)\n"
              "Selecting partition 1: HFS or HFS+ Volume (MacOS), Start: 96, Length: 40960\n");
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(fake.extractedVolumes.size(), 1u);
    EXPECT_EQ(fake.extractedVolumes[0], (std::pair<int64_t, std::string>{0, output}));
    EXPECT_EQ(fake.detectedPaths, std::vector<std::string>{input});
    EXPECT_EQ(fake.devicesConverted, std::vector<const DeviceRepresentable*>{fake.detected.device.get()});
}

TEST_F(CliToVolumeCommandTest, AGivenNumberIsTakenSilently) {
    fake.detected = macintoshDevice({partition("HFS or HFS+ Volume", "MacOS", 96, 40960, true)});
    const auto outcome = runWith(fake, {"convert", "to-volume", input, output, "-p", "1"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "Image type: Macintosh Device (Macintosh)\n");
    ASSERT_EQ(fake.extractedVolumes.size(), 1u);
    EXPECT_EQ(fake.extractedVolumes[0].first, 0);
}

TEST_F(CliToVolumeCommandTest, NumbersOutsideTheListAreRefusedWithTheList) {
    fake.detected = macintoshDevice({partition("HFS or HFS+ Volume", "MacOS", 96, 40960, true)});
    for (const std::string number : {"0", "2", "-1"}) {
        const auto outcome = runWith(fake, {"convert", "to-volume", input, output, "--partition", number});
        EXPECT_EQ(outcome.status, 64);
        EXPECT_EQ(outcome.out, "Image type: Macintosh Device (Macintosh)\n");
        EXPECT_EQ(failureMessage(outcome.err),
                  "Error: Invalid partition number.\n"
                  "Convertible Partitions:\n"
                  "1:\tHFS or HFS+ Volume (MacOS), Start: 96, Length: 40960\n\n");
    }
    EXPECT_TRUE(fake.extractedVolumes.empty());
}

TEST_F(CliToVolumeCommandTest, SeveralConvertiblePartitionsNeedANumber) {
    fake.detected = macintoshDevice({partition("HFS or HFS+ Volume", "System", 96, 2048, true),
                                    partition("Free Space", "Extra", 2144, 10, false),
                                    partition("ProDOS Volume", "APPLE2", 2154, 1600, true)});
    const auto unspecified = runWith(fake, {"convert", "to-volume", input, output});
    EXPECT_EQ(unspecified.status, 64);
    EXPECT_EQ(failureMessage(unspecified.err),
              "Error: Unspecified partition to convert. Please specify one.\n"
              "Convertible Partitions:\n"
              "1:\tHFS or HFS+ Volume (System), Start: 96, Length: 2048\n"
              "2:\tProDOS Volume (APPLE2), Start: 2154, Length: 1600\n\n");

    const auto second = runWith(fake, {"convert", "to-volume", "-p", "2", input, output});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out, "Image type: Macintosh Device (Macintosh)\n");
    ASSERT_EQ(fake.extractedVolumes.size(), 1u);
    EXPECT_EQ(fake.extractedVolumes[0].first, 1);
}

// A partition's type and name come from the disk: they cannot drive the terminal.
TEST_F(CliToVolumeCommandTest, ControlCharactersOfPartitionsShowAsQuestionMarks) {
    const auto harmful = partition("HFS\x1B[2J", "Icon\r", 96, 2048, true);
    fake.detected = macintoshDevice({harmful});
    EXPECT_EQ(runWith(fake, {"convert", "to-volume", input, output}).out,
              "Image type: Macintosh Device (Macintosh)\n"
              "Selecting partition 1: HFS?[2J (Icon?), Start: 96, Length: 2048\n");
    fake.detected = macintoshDevice({harmful, harmful});
    EXPECT_EQ(failureMessage(runWith(fake, {"convert", "to-volume", input, output}).err),
              "Error: Unspecified partition to convert. Please specify one.\n"
              "Convertible Partitions:\n"
              "1:\tHFS?[2J (Icon?), Start: 96, Length: 2048\n"
              "2:\tHFS?[2J (Icon?), Start: 96, Length: 2048\n\n");
}

TEST_F(CliToVolumeCommandTest, ADeviceWithoutVolumesHasNothingToConvert) {
    fake.detected = macintoshDevice({});
    const auto without = runWith(fake, {"convert", "to-volume", input, output});
    EXPECT_EQ(without.status, 64);
    EXPECT_EQ(firstLine(without.err), "Error: No convertible partition in device.");
    const auto with = runWith(fake, {"convert", "to-volume", input, output, "-p", "1"});
    EXPECT_EQ(failureMessage(with.err), "Error: Invalid partition number.\nConvertible Partitions:\n\n");
}

TEST_F(CliToVolumeCommandTest, OnlyMacintoshDevicesAreAccepted) {
    fake.detected = volumeImage();
    const auto volume = runWith(fake, {"convert", "to-volume", input, output});
    EXPECT_EQ(volume.out, "Image type: HFS (Macintosh)\n");
    EXPECT_EQ(firstLine(volume.err), "Error: Non convertible image type.");

    // The format check comes before the device check.
    fake.detected = macintoshDevice({});
    fake.detected.format = ImageFormat::amigaHardDisk;
    const auto amiga = runWith(fake, {"convert", "to-volume", input, output});
    EXPECT_EQ(amiga.out, "Image type: Amiga Hard Disk (Amiga)\n");
    EXPECT_EQ(firstLine(amiga.err), "Error: Non convertible image type.");

    fake.detected = detectedImage(ImageFormat::macintoshDevice);
    const auto noDevice = runWith(fake, {"convert", "to-volume", input, output});
    EXPECT_EQ(firstLine(noDevice.err), "Error: Not a device image.");
    EXPECT_TRUE(fake.extractedVolumes.empty());
}

TEST_F(CliReplaceLidoCommandTest, ADeviceWithTheLidoDriverIsHandedOverSilently) {
    fake.detected = macintoshDevice({partition("HFS or HFS+ Volume", "MacOS", 96, 40960, true)});
    fake.lidoPartition = 1;
    const auto outcome = runWith(fake, {"convert", "replace-lido", input, output});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(fake.detectedPaths, std::vector<std::string>{input});
    ASSERT_EQ(fake.lidoReplacements.size(), 1u);
    EXPECT_EQ(fake.lidoReplacements[0], (std::pair<int64_t, std::string>{1, output}));
    EXPECT_EQ(fake.devicesConverted, std::vector<const DeviceRepresentable*>{fake.detected.device.get()});
}

TEST_F(CliReplaceLidoCommandTest, ValidationMessagesInTheirOrder) {
    const std::string wrongType =
        "Error: Non convertible image type. This subcommand only runs on Macintosh device images.";
    fake.detected = volumeImage();
    const auto volume = runWith(fake, {"convert", "replace-lido", input, output});
    EXPECT_EQ(volume.status, 64);
    EXPECT_EQ(volume.out, "");  // no image-type line
    EXPECT_EQ(firstLine(volume.err), wrongType);

    fake.detected = macintoshDevice({});
    fake.detected.format = ImageFormat::amigaHardDisk;
    fake.lidoPartition = 1;
    EXPECT_EQ(firstLine(runWith(fake, {"convert", "replace-lido", input, output}).err), wrongType);

    fake.detected = detectedImage(ImageFormat::macintoshDevice);
    EXPECT_EQ(firstLine(runWith(fake, {"convert", "replace-lido", input, output}).err),
              "Error: Not a Macintosh device image.");

    fake.detected = macintoshDevice({partition("HFS or HFS+ Volume", "MacOS", 96, 40960, true)});
    fake.lidoPartition = std::nullopt;
    const auto apple = runWith(fake, {"convert", "replace-lido", input, output});
    EXPECT_EQ(firstLine(apple.err), "Error: No Lido driver found.");
    EXPECT_EQ(apple.err.substr(apple.err.find('\n') + 1),
              "Usage: zorv convert replace-lido <input-file> <output-file>\n"
              "  See 'zorv convert replace-lido --help' for more information.\n");
    EXPECT_TRUE(fake.lidoReplacements.empty());
}

}  // namespace
}  // namespace zorv::cli
