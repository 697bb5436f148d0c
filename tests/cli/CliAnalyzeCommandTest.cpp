#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/FakeLibrary.hpp"
#include "cli/ZORV.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv::cli {
namespace {

using testing::FakeLibrary;
using testing::fileContents;
using testing::Outcome;
using testing::runWith;
using testing::TemporaryDirectory;

class CliAnalyzeCommandTest : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(input) << std::string(2048, 'z'); }
    TemporaryDirectory folder;
    std::string input = folder.file("disk.img");
    FakeLibrary fake;
};

TEST_F(CliAnalyzeCommandTest, PrintsTheTextReport) {
    fake.analysis.report = "Format: HFS";
    const auto outcome = runWith(fake, {"analyze", input});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "Format: HFS\n");
    ASSERT_EQ(fake.analysisCalls.size(), 1u);
    EXPECT_EQ(fake.analysisCalls[0].path, input);
    EXPECT_EQ(fake.analysisCalls[0].byteCount, 2048u);
    EXPECT_FALSE(fake.analysisCalls[0].verbose);
    EXPECT_EQ(fake.analysisCalls[0].form, ReportForm::text);
}

TEST_F(CliAnalyzeCommandTest, TheFlagAsksForTheFileHierarchy) {
    EXPECT_EQ(runWith(fake, {"analyze", "-f", input}).status, 0);
    EXPECT_EQ(runWith(fake, {"analyze", input, "-f", "--disable-file-hierarchy"}).status, 0);
    EXPECT_EQ(runWith(fake, {"analyze", input, "--disable-file-hierarchy", "-f"}).status, 0);
    ASSERT_EQ(fake.analysisCalls.size(), 3u);
    EXPECT_TRUE(fake.analysisCalls[0].verbose);
    EXPECT_FALSE(fake.analysisCalls[1].verbose);
    EXPECT_TRUE(fake.analysisCalls[2].verbose);
}

TEST_F(CliAnalyzeCommandTest, WritesTheJsonReportAndPrintsNothing) {
    const std::string output = folder.file("report");
    { std::ofstream(output) << std::string(10000, 'o'); }
    fake.analysis.report = "{\n  \"format\" : \"HFS\"\n}";
    const auto outcome = runWith(fake, {"analyze", input, output});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(fake.analysisCalls[0].form, ReportForm::json);
    // Replaced, under the name exactly as typed.
    EXPECT_EQ(fileContents(output), fake.analysis.report);
    EXPECT_FALSE(std::filesystem::exists(output + ".json"));
}

TEST_F(CliAnalyzeCommandTest, AnEmptyVolumePrintsItsDescriptionAndWritesNothing) {
    fake.analysis.emptyVolumeDescription = "This is a completely empty volume, full of zeroes.";
    const auto printed = runWith(fake, {"analyze", input});
    EXPECT_EQ(printed.out, "This is a completely empty volume, full of zeroes.\n");
    const std::string output = folder.file("report.json");
    const auto named = runWith(fake, {"analyze", input, output});
    EXPECT_EQ(named.status, 0);
    EXPECT_EQ(named.out, "This is a completely empty volume, full of zeroes.\n");
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(CliAnalyzeCommandTest, AReportFileThatCannotBeWrittenIsAnError) {
    fake.analysis.report = "{}";
    const auto outcome = runWith(fake, {"analyze", input, folder.path().string()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Error: " + folder.path().string() + ": Is a directory\n");
}

TEST_F(CliAnalyzeCommandTest, AnUnreadableInputIsAnError) {
    const auto outcome = runWith(fake, {"analyze", folder.file("missing.img")});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Error: " + folder.file("missing.img") + ": No such file or directory\n");
    EXPECT_TRUE(fake.analysisCalls.empty());
}

}  // namespace
}  // namespace zorv::cli
