#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "cli/MacDevicePartitioned.hpp"
#include "cli/PremadeServerFolder.hpp"
#include "cli/ZorvProcess.hpp"
#include "data_access/ByteHelpers.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/amiga/adf/ADFDisk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "platform/FileSystem.hpp"
#include "remote_image/LoopbackHTTPServer.hpp"
#include "support/Corpus.hpp"
#include "support/HfsTool.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/SilentLoopbackPort.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

// These run the built zorv binary in a fresh folder. Every test points
// ZORV_PREMADE_SERVER at a folder or a loopback server of its own, so no run
// ever reaches the network.

namespace zorv::testing {
namespace {

const std::string usage =
    "Usage: zorv create mac-device-partitioned [<output-file>] [--config-file <config-file>] "
    "[--partitions <partitions>] [--scsi-id <scsi-id>] [--list-premade] [--list-premade-detailed]\n"
    "  See 'zorv create mac-device-partitioned --help' for more information.\n";

const std::string scsiMessage = "A valid SCSI ID is an integer betweem 0 and 7.";
const std::string bothSourcesMessage = "You can only use one of the JSON config file or the --partitions option.";
const std::string noLayoutMessage = "No partition defined, in a JSON config file or using the --partitions option.";
const std::string deviceTooLarge =
    "The device image would hold more than 4294967295 blocks, the most a device image can hold.";

constexpr int64_t headBytes = 96 * 512;

std::vector<std::string> listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

Bytes fileBytes(const std::filesystem::path& path) {
    const ImageBytes bytes = fs::readWholeFile(path.string());
    return Bytes(bytes.begin(), bytes.end());
}

void writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// One partition of a device read back: its type, the name the map gives it,
// its place, and the name of the volume in it as written on disk (read here
// from the bytes, so that blank volumes show theirs too).
struct Partition {
    std::string typeLabel;
    std::string name;
    int64_t start = 0;
    int64_t size = 0;
    std::string volumeName;  // empty when the partition holds no volume header

    friend bool operator==(const Partition&, const Partition&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Partition& p) {
        return out << p.typeLabel << " \"" << p.name << "\" " << p.start << "+" << p.size << " [" << p.volumeName
                   << "]";
    }
};

// The name in an HFS master directory block (drVN, at byte 36 of the block
// 1,024 bytes into the volume) or a ProDOS volume directory header (block 2).
std::string onDiskVolumeName(const Bytes& device, int64_t startBlock, const std::string& typeLabel) {
    const size_t header = static_cast<size_t>(startBlock) * 512 + 1024;
    if (header + 64 > device.size()) return "";
    if (typeLabel == "HFS or HFS+ Volume" && device[header] == 'B' && device[header + 1] == 'D') {
        return std::string(device.begin() + header + 37, device.begin() + header + 37 + device[header + 36]);
    }
    if (typeLabel == "ProDOS Volume" && (device[header + 4] >> 4) == 0xF) {
        return std::string(device.begin() + header + 5, device.begin() + header + 5 + (device[header + 4] & 0x0F));
    }
    return "";
}

// The partitions after the map and the driver, by start block: the volumes.
std::vector<Partition> volumePartitions(const std::filesystem::path& devicePath) {
    const Bytes bytes = fileBytes(devicePath);
    const MacintoshDevice device{ImageBytes(Bytes(bytes))};
    std::vector<Partition> result;
    for (const auto& entry : device.partitionMap.sortedPartitions()) {
        const std::string label = entry.partitionTypeLabel();
        if (label == "Partition Map" || label.starts_with("Driver")) continue;
        result.push_back({label, entry.pmPartName, entry.pmPyPartStart, entry.pmPartBlkCnt,
                          onDiskVolumeName(bytes, entry.pmPyPartStart, label)});
    }
    return result;
}

Partition hfsPartition(std::string name, int64_t start, int64_t size, std::string volumeName) {
    return {"HFS or HFS+ Volume", std::move(name), start, size, std::move(volumeName)};
}

Partition proDOSPartition(std::string name, int64_t start, int64_t size, std::string volumeName) {
    return {"ProDOS Volume", std::move(name), start, size, std::move(volumeName)};
}

// A fresh HFS volume made by hfsutils.
Bytes hfsVolume(const std::string& volumeName, int64_t sizeInBytes = 819200) {
    HfsTool tool;
    TemporaryDirectory scratch;
    const std::string path = scratch.file("volume.img");
    tool.formatNewImage(path, volumeName, sizeInBytes);
    tool.unmount();
    return fileBytes(path);
}

std::string fileURL(const std::filesystem::path& path) { return "file://" + path.string(); }

class CliMacDevicePartitionedTest : public ::testing::Test {
protected:
    ZorvRun zorv(const std::vector<std::string>& options) {
        std::vector<std::string> arguments{"create", "mac-device-partitioned"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return runZorvBinary(arguments, folder.path());
    }
    std::filesystem::path at(const std::string& name) const { return folder.path() / name; }
    void requireHfsutils() {
        if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    }

    TemporaryDirectory folder;      // the working folder of every run
    TemporaryDirectory elsewhere;   // inputs kept out of the working folder
    PremadeServerFolder server;
    ScopedEnvironmentVariable premadeServer{"ZORV_PREMADE_SERVER", server.fileBaseURL()};
};

TEST_F(CliMacDevicePartitionedTest, ValidationChecksInTheirOrderAndWritesNothing) {
    const std::string layoutFile = (elsewhere.path() / "layout.json").string();
    writeFile(layoutFile, R"([{"blankHFS": 1}])");
    const std::string zeroLayoutFile = (elsewhere.path() / "zero.json").string();
    writeFile(zeroLayoutFile, R"([{"blankHFS": 1}, {"blankProDOS": 1, "blankHFS": 0}])");

    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, noLayoutMessage},
        {{"out.hda"}, noLayoutMessage},
        {{"-s", "8"}, scsiMessage},
        {{"--scsi-id", "-1", "--partitions", "[]"}, scsiMessage},
        {{"-s", "9223372036854775807", "--partitions", "[]"}, scsiMessage},
        // The SCSI ID comes before the layout's sources and sizes.
        {{"-s", "9", "--partitions", "[]", "--config-file", layoutFile}, scsiMessage},
        {{"-s", "8", "--partitions", R"([{"blankHFS": 0}])"}, scsiMessage},
        {{"--partitions", "[]", "--config-file", layoutFile}, bothSourcesMessage},
        {{"--config-file", "absent.json", "--partitions", R"([{"blankHFS": -1}])"}, bothSourcesMessage},
        // The sizes of blank volumes, entry by entry.
        {{"--partitions", R"([{"blankHFS": 0}])"},
         "Entry 1 of the partition layout: the size of a blank HFS volume (blankHFS) must be at least 1 megabyte; a "
         "blank HFS volume needs at least 22 blocks."},
        {{"--partitions", R"([{"blankHFS": 1}, {"blankHFS": -5}])"},
         "Entry 2 of the partition layout: the size of a blank HFS volume (blankHFS) must be at least 1 megabyte; a "
         "blank HFS volume needs at least 22 blocks."},
        {{"--partitions", R"([{"blankHFS": 2, "blankProDOS": 0}])"},
         "Entry 1 of the partition layout: the size of a blank ProDOS volume (blankProDOS) must be at least 1 "
         "megabyte; a blank ProDOS volume needs at least 7 blocks."},
        {{"--partitions", R"([{"blankProDOS": -9223372036854775808}])"},
         "Entry 1 of the partition layout: the size of a blank ProDOS volume (blankProDOS) must be at least 1 "
         "megabyte; a blank ProDOS volume needs at least 7 blocks."},
        {{"--partitions", R"([{"blankHFS": 524289}])"},
         "Entry 1 of the partition layout: the size of a blank HFS volume (blankHFS) must be at most 524288 "
         "megabytes; a blank HFS volume holds at most 1073741824 blocks."},
        {{"--partitions", R"([{"blankHFS": 9223372036854775807}])"},
         "Entry 1 of the partition layout: the size of a blank HFS volume (blankHFS) must be at most 524288 "
         "megabytes; a blank HFS volume holds at most 1073741824 blocks."},
        // HFS is checked before ProDOS within an entry.
        {{"--partitions", R"([{"blankProDOS": 0, "blankHFS": 524289}])"},
         "Entry 1 of the partition layout: the size of a blank HFS volume (blankHFS) must be at most 524288 "
         "megabytes; a blank HFS volume holds at most 1073741824 blocks."},
        // The device: blank volumes and head within 2^32 - 1 blocks.
        {{"--partitions", R"([{"blankProDOS": 2097152}])"}, deviceTooLarge},
        {{"--partitions", R"([{"blankProDOS": 9223372036854775807}])"}, deviceTooLarge},
        {{"--partitions", R"([{"blankHFS": 524288, "blankProDOS": 1572864}])"}, deviceTooLarge},
        {{"--partitions", R"([{"blankHFS": 524288}, {"blankHFS": 524288}, {"blankHFS": 524288},
                              {"blankHFS": 524288}])"},
         deviceTooLarge},
        {{"--config-file", zeroLayoutFile},
         "Entry 2 of the partition layout: the size of a blank HFS volume (blankHFS) must be at least 1 megabyte; a "
         "blank HFS volume needs at least 22 blocks."},
        // The transform of --partitions runs while the arguments are parsed,
        // before any check of the command.
        {{"-s", "9", "--partitions", R"({"blankHFS": 100})"},
         R"(The value '{"blankHFS": 100}' is invalid for '--partitions <partitions>': )"
         R"(typeMismatch("expected an array, found an object"))"},
        {{"--partitions", R"("[]")"},
         R"(The value '"[]"' is invalid for '--partitions <partitions>': )"
         R"(typeMismatch("expected an array, found a string"))"},
        {{"--partitions", R"([{"blankHFS": "100"}])"},
         R"(The value '[{"blankHFS": "100"}]' is invalid for '--partitions <partitions>': )"
         R"(typeMismatch("[0].blankHFS: expected an integer, found a string"))"},
        {{"--partitions", R"([{"blankProDOS": 1.5}])"},
         R"(The value '[{"blankProDOS": 1.5}]' is invalid for '--partitions <partitions>': )"
         R"(typeMismatch("[0].blankProDOS: expected an integer, found 1.5"))"},
        {{"--partitions", R"([{"blankHFS": false}])"},
         R"(The value '[{"blankHFS": false}]' is invalid for '--partitions <partitions>': )"
         R"(typeMismatch("[0].blankHFS: expected an integer, found false"))"},
        {{"--partitions", "[{\"premade\": \"caf\xE9\"}]"},
         "The value '[{\"premade\": \"caf\xE9\"}]' is invalid for '--partitions <partitions>': Badly encoded "
         "string, should be UTF-8"},
        {{"--partitions"}, "Missing value for '--partitions <partitions>'"},
        {{"--config-file"}, "Missing value for '--config-file <config-file>'"},
        {{"-s", "one", "--partitions", "[]"}, "The value 'one' is invalid for '-s <scsi-id>'"},
    };
    for (const auto& [options, message] : cases) {
        const auto run = zorv(options);
        EXPECT_EQ(run.exitStatus, 64) << message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "Error: " + message + "\n" + usage);
        EXPECT_TRUE(listing(folder.path()).empty()) << message;
    }
}

TEST_F(CliMacDevicePartitionedTest, LayoutFilesThatCannotBeReadOrDecodedEndWithTheirError) {
    writeFile(elsewhere.path() / "object.json", R"({"blankHFS": 1})");
    writeFile(elsewhere.path() / "text.json", "blankHFS=1");
    writeFile(elsewhere.path() / "fraction.json", R"([{"blankHFS": 1}, {"blankHFS": 2.5}])");
    const std::vector<std::pair<std::string, std::string>> cases{
        {"absent.json", "Error: absent.json: No such file or directory\n"},
        {elsewhere.path().string(), "Error: " + elsewhere.path().string() + ": Is a directory\n"},
        {(elsewhere.path() / "object.json").string(), "Error: typeMismatch(\"expected an array, found an object\")\n"},
        {(elsewhere.path() / "fraction.json").string(),
         "Error: typeMismatch(\"[1].blankHFS: expected an integer, found 2.5\")\n"},
    };
    for (const auto& [path, error] : cases) {
        const auto run = zorv({"--config-file", path});
        EXPECT_EQ(run.exitStatus, 1) << path;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, error);
    }
    const auto text = zorv({"--config-file", (elsewhere.path() / "text.json").string()});
    EXPECT_EQ(text.exitStatus, 1);
    EXPECT_TRUE(text.err.starts_with("Error: dataCorrupted(\"not valid JSON: ")) << text.err;
    EXPECT_TRUE(listing(folder.path()).empty());
}

TEST_F(CliMacDevicePartitionedTest, ARelativeLayoutFileResolvesAgainstTheWorkingDirectory) {
    writeFile(at("layout.json"), R"([{"blankHFS": 1}])");
    const auto run = zorv({"--config-file", "layout.json", "dev.hda"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(std::filesystem::file_size(at("dev.hda")), static_cast<uintmax_t>(2048 * 512 + headBytes));
}

TEST_F(CliMacDevicePartitionedTest, EmptyLayoutsGiveADeviceOfItsHeadAlone) {
    for (const std::string layout : {"[]", "[{}]", R"([{"blankHFS": null, "blankHfs": 4}])"}) {
        const auto run = zorv({"--partitions", layout, "-s", "0"});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"HD00_512.hda"});
        EXPECT_EQ(std::filesystem::file_size(at("HD00_512.hda")), static_cast<uintmax_t>(headBytes));
        EXPECT_TRUE(volumePartitions(at("HD00_512.hda")).empty());
    }
}

TEST_F(CliMacDevicePartitionedTest, ABlankHFSVolumeUnderTheNameOfItsSCSIID) {
    const auto run = zorv({"--partitions", R"([{"blankHFS": 1}])", "--scsi-id", "7"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"HD70_512.hda"});
    EXPECT_EQ(std::filesystem::file_size(at("HD70_512.hda")), static_cast<uintmax_t>(2048 * 512 + headBytes));
    // Named "MacOS" in the map, "Untitled" on disk.
    EXPECT_EQ(volumePartitions(at("HD70_512.hda")), std::vector{hfsPartition("MacOS", 96, 2048, "Untitled")});
}

// The wall-clock time the host's zone shows now, as a classic Macintosh date
// stores it: seconds since 1904-01-01 00:00:00 on the calendar.
int64_t wallClockNowSince1904() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return static_cast<int64_t>(::timegm(&local)) + 2082844800;
}

TEST_F(CliMacDevicePartitionedTest, ABlankHFSVolumeStoresTheWallClockTimeOfItsCreation) {
    // Paris was 9 minutes 21 seconds ahead of GMT in 1904 and an hour or two
    // is now: a Macintosh there must show the time its clock showed.
    const ScopedTimeZone paris("Europe/Paris");
    const int64_t before = wallClockNowSince1904();
    const auto run = zorv({"paris.hda", "--partitions", R"([{"blankHFS": 1}])"});
    const int64_t after = wallClockNowSince1904();
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const Bytes device = fileBytes(at("paris.hda"));
    const size_t masterDirectoryBlock = 96 * 512 + 1024;
    ASSERT_GE(device.size(), masterDirectoryBlock + 68);
    // drCrDate, drLsMod and drVolBkUp.
    for (const size_t field : {2, 6, 64}) {
        const int64_t stored = fromLongBigEndian(ByteView(device).subspan(masterDirectoryBlock + field, 4));
        EXPECT_GE(stored, before - 2) << "field at " << field;
        EXPECT_LE(stored, after + 2) << "field at " << field;
    }
}

TEST_F(CliMacDevicePartitionedTest, AnOutputNameIsUsedAsTypedAndReplacesAFile) {
    writeFile(at("out"), std::string(100'000, 'x'));
    const auto run = zorv({"out", "--partitions", R"([{"blankHFS": 2}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"out"});
    EXPECT_EQ(std::filesystem::file_size(at("out")), static_cast<uintmax_t>(4096 * 512 + headBytes));
    EXPECT_EQ(volumePartitions(at("out")), std::vector{hfsPartition("MacOS", 96, 4096, "Untitled")});

    // A folder cannot be the output: nothing is written, the folder stays.
    std::filesystem::create_directory(at("folder"));
    const auto directory = zorv({"folder", "--partitions", R"([{"blankHFS": 1}])"});
    EXPECT_EQ(directory.exitStatus, 1);
    EXPECT_EQ(directory.err, "Error: invalidFileURL\n");
    EXPECT_TRUE(std::filesystem::is_empty(at("folder")));
}

TEST_F(CliMacDevicePartitionedTest, BlankHFSAndProDOSVolumesLargestFirst) {
    const auto run = zorv({"--partitions", R"([{"blankHFS": 1, "blankProDOS": 2}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"HD10_512.hda"});
    EXPECT_EQ(std::filesystem::file_size(at("HD10_512.hda")), 3'194'880u);
    EXPECT_EQ(volumePartitions(at("HD10_512.hda")),
              (std::vector{proDOSPartition("ProDOS", 96, 4096, "UNTITLED"), hfsPartition("MacOS", 4192, 2048, "Untitled")}));

    // The ProDOS volume reads back empty, with the bitmap of a new 4,096-block
    // volume in blocks 6 and 7: blocks 0 to 7 in use, 8 to 4,095 free, the
    // blocks past the volume in use.
    const Bytes device = fileBytes(at("HD10_512.hda"));
    const ImageBytes partition(Bytes(device.begin() + 96 * 512, device.begin() + (96 + 4096) * 512));
    const auto volume = ProDOSVolume::fromImageData(partition);
    ASSERT_TRUE(volume);
    EXPECT_TRUE(volume->fileEntries().empty());
    EXPECT_EQ(volume->volumeDirectoryHeader().totalBlocks, 4096);
    EXPECT_EQ(volume->volumeDirectoryHeader().bitmapPointer, 6);
    Bytes bitmap(1024, 0x00);
    std::fill(bitmap.begin() + 1, bitmap.begin() + 512, 0xFF);
    EXPECT_EQ(Bytes(partition.begin() + 6 * 512, partition.begin() + 8 * 512), bitmap);
}

TEST_F(CliMacDevicePartitionedTest, ABlankProDOSPartitionLargerThanAProDOSVolume) {
    const auto run = zorv({"big.hda", "--partitions", R"([{"blankProDOS": 40}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(std::filesystem::file_size(at("big.hda")), static_cast<uintmax_t>(40 * 2048 * 512 + headBytes));
    EXPECT_EQ(volumePartitions(at("big.hda")), std::vector{proDOSPartition("ProDOS", 96, 81920, "UNTITLED")});
    // The volume covers the first 65,535 blocks; its bitmap, 16 blocks.
    const Bytes device = fileBytes(at("big.hda"));
    const auto bitmapStart = device.begin() + (96 + 6) * 512;
    EXPECT_EQ(bitmapStart[0], 0x00);
    EXPECT_EQ(bitmapStart[1], 0x00);
    EXPECT_EQ(bitmapStart[2], 0x03);
    EXPECT_EQ(bitmapStart[8191], 0xFE);
}

TEST_F(CliMacDevicePartitionedTest, LocalVolumeAndDeviceFiles) {
    requireHfsutils();
    auto keep = [this](const std::string& name, const Bytes& bytes) {
        std::ofstream(elsewhere.path() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return (elsewhere.path() / name).string();
    };
    const Bytes hfs = hfsVolume("Local HFS");
    const std::string localHFS = keep("local.img", hfs);
    // A device of two volumes, made by the command from two volume files.
    const std::string deviceA = keep("a.img", hfsVolume("Device A", 1'048'576));
    const std::string deviceB = keep("b.img", hfsVolume("Device B"));
    ASSERT_EQ(runZorvBinary({"create", "mac-device-partitioned", "two.hda", "--partitions",
                             R"([{"localFile": ")" + deviceB + R"("}, {"localFile": ")" + deviceA + R"("}])"},
                            elsewhere.path())
                  .exitStatus,
              0);

    const std::string layout = R"([{"localFile": ")" + (elsewhere.path() / "two.hda").string() +
                               R"("}, {"blankHFS": 3, "localFile": ")" + localHFS + R"("}])";
    const auto run = zorv({"mixed.hda", "--partitions", layout});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"mixed.hda"});
    const int64_t volumeBlocks = 2048 + 1600 + 1600 + 6144;
    EXPECT_EQ(std::filesystem::file_size(at("mixed.hda")), static_cast<uintmax_t>(volumeBlocks * 512 + headBytes));
    // Largest first; of the two of 1,600 blocks, the one gathered first (the
    // local file comes before the blank volume of its entry).
    EXPECT_EQ(volumePartitions(at("mixed.hda")),
              (std::vector{hfsPartition("MacOS", 96, 6144, "Untitled"), hfsPartition("MacOS", 6240, 2048, "Device A"),
                           hfsPartition("MacOS", 8288, 1600, "Device B"),
                           hfsPartition("Local HFS", 9888, 1600, "Local HFS")}));
    // The local volume is copied whole.
    const Bytes device = fileBytes(at("mixed.hda"));
    EXPECT_TRUE(std::equal(hfs.begin(), hfs.end(), device.begin() + 9888 * 512));
}

TEST_F(CliMacDevicePartitionedTest, ALocalProDOSVolume) {
    const auto proDOS = corpusImage("prodos/cp2-simple-dir-test.po");
    if (!proDOS) GTEST_SKIP() << "corpus image prodos/cp2-simple-dir-test.po is absent";
    const std::string path = (elsewhere.path() / "simple.po").string();
    std::filesystem::copy_file(*corpusFile("prodos/cp2-simple-dir-test.po"), path);
    const auto run = zorv({"--partitions", R"([{"localFile": ")" + path + R"("}, {"blankHFS": 1}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(volumePartitions(at("HD10_512.hda")),
              (std::vector{hfsPartition("MacOS", 96, 2048, "Untitled"), proDOSPartition("DIRTEST", 2144, 280, "DIRTEST")}));
    const Bytes device = fileBytes(at("HD10_512.hda"));
    EXPECT_TRUE(std::equal(proDOS->begin(), proDOS->end(), device.begin() + 2144 * 512));
}

TEST_F(CliMacDevicePartitionedTest, LocalFilesThatCannotBePlacedWriteNothing) {
    writeFile(elsewhere.path() / "text.img", std::string(4096, 't'));
    const Bytes dos33 = DOS33Disk::dos33AsData().toBytes();
    writeFile(elsewhere.path() / "dos.do", std::string(dos33.begin(), dos33.end()));
    const Bytes amiga = ADFDisk::blankDisk(ADFDiskGeometry::DDFloppy, false).structureData.toBytes();
    writeFile(elsewhere.path() / "amiga.adf", std::string(amiga.begin(), amiga.end()));
    const std::string earlier = R"({"blankHFS": 1}, )";
    std::vector<std::pair<std::string, std::string>> cases{
        {(elsewhere.path() / "absent.img").string(),
         "Error: " + (elsewhere.path() / "absent.img").string() + ": No such file or directory\n"},
        {(elsewhere.path() / "text.img").string(), "Error: unknownVolumeType\n"},
        {(elsewhere.path() / "dos.do").string(),
         "Error: unuseableVolumeType(\"This is a DOS 3.3 volume. DOS is the older disk format of the Apple II.\")\n"},
        {(elsewhere.path() / "amiga.adf").string(),
         "Error: unuseableVolumeType(\"This is an Amiga volume in the ADF format.\nMost likely, this is either the "
         "image of a floppy, or a hard file created for use in the UAE emulator.\")\n"},
    };
    if (const auto hfsPlus = corpusFile("hfsplus/dfvfs-hfsplus.raw")) {
        cases.emplace_back(hfsPlus->string(),
                           "Error: unuseableVolumeType(\"This is an HFS+ volume. HFS+ replaced the Hierarchical File "
                           "System (HFS) as the primary file system of Apple computers with the 1998 release of Mac "
                           "OS 8.1.\")\n");
    }
    // Atari ST floppies, bare or packed as MSA.
    for (const char* floppy : {"st/hatari-bootdesk.st", "msa/derived-hmsa-hatari-bootdesk.msa"}) {
        if (const auto path = corpusFile(floppy)) {
            cases.emplace_back(path->string(), "Error: unuseableVolumeType(\"This is an Atari ST floppy.\")\n");
        }
    }
    if (const auto hardDisk = corpusImage("rdb/a590_WD93028XA_6parts.hdd.gz")) {
        const std::filesystem::path path = elsewhere.path() / "a590.hdd";
        writeFile(path, std::string(hardDisk->begin(), hardDisk->end()));
        cases.emplace_back(path.string(),
                           "Error: unuseableVolumeType(\"This is an Amiga hard disk image, quite possibly from a SCSI "
                           "hard drive.\nYou could probably use this image in a device like BlueSCSI.\")\n");
    }
    for (const auto& [path, error] : cases) {
        const auto run = zorv({"--partitions", "[" + earlier + R"({"localFile": ")" + path + R"("}])"});
        EXPECT_EQ(run.exitStatus, 1) << path;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, error);
        EXPECT_TRUE(listing(folder.path()).empty()) << path;
    }
}

// A partial block after a volume's last whole one is no part of it.
TEST_F(CliMacDevicePartitionedTest, ALocalVolumeEndingInAPartialBlock) {
    requireHfsutils();
    const Bytes volume = hfsVolume("Padded");
    const std::filesystem::path padded = elsewhere.path() / "padded.img";
    writeFile(padded, std::string(volume.begin(), volume.end()) + "\x1A");
    const auto run = zorv({"--partitions", R"([{"localFile": ")" + padded.string() + R"("}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(volumePartitions(at("HD10_512.hda")), std::vector{hfsPartition("Padded", 96, 1600, "Padded")});
    const Bytes device = fileBytes(at("HD10_512.hda"));
    EXPECT_EQ(device.size(), volume.size() + headBytes);
    EXPECT_TRUE(std::equal(volume.begin(), volume.end(), device.begin() + 96 * 512));
}

// The new device would replace the volume it is made from: refused before
// anything is read or written, by any name or link, the default name too.
TEST_F(CliMacDevicePartitionedTest, AnOutputThatIsALocalFileIsRefused) {
    // A device of the command's own, with a ProDOS volume in it.
    ASSERT_EQ(zorv({"disk.img", "--partitions", R"([{"blankProDOS": 1}])"}).exitStatus, 0);
    const Bytes volume = fileBytes(at("disk.img"));
    std::filesystem::copy_file(at("disk.img"), at("HD10_512.hda"));
    std::filesystem::create_symlink("disk.img", at("link.img"));
    const auto message = [](const std::string& file) {
        return "Error: Entry 2 of the partition layout: the local file \"" + file +
               "\" is the output file, which the device image would replace.\n" + usage;
    };
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"disk.img"}, "disk.img"},
        {{"link.img"}, at("disk.img").string()},
        {{}, "HD10_512.hda"},
    };
    for (const auto& [output, local] : cases) {
        std::vector<std::string> arguments = output;
        arguments.insert(arguments.end(),
                         {"--partitions", R"([{"blankHFS": 1}, {"localFile": ")" + local + R"("}])"});
        const auto run = zorv(arguments);
        EXPECT_EQ(run.exitStatus, 64) << local;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, message(local));
    }
    EXPECT_EQ(listing(folder.path()), (std::vector<std::string>{"HD10_512.hda", "disk.img", "link.img"}));
    EXPECT_EQ(fileBytes(at("disk.img")), volume);
    EXPECT_EQ(fileBytes(at("HD10_512.hda")), volume);
}

// A layout file that is also the output, by one of its names.
struct LayoutAsOutputCase {
    const char* name;
    std::vector<std::string> output;  // the output argument; none for the default name
    std::string configFile;
};

void PrintTo(const LayoutAsOutputCase& layoutCase, std::ostream* out) { *out << layoutCase.name; }

class CliLayoutFileAsOutputTest : public CliMacDevicePartitionedTest,
                                  public ::testing::WithParamInterface<LayoutAsOutputCase> {};

// The device would replace the layout it was made from: refused before
// anything is written, by any name or link, the default name too.
TEST_P(CliLayoutFileAsOutputTest, IsRefused) {
    const std::string layout = R"([{"blankHFS": 1}])";
    writeFile(at("layout.json"), layout);
    std::filesystem::create_hard_link(at("layout.json"), at("hard.json"));
    std::filesystem::create_symlink("layout.json", at("link.json"));
    writeFile(at("HD10_512.hda"), layout);
    const auto& [name, output, configFile] = GetParam();
    std::vector<std::string> arguments = output;
    arguments.insert(arguments.end(), {"--config-file", configFile});
    const auto run = zorv(arguments);
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Error: The partition layout file \"" + configFile +
                           "\" is the output file, which the device image would replace.\n" + usage);
    EXPECT_EQ(listing(folder.path()),
              (std::vector<std::string>{"HD10_512.hda", "hard.json", "layout.json", "link.json"}));
    for (const char* file : {"layout.json", "HD10_512.hda"}) {
        std::ifstream stream(at(file));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(stream), {}), layout) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, CliLayoutFileAsOutputTest,
    ::testing::Values(LayoutAsOutputCase{"SameName", {"layout.json"}, "layout.json"},
                      LayoutAsOutputCase{"OtherSpelling", {"./layout.json"}, "layout.json"},
                      LayoutAsOutputCase{"HardLink", {"hard.json"}, "layout.json"},
                      LayoutAsOutputCase{"SymbolicLinkAsOutput", {"link.json"}, "layout.json"},
                      LayoutAsOutputCase{"SymbolicLinkAsLayout", {"layout.json"}, "link.json"},
                      LayoutAsOutputCase{"DefaultName", {}, "HD10_512.hda"}),
    testing::namedBy(&LayoutAsOutputCase::name));

TEST_F(CliMacDevicePartitionedTest, ADeviceWhosePartitionDoesNotOpenIsRefusedNotShrunk) {
    // A blank HFS partition holds only its master directory blocks and does
    // not open as a volume; placing the device again must not drop it.
    const auto first = zorv({"--partitions", R"([{"blankHFS": 1}, {"blankProDOS": 1}])"});
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    const std::string path = (elsewhere.path() / "blank.hda").string();
    std::filesystem::rename(at("HD10_512.hda"), path);
    const auto run = zorv({"--partitions", R"([{"localFile": ")" + path + R"("}])"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "Error: The volume \"MacOS\" of " + path + " is not a readable volume; nothing was written.\n");
    EXPECT_TRUE(listing(folder.path()).empty());
}

// The premade sets served from a file URL.
class CliPremadeDeviceTest : public CliMacDevicePartitionedTest {
protected:
    std::string volumeURL(const std::string& name, const Bytes& bytes) {
        return fileURL(server.path()) + server.addVolume(name, bytes);
    }
};

TEST_F(CliPremadeDeviceTest, PlacesASetsVolumesInAscendingOrder) {
    requireHfsutils();
    // Equal sizes: allocation keeps the order they were gathered in.
    const Bytes first = hfsVolume("First");
    const Bytes second = hfsVolume("Second");
    const Bytes third = hfsVolume("Third");
    server.writeManifest(manifestDocument({
        {"Other", "other", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, volumeURL("other.img", first))}},
        {"System", "sys", "fr", "68k", "", "",
         {manifestVolume(819200, "HFS", 3, volumeURL("3.img", third)),
          manifestVolume(819200, "HFS", 1, volumeURL("1.img", first)),
          manifestVolume(819200, "Mac OS Standard", 2, volumeURL("2.img", second))}},
    }));
    const auto run = zorv({"--partitions", R"([{"premade": "sys-fr"}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::filesystem::file_size(at("HD10_512.hda")), static_cast<uintmax_t>(3 * 819200 + headBytes));
    // Each named by its file system text; any text but "ProDOS" is HFS.
    EXPECT_EQ(volumePartitions(at("HD10_512.hda")),
              (std::vector{hfsPartition("HFS", 96, 1600, "First"), hfsPartition("Mac OS Standard", 1696, 1600, "Second"),
                           hfsPartition("HFS", 3296, 1600, "Third")}));
    const Bytes device = fileBytes(at("HD10_512.hda"));
    EXPECT_TRUE(std::equal(second.begin(), second.end(), device.begin() + 1696 * 512));
}

TEST_F(CliPremadeDeviceTest, TheSameSetTwiceIsPlacedTwice) {
    requireHfsutils();
    const Bytes volume = hfsVolume("Twice");
    server.writeManifest(manifestDocument(
        {{"Twice", "twice", "de", "68k", "", "", {manifestVolume(819200, "HFS", 1, volumeURL("t.img", volume))}}}));
    const auto run = zorv({"--partitions", R"([{"premade": "twice-de"}, {"blankHFS": 1, "premade": "twice-de"}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(volumePartitions(at("HD10_512.hda")),
              (std::vector{hfsPartition("MacOS", 96, 2048, "Untitled"), hfsPartition("HFS", 2144, 1600, "Twice"),
                           hfsPartition("HFS", 3744, 1600, "Twice")}));
}

TEST_F(CliPremadeDeviceTest, TheDeviceGrowsByTheDeclaredSize) {
    requireHfsutils();
    const Bytes volume = hfsVolume("Declared");
    // Declared as 1 MiB: the device gets 2,048 blocks for the 1,600 that come.
    server.writeManifest(manifestDocument(
        {{"Declared", "declared", "en", "68k", "", "",
          {manifestVolume(1'048'576 + 511, "HFS", 1, volumeURL("d.img", volume))}}}));
    const auto run = zorv({"--partitions", R"([{"premade": "declared-en"}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(std::filesystem::file_size(at("HD10_512.hda")), static_cast<uintmax_t>(1'048'576 + headBytes));
    EXPECT_EQ(volumePartitions(at("HD10_512.hda")).front(), hfsPartition("HFS", 96, 1600, "Declared"));
}

TEST_F(CliPremadeDeviceTest, PremadeLocalAndBlankVolumesInOneLayout) {
    requireHfsutils();
    const Bytes premade = hfsVolume("Premade", 1'048'576);
    const Bytes local = hfsVolume("Local");
    std::ofstream(elsewhere.path() / "local.img", std::ios::binary)
        .write(reinterpret_cast<const char*>(local.data()), static_cast<std::streamsize>(local.size()));
    server.writeManifest(manifestDocument(
        {{"Mix", "mix", "en", "68k", "", "", {manifestVolume(1'048'576, "HFS", 1, volumeURL("m.img", premade))}}}));
    const std::string layout = R"([{"blankHFS": 3}, {"localFile": ")" + (elsewhere.path() / "local.img").string() +
                               R"(", "premade": "mix-en"}])";
    const auto run = zorv({"--partitions", layout, "mix.hda"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(std::filesystem::file_size(at("mix.hda")), static_cast<uintmax_t>((6144 + 2048 + 1600) * 512 + headBytes));
    EXPECT_EQ(volumePartitions(at("mix.hda")),
              (std::vector{hfsPartition("MacOS", 96, 6144, "Untitled"), hfsPartition("HFS", 6240, 2048, "Premade"),
                           hfsPartition("Local", 8288, 1600, "Local")}));
}

TEST_F(CliPremadeDeviceTest, APremadeProDOSVolume) {
    const auto proDOS = corpusImage("prodos/cp2-simple-dir-test.po");
    if (!proDOS) GTEST_SKIP() << "corpus image prodos/cp2-simple-dir-test.po is absent";
    server.writeManifest(manifestDocument(
        {{"Apple II", "a2", "en", "Apple II", "", "",
          {manifestVolume(143360, "ProDOS", 1, volumeURL("a2.po", proDOS->toBytes()))}}}));
    const auto run = zorv({"--partitions", R"([{"premade": "a2-en"}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(volumePartitions(at("HD10_512.hda")), std::vector{proDOSPartition("ProDOS", 96, 280, "DIRTEST")});
}

// An HFS volume made by hfsutils whose master directory block announces an
// embedded HFS+ volume in its last free allocation blocks, where the given
// HFS+ volume is copied.
Bytes hfsWrapperAround(const ImageBytes& hfsPlus) {
    Bytes bytes = hfsVolume("Wrapper", 8 * 1024 * 1024);
    auto u16 = [&bytes](size_t at) { return static_cast<int64_t>(bytes[at]) << 8 | bytes[at + 1]; };
    auto u32 = [&](size_t at) { return u16(at) << 16 | u16(at + 2); };
    auto put16 = [&bytes](size_t at, int64_t value) {
        bytes[at] = static_cast<uint8_t>(value >> 8);
        bytes[at + 1] = static_cast<uint8_t>(value);
    };
    const size_t mdb = 1024;
    const int64_t allocationBlockSize = u32(mdb + 20);
    const int64_t count = (static_cast<int64_t>(hfsPlus.size()) + allocationBlockSize - 1) / allocationBlockSize;
    const int64_t first = u16(mdb + 18) - count - 1;
    put16(mdb + 124, 0x482B);
    put16(mdb + 126, first);
    put16(mdb + 128, count);
    std::copy(hfsPlus.begin(), hfsPlus.end(), bytes.begin() + u16(mdb + 28) * 512 + first * allocationBlockSize);
    return bytes;
}

TEST_F(CliPremadeDeviceTest, AnHFSPlusVolumeInAnHFSWrapperIsPlaced) {
    requireHfsutils();
    const auto hfsPlus = corpusImage("hfsplus/dfvfs-hfsplus.raw");
    if (!hfsPlus) GTEST_SKIP() << "corpus image hfsplus/dfvfs-hfsplus.raw is absent";
    const Bytes wrapper = hfsWrapperAround(*hfsPlus);
    server.writeManifest(manifestDocument({{"Plus", "plus", "en", "PPC", "", "",
                                            {manifestVolume(8 * 1024 * 1024, "HFS+", 1, volumeURL("w.img", wrapper))}}}));
    const auto run = zorv({"--partitions", R"([{"premade": "plus-en"}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(volumePartitions(at("HD10_512.hda")), std::vector{hfsPartition("HFS+", 96, 16384, "Wrapper")});
}

// HFS+ volumes live in Apple_HFS partitions: a bare one is placed as it is,
// like one inside an HFS wrapper.
TEST_F(CliPremadeDeviceTest, ABareHFSPlusVolumeIsPlaced) {
    const auto hfsPlus = corpusImage("hfsplus/dfvfs-hfsplus.raw");
    if (!hfsPlus) GTEST_SKIP() << "corpus image hfsplus/dfvfs-hfsplus.raw is absent";
    const auto size = static_cast<int64_t>(hfsPlus->size());
    server.writeManifest(manifestDocument(
        {{"Plus", "plus", "en", "PPC", "", "", {manifestVolume(size, "HFS+", 1, volumeURL("p.img", hfsPlus->toBytes()))}}}));
    const auto run = zorv({"--partitions", R"([{"premade": "plus-en"}])"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(volumePartitions(at("HD10_512.hda")), std::vector{hfsPartition("HFS+", 96, size / 512, "")});
    const Bytes device = fileBytes(at("HD10_512.hda"));
    EXPECT_TRUE(std::equal(hfsPlus->begin(), hfsPlus->end(), device.begin() + 96 * 512));
}

// A premade volume that does not open as what it is placed as would be left
// out of the map without a word: the run ends before anything is written.
TEST_F(CliPremadeDeviceTest, APremadeVolumeThatDoesNotOpenIsRefused) {
    requireHfsutils();
    const Bytes hfs = hfsVolume("Good");
    std::vector<std::tuple<std::string, std::string, Bytes>> cases{
        {"HFS", "zeros.img", Bytes(819200, 0)},
        {"HFS", "page.img", Bytes(1024, '<')},
        // Cut short before the master directory block.
        {"HFS", "truncated.img", Bytes(hfs.begin(), hfs.begin() + 1000)},
        {"ProDOS", "hfs-as-prodos.po", hfs},
        // Neither HFS nor HFS+.
        {"HFS+", "noise.img", Bytes(819200, 0x5A)},
    };
    for (const auto& [fileSystem, name, bytes] : cases) {
        const std::string url = volumeURL(name, bytes);
        server.writeManifest(manifestDocument(
            {{"Good", "good", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, volumeURL("good.img", hfs))}},
             {"Bad", "bad", "en", "68k", "", "",
              {manifestVolume(819200, "HFS", 1, volumeURL("good.img", hfs)),
               manifestVolume(static_cast<int64_t>(bytes.size()), fileSystem, 2, url)}}}));
        const auto run = zorv({"--partitions", R"([{"premade": "good-en"}, {"premade": "bad-en"}])"});
        EXPECT_EQ(run.exitStatus, 1) << name;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "Error: The premade volume " + url + " of the set \"bad-en\" is not a readable " +
                               (fileSystem == "ProDOS" ? "ProDOS" : "HFS") + " volume; nothing was written.\n");
        EXPECT_TRUE(listing(folder.path()).empty()) << name;
    }
}

TEST_F(CliPremadeDeviceTest, ManifestAndDownloadFailuresWriteNothing) {
    requireHfsutils();
    const Bytes hfs = hfsVolume("Good");
    const std::string good = volumeURL("good.img", hfs);
    const std::string missing = fileURL(server.path()) + "/volumes/missing.img";
    const std::string empty = volumeURL("empty.img", {});
    server.writeManifest(manifestDocument({
        {"Good", "good", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, good)}},
        {"Missing", "missing", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, missing)}},
        {"Empty", "empty", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, empty)}},
        {"Negative", "negative", "en", "68k", "", "", {manifestVolume(-512, "HFS", 1, good)}},
        {"Huge", "huge", "en", "68k", "", "", {manifestVolume(int64_t{1} << 41, "HFS", 1, good)}},
        {"Ftp", "ftp", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, "ftp://example.invalid/v.img")}},
    }));
    const std::vector<std::pair<std::string, std::string>> cases{
        {"nope-en", "Error: invalidSetReference(\"nope-en\")\n"},
        {"missing-en", "Error: " + server.path().string() + "/volumes/missing.img: No such file or directory\n"},
        {"empty-en", "Error: emptyData\n"},
        {"negative-en",
         "Error: The premade volume " + good +
             " of the set \"negative-en\" has a negative size (-512 bytes); nothing was written.\n"},
        {"huge-en", "Error: " + deviceTooLarge + "\n"},
        {"ftp-en", "Error: refusedVolumeURL(\"ftp://example.invalid/v.img\")\n"},
    };
    for (const auto& [reference, error] : cases) {
        const auto run = zorv({"--partitions", R"([{"premade": "good-en"}, {"premade": ")" + reference + R"("}])"});
        EXPECT_EQ(run.exitStatus, 1) << reference;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, error);
        EXPECT_TRUE(listing(folder.path()).empty()) << reference;
    }

    server.writeManifest("[{\"setName\": \"Broken\"}]");
    const auto broken = zorv({"--partitions", R"([{"blankHFS": 1}, {"premade": "good-en"}])"});
    EXPECT_EQ(broken.exitStatus, 1);
    EXPECT_EQ(broken.err, "Error: keyNotFound(\"[0].setReference: the key is missing\")\n");
    std::filesystem::remove(server.path() / "files" / "resources" / "manifest.json");
    const auto absent = zorv({"--partitions", R"([{"premade": "good-en"}])"});
    EXPECT_EQ(absent.exitStatus, 1);
    EXPECT_EQ(absent.err,
              "Error: " + (server.path() / "files" / "resources" / "manifest.json").string() +
                  ": No such file or directory\n");
    EXPECT_TRUE(listing(folder.path()).empty());
}

// The same over a loopback web server, which logs every request.
class CliPremadeOverHTTPTest : public CliMacDevicePartitionedTest {
protected:
    void SetUp() override {
        webServer_ = std::make_unique<LoopbackHTTPServer>(server.path());
        if (webServer_->status() == LoopbackHTTPServer::Status::noPython) {
            GTEST_SKIP() << "python3 is needed for the loopback web server";
        }
        ASSERT_EQ(webServer_->status(), LoopbackHTTPServer::Status::running) << webServer_->failure();
        overHTTP_ = std::make_unique<ScopedEnvironmentVariable>("ZORV_PREMADE_SERVER", webServer_->baseURL());
    }
    std::string httpURL(const std::string& path) const { return webServer_->baseURL() + path; }
    std::vector<std::string> requests() const { return webServer_->requestedPaths(); }

    std::unique_ptr<LoopbackHTTPServer> webServer_;
    std::unique_ptr<ScopedEnvironmentVariable> overHTTP_;
};

const std::string manifestPath = "/files/resources/manifest.json";

TEST_F(CliPremadeOverHTTPTest, TheManifestIsFetchedOnceAndOnlyWhenNeeded) {
    requireHfsutils();
    const Bytes a = hfsVolume("Alpha");
    const Bytes b = hfsVolume("Beta");
    server.writeManifest(manifestDocument({
        {"Alpha", "alpha", "en", "68k", "", "",
         {manifestVolume(819200, "HFS", 2, httpURL(server.addVolume("a2.img", a))),
          manifestVolume(819200, "HFS", 1, httpURL(server.addVolume("a1.img", a)))}},
        {"Beta", "beta", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, httpURL(server.addVolume("b.img", b)))}},
    }));

    // No premade entry: no request at all.
    ASSERT_EQ(zorv({"--partitions", R"([{"blankHFS": 1}])", "blank.hda"}).exitStatus, 0);
    EXPECT_TRUE(requests().empty());

    const auto run =
        zorv({"--partitions", R"([{"premade": "beta-en"}, {"blankHFS": 1}, {"premade": "alpha-en"}, {"premade": "beta-en"}])",
              "premade.hda"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(requests(), (std::vector<std::string>{manifestPath, "/volumes/b.img", "/volumes/a1.img",
                                                    "/volumes/a2.img", "/volumes/b.img"}));
    EXPECT_EQ(volumePartitions(at("premade.hda")),
              (std::vector{hfsPartition("MacOS", 96, 2048, "Untitled"), hfsPartition("HFS", 2144, 1600, "Beta"),
                           hfsPartition("HFS", 3744, 1600, "Alpha"), hfsPartition("HFS", 5344, 1600, "Alpha"),
                           hfsPartition("HFS", 6944, 1600, "Beta")}));

    // A listing fetches the manifest once and nothing else.
    const auto list = zorv({"--list-premade-detailed", "--list-premade"});
    EXPECT_EQ(list.exitStatus, 0);
    EXPECT_TRUE(list.out.starts_with("Premade Images:\n" + std::string(80, '-') + "\n\n")) << list.out;
    EXPECT_EQ(requests().size(), 6u);
    EXPECT_EQ(requests().back(), manifestPath);
}

TEST_F(CliPremadeOverHTTPTest, FailuresBeforeAnyDownloadOrWrite) {
    requireHfsutils();
    const Bytes volume = hfsVolume("Vol");
    const std::string local = fileURL(server.path()) + server.addVolume("local.img", volume);
    const std::string redirected = httpURL("/redirect?" + local);
    server.writeManifest(manifestDocument({
        {"Good", "good", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, httpURL(server.addVolume("g.img", volume)))}},
        {"Local", "local", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, local)}},
        {"Redirected", "redirected", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, redirected)}},
        {"Gone", "gone", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, httpURL("/volumes/gone.img"))}},
        {"Huge", "huge", "en", "68k", "", "",
         {manifestVolume(int64_t{1} << 40, "HFS", 1, httpURL("/volumes/g.img")),
          manifestVolume(int64_t{1} << 40, "HFS", 2, httpURL("/volumes/g.img"))}},
    }));

    // The output cannot be written: the run ends before any fetch.
    std::filesystem::create_directory(at("folder"));
    const auto directory = zorv({"folder", "--partitions", R"([{"premade": "good-en"}])"});
    EXPECT_EQ(directory.exitStatus, 1);
    EXPECT_EQ(directory.err, "Error: invalidFileURL\n");
    EXPECT_TRUE(requests().empty());
    std::filesystem::remove(at("folder"));

    // A manifest from the web may not send us to a local file, not even
    // through a redirect.
    const auto localRun = zorv({"--partitions", R"([{"premade": "local-en"}])"});
    EXPECT_EQ(localRun.exitStatus, 1);
    EXPECT_EQ(localRun.err, "Error: refusedVolumeURL(\"" + local + "\")\n");
    const auto redirectRun = zorv({"--partitions", R"([{"premade": "redirected-en"}])"});
    EXPECT_EQ(redirectRun.exitStatus, 1);
    EXPECT_TRUE(redirectRun.err.starts_with("Error: " + redirected + ": ")) << redirectRun.err;

    const auto gone = zorv({"--partitions", R"([{"premade": "gone-en"}])"});
    EXPECT_EQ(gone.exitStatus, 1);
    EXPECT_EQ(gone.err, "Error: " + httpURL("/volumes/gone.img") + ": the server answered with HTTP status 404\n");

    // The second volume would take the device past 2^32 blocks: refused
    // before it is downloaded.
    const size_t before = requests().size();
    const auto huge = zorv({"--partitions", R"([{"premade": "huge-en"}])"});
    EXPECT_EQ(huge.exitStatus, 1);
    EXPECT_EQ(huge.err, "Error: " + deviceTooLarge + "\n");
    const auto after = requests();
    ASSERT_EQ(after.size(), before + 2);
    EXPECT_EQ(after[before], manifestPath);
    EXPECT_EQ(after[before + 1], "/volumes/g.img");
    EXPECT_TRUE(listing(folder.path()).empty());
}

// A fetch from a server whose address drops connection attempts: the manifest
// or a volume.
struct SilentServerCase {
    const char* name;
    std::vector<std::string> arguments;
    bool manifestFromFolder;  // the manifest read from the folder, the volume fetched from the server
};

void PrintTo(const SilentServerCase& serverCase, std::ostream* out) { *out << serverCase.name; }

class CliSilentServerTest : public CliMacDevicePartitionedTest,
                            public ::testing::WithParamInterface<SilentServerCase> {};

// The connect timeout ends the fetch as any failed fetch ends, with nothing
// written; the test shortens it from half a minute to half a second.
TEST_P(CliSilentServerTest, GivesUpAfterTheConnectTimeout) {
    const SilentLoopbackPort silent;
    if (!silent.dropsConnections()) GTEST_SKIP() << "this machine answers connections to a full listen queue";
    const ScopedEnvironmentVariable shortTimeout{"ZORV_TEST_CONNECT_TIMEOUT_MS", "500"};
    const ScopedEnvironmentVariable noProxy{"no_proxy", "127.0.0.1"};
    const ScopedEnvironmentVariable noProxyUpper{"NO_PROXY", "127.0.0.1"};
    const auto& [name, arguments, manifestFromFolder] = GetParam();
    std::string failing = silent.baseURL() + "/files/resources/manifest.json";
    std::optional<ScopedEnvironmentVariable> silentServer;
    if (manifestFromFolder) {
        failing = silent.baseURL() + "/volumes/v.img";
        server.writeManifest(
            manifestDocument({{"Silent", "silent", "en", "68k", "", "", {manifestVolume(819200, "HFS", 1, failing)}}}));
    } else {
        silentServer.emplace("ZORV_PREMADE_SERVER", silent.baseURL());
    }

    const auto start = std::chrono::steady_clock::now();
    const auto run = zorv(arguments);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("Error: " + failing + ": ")) << run.err;
    // libcurl words it by where the time ran out: "Timeout was reached",
    // "Connection timeout after 500 ms", "Connection timed out after 501
    // milliseconds".
    std::string lowerCase = run.err;
    std::transform(lowerCase.begin(), lowerCase.end(), lowerCase.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_TRUE(lowerCase.find("timeout") != std::string::npos || lowerCase.find("timed out") != std::string::npos)
        << run.err;
    EXPECT_LT(elapsed, std::chrono::seconds(15));
    EXPECT_TRUE(listing(folder.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fetches, CliSilentServerTest,
    ::testing::Values(
        SilentServerCase{"Listing", {"--list-premade"}, false},
        SilentServerCase{"ManifestOfALayout", {"out.hda", "--partitions", R"([{"premade": "silent-en"}])"}, false},
        SilentServerCase{"PremadeVolume", {"out.hda", "--partitions", R"([{"premade": "silent-en"}])"}, true}),
    testing::namedBy(&SilentServerCase::name));

TEST_F(CliMacDevicePartitionedTest, HelpListsTheArgumentsInDeclarationOrder) {
    const auto run = zorv({"--help"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "OVERVIEW: Creates a Macintosh device image containing a partition map, a SCSI\n"
              "driver and one or several partitions of your choosing.\n"
              "A partition can either be a blank HFS or ProDOS partition, a volume image file\n"
              "or one of the premade injectable partitions.\n"
              "\n"
              "USAGE: zorv create mac-device-partitioned [<output-file>] [--config-file <config-file>] "
              "[--partitions <partitions>] [--scsi-id <scsi-id>] [--list-premade] [--list-premade-detailed]\n"
              "\n"
              "ARGUMENTS:\n"
              "  <output-file>           File name of the image. If you omit this argument, a\n"
              "                          proper name will be assigned automatically.\n"
              "\n"
              "OPTIONS:\n"
              "  --config-file <config-file>\n"
              "                          JSON file containing the partition layout of your\n"
              "                          device image. If you omit this option, you must use\n"
              "                          the --partitions option.\n"
              "  --partitions <partitions>\n"
              "                          The partition layout of your device image, in JSON\n"
              "                          format. If you omit this argument, you must specify a\n"
              "                          JSON file containing this layout using the\n"
              "                          --config-file option.\n"
              "  -s, --scsi-id <scsi-id> SCSI ID to assign to the device image (default: 1)\n"
              "  --list-premade          Lists the volume images available for injection\n"
              "                          (network connection required).\n"
              "  --list-premade-detailed Lists the volume images available for injection,\n"
              "                          including a description and a list of supported\n"
              "                          machines (network connection required).\n"
              "  -h, --help              Show help information.\n");
    EXPECT_TRUE(listing(folder.path()).empty());
}

TEST(CliMacDevicePartitionedNames, DefaultFileNameCarriesTheSCSIID) {
    EXPECT_EQ(cli::MacDevicePartitioned::defaultFileName(1), "HD10_512.hda");
    EXPECT_EQ(cli::MacDevicePartitioned::defaultFileName(0), "HD00_512.hda");
    EXPECT_EQ(cli::MacDevicePartitioned::defaultFileName(7), "HD70_512.hda");
}

}  // namespace
}  // namespace zorv::testing
