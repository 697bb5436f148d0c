#include "cli/EndToEnd.hpp"

#include "support/Corpus.hpp"
#include "support/SyntheticHfsVolume.hpp"

// `zorv analyze` as a user runs it: the reports it prints and writes, its
// help, its errors and the files it leaves.
namespace zorv::testing {
namespace {

// An HFS volume "Analyzed" of 24 blocks with two folders and two files, its
// dates fixed: created 0xA0000000 seconds after 1904 (22 January 1989,
// 22:02:40 in UTC).
Bytes sampleVolume() {
    SyntheticHfsVolume volume;
    volume.volumeName = "Analyzed";
    SyntheticHfsVolume::Folder documents;
    documents.name = "Documents";
    documents.folderID = 16;
    volume.folders.push_back(documents);
    SyntheticHfsVolume::Folder letters;
    letters.parentID = 16;
    letters.name = "Letters";
    letters.folderID = 17;
    volume.folders.push_back(letters);
    SyntheticHfsVolume::File readMe;
    readMe.name = "Read Me";
    readMe.fileID = 18;
    readMe.dataFork = Bytes(1000, 'r');
    volume.files.push_back(readMe);
    SyntheticHfsVolume::File letter;
    letter.parentID = 17;
    letter.name = "To Mum";
    letter.fileID = 19;
    letter.dataFork = Bytes(50, 'm');
    letter.resourceFork = Bytes(300, 0);
    volume.files.push_back(letter);
    return volume.build();
}

const std::string shortReport =
    "HFS (Macintosh)\n"
    "Block size: 512\n"
    "Size in blocks: 24 (12288 bytes)\n"
    "Volume: \"Analyzed\", 4096 bytes free out of 9216\n"
    "Creation date: 01/22/89, 22:02\n"
    "Last modified: 01/22/89, 22:02\n";

const std::string fullReport = shortReport +
                               "File Hierarchy of volume \"Analyzed\":\n"
                               "[Documents]\n"
                               "|_[Letters]\n"
                               "|__To Mum\n"
                               "Read Me\n";

const std::string jsonVolumeStart =
    "{\n"
    "  \"computerClass\": \"Macintosh\",\n"
    "  \"imageType\": \"HFS\",\n"
    "  \"blockSize\": 512,\n"
    "  \"sizeInBlocks\": 24,\n"
    "  \"volume\": {\n"
    "    \"name\": \"Analyzed\",\n"
    "    \"bootable\": false,\n"
    "    \"totalCapacityInBytes\": 9216,\n"
    "    \"freeCapacityInBytes\": 4096,\n"
    "    \"creationDate\": \"1989-01-22T22:02:40Z\",\n"
    "    \"modificationDate\": \"1989-01-22T22:02:45Z\"";

// No line feed after the closing brace.
const std::string jsonReport = jsonVolumeStart + "\n  }\n}";

std::string jsonItem(const std::string& name, int64_t size, const std::string& modified, bool isFolder,
                     int level, bool last = false) {
    std::string item = "      {\n"
                       "        \"name\": \"" + name + "\",\n"
                       "        \"sizeInBytes\": " + std::to_string(size) + ",\n"
                       "        \"creationDate\": \"1989-01-22T22:02:40Z\",\n"
                       "        \"modificationDate\": \"" + modified + "\",\n"
                       "        \"isFolder\": " + (isFolder ? "true" : "false") + ",\n";
    if (!isFolder) item += "        \"type\": \"TEXT\",\n        \"creator\": \"ttxt\",\n";
    item += "        \"isInvisible\": false,\n"
            "        \"fileExtension\": \"" + std::string(isFolder ? "" : ".txt") + "\",\n"
            "        \"level\": " + std::to_string(level) + "\n"
            "      }" + (last ? "\n" : ",\n");
    return item;
}

const std::string fullJsonReport = jsonVolumeStart + ",\n    \"fileHierarchy\": [\n" +
                                   jsonItem("Documents", 0, "1989-01-22T22:02:41Z", true, 0) +
                                   jsonItem("Letters", 0, "1989-01-22T22:02:41Z", true, 1) +
                                   jsonItem("To Mum", 350, "1989-01-22T22:02:42Z", false, 2) +
                                   jsonItem("Read Me", 1000, "1989-01-22T22:02:42Z", false, 0, true) +
                                   "    ]\n  }\n}";

class CliAnalyzeEndToEndTest : public ZorvEndToEndTest {
protected:
    void SetUp() override { writeFile("volume.img", sampleVolume()); }
};

const std::string analyzeUsage = "zorv analyze <input-file> [<output-file>] "
                                 "[--enable-file-hierarchy|--disable-file-hierarchy]";

TEST_F(CliAnalyzeEndToEndTest, Help) {
    const auto run = zorv({"analyze", "--help"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "OVERVIEW: Analyze your disk image and report on its contents.\n"
              "\n"
              "USAGE: " + analyzeUsage + "\n"
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
    EXPECT_EQ(zorv({"analyze", "-h"}).out, run.out);
}

TEST_F(CliAnalyzeEndToEndTest, PrintsTheTextReport) {
    const auto run = zorv({"analyze", "volume.img"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, shortReport);
    const auto full = zorv({"analyze", "-f", "volume.img"});
    EXPECT_EQ(full.exitStatus, 0);
    EXPECT_EQ(full.out, fullReport);
    EXPECT_EQ(listing(), std::vector<std::string>{"volume.img"});
}

// The last of the flag's forms wins.
TEST_F(CliAnalyzeEndToEndTest, TheLastFormOfTheFlagWins) {
    EXPECT_EQ(zorv({"analyze", "volume.img", "--enable-file-hierarchy"}).out, fullReport);
    EXPECT_EQ(zorv({"analyze", "-f", "--disable-file-hierarchy", "volume.img"}).out, shortReport);
    EXPECT_EQ(zorv({"analyze", "--disable-file-hierarchy", "-f", "volume.img"}).out, fullReport);
    EXPECT_EQ(zorv({"analyze", "--disable-file-hierarchy", "volume.img"}).out, shortReport);
}

// HFS keeps local times: the text report shows them as stored, the JSON
// report in UTC from the time zone in force.
TEST_F(CliAnalyzeEndToEndTest, TheTimeZoneShiftsTheJSONDates) {
    const ScopedTimeZone newYork("America/New_York");
    EXPECT_EQ(zorv({"analyze", "volume.img"}).out, shortReport);
    EXPECT_EQ(zorv({"analyze", "volume.img", "report.json"}).exitStatus, 0);
    EXPECT_NE(readText("report.json").find("\"creationDate\": \"1989-01-23T03:02:40Z\""), std::string::npos)
        << readText("report.json");
}

TEST_F(CliAnalyzeEndToEndTest, WritesTheJSONReportAndPrintsNothing) {
    const auto run = zorv({"analyze", "volume.img", "report.json"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readText("report.json"), jsonReport);

    // Again over a longer file: replaced by a new file once the report is
    // whole, not overwritten in place (a second name of the old file keeps
    // its bytes).
    writeFile("report.json", std::string(10000, 'x'));
    std::filesystem::create_hard_link(path("report.json"), path("earlier.json"));
    EXPECT_EQ(zorv({"analyze", "volume.img", "report.json"}).exitStatus, 0);
    EXPECT_EQ(readText("report.json"), jsonReport);
    EXPECT_EQ(readText("earlier.json"), std::string(10000, 'x'));
    std::filesystem::remove(path("earlier.json"));

    // The name as typed, without an extension added.
    EXPECT_EQ(zorv({"analyze", "-f", "volume.img", "full report"}).exitStatus, 0);
    EXPECT_EQ(readText("full report"), fullJsonReport);
    EXPECT_EQ(listing(), (std::vector<std::string>{"full report", "report.json", "volume.img"}));
}

// The report never replaces the image it describes, whatever name leads to it.
TEST_F(CliAnalyzeEndToEndTest, AnOutputFileThatIsTheInputIsRefused) {
    const Bytes image = readFile("volume.img");
    std::filesystem::create_symlink("volume.img", path("link.img"));
    std::filesystem::create_hard_link(path("volume.img"), path("hard.img"));
    for (const std::string& output :
         std::vector<std::string>{"volume.img", "./volume.img", path("volume.img"), "link.img", "hard.img"}) {
        const auto run = zorv({"analyze", "volume.img", output});
        EXPECT_EQ(run.exitStatus, 64) << output;
        EXPECT_EQ(run.out, "") << output;
        EXPECT_EQ(run.err, "Error: The output file is the input file: the report would replace the disk image.\n" +
                               usageLines(analyzeUsage, "zorv analyze"))
            << output;
        EXPECT_EQ(readFile("volume.img"), image) << output;
    }
    const auto throughLink = zorv({"analyze", "link.img", "volume.img"});
    EXPECT_EQ(throughLink.exitStatus, 64);
    EXPECT_EQ(readFile("volume.img"), image);
    EXPECT_EQ(listing(), (std::vector<std::string>{"hard.img", "link.img", "volume.img"}));

    // A device that is not the image still takes the report.
    const auto printed = zorv({"analyze", "volume.img", "/dev/stdout"});
    EXPECT_EQ(printed.exitStatus, 0) << printed.err;
    EXPECT_EQ(printed.out, jsonReport);
}

TEST_F(CliAnalyzeEndToEndTest, AnEmptyVolumeIsSaidToBeEmptyAndNoFileIsWritten) {
    writeFile("zeros.img", Bytes(1024, 0));
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"analyze", "zeros.img"}, {"analyze", "-f", "zeros.img", "report.json"}}) {
        const auto run = zorv(arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.out, "This is a completely empty volume, full of zeroes.\n");
        EXPECT_EQ(run.err, "");
    }
    EXPECT_EQ(listing(), (std::vector<std::string>{"volume.img", "zeros.img"}));
}

TEST_F(CliAnalyzeEndToEndTest, ImagesNoFormatTakesEndWithTheParsersError) {
    writeFile("short.img", Bytes(1023, 0));
    writeFile("noise.img", Bytes(4096, 0x5A));
    const std::vector<std::pair<std::string, std::string>> cases{
        {"short.img", "Error: nonParseableImage\n"},
        {"noise.img", "Error: unknownVolumeType\n"},
    };
    for (const auto& [name, error] : cases) {
        const auto run = zorv({"analyze", name, "report.json"});
        EXPECT_EQ(run.exitStatus, 1) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_EQ(run.err, error) << name;
    }
    const auto missing = zorv({"analyze"});
    EXPECT_EQ(missing.exitStatus, 64);
    EXPECT_EQ(missing.err, "Error: Missing expected argument '<input-file>'\n" + usageLines(analyzeUsage, "zorv analyze"));
    const auto extra = zorv({"analyze", "volume.img", "report.json", "third"});
    EXPECT_EQ(extra.exitStatus, 64);
    EXPECT_EQ(extra.err, "Error: Unexpected argument 'third'\n" + usageLines(analyzeUsage, "zorv analyze"));
    EXPECT_EQ(listing(), (std::vector<std::string>{"noise.img", "short.img", "volume.img"}));
}

// A DOS 3.3 disk: its name, capacities, geometry and flat file list, in
// both reports.
TEST_F(CliAnalyzeEndToEndTest, ADOS33DiskOfTheCorpus) {
    const auto disk = corpusFile("dos33/cp2-simple-sparse.do");
    if (!disk) GTEST_SKIP() << "the corpus (../shared/corpus) is absent";
    const auto run = zorv({"analyze", "-f", disk->string()});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "DOS 3.3 (Apple II)\n"
              "Block size: 512\n"
              "Size in blocks: 280 (143360 bytes)\n"
              "Volume: \"Volume 254\" (bootable), 83712 bytes free out of 143360\n"
              "Geometry: 35 tracks, 1 side, 16 sectors\n"
              "File Hierarchy of volume \"Volume 254\":\n"
              "HELLO\nBAS BIG\nBAS OVERSIZED\nBAS SMALL\nMK-SPARSE-TEXT\nSPARSE-TEXT\nMK-BIG BIN\nBIG BIN\n"
              "OVERSIZED BIN\nSMALL BIN\nMK-TXT\nTXT SMALL\nTXT BIG\nTXT NOTRIM\nCASE TEST\ncase test\n");

    EXPECT_EQ(zorv({"analyze", "-f", disk->string(), "dos.json"}).exitStatus, 0);
    const std::string json = readText("dos.json");
    EXPECT_EQ(json.substr(0, json.find("\n      {")),
              "{\n"
              "  \"computerClass\": \"Apple II\",\n"
              "  \"imageType\": \"DOS 3.3\",\n"
              "  \"blockSize\": 512,\n"
              "  \"sizeInBlocks\": 280,\n"
              "  \"volume\": {\n"
              "    \"name\": \"Volume 254\",\n"
              "    \"bootable\": true,\n"
              "    \"totalCapacityInBytes\": 143360,\n"
              "    \"freeCapacityInBytes\": 83712,\n"
              "    \"fileHierarchy\": [");
    EXPECT_NE(json.find("        \"name\": \"BAS BIG\",\n"
                        "        \"sizeInBytes\": 6144,\n"
                        "        \"isFolder\": false,\n"),
              std::string::npos);
    EXPECT_TRUE(json.ends_with("  \"geometry\": {\n"
                               "    \"tracks\": 35,\n"
                               "    \"sides\": 1,\n"
                               "    \"sectors\": 16\n"
                               "  }\n"
                               "}"));
}

// A real volume of the corpus, with every item of its hierarchy, whose
// names and sizes hfsutils lists in the corpus's oracle.
TEST_F(CliAnalyzeEndToEndTest, ARealVolumeOfTheCorpus) {
    const auto volume = corpusFile("hfs/cp2-simple-gsos.po");
    if (!volume) GTEST_SKIP() << "the corpus (../shared/corpus) is absent";
    const auto run = zorv({"analyze", "-f", volume->string()});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "HFS (Macintosh)\n"
              "Block size: 512\n"
              "Size in blocks: 1600 (819200 bytes)\n"
              "Volume: \"HFS - GS/OS\", 481280 bytes free out of 816128\n"
              "Creation date: 08/10/22, 08:34\n"
              "Last modified: 08/10/22, 14:21\n"
              "File Hierarchy of volume \"HFS - GS/OS\":\n"
              "[Empty Folder]\n"
              "Finder.Data\n"
              "HardPressed.FXT\n"
              "[SIZES]\n"
              "|_L0\n"
              "|_L1\n"
              "|_L131072\n"
              "|_L131073\n"
              "|_L2\n"
              "|_L511\n"
              "|_L512\n"
              "|_L513\n"
              "|_L8192\n"
              "[Sub-Folder]\n"
              "|_Finder.Data\n"
              "|_HardPressed.CDV\n");
}

}  // namespace
}  // namespace zorv::testing
