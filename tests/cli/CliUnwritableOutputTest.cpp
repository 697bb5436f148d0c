#include "cli/EndToEnd.hpp"
#include "cli/PremadeServerFolder.hpp"
#include "support/HfsTool.hpp"
#include "support/TestCaseNames.hpp"

// Standard output that cannot be written, as on a full disk: /dev/full takes
// no byte. Every command that prints fails with the system's error, told
// once, and writes no file.
namespace zorv::testing {
namespace {

struct UnwritableOutputCase {
    const char* name;
    std::vector<std::string> arguments;  // in a folder holding the HFS volume "volume.img"
    int exitStatus;
    std::string errorStart;  // standard error starts with it, the only "Error" there
};

void PrintTo(const UnwritableOutputCase& outputCase, std::ostream* out) { *out << outputCase.name; }

const std::string noSpace = "Error: No space left on device\n";

class CliUnwritableOutputTest : public ZorvEndToEndTest, public ::testing::WithParamInterface<UnwritableOutputCase> {
protected:
    PremadeServerFolder server;
    ScopedEnvironmentVariable premadeServer{"ZORV_PREMADE_SERVER", server.fileBaseURL()};
};

TEST_P(CliUnwritableOutputTest, FailsWithTheSystemsError) {
    if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    {
        HfsTool hfs;
        hfs.formatNewImage(path("volume.img"), "Unprinted", 800 * 1024);
        hfs.makeFolder(":Letters");
        hfs.unmount();
    }
    server.writeManifest(manifestDocument({{"System 7.5.3", "sys753", "en", "68k", "A system", "Macintosh II", {}}}));
    const auto& [name, arguments, exitStatus, errorStart] = GetParam();

    const ZorvRun run = runZorvBinary(arguments, folder.path(), "/dev/full");
    EXPECT_EQ(run.exitStatus, exitStatus);
    EXPECT_TRUE(run.err.starts_with(errorStart)) << run.err;
    EXPECT_EQ(run.err.find("Error", 1), std::string::npos) << run.err;
    EXPECT_EQ(listing(), std::vector<std::string>{"volume.img"});
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliUnwritableOutputTest,
    ::testing::Values(
        UnwritableOutputCase{"TextReport", {"analyze", "volume.img"}, 1, noSpace},
        UnwritableOutputCase{"FileHierarchy", {"analyze", "-f", "volume.img"}, 1, noSpace},
        UnwritableOutputCase{"PremadeListing", {"create", "mac-device-partitioned", "--list-premade"}, 1, noSpace},
        UnwritableOutputCase{"DetailedPremadeListing",
                             {"create", "mac-device-partitioned", "--list-premade-detailed"},
                             1,
                             noSpace},
        UnwritableOutputCase{"ImageTypeLineBeforeTheOutput", {"convert", "to-device", "volume.img", "out.hda"}, 1,
                             noSpace},
        UnwritableOutputCase{"Help", {"analyze", "--help"}, 1, noSpace},
        UnwritableOutputCase{"GroupHelp", {"convert"}, 1, noSpace},
        UnwritableOutputCase{"Version", {"-v"}, 1, noSpace},
        // A command that fails for its own reason says that reason alone.
        UnwritableOutputCase{"RefusedAfterItsImageTypeLine",
                             {"convert", "to-volume", "volume.img", "out.img"},
                             64,
                             "Error: Non convertible image type.\nUsage: "},
        UnwritableOutputCase{"MissingInput", {"analyze", "missing.img"}, 1,
                             "Error: missing.img: No such file or directory\n"},
        // The JSON report goes through the file writer, as before.
        UnwritableOutputCase{"JSONReportToAFullDevice", {"analyze", "volume.img", "/dev/full"}, 1,
                             "Error: /dev/full: No space left on device\n"}),
    testing::namedBy(&UnwritableOutputCase::name));

}  // namespace
}  // namespace zorv::testing
