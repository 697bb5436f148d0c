#include <cstdlib>

#include "cli/EndToEnd.hpp"
#include "support/Corpus.hpp"
#include "support/TestCaseNames.hpp"

// The text and JSON reports, with the file hierarchy, of one or two real
// images of each format, kept as files and compared byte for byte in two time
// zones (one of them with daylight-saving time): a change in how the volumes
// are read or the reports written must not change what they say.
// ZORV_UPDATE_GOLDEN_REPORTS=1 writes the files anew from the current build.
namespace zorv::testing {
namespace {

struct GoldenImage {
    const char* corpusPath;  // inside the shared corpus
    const char* name;        // the golden files' stem
};

struct GoldenZone {
    const char* tz;
    const char* name;
};

const GoldenImage goldenImages[] = {
    {"hfs/cp2-simple-gsos.po", "hfs-simple-gsos"},
    {"hfs/hr-importfl-1.2.2.dsk", "hfs-importfl"},
    {"hfsplus/dfvfs-hfsplus.raw", "hfsplus-dfvfs"},
    {"mfs/im-System_1.1.dsk", "mfs-system-1.1"},
    {"prodos/cp2-simple-dir-test.po", "prodos-simple-dir-test"},
    {"dos33/cp2-dos-files.do", "dos33-dos-files"},
    {"2img/cp2-prodos-disk.2mg", "2img-prodos"},
    {"2img/cp2-dos33-disk.2mg", "2img-dos33"},
    {"dc42/dcr-DART_1.5.3.image", "dc42-dart"},
    {"dc42/dcr-GSOS_Disk_2_of_7-SystemDisk.image", "dc42-gsos-prodos"},
    {"apm/cp2-apm-prodos-hfs.iso", "apm-prodos-hfs"},
    {"st/hatari-bootdesk.st", "st-bootdesk"},
    {"msa/derived-hmsa-hatari-bootdesk.msa", "msa-bootdesk"},
    {"adf/testffs.adf", "adf-testffs"},
    {"adf/links.adf", "adf-links"},
    {"rdb/a590_WD93028XA_6parts.hdd.gz", "rdb-a590"},
};

// New York's rules written out, since the zone database may be absent.
const GoldenZone goldenZones[] = {
    {"UTC", "utc"},
    {"EST5EDT,M3.2.0,M11.1.0", "new-york"},
};

class CliGoldenReportsTest : public ZorvEndToEndTest,
                             public ::testing::WithParamInterface<std::tuple<GoldenImage, GoldenZone>> {
protected:
    // Compares `actual` with the golden file, or writes it when asked to.
    void expectGolden(const std::string& fileName, const std::string& actual) const {
        const std::string golden = std::string(ZORV_GOLDEN_REPORTS_DIR) + "/" + fileName;
        if (std::getenv("ZORV_UPDATE_GOLDEN_REPORTS") != nullptr) return writeFile(golden, actual);
        ASSERT_TRUE(std::filesystem::is_regular_file(golden)) << golden;
        EXPECT_EQ(readText(golden), actual) << fileName;
    }
};

TEST_P(CliGoldenReportsTest, ReportsAreUnchanged) {
    const auto& [image, zone] = GetParam();
    const auto bytes = corpusImage(image.corpusPath);
    if (!bytes) GTEST_SKIP() << "corpus image " << image.corpusPath << " is absent (or cannot be unpacked)";
    writeFile("input.img", bytes->view());
    const std::string input = path("input.img");
    const ScopedTimeZone timeZone(zone.tz);
    const std::string stem = std::string(image.name) + "." + zone.name;

    const ZorvRun text = zorv({"analyze", "-f", input});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    expectGolden(stem + ".txt", text.out);

    const ZorvRun json = zorv({"analyze", "-f", input, "report.json"});
    ASSERT_EQ(json.exitStatus, 0) << json.err;
    expectGolden(stem + ".json", readText("report.json"));
}

INSTANTIATE_TEST_SUITE_P(Corpus, CliGoldenReportsTest,
                         ::testing::Combine(::testing::ValuesIn(goldenImages), ::testing::ValuesIn(goldenZones)),
                         namedBy([](const std::tuple<GoldenImage, GoldenZone>& param) {
                             return std::string(std::get<0>(param).name) + " " + std::get<1>(param).name;
                         }));

}  // namespace
}  // namespace zorv::testing
