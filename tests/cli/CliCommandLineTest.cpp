#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/CommandLine.hpp"
#include "cli/FakeLibrary.hpp"
#include "cli/ZORV.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::cli {
namespace {

using testing::FakeLibrary;
using testing::fileContents;
using testing::Outcome;
using testing::runWith;

// An empty file, for commands that must read some input. (A device such as
// /dev/null is no input: zorv refuses character devices.)
struct EmptyInput {
    EmptyInput() { std::ofstream(path).close(); }
    testing::TemporaryDirectory folder;
    std::string path = folder.file("empty.img");
};

// The root with stand-ins, and its command line, for tests that only parse.
struct ParsedTree {
    FakeLibrary fake;
    LibraryServices services = fake.services();
    ZORV root{services};
    CommandLine commandLine{root};
    std::ostringstream out;

    std::vector<ParsableCommand*> parse(const std::vector<std::string>& arguments) {
        return commandLine.parse(arguments, out);
    }
    // The message of the usage failure the arguments cause, and the command
    // it names.
    std::pair<std::string, std::string> usageFailure(const std::vector<std::string>& arguments) {
        try {
            parse(arguments);
        } catch (const UsageError& error) {
            return {error.what(), commandLine.commandPath(*error.command)};
        }
        return {"(no failure)", ""};
    }
};

const std::string rootHelp =
    "OVERVIEW: Zorvix is a utility to create and analyze disk images for your retro\n"
    "stuff\n"
    "\n"
    "USAGE: zorv [--version] <subcommand>\n"
    "\n"
    "OPTIONS:\n"
    "  -v, --version           Show version information.\n"
    "  -h, --help              Show help information.\n"
    "\n"
    "SUBCOMMANDS:\n"
    "  create                  Create a brand new disk image.\n"
    "  analyze                 Analyze your disk image and report on its contents.\n"
    "  convert                 Convert your disk image to another type.\n";

TEST(CliCommandLineTest, RootAlonePrintsItsHelpAndSucceeds) {
    FakeLibrary fake;
    const auto outcome = runWith(fake, {});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, rootHelp);
    EXPECT_EQ(outcome.err, "");
}

TEST(CliCommandLineTest, VersionPrintsItsTextThenTheRootHelp) {
    for (const std::string flag : {"-v", "--version"}) {
        FakeLibrary fake;
        const auto outcome = runWith(fake, {flag});
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.out, ZORV::versionText + "\n" + rootHelp) << flag;
        EXPECT_TRUE(outcome.out.starts_with("\nZorvix for macOS v2.1 (May 2024).\n"));
    }
}

TEST(CliCommandLineTest, VersionIsPrintedDuringRootValidationAndTheSubcommandRuns) {
    FakeLibrary fake;
    fake.analysis.report = "the report";
    const EmptyInput input;
    const auto outcome = runWith(fake, {"-v", "analyze", input.path});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, ZORV::versionText + "\nthe report\n");
    ASSERT_EQ(fake.analysisCalls.size(), 1u);
}

TEST(CliCommandLineTest, VersionComesBeforeASubcommandsValidationFailure) {
    FakeLibrary fake;
    const auto outcome = runWith(fake, {"-v", "create", "empty-image"});
    EXPECT_EQ(outcome.status, 64);
    EXPECT_EQ(outcome.out, ZORV::versionText + "\n");
    EXPECT_TRUE(outcome.err.starts_with("Error: You must specify a capacity"));
}

TEST(CliCommandLineTest, GroupsAlonePrintTheirHelp) {
    FakeLibrary fake;
    const auto create = runWith(fake, {"create"});
    EXPECT_EQ(create.status, 0);
    EXPECT_EQ(create.out,
              "OVERVIEW: Create a brand new disk image.\n"
              "\n"
              "USAGE: zorv create <subcommand>\n"
              "\n"
              "OPTIONS:\n"
              "  -h, --help              Show help information.\n"
              "\n"
              "SUBCOMMANDS:\n"
              "  empty-image             Creates an empty image, full of zeroes.\n"
              "  mac-device              Creates a simple Macintosh device image containing a\n"
              "                          partition map, a SCSI driver and a\n"
              "                          ready-to-be-formatted HFS partition.\n"
              "  mac-device-partitioned  Creates a Macintosh device image containing a\n"
              "                          partition map, a SCSI driver and one or several\n"
              "                          partitions of your choosing.\n"
              "                          A partition can either be a blank HFS or ProDOS\n"
              "                          partition, a volume image file or one of the premade\n"
              "                          injectable partitions.\n");
    const auto convert = runWith(fake, {"convert"});
    EXPECT_EQ(convert.status, 0);
    EXPECT_TRUE(
        convert.out.starts_with("OVERVIEW: Convert your disk image to another type.\n\n"
                                "USAGE: zorv convert <subcommand>\n"));
    EXPECT_NE(convert.out.find("  to-device               Converts an HFS or ProDOS volume image"), std::string::npos);
    EXPECT_NE(convert.out.find("  to-volume               Converts a device image"), std::string::npos);
    EXPECT_NE(convert.out.find("  replace-lido            Replaces the Lido SCSI driver"), std::string::npos);
    EXPECT_LT(convert.out.find("to-device"), convert.out.find("to-volume"));
    EXPECT_LT(convert.out.find("to-volume"), convert.out.find("replace-lido"));
    EXPECT_EQ(convert.err, "");
}

TEST(CliCommandLineTest, MacDeviceHelpShowsTheSingleDashLongName) {
    FakeLibrary fake;
    const auto outcome = runWith(fake, {"create", "mac-device", "--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out,
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
              "  -h, --help              Show help information.\n");
}

TEST(CliCommandLineTest, EveryCommandAnswersToBothHelpFlags) {
    const std::vector<std::vector<std::string>> commands{{},
                                                         {"create"},
                                                         {"create", "empty-image"},
                                                         {"create", "mac-device"},
                                                         {"analyze"},
                                                         {"convert"},
                                                         {"convert", "to-device"},
                                                         {"convert", "to-volume"},
                                                         {"convert", "replace-lido"}};
    for (const auto& command : commands) {
        for (const std::string flag : {"-h", "--help"}) {
            FakeLibrary fake;
            auto arguments = command;
            arguments.push_back(flag);
            const auto outcome = runWith(fake, arguments);
            std::string path = "zorv";
            for (const auto& name : command) path += " " + name;
            EXPECT_EQ(outcome.status, 0) << path;
            EXPECT_NE(outcome.out.find("USAGE: " + path), std::string::npos) << path;
            EXPECT_EQ(outcome.err, "") << path;
        }
    }
}

TEST(CliCommandLineTest, HelpWinsOverUsageAndValidationFailures) {
    FakeLibrary fake;
    const auto invalid = runWith(fake, {"create", "mac-device", "-s", "9", "--help"});
    EXPECT_EQ(invalid.status, 0);
    EXPECT_TRUE(invalid.out.starts_with("OVERVIEW: Creates a simple Macintosh device image"));
    const auto missing = runWith(fake, {"convert", "to-volume", "-h"});
    EXPECT_EQ(missing.status, 0);
    EXPECT_TRUE(fake.detectedPaths.empty());
    // Asked on the group, the help is that of the subcommand named after it.
    const auto onGroup = runWith(fake, {"create", "--help", "empty-image"});
    EXPECT_TRUE(onGroup.out.starts_with("OVERVIEW: Creates an empty image, full of zeroes."));
}

TEST(CliCommandLineTest, AnalyzeHelpListsArgumentsAndTheFlagPair) {
    FakeLibrary fake;
    const auto outcome = runWith(fake, {"analyze", "--help"});
    EXPECT_EQ(outcome.out,
              "OVERVIEW: Analyze your disk image and report on its contents.\n"
              "\n"
              "USAGE: zorv analyze <input-file> [<output-file>] "
              "[--enable-file-hierarchy|--disable-file-hierarchy]\n"
              "\n"
              "ARGUMENTS:\n"
              "  <input-file>            The disk image to analyze.\n"
              "  <output-file>           The name of the JSON file where the analysis result\n"
              "                          will be saved. If you omit this argument, the result\n"
              "                          will be printed on screen.\n"
              "\n"
              "OPTIONS:\n"
              "  -f, --enable-file-hierarchy/--disable-file-hierarchy\n"
              "                          Specifies that you want to include the details of\n"
              "                          every file and folder in your image. (default:\n"
              "                          --disable-file-hierarchy)\n"
              "  -h, --help              Show help information.\n");
}

TEST(CliCommandLineTest, ConvertSubcommandsShowTheSharedPositionalsInTheirOwnUsage) {
    ParsedTree tree;
    EXPECT_EQ(tree.commandLine.usage(tree.root.convert.toDevice), "zorv convert to-device <input-file> <output-file>");
    EXPECT_EQ(tree.commandLine.usage(tree.root.convert.toVolume),
              "zorv convert to-volume <input-file> <output-file> [--partition <partition>]");
    EXPECT_EQ(tree.commandLine.usage(tree.root.convert.replaceLido),
              "zorv convert replace-lido <input-file> <output-file>");
    EXPECT_EQ(tree.commandLine.usage(tree.root.create.emptyImage),
              "zorv create empty-image [<output-file>] [--size-in-mb <size-in-mb>] [--size-in-bytes <size-in-bytes>]");
    const std::string help = tree.commandLine.help(tree.root.convert.toVolume);
    EXPECT_NE(help.find("  <input-file>            File name of the disk image to convert.\n"), std::string::npos);
    EXPECT_NE(help.find("  <output-file>           File name of the converted image.\n"), std::string::npos);
    EXPECT_NE(
        help.find("  -p, --partition <partition>\n                          Number of the partition to convert.\n"),
        std::string::npos);
}

TEST(CliCommandLineTest, SingleDashLongNamesAreRewrittenOnlyWhereDeclared) {
    ParsedTree tree;
    EXPECT_EQ(tree.commandLine.rewrittenArguments({"create", "mac-device", "-sM", "20", "-s", "3"}),
              (std::vector<std::string>{"create", "mac-device", "--size-in-mb", "20", "-s", "3"}));
    EXPECT_EQ(tree.commandLine.rewrittenArguments({"create", "empty-image", "-sB", "5", "-sM", "1"}),
              (std::vector<std::string>{"create", "empty-image", "--size-in-bytes", "5", "--size-in-mb", "1"}));
    EXPECT_EQ(tree.commandLine.rewrittenArguments({"create", "mac-device", "-sM=20"}),
              (std::vector<std::string>{"create", "mac-device", "--size-in-mb=20"}));
    // mac-device declares no -sB, analyze no -sM, the root neither: there
    // they are unknown options, held back from CLI11 and reported.
    EXPECT_EQ(tree.commandLine.rewrittenArguments({"create", "mac-device", "-sB", "5"}),
              (std::vector<std::string>{"create", "mac-device", "5"}));
    EXPECT_EQ(tree.commandLine.rewrittenArguments({"analyze", "-sM"}), (std::vector<std::string>{"analyze"}));
    EXPECT_EQ(tree.commandLine.rewrittenArguments({"-sM", "create", "mac-device"}),
              (std::vector<std::string>{"create", "mac-device"}));
    EXPECT_EQ(tree.usageFailure({"-sM", "create", "mac-device"}),
              (std::pair<std::string, std::string>{"Unknown option '-sM'", "zorv"}));
    // Not after "--", not as another option's value, not a longer token.
    EXPECT_EQ(tree.commandLine.rewrittenArguments({"create", "mac-device", "--", "-sM"}),
              (std::vector<std::string>{"create", "mac-device", "--", "-sM"}));
    EXPECT_EQ(tree.commandLine.rewrittenArguments({"create", "mac-device", "-s", "-sM"}),
              (std::vector<std::string>{"create", "mac-device", "-s", "-sM"}));
    EXPECT_EQ(tree.commandLine.rewrittenArguments({"create", "mac-device", "-sMB", "3"}),
              (std::vector<std::string>{"create", "mac-device", "-sMB", "3"}));
}

TEST(CliCommandLineTest, MacDeviceReadsSizeAndScsiIdSideBySide) {
    ParsedTree tree;
    const auto path = tree.parse({"create", "mac-device", "-sM", "20", "-s", "3", "disk.hda"});
    ASSERT_EQ(path.size(), 3u);
    EXPECT_EQ(path.back(), &tree.root.create.macDevice);
    EXPECT_EQ(tree.root.create.macDevice.createOptions.sizeInMB, 20);
    EXPECT_EQ(tree.root.create.macDevice.scsiID, 3);
    EXPECT_EQ(tree.root.create.macDevice.createOptions.outputFile, "disk.hda");
}

TEST(CliCommandLineTest, LongNamesJoinedValuesAndTheDefaultAllDecode) {
    ParsedTree tree;
    tree.parse({"create", "mac-device", "--size-in-mb=7", "-s5"});
    EXPECT_EQ(tree.root.create.macDevice.createOptions.sizeInMB, 7);
    EXPECT_EQ(tree.root.create.macDevice.scsiID, 5);

    ParsedTree defaults;
    defaults.parse({"create", "mac-device", "--size-in-mb", "7"});
    EXPECT_EQ(defaults.root.create.macDevice.scsiID, 1);
    EXPECT_FALSE(defaults.root.create.macDevice.createOptions.outputFile);
}

TEST(CliCommandLineTest, AnOptionGivenTwiceKeepsItsLastValue) {
    ParsedTree tree;
    tree.parse({"create", "mac-device", "-sM", "5", "-s", "2", "-s", "6", "--size-in-mb", "9"});
    EXPECT_EQ(tree.root.create.macDevice.scsiID, 6);
    EXPECT_EQ(tree.root.create.macDevice.createOptions.sizeInMB, 9);
}

TEST(CliCommandLineTest, TheLastFileHierarchyFlagWins) {
    {
        ParsedTree tree;
        tree.parse({"analyze", "x", "-f", "--disable-file-hierarchy"});
        EXPECT_FALSE(tree.root.analyze.fileHierarchy);
    }
    {
        ParsedTree tree;
        tree.parse({"analyze", "x", "--disable-file-hierarchy", "-f"});
        EXPECT_TRUE(tree.root.analyze.fileHierarchy);
    }
    {
        ParsedTree tree;
        tree.parse({"analyze", "--enable-file-hierarchy", "x", "out.json"});
        EXPECT_TRUE(tree.root.analyze.fileHierarchy);
        EXPECT_EQ(tree.root.analyze.inputFile, "x");
        EXPECT_EQ(tree.root.analyze.outputFile, "out.json");
    }
    {
        ParsedTree tree;
        tree.parse({"analyze", "x"});
        EXPECT_FALSE(tree.root.analyze.fileHierarchy);
        EXPECT_FALSE(tree.root.analyze.outputFile);
    }
}

TEST(CliCommandLineTest, NegativeNumbersAreValuesNotOptions) {
    ParsedTree tree;
    EXPECT_EQ(tree.usageFailure({"create", "empty-image", "-sB", "-5"}).first,
              "The size in bytes (-sB) cannot be negative.");
    EXPECT_EQ(tree.usageFailure({"create", "mac-device", "-sM", "4", "-s", "-1"}).first,
              "A valid SCSI ID is an integer betweem 0 and 7.");
}

TEST(CliCommandLineTest, NamesOfCommandsAfterTheChosenOneAreArguments) {
    ParsedTree tree;
    tree.parse({"analyze", "create"});
    EXPECT_EQ(tree.root.analyze.inputFile, "create");

    ParsedTree convert;
    convert.fake.detected = testing::volumeImage();
    const EmptyInput input;
    convert.parse({"convert", "to-device", input.path, "analyze"});
    EXPECT_EQ(convert.root.convert.toDevice.convertOptions.outputFile, "analyze");

    ParsedTree dashes;
    dashes.parse({"analyze", "--", "-f"});
    EXPECT_EQ(dashes.root.analyze.inputFile, "-f");
    EXPECT_FALSE(dashes.root.analyze.fileHierarchy);
}

TEST(CliCommandLineTest, UsageFailuresAreReportedByTheCommandTheyBelongTo) {
    ParsedTree tree;
    EXPECT_EQ(tree.usageFailure({"frobnicate"}),
              (std::pair<std::string, std::string>{"Unexpected argument 'frobnicate'", "zorv"}));
    EXPECT_EQ(tree.usageFailure({"--frobnicate"}),
              (std::pair<std::string, std::string>{"Unknown option '--frobnicate'", "zorv"}));
    EXPECT_EQ(tree.usageFailure({"create", "-x", "empty-image"}),
              (std::pair<std::string, std::string>{"Unknown option '-x'", "zorv create"}));
    EXPECT_EQ(tree.usageFailure({"analyze"}),
              (std::pair<std::string, std::string>{"Missing expected argument '<input-file>'", "zorv analyze"}));
    EXPECT_EQ(tree.usageFailure({"analyze", "a", "b", "c"}),
              (std::pair<std::string, std::string>{"Unexpected argument 'c'", "zorv analyze"}));
    EXPECT_EQ(tree.usageFailure({"analyze", "a", "--sideways"}),
              (std::pair<std::string, std::string>{"Unknown option '--sideways'", "zorv analyze"}));
    EXPECT_EQ(
        tree.usageFailure({"convert", "to-device", "vol.img"}),
        (std::pair<std::string, std::string>{"Missing expected argument '<output-file>'", "zorv convert to-device"}));
    EXPECT_EQ(
        tree.usageFailure({"convert", "to-volume"}),
        (std::pair<std::string, std::string>{"Missing expected argument '<input-file>'", "zorv convert to-volume"}));
    EXPECT_EQ(tree.usageFailure({"create", "mac-device", "-sM", "twenty"}),
              (std::pair<std::string, std::string>{"The value 'twenty' is invalid for '-sM <size-in-mb>'",
                                                   "zorv create mac-device"}));
    EXPECT_EQ(tree.usageFailure({"create", "empty-image", "-sB", "99999999999999999999"}).first,
              "The value '99999999999999999999' is invalid for '-sB <size-in-bytes>'");
    EXPECT_EQ(tree.usageFailure({"create", "mac-device", "-sM", "5", "-s"}),
              (std::pair<std::string, std::string>{"Missing value for '-s <scsi-id>'", "zorv create mac-device"}));
    EXPECT_EQ(tree.usageFailure({"create", "mac-device", "-sM"}).first, "Missing value for '-sM <size-in-mb>'");
    EXPECT_EQ(tree.usageFailure({"convert", "to-volume", "a", "b", "--partition"}).first,
              "Missing value for '-p <partition>'");
    EXPECT_EQ(tree.usageFailure({"create", "mac-device", "-sM", "5", "-s", "-sM"}).first,
              "The value '-sM' is invalid for '-s <scsi-id>'");
    EXPECT_EQ(tree.usageFailure({"analyze", "x", "--enable-file-hierarchy=yes"}).first,
              "The flag '--enable-file-hierarchy' does not take a value");
    EXPECT_EQ(tree.usageFailure({"analyze", "x", "-sM", "3"}).first, "Unknown option '-sM'");
    // Declared elsewhere: not read as "-s B" by a command that has "-s".
    EXPECT_EQ(tree.usageFailure({"create", "mac-device", "-sM", "5", "-sB", "4"}),
              (std::pair<std::string, std::string>{"Unknown option '-sB'", "zorv create mac-device"}));
    EXPECT_EQ(tree.usageFailure({"create", "mac-device", "-sM", "5", "-sB=4"}).first, "Unknown option '-sB=4'");
    EXPECT_EQ(tree.usageFailure({"create", "mac-device", "-sM", "5", "-sX"}).first,
              "The value 'X' is invalid for '-s <scsi-id>'");
}

TEST(CliCommandLineTest, CommandsAreValidatedRootFirstAndTheFirstFailureWins) {
    FakeLibrary fake;
    // The root's extra argument is found before the subcommand's missing size.
    const auto outcome = runWith(fake, {"stray", "create", "empty-image"});
    EXPECT_EQ(outcome.status, 64);
    EXPECT_TRUE(outcome.err.starts_with("Error: Unexpected argument 'stray'\nUsage: zorv [--version] <subcommand>\n"));
}

TEST(CliCommandLineTest, UsageFailuresPrintTheMessageThenTheUsageOnStandardError) {
    FakeLibrary fake;
    const auto outcome = runWith(fake, {"create", "mac-device", "-s", "8", "-sM", "20"});
    EXPECT_EQ(outcome.status, 64);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err,
              "Error: A valid SCSI ID is an integer betweem 0 and 7.\n"
              "Usage: zorv create mac-device [<output-file>] [--size-in-mb <size-in-mb>] [--scsi-id <scsi-id>]\n"
              "  See 'zorv create mac-device --help' for more information.\n");
    EXPECT_TRUE(fake.createdDevices.empty());
}

TEST(CliCommandLineTest, OtherErrorsPrintTheirDescriptionWithStatusOne) {
    FakeLibrary fake;
    const auto missing = runWith(fake, {"analyze", "/nonexistent/zorv/image.dsk"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "Error: /nonexistent/zorv/image.dsk: No such file or directory\n");

    // An error in a validation step that is not a validation failure: no usage.
    const auto unreadable = runWith(fake, {"convert", "to-device", "/nonexistent/zorv/vol.img", "out.img"});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.err, "Error: /nonexistent/zorv/vol.img: No such file or directory\n");
}

TEST(CliCommandLineTest, TheStandardLibraryReportsDetectionErrors) {
    std::ostringstream out;
    std::ostringstream err;
    const EmptyInput input;
    const int status = runZORV({"analyze", input.path}, out, err);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "Error: nonParseableImage\n");
}

}  // namespace
}  // namespace zorv::cli
