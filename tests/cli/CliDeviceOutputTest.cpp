#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "cli/EndToEnd.hpp"
#include "support/HfsTool.hpp"
#include "support/HostFiles.hpp"
#include "support/LoopDevice.hpp"
#include "support/RunCommand.hpp"
#include "support/TestCaseNames.hpp"

// A disk named as the output, as a user writing an image straight to an SD
// card or a SCSI disk names it, with a loop device standing in for the card.
// A disk in use (a file system on it mounted) or too small for the image is
// refused before a byte is written; a free disk large enough gets the image
// at its start and keeps the rest.
namespace zorv::testing {
namespace {

enum class Outcome { refusedAsInUse, refusedAsTooSmall, written };

struct DiskOutputCase {
    const char* name;
    // "DISK" stands for the disk's path.
    std::vector<std::string> arguments;
    int64_t diskSize;
    bool mounted;  // holds a mounted ext2 file system
    Outcome outcome;
};

void PrintTo(const DiskOutputCase& diskCase, std::ostream* out) { *out << diskCase.name; }

const std::vector<std::string> toDevice{"convert", "to-device", "volume.img", "DISK"};
const std::vector<std::string> createMacDevice{"create", "mac-device", "DISK", "-sM", "20"};

const DiskOutputCase diskOutputCases[] = {
    {"MountedDiskAsTheDeviceOfAVolume", toDevice, 32 << 20, true, Outcome::refusedAsInUse},
    {"MountedDiskAsABlankDevice", createMacDevice, 32 << 20, true, Outcome::refusedAsInUse},
    {"DiskSmallerThanTheDeviceOfAVolume", toDevice, 512 << 10, false, Outcome::refusedAsTooSmall},
    {"DiskSmallerThanABlankDevice", createMacDevice, 512 << 10, false, Outcome::refusedAsTooSmall},
    {"FreeDiskLargerThanTheDeviceOfAVolume", toDevice, 2 << 20, false, Outcome::written},
};

class CliDeviceOutputTest : public ZorvEndToEndTest, public ::testing::WithParamInterface<DiskOutputCase> {
protected:
    std::vector<std::string> argumentsFor(const std::string& output) const {
        std::vector<std::string> arguments = GetParam().arguments;
        std::replace(arguments.begin(), arguments.end(), std::string("DISK"), output);
        return arguments;
    }
};

TEST_P(CliDeviceOutputTest, IsWrittenOnlyWhenFreeAndLargeEnough) {
    const DiskOutputCase& diskCase = GetParam();
    if (::geteuid() != 0) GTEST_SKIP() << "loop devices and mounts need root";
    if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    // An 800 KB HFS volume, as hfsutils makes it: its device image is about
    // 850 KB.
    HfsTool().formatNewImage(path("volume.img"), "Card", 800 * 1024);

    // The card: a mounted ext2 file system, or bytes no image holds.
    Bytes before(static_cast<size_t>(diskCase.diskSize));
    std::mt19937 random(0xCA4D);
    std::generate(before.begin(), before.end(), [&] { return static_cast<uint8_t>(random()); });
    writeFile("card.img", before);
    const std::string mkfs = systemProgram("mkfs.ext2");
    const std::string fsck = systemProgram("e2fsck");
    if (diskCase.mounted) {
        if (mkfs.empty() || fsck.empty()) GTEST_SKIP() << "e2fsprogs is not installed";
        const CommandResult made = runCommand({mkfs, "-q", "-F", path("card.img")});
        ASSERT_EQ(made.exitStatus, 0) << made.output;
        before = readFile("card.img");
    }
    std::string failure;
    const auto disk = LoopDevice::attach(path("card.img"), LoopDevice::Access::readWrite, failure);
    if (!disk) GTEST_SKIP() << "no loop device on this machine: " << failure;
    std::filesystem::create_directory(path("card"));
    std::optional<MountedFileSystem> mounted =
        diskCase.mounted ? MountedFileSystem::mount(disk->path(), path("card"), failure) : std::nullopt;
    if (diskCase.mounted && !mounted) GTEST_SKIP() << "the loop device cannot be mounted here: " << failure;

    const ZorvRun run = zorv(argumentsFor(disk->path()));
    switch (diskCase.outcome) {
        case Outcome::refusedAsInUse: {
            EXPECT_EQ(run.exitStatus, 1);
            EXPECT_EQ(run.err, "Error: " + disk->path() +
                                   ": Device or resource busy; it is in use (mounted?), unmount it first\n");
            ASSERT_TRUE(mounted->unmount());
            const CommandResult check = runCommand({fsck, "-n", "-f", disk->path()});
            EXPECT_EQ(check.exitStatus, 0) << "the file system on the disk is damaged:\n" << check.output;
            break;
        }
        case Outcome::refusedAsTooSmall:
            EXPECT_EQ(run.exitStatus, 1);
            EXPECT_EQ(run.err, "Error: notEnoughSpace\n");
            EXPECT_TRUE(fileBytes(disk->path()) == before) << "the disk was written";
            break;
        case Outcome::written: {
            ASSERT_EQ(run.exitStatus, 0) << run.err;
            const ZorvRun toFile = zorv(argumentsFor("file.hda"));
            ASSERT_EQ(toFile.exitStatus, 0) << toFile.err;
            const Bytes image = readFile("file.hda");
            const Bytes written = fileBytes(disk->path());
            ASSERT_EQ(written.size(), before.size());
            ASSERT_LT(image.size(), written.size());
            EXPECT_TRUE(std::equal(image.begin(), image.end(), written.begin())) << "the image at the disk's start";
            EXPECT_TRUE(std::equal(written.begin() + static_cast<std::ptrdiff_t>(image.size()), written.end(),
                                   before.begin() + static_cast<std::ptrdiff_t>(image.size())))
                << "the rest of the disk as it was";
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Disks, CliDeviceOutputTest, ::testing::ValuesIn(diskOutputCases),
                         testing::namedBy(&DiskOutputCase::name));

}  // namespace
}  // namespace zorv::testing
