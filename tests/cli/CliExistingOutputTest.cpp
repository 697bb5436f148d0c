#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/EndToEnd.hpp"
#include "support/HfsTool.hpp"
#include "support/RunCommand.hpp"
#include "support/TestCaseNames.hpp"

// An output file that already exists, replaced by `zorv convert to-device` as
// an ordinary user and as root: refused where the user may not write it, as
// cp refuses it, and otherwise left with its permissions, and its owner and
// group where the process may keep them.
namespace zorv::testing {
namespace {

constexpr uid_t nobody = 65534;
constexpr gid_t nogroup = 65534;

struct ExistingOutputCase {
    const char* name;
    mode_t mode;  // of the existing output
    uid_t owner;
    gid_t group;
    bool asNobody;  // run as the user nobody, not as root
    bool replaced;
    // Of the output afterwards.
    uid_t expectedOwner;
    gid_t expectedGroup;
};

void PrintTo(const ExistingOutputCase& outputCase, std::ostream* out) { *out << outputCase.name; }

const ExistingOutputCase existingOutputCases[] = {
    {"ReadOnlyToItsOwner", 0444, nobody, nogroup, true, false, nobody, nogroup},
    {"PrivateToItsOwner", 0600, nobody, nogroup, true, true, nobody, nogroup},
    // Another user's file the group may write: the replacement is the
    // user's own, in the same group.
    {"WritableByItsGroup", 0664, 0, nogroup, true, true, nobody, nogroup},
    {"ReadOnlyReplacedByRoot", 0444, nobody, nogroup, false, true, nobody, nogroup},
    {"AnotherUsersPrivateFileReplacedByRoot", 0600, nobody, 0, false, true, nobody, 0},
};

class CliExistingOutputTest : public ZorvEndToEndTest, public ::testing::WithParamInterface<ExistingOutputCase> {};

TEST_P(CliExistingOutputTest, IsRefusedWhereItMayNotBeWrittenAndKeepsItsModeAndOwner) {
    const ExistingOutputCase& outputCase = GetParam();
    if (::geteuid() != 0) GTEST_SKIP() << "only root may run zorv as another user and give files away";
    if (!isCommandAvailable("setpriv")) GTEST_SKIP() << "setpriv (util-linux) is not installed";
    if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    // The user nobody makes its temporary file in the folder.
    std::filesystem::permissions(folder.path(), std::filesystem::perms::all);
    HfsTool tool;
    tool.formatNewImage(path("volume.img"), "Volume", 800 * 1024);
    tool.unmount();
    const std::string output = path("mydisk.hda");
    writeFile("mydisk.hda", std::string("the user's device"));
    ASSERT_EQ(::chown(output.c_str(), outputCase.owner, outputCase.group), 0);
    ASSERT_EQ(::chmod(output.c_str(), outputCase.mode), 0);

    const auto asUser = [&](std::vector<std::string> command) {
        if (outputCase.asNobody) {
            command.insert(command.begin(), {"setpriv", "--reuid=" + std::to_string(nobody),
                                             "--regid=" + std::to_string(nogroup), "--clear-groups"});
        }
        return runCommand(command);
    };
    if (asUser({ZORV_BINARY, "--version"}).exitStatus != 0) GTEST_SKIP() << "nobody may not run " << ZORV_BINARY;
    const CommandResult result = asUser({ZORV_BINARY, "convert", "to-device", path("volume.img"), output});

    struct stat info {};
    ASSERT_EQ(::stat(output.c_str(), &info), 0);
    if (outputCase.replaced) {
        EXPECT_EQ(result.exitStatus, 0) << result.output;
        EXPECT_GT(info.st_size, 800 * 1024) << "the device holding the volume";
    } else {
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_TRUE(result.output.ends_with("Error: " + output + ": Permission denied\n")) << result.output;
        EXPECT_TRUE(readText("mydisk.hda") == "the user's device") << "the existing output is kept";
    }
    EXPECT_EQ(info.st_mode & 07777, outputCase.mode);
    EXPECT_EQ(info.st_uid, outputCase.expectedOwner);
    EXPECT_EQ(info.st_gid, outputCase.expectedGroup);
    EXPECT_EQ(listing(), (std::vector<std::string>{"mydisk.hda", "volume.img"})) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(Outputs, CliExistingOutputTest, ::testing::ValuesIn(existingOutputCases),
                         testing::namedBy(&ExistingOutputCase::name));

}  // namespace
}  // namespace zorv::testing
