// The Amiga hard disk of the corpus (an A590 drive with six partitions)
// through the built binary: the text report against ADFlib's listing, and
// to-volume's refusal (its JSON report is among the golden reports). Skips
// when the image is absent.

#include <string>
#include <vector>

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

// Each partition: its volume's name as type label, its drive name, and the
// first block and length that ADFlib's adfinfo lists.
const std::string partitionLines =
    "Partitions:\n"
    "1:\tVolOFS (OFS), Start: 108, Length: 6156\n"
    "2:\tVolOFSIntl (OFS INTL), Start: 6264, Length: 6156\n"
    "3:\tVolOFSDirCache (OFS DirCache), Start: 12420, Length: 6156\n"
    "4:\tVolFFS (FFS), Start: 18576, Length: 6156\n"
    "5:\tVolFFSIntl (FFS INTL), Start: 24732, Length: 6156\n"
    "6:\tVolFFSDirCache (FFS DirCache), Start: 30888, Length: 11340\n";

TEST_F(CliAmigaHardDiskTest, TheTextReportListsThePartitionsAndTheDrivesGeometry) {
    const auto run = zorv({"analyze", "a590.hdd"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "Amiga Hard Disk (Amiga)\n"
              "Block size: 512\n"
              "Size in blocks: 42228 (21620736 bytes)\n" +
                  partitionLines + "Geometry: 782 tracks, 2 sides, 27 sectors\n");

    // With the files: each volume after its partition, the files in the
    // root entry (the volumes were never made bootable).
    const auto full = zorv({"analyze", "-f", "a590.hdd"});
    EXPECT_EQ(full.exitStatus, 0);
    for (const std::string name :
         {"VolOFS", "VolOFSIntl", "VolOFSDirCache", "VolFFS", "VolFFSIntl", "VolFFSDirCache"}) {
        EXPECT_NE(full.out.find("File Hierarchy of volume \"" + name + "\":\n[]\n|_[Trashcan]\n|_Trashcan.info\n"),
                  std::string::npos)
            << name;
    }
    EXPECT_EQ(full.out.find("WD93028XA"), std::string::npos) << "the drive's name is not reported";
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
