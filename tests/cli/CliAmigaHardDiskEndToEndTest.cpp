// The Amiga hard disk of the corpus (an A590 drive with six partitions)
// through the built binary: what both reports leave out and show with -f
// (their whole text is kept in tests/data/golden-reports), and the refusal of
// `convert to-volume`. Skips when the image is absent.

#include <string>

#include "cli/EndToEnd.hpp"
#include "support/Corpus.hpp"

namespace zorv::testing {
namespace {

class CliAmigaHardDiskTest : public ZorvEndToEndTest {
protected:
    void SetUp() override {
        const auto image = corpusImage("rdb/a590_WD93028XA_6parts.hdd.gz");
        if (!image) GTEST_SKIP() << "rdb/a590_WD93028XA_6parts.hdd.gz is not in the corpus (or gzip is missing)";
        writeFile("a590.hdd", *image);
    }
};

TEST_F(CliAmigaHardDiskTest, ReportsShowEachVolumesFilesButNotTheDriveNameOrFileSystem) {
    const auto text = zorv({"analyze", "-f", "a590.hdd"});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    ASSERT_EQ(zorv({"analyze", "-f", "a590.hdd", "report.json"}).exitStatus, 0);
    const std::string json = readText("report.json");
    for (const std::string name :
         {"VolOFS", "VolOFSIntl", "VolOFSDirCache", "VolFFS", "VolFFSIntl", "VolFFSDirCache"}) {
        // The files in the root entry: the volumes were never made bootable.
        EXPECT_NE(text.out.find("File Hierarchy of volume \"" + name + "\":\n[]\n|_[Trashcan]\n|_Trashcan.info\n"),
                  std::string::npos)
            << name;
    }
    for (const std::string& report : {text.out, json}) {
        EXPECT_EQ(report.find("WD93028XA"), std::string::npos) << "the drive's name is not reported";
        EXPECT_EQ(report.find("Hardfile"), std::string::npos) << "the volumes' format is not reported";
        EXPECT_NE(report.find("Trashcan.info"), std::string::npos);
    }
}

TEST_F(CliAmigaHardDiskTest, ToVolumeNamesTheImageTypeAndRefusesIt) {
    const auto run = zorv({"convert", "to-volume", "a590.hdd", "volume.adf", "-p", "1"});
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.out, "Image type: Amiga Hard Disk (Amiga)\n");
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "Error: Non convertible image type.");
    EXPECT_EQ(listing(), std::vector<std::string>{"a590.hdd"});
}

}  // namespace
}  // namespace zorv::testing
