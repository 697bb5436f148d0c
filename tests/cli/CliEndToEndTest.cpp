#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "cli/ZORV.hpp"
#include "cli/ZorvProcess.hpp"
#include "support/FifoReader.hpp"
#include "support/TemporaryDirectory.hpp"

// These run the built zorv binary in a fresh folder and check what a user
// sees: standard output, standard error, the exit status and the files left.

namespace zorv::testing {
namespace {

std::vector<std::string> listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string fileContents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

class CliEndToEndTest : public ::testing::Test {
protected:
    ZorvRun zorv(const std::vector<std::string>& arguments) { return runZorvBinary(arguments, folder.path()); }
    std::string usageLines(const std::string& usage, const std::string& command) {
        return "Usage: " + usage + "\n  See '" + command + " --help' for more information.\n";
    }
    TemporaryDirectory folder;
};

const std::string rootHelpStart =
    "OVERVIEW: Zorvix is a utility to create and analyze disk images for your retro\nstuff\n\n"
    "USAGE: zorv [--version] <subcommand>\n";

TEST_F(CliEndToEndTest, RootAlonePrintsItsHelp) {
    const auto run = zorv({});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(run.out.starts_with(rootHelpStart));
    EXPECT_NE(run.out.find("SUBCOMMANDS:\n  create "), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST_F(CliEndToEndTest, VersionThenHelp) {
    for (const std::string flag : {"-v", "--version"}) {
        const auto run = zorv({flag});
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_TRUE(run.out.starts_with("\nZorvix for macOS v2.1 (May 2024).\n"));
        EXPECT_TRUE(run.out.starts_with(cli::ZORV::versionText + "\n" + rootHelpStart));
        EXPECT_EQ(run.err, "");
    }
}

TEST_F(CliEndToEndTest, GroupsAlonePrintTheirHelp) {
    const auto create = zorv({"create"});
    EXPECT_EQ(create.exitStatus, 0);
    EXPECT_TRUE(
        create.out.starts_with("OVERVIEW: Create a brand new disk image.\n\nUSAGE: zorv create <subcommand>\n"));
    const auto convert = zorv({"convert"});
    EXPECT_EQ(convert.exitStatus, 0);
    EXPECT_TRUE(convert.out.starts_with(
        "OVERVIEW: Convert your disk image to another type.\n\nUSAGE: zorv convert <subcommand>\n"));
    EXPECT_TRUE(listing(folder.path()).empty());
}

TEST_F(CliEndToEndTest, EveryCommandHasItsHelp) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> commands{
        {{"analyze"}, "OVERVIEW: Analyze your disk image and report on its contents."},
        {{"create", "empty-image"}, "OVERVIEW: Creates an empty image, full of zeroes."},
        {{"create", "mac-device"}, "OVERVIEW: Creates a simple Macintosh device image"},
        {{"convert", "to-device"}, "OVERVIEW: Converts an HFS or ProDOS volume image into a device image"},
        {{"convert", "to-volume"}, "OVERVIEW: Converts a device image (containing a partition map and a SCSI driver)"},
        {{"convert", "replace-lido"}, "OVERVIEW: Replaces the Lido SCSI driver in a device image"}};
    for (const auto& [command, overview] : commands) {
        auto arguments = command;
        arguments.push_back("--help");
        const auto run = zorv(arguments);
        EXPECT_EQ(run.exitStatus, 0) << overview;
        EXPECT_TRUE(run.out.starts_with(overview)) << run.out;
        EXPECT_EQ(run.err, "");
    }
    const auto emptyImage = zorv({"create", "empty-image", "-h"});
    EXPECT_NE(emptyImage.out.find(
                  "  -sM, --size-in-mb <size-in-mb>\n                          Size in megabytes of the image.\n"
                  "  -sB, --size-in-bytes <size-in-bytes>\n                          Size in bytes of the image.\n"),
              std::string::npos)
        << emptyImage.out;
}

TEST_F(CliEndToEndTest, RootAndCreateHelpsInFull) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> helps{
        {{"--help"},
         rootHelpStart +
             "\n"
             "OPTIONS:\n"
             "  -v, --version           Show version information.\n"
             "  -h, --help              Show help information.\n"
             "\n"
             "SUBCOMMANDS:\n"
             "  create                  Create a brand new disk image.\n"
             "  analyze                 Analyze your disk image and report on its contents.\n"
             "  convert                 Convert your disk image to another type.\n"},
        {{"create", "empty-image", "--help"},
         "OVERVIEW: Creates an empty image, full of zeroes.\n"
         "\n"
         "USAGE: zorv create empty-image [<output-file>] [--size-in-mb <size-in-mb>] [--size-in-bytes "
         "<size-in-bytes>]\n"
         "\n"
         "ARGUMENTS:\n"
         "  <output-file>           File name of the image. If you omit this argument, a\n"
         "                          proper name will be assigned automatically.\n"
         "\n"
         "OPTIONS:\n"
         "  -sM, --size-in-mb <size-in-mb>\n"
         "                          Size in megabytes of the image.\n"
         "  -sB, --size-in-bytes <size-in-bytes>\n"
         "                          Size in bytes of the image.\n"
         "  -h, --help              Show help information.\n"},
        {{"create", "mac-device", "--help"},
         "OVERVIEW: Creates a simple Macintosh device image containing a partition map, a\n"
         "SCSI driver and a ready-to-be-formatted HFS partition.\n"
         "\n"
         "USAGE: zorv create mac-device [<output-file>] [--size-in-mb <size-in-mb>] [--scsi-id <scsi-id>]\n"
         "\n"
         "ARGUMENTS:\n"
         "  <output-file>           File name of the image. If you omit this argument, a\n"
         "                          proper name will be assigned automatically.\n"
         "\n"
         "OPTIONS:\n"
         "  -sM, --size-in-mb <size-in-mb>\n"
         "                          Size in megabytes of the image.\n"
         "  -s, --scsi-id <scsi-id> SCSI ID to assign to the device image (default: 1)\n"
         "  -h, --help              Show help information.\n"},
    };
    for (const auto& [arguments, help] : helps) {
        const auto run = zorv(arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.out, help);
        EXPECT_EQ(run.err, "");
    }
    const auto create = zorv({"create", "-h"});
    EXPECT_NE(create.out.find("SUBCOMMANDS:\n  empty-image             Creates an empty image, full of zeroes.\n"
                              "  mac-device              Creates a simple Macintosh device image"),
              std::string::npos)
        << create.out;
    EXPECT_TRUE(listing(folder.path()).empty());
}

TEST_F(CliEndToEndTest, EmptyImageWithTheDefaultName) {
    const auto run = zorv({"create", "empty-image", "-sB", "1000"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"untitled.img"});
    EXPECT_EQ(fileContents(folder.path() / "untitled.img"), std::string(1000, '\0'));

    // Again, smaller: the file is replaced.
    EXPECT_EQ(zorv({"create", "empty-image", "-sB", "10"}).exitStatus, 0);
    EXPECT_EQ(fileContents(folder.path() / "untitled.img"), std::string(10, '\0'));
}

TEST_F(CliEndToEndTest, EmptyImageSizes) {
    EXPECT_EQ(zorv({"create", "empty-image", "-sM", "1", "one.img"}).exitStatus, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "one.img"), 1'048'576u);
    EXPECT_EQ(fileContents(folder.path() / "one.img"), std::string(1'048'576, '\0'));
    EXPECT_EQ(zorv({"create", "empty-image", "-sB", "512", "-sM", "10", "both.img"}).exitStatus, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "both.img"), 512u);
    EXPECT_EQ(zorv({"create", "empty-image", "--size-in-bytes", "0", "zero.img"}).exitStatus, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "zero.img"), 0u);
    EXPECT_EQ(zorv({"create", "empty-image", "--size-in-bytes=7", "name with spaces"}).exitStatus, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "name with spaces"), 7u);
}

TEST_F(CliEndToEndTest, EmptyImageRefusalsWriteNothing) {
    const std::string usage = usageLines(
        "zorv create empty-image [<output-file>] [--size-in-mb <size-in-mb>] [--size-in-bytes <size-in-bytes>]",
        "zorv create empty-image");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{},
         "You must specify a capacity for your image, using either -sB for a size in bytes or -sM for a size in "
         "megabytes"},
        {{"-sB", "-1"}, "The size in bytes (-sB) cannot be negative."},
        {{"-sM", "-1"}, "The size in megabytes (-sM) cannot be negative."},
        {{"-sM", "8796093022208"},
         "The size in megabytes (-sM) is too large: an image holds at most 8796093022207 megabytes."},
        {{"-sB", "ten"}, "The value 'ten' is invalid for '-sB <size-in-bytes>'"},
        {{"-sB"}, "Missing value for '-sB <size-in-bytes>'"},
        {{"-s", "3"}, "Unknown option '-s'"},
        {{"a.img", "b.img", "-sB", "3"}, "Unexpected argument 'b.img'"},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> arguments{"create", "empty-image"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const auto run = zorv(arguments);
        EXPECT_EQ(run.exitStatus, 64) << message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "Error: " + message + "\n" + usage);
        EXPECT_TRUE(listing(folder.path()).empty()) << message;
    }
}

TEST_F(CliEndToEndTest, EmptyImageIntoANamedPipe) {
    FifoReader pipe(folder.file("pipe.img"));
    const auto run = zorv({"create", "empty-image", "-sB", "2500000", "pipe.img"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(pipe.finish(), Bytes(2500000, 0));
    EXPECT_TRUE(std::filesystem::is_fifo(folder.file("pipe.img")));
}

TEST_F(CliEndToEndTest, EmptyImageWriterErrors) {
    std::filesystem::create_directory(folder.path() / "sub");
    const auto directory = zorv({"create", "empty-image", "-sB", "10", "sub"});
    EXPECT_EQ(directory.exitStatus, 1);
    EXPECT_EQ(directory.err, "Error: invalidFileURL\n");
    const auto huge = zorv({"create", "empty-image", "-sM", "8796093022207", "huge.img"});
    EXPECT_EQ(huge.exitStatus, 1);
    EXPECT_EQ(huge.err, "Error: notEnoughSpace\n");
    EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"sub"});
}

// A file error says which file, as the user typed its name.
TEST_F(CliEndToEndTest, OutputsInAMissingFolderNameTheFile) {
    ASSERT_EQ(zorv({"create", "mac-device", "device.hda", "-sM", "1"}).exitStatus, 0);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"create", "empty-image", "-sB", "1024", "missing/empty.img"}, "missing/empty.img"},
        {{"create", "mac-device", "missing/device.hda", "-sM", "1"}, "missing/device.hda"},
        {{"analyze", "device.hda", "missing/report.json"}, "missing/report.json"},
        {{"convert", "to-volume", "device.hda", "missing/volume.img"}, "missing/volume.img"},
    };
    for (const auto& [arguments, name] : cases) {
        const auto run = zorv(arguments);
        EXPECT_EQ(run.exitStatus, 1) << name;
        EXPECT_EQ(run.err, "Error: " + name + ": No such file or directory\n");
    }
    EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"device.hda"});
}

TEST_F(CliEndToEndTest, MacDeviceValidationInItsOrder) {
    const std::string usage =
        usageLines("zorv create mac-device [<output-file>] [--size-in-mb <size-in-mb>] [--scsi-id <scsi-id>]",
                   "zorv create mac-device");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, "You must specify a capacity for your image using -sM for a size in megabytes"},
        {{"-s", "8"}, "You must specify a capacity for your image using -sM for a size in megabytes"},
        {{"-sM", "20", "-s", "8"}, "A valid SCSI ID is an integer betweem 0 and 7."},
        {{"name.hda", "-sM", "20", "-s", "-2"}, "A valid SCSI ID is an integer betweem 0 and 7."},
        {{"-sM", "0"}, "The size in megabytes (-sM) must be at least 1: a blank HFS volume needs at least 22 blocks."},
        {{"-sM", "-5"}, "The size in megabytes (-sM) must be at least 1: a blank HFS volume needs at least 22 blocks."},
        {{"-sM", "1048576"},
         "The size in megabytes (-sM) must be at most 524288: a blank HFS volume holds at most 1073741824 blocks."},
        {{"-sM", "20", "-sB", "4"}, "Unknown option '-sB'"},
    };
    for (const auto& [options, message] : cases) {
        std::vector<std::string> arguments{"create", "mac-device"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const auto run = zorv(arguments);
        EXPECT_EQ(run.exitStatus, 64) << message;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "Error: " + message + "\n" + usage);
        EXPECT_TRUE(listing(folder.path()).empty()) << message;
    }
}

TEST_F(CliEndToEndTest, AnalyzeUsageAndReadErrors) {
    const auto missing = zorv({"analyze"});
    EXPECT_EQ(missing.exitStatus, 64);
    EXPECT_EQ(missing.err, "Error: Missing expected argument '<input-file>'\n" +
                               usageLines("zorv analyze <input-file> [<output-file>] "
                                          "[--enable-file-hierarchy|--disable-file-hierarchy]",
                                          "zorv analyze"));
    const auto absent = zorv({"analyze", "absent.img"});
    EXPECT_EQ(absent.exitStatus, 1);
    EXPECT_EQ(absent.out, "");
    EXPECT_EQ(absent.err, "Error: absent.img: No such file or directory\n");
    const auto directory = zorv({"analyze", "."});
    EXPECT_EQ(directory.exitStatus, 1);
    EXPECT_EQ(directory.err, "Error: .: Is a directory\n");
}

TEST_F(CliEndToEndTest, ConvertUsageAndReadErrors) {
    const auto oneName = zorv({"convert", "to-device", "vol.img"});
    EXPECT_EQ(oneName.exitStatus, 64);
    EXPECT_EQ(oneName.err,
              "Error: Missing expected argument '<output-file>'\n" +
                  usageLines("zorv convert to-device <input-file> <output-file>", "zorv convert to-device"));
    const auto noName = zorv({"convert", "replace-lido"});
    EXPECT_EQ(firstLine(noName.err), "Error: Missing expected argument '<input-file>'");
    const auto badNumber = zorv({"convert", "to-volume", "a", "b", "-p", "first"});
    EXPECT_EQ(badNumber.exitStatus, 64);
    EXPECT_EQ(firstLine(badNumber.err), "Error: The value 'first' is invalid for '-p <partition>'");

    for (const std::string command : {"to-device", "to-volume", "replace-lido"}) {
        const auto absent = zorv({"convert", command, "absent.img", "out.img"});
        EXPECT_EQ(absent.exitStatus, 1) << command;
        EXPECT_EQ(absent.out, "") << command;  // no image-type line before a read error
        EXPECT_EQ(absent.err, "Error: absent.img: No such file or directory\n") << command;
    }
    EXPECT_TRUE(listing(folder.path()).empty());
}

TEST_F(CliEndToEndTest, UnknownCommandsAndOptions) {
    const auto unknown = zorv({"defragment"});
    EXPECT_EQ(unknown.exitStatus, 64);
    EXPECT_EQ(unknown.err,
              "Error: Unexpected argument 'defragment'\n" + usageLines("zorv [--version] <subcommand>", "zorv"));
    const auto option = zorv({"--verbose"});
    EXPECT_EQ(firstLine(option.err), "Error: Unknown option '--verbose'");
    const auto groupOption = zorv({"convert", "--fast"});
    EXPECT_EQ(groupOption.err,
              "Error: Unknown option '--fast'\n" + usageLines("zorv convert <subcommand>", "zorv convert"));
}

// Block 0, the entries of the map and the blank HFS volume's master
// directory blocks of a device that `create mac-device` wrote.
struct MacDeviceBlocks {
    explicit MacDeviceBlocks(const std::string& text) : bytes(text.begin(), text.end()) {}
    uint64_t value(size_t offset, int size) const {
        uint64_t result = 0;
        for (int index = 0; index < size; ++index) result = result << 8 | bytes[offset + static_cast<size_t>(index)];
        return result;
    }
    std::string text(size_t offset, size_t size) const {
        const auto start = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
        return std::string(start, std::find(start, start + static_cast<std::ptrdiff_t>(size), '\0'));
    }
    std::vector<uint8_t> bytes;
};

TEST_F(CliEndToEndTest, MacDeviceWithTheDefaultName) {
    const auto run = zorv({"create", "mac-device", "-sM", "20"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"HD10_512 20MB.hda"});
    const MacDeviceBlocks device(fileContents(folder.path() / "HD10_512 20MB.hda"));
    ASSERT_EQ(device.bytes.size(), 21'020'672u);  // 96 + 40,960 blocks

    // Block 0: "ER", 512-byte blocks, the block count, one driver at 64.
    EXPECT_EQ(device.text(0, 2), "ER");
    EXPECT_EQ(device.value(2, 2), 512u);
    EXPECT_EQ(device.value(4, 4), 41056u);
    EXPECT_EQ(device.value(18, 4), 64u);
    // The map: its own entry, the driver's, the HFS volume's.
    const std::vector<std::tuple<std::string, std::string, uint64_t, uint64_t>> entries{
        {"Apple_partition_map", "Apple", 1, 63},
        {"Apple_Driver43", "Macintosh", 64, 32},
        {"Apple_HFS", "MacOS", 96, 40960},
    };
    for (size_t index = 0; index < entries.size(); ++index) {
        const size_t entry = (index + 1) * 512;
        const auto& [type, name, start, size] = entries[index];
        EXPECT_EQ(device.text(entry, 2), "PM");
        EXPECT_EQ(device.value(entry + 4, 4), 3u);
        EXPECT_EQ(device.value(entry + 8, 4), start);
        EXPECT_EQ(device.value(entry + 12, 4), size);
        EXPECT_EQ(device.text(entry + 16, 32), name);
        EXPECT_EQ(device.text(entry + 48, 32), type);
    }
    // The blank volume's master directory block, "Untitled", and its copy
    // in the volume's last block but one.
    const size_t mdb = (96 + 2) * 512;
    EXPECT_EQ(device.text(mdb, 2), "BD");
    EXPECT_EQ(device.text(mdb + 37, 8), "Untitled");
    EXPECT_TRUE(std::equal(device.bytes.begin() + mdb, device.bytes.begin() + mdb + 512,
                           device.bytes.begin() + (96 + 40958) * 512));

    EXPECT_EQ(zorv({"analyze", "HD10_512 20MB.hda"}).out,
              "Macintosh Device (Macintosh)\n"
              "Block size: 512\n"
              "Size in blocks: 41056 (21020672 bytes)\n"
              "Partitions:\n"
              "1:\tPartition Map (Apple), Start: 1, Length: 63\n"
              "2:\tDriver for SCSI Manager 4.3 (Apple HD SC 7.3.5), Start: 64, Length: 32\n"
              "3:\tHFS or HFS+ Volume (MacOS), Start: 96, Length: 40960\n");
}

TEST_F(CliEndToEndTest, MacDeviceNamesAndOverwriting) {
    EXPECT_EQ(zorv({"create", "mac-device", "-sM", "1", "-s", "0"}).exitStatus, 0);
    EXPECT_EQ(zorv({"create", "mac-device", "--size-in-mb", "1", "--scsi-id", "7"}).exitStatus, 0);
    EXPECT_EQ(zorv({"create", "mac-device", "-sM", "2", "my disk"}).exitStatus, 0);
    EXPECT_EQ(listing(folder.path()),
              (std::vector<std::string>{"HD00_512 1MB.hda", "HD70_512 1MB.hda", "my disk"}));
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "HD00_512 1MB.hda"), (96u + 2048) * 512);
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "my disk"), (96u + 4096) * 512);

    // A smaller device over the larger one: the file is replaced.
    EXPECT_EQ(zorv({"create", "mac-device", "-sM", "1", "my disk"}).exitStatus, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "my disk"), (96u + 2048) * 512);

    std::filesystem::create_directory(folder.path() / "sub");
    const auto directory = zorv({"create", "mac-device", "-sM", "1", "sub"});
    EXPECT_EQ(directory.exitStatus, 1);
    EXPECT_EQ(directory.err, "Error: invalidFileURL\n");
}

}  // namespace
}  // namespace zorv::testing
