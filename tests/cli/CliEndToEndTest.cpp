#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/ZORV.hpp"
#include "cli/ZorvProcess.hpp"
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
        {{"convert", "to-device"}, "OVERVIEW: Converts an HFS volume image into a device image"},
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
    EXPECT_EQ(absent.err, "Error: No such file or directory\n");
    const auto directory = zorv({"analyze", "."});
    EXPECT_EQ(directory.exitStatus, 1);
    EXPECT_EQ(directory.err, "Error: Is a directory\n");
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
        EXPECT_EQ(absent.err, "Error: No such file or directory\n") << command;
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

// What waits for the library: the steps that need the image parser, the
// device model or the device builder end with status 1 and write nothing.
TEST_F(CliEndToEndTest, TheLibraryStepsNotBuiltYetSayWhatIsMissing) {
    std::ofstream(folder.path() / "vol.img") << std::string(4096, 'v');
    const auto analyze = zorv({"-v", "analyze", "vol.img"});
    EXPECT_EQ(analyze.exitStatus, 1);
    EXPECT_EQ(analyze.out, cli::ZORV::versionText + "\n");
    EXPECT_EQ(analyze.err, "Error: Image analysis is not available yet in this build (it needs the image parser).\n");

    const auto device = zorv({"create", "mac-device", "-sM", "20"});
    EXPECT_EQ(device.exitStatus, 1);
    EXPECT_EQ(firstLine(device.err),
              "Error: Creating a Macintosh device image is not available yet in this build (it needs the device "
              "image builder).");

    const auto convert = zorv({"convert", "to-device", "vol.img", "dev.hda"});
    EXPECT_EQ(convert.exitStatus, 1);
    EXPECT_EQ(convert.out, "");
    EXPECT_EQ(convert.err, "Error: Image detection is not available yet in this build (it needs the image parser).\n");
    EXPECT_EQ(listing(folder.path()), std::vector<std::string>{"vol.img"});
}

}  // namespace
}  // namespace zorv::testing
