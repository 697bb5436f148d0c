// Detection and reports on the real images of ../shared/corpus: each image of
// a format built so far is detected as that format with its wrapper, volume
// name and size, and its verbose hierarchy holds what the hfsutils and mdir listings
// in oracles/ and MANIFEST.md record; every other file is refused or
// detected without a crash.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/parser/AnalysisJSONEncoder.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/HlsListing.hpp"
#include "support/MtoolsFloppy.hpp"
#include "support/RunCommand.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::corpusFile;

std::string readText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string fromMacRoman(const std::string& raw) {
    return decodeText(ByteView(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()), TextEncoding::macOSRoman)
        .value_or(raw);
}

ImageParser parse(const std::filesystem::path& path) {
    return ImageParser(fs::readWholeFile(path.string()), URL::fileURLWithPath(path.string()));
}

// --- What each image is ---

struct CorpusCase {
    const char* file;
    ImageFormat format;
    const char* wrapper;  // empty: none
    const char* volumeName;
    int64_t sizeInBytes;
};

class CorpusVolumes : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(CorpusVolumes, DetectedWithWrapperNameAndSize) {
    const CorpusCase& c = GetParam();
    const auto path = corpusFile(c.file);
    if (!path) GTEST_SKIP() << c.file << " is not in the corpus";
    const ImageParser parser = parse(*path);
    EXPECT_EQ(parser.imageFormat(), c.format);
    EXPECT_EQ(parser.imageSizeInBytes(), c.sizeInBytes);
    ASSERT_NE(parser.volume(), nullptr);
    EXPECT_EQ(parser.volume()->volumeName(), c.volumeName);

    const CodableResult result = parser.codableResult(false);
    EXPECT_EQ(result.wrapper.value_or(""), c.wrapper);
    EXPECT_EQ(result.imageType, rawValue(c.format));
    EXPECT_EQ(result.sizeInBlocks, c.sizeInBytes / 512);
    ASSERT_TRUE(result.volume.has_value());
    EXPECT_EQ(result.volume->name, c.volumeName);
    EXPECT_FALSE(result.partitions.has_value());

    const std::string text = parser.textualDescription(false);
    EXPECT_EQ(text.substr(0, text.find('\n')),
              std::string(rawValue(c.format)) + " (" + std::string(computerClass(c.format)) + ")");
    EXPECT_NE(text.find("Volume: \"" + std::string(c.volumeName) + "\""), std::string::npos);
    EXPECT_EQ(text.find(" wrapper\n") != std::string::npos, *c.wrapper != '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusVolumes,
    ::testing::Values(
        CorpusCase{"hfs/cp2-simple-gsos.po", ImageFormat::hfs, "", "HFS - GS/OS", 819200},
        CorpusCase{"hfs/cp2-simple-linux.po", ImageFormat::hfs, "", "New Disk", 819200},
        CorpusCase{"hfs/cp2-blank-800k.po", ImageFormat::hfs, "", "New Disk", 819200},
        CorpusCase{"hfs/fc-hello-world-untitled-volume.img", ImageFormat::hfs, "", "Untitled", 1474560},
        CorpusCase{"hfs/im-System_3.3.dsk", ImageFormat::hfs, "", "System Tools", 819200},
        CorpusCase{"hfs/im-System_6.0.8_System_Startup.img", ImageFormat::hfs, "", "System Startup", 1474560},
        CorpusCase{"hfs/hr-importfl-1.2.2.dsk", ImageFormat::hfs, "", "ImportFl", 819200},
        CorpusCase{"hfs/hr-ResEdit_2.1.3.img", ImageFormat::hfs, "", "ResEdit 2.1.3", 809472},
        CorpusCase{"hfs/mr-hfs400K.dsk", ImageFormat::hfs, "", "Untitled", 409600},
        // Disk Copy 4.2 around MFS: MFS volumes keep no wrapper.
        CorpusCase{"mfs/cp2-Workstation_Installer.IMG", ImageFormat::mfs, "", "Workstation Installer", 409600},
        CorpusCase{"mfs/im-System_1.0_Original.dsk", ImageFormat::mfs, "", "System Disk", 409600},
        CorpusCase{"mfs/im-System_1.1.dsk", ImageFormat::mfs, "", "System Disk", 409600},
        CorpusCase{"mfs/mr-mfs1440K.dsk", ImageFormat::mfs, "", "Untitled", 1474560},
        CorpusCase{"dc42/cp2-Installer_Disk_1.image", ImageFormat::hfs, "Disk Copy", "Installer Disk 1", 819200},
        CorpusCase{"dc42/im-MacOS_8.1_Disk_Tools_68K_FD.dsk", ImageFormat::hfs, "Disk Copy", "Disk Tools 1", 1474560},
        CorpusCase{"dc42/dcr-DART_1.5.3.image", ImageFormat::hfs, "Disk Copy", "DART\u2122 1.5.3", 819200},
        CorpusCase{"dc42/dcr-GSOS_Disk_2_of_7-SystemDisk.image", ImageFormat::prodos, "Disk Copy", "SYSTEM.DISK",
                   819200},
        CorpusCase{"hfsplus/dfvfs-hfsplus.raw", ImageFormat::hfsPlus, "", "hfsplus_test", 4153344},
        CorpusCase{"prodos/cp2-simple-dir-test.po", ImageFormat::prodos, "", "DIRTEST", 143360},
        CorpusCase{"prodos/cp2-blank-140k.po", ImageFormat::prodos, "", "BLANK140", 143360},
        CorpusCase{"prodos/cp2-simple-sparse.po", ImageFormat::prodos, "", "SIMPLE.SPARSE", 819200},
        CorpusCase{"prodos/cp2-blank-800k.po", ImageFormat::prodos, "", "BLANK800", 819200},
        CorpusCase{"dos33/cp2-blank-nodos.do", ImageFormat::dos33, "", "Volume 254", 143360},
        CorpusCase{"dos33/cp2-dos-files.do", ImageFormat::dos33, "", "Volume 254", 143360},
        CorpusCase{"dos33/cp2-minimal.img", ImageFormat::dos33, "", "Volume 254", 143360},
        CorpusCase{"dos33/cp2-new-init.do", ImageFormat::dos33, "", "Volume 254", 143360},
        CorpusCase{"dos33/cp2-simple-sparse.do", ImageFormat::dos33, "", "Volume 254", 143360},
        CorpusCase{"dos33/cp2-system-master-1983.po", ImageFormat::dos33, "", "Volume 1", 143360},
        // ProDOS is tried before DOS 3.3: the hybrid shows its ProDOS side.
        CorpusCase{"dos33/cp2-hybrid-dos-prodos.do", ImageFormat::prodos, "", "DOUBLE.DOS.DISK", 143360},
        // 2IMG around DOS 3.3: DOS 3.3 disks keep no wrapper.
        CorpusCase{"2img/cp2-dos33-disk.2mg", ImageFormat::dos33, "", "Volume 254", 143360},
        CorpusCase{"2img/cp2-prodos-disk.2mg", ImageFormat::prodos, "2MG", "FORKED", 143360},
        CorpusCase{"st/hatari-blank-a.st", ImageFormat::tosVolume, "", "Untitled", 737280},
        CorpusCase{"st/hatari-bootauto.st", ImageFormat::tosVolume, "", "Untitled", 368640},
        CorpusCase{"st/hatari-bootdesk.st", ImageFormat::tosVolume, "", "Untitled", 368640},
        CorpusCase{"msa/derived-hmsa-hatari-blank-a.msa", ImageFormat::tosVolume, "MSA", "Untitled", 737280},
        CorpusCase{"msa/derived-hmsa-hatari-bootdesk.msa", ImageFormat::tosVolume, "MSA", "Untitled", 368640},
        CorpusCase{"adf/arccsh.adf", ImageFormat::adfVolume, "", "cshell", 901120},
        CorpusCase{"adf/blank.adf", ImageFormat::adfVolume, "", "toto", 901120},
        CorpusCase{"adf/links.adf", ImageFormat::adfVolume, "", "links", 901120},
        CorpusCase{"adf/test_link_chains.adf", ImageFormat::adfVolume, "", "link_chains", 901120},
        CorpusCase{"adf/testffs.adf", ImageFormat::adfVolume, "", "ffs_cache", 901120},
        CorpusCase{"adf/testhd.adf", ImageFormat::adfVolume, "", "hd_ffs_intl_dircache", 1802240},
        CorpusCase{"adf/testofs.adf", ImageFormat::adfVolume, "", "testofs", 901120},
        CorpusCase{"adf/win32-names.adf", ImageFormat::adfVolume, "", "win32-names", 901120}),
    testing::namedBy(&CorpusCase::file));

// Images that hold no format this program reads: Lisa disks in Disk Copy
// images, and a Disk Copy image inside MacBinary (which detection does not
// unpack).
class CorpusRefusals : public ::testing::TestWithParam<const char*> {};

TEST_P(CorpusRefusals, AreUnknown) {
    const auto path = corpusFile(GetParam());
    if (!path) GTEST_SKIP() << GetParam() << " is not in the corpus";
    try {
        const ImageParser parser = parse(*path);
        FAIL() << "detected as " << rawValue(parser.imageFormat());
    } catch (const ImageParserError& error) {
        EXPECT_EQ(error.errorCase, ImageParserError::Case::unknownVolumeType);
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusRefusals,
                         ::testing::Values("dc42/cp2-LisaTest_3.0_1.image", "dc42/dcr-BLU090_400k.dc42",
                                           "dc42/cp2-MCUS_Free_Software_Disk.img.bin"),
                         testing::namedBy());

// --- Devices ---

struct PartitionFact {
    std::string type;
    int64_t start;
    int64_t length;
};

std::vector<PartitionFact> partitionFacts(const CodableResult& result) {
    std::vector<PartitionFact> facts;
    for (const auto& partition : result.partitions.value_or(std::vector<CodablePartition>{})) {
        facts.push_back({partition.type, partition.startBlock, partition.sizeInBlocks});
    }
    return facts;
}

// The partitions of the two partition-map images, as MANIFEST.md records
// them, by start block, and the names of their HFS and MFS volumes.
TEST(CorpusDevices, PartitionsByStartBlock) {
    struct DeviceCase {
        const char* file;
        int64_t sizeInBytes;
        std::vector<std::pair<int64_t, int64_t>> startsAndLengths;
        std::map<int64_t, std::string> volumeNames;  // by start block
    };
    const std::vector<DeviceCase> cases{
        {"apm/cp2-apm-prodos-hfs.iso", 1640448, {{1, 3}, {4, 1600}, {1604, 1600}}, {{1604, "New Disk"}}},
        {"apm/mr-combined.dsk",
         3115520,
         {{1, 4}, {5, 1600}, {1605, 2880}, {4485, 1600}},
         {{5, "Apple II Setup"}, {1605, "Untitled"}}},
    };
    for (const DeviceCase& c : cases) {
        const auto path = corpusFile(c.file);
        if (!path) continue;
        SCOPED_TRACE(c.file);
        const ImageParser parser = parse(*path);
        EXPECT_EQ(parser.imageFormat(), ImageFormat::macintoshDevice);
        EXPECT_EQ(parser.volume(), nullptr);
        ASSERT_NE(parser.device(), nullptr);
        EXPECT_EQ(parser.imageSizeInBytes(), c.sizeInBytes);

        const CodableResult brief = parser.codableResult(false);
        std::vector<std::pair<int64_t, int64_t>> startsAndLengths;
        for (const PartitionFact& fact : partitionFacts(brief)) startsAndLengths.emplace_back(fact.start, fact.length);
        EXPECT_EQ(startsAndLengths, c.startsAndLengths);
        EXPECT_FALSE(brief.volume.has_value());
        for (const auto& partition : *brief.partitions) EXPECT_FALSE(partition.volume.has_value());

        const CodableResult full = parser.codableResult(true);
        std::map<int64_t, std::string> volumeNames;
        for (const auto& partition : *full.partitions) {
            if (partition.volume) {
                volumeNames[partition.startBlock] = partition.volume->name;
                EXPECT_TRUE(partition.volume->fileHierarchy.has_value());
            }
        }
        for (const auto& [start, name] : c.volumeNames) EXPECT_EQ(volumeNames[start], name) << "at " << start;

        const std::string text = parser.textualDescription(false);
        EXPECT_EQ(text.substr(0, text.find('\n')), "Macintosh Device (Macintosh)");
        EXPECT_NE(text.find("\nPartitions:\n1:\t"), std::string::npos);
    }
}

// --- Hierarchies against the hfsutils listings ---

struct ListedItem {
    bool isFolder = false;
    int64_t size = 0;
    friend bool operator==(const ListedItem&, const ListedItem&) = default;
};

std::ostream& operator<<(std::ostream& out, const ListedItem& item) {
    return out << (item.isFolder ? "folder" : "file of " + std::to_string(item.size) + " bytes");
}

// Every item of an hls listing by path (":Folder:Name"), names in UTF-8.
std::map<std::string, ListedItem> listedItems(const std::string& listing) {
    std::map<std::string, ListedItem> items;
    for (const auto& [folder, entries] : testing::parseHlsListing(listing)) {
        const std::string prefix = fromMacRoman(folder == ":" ? ":" : folder);
        for (const auto& entry : entries) {
            items[prefix + fromMacRoman(entry.name)] = {entry.isFolder, entry.dataForkSize + entry.resourceForkSize};
        }
    }
    return items;
}

// The same from a verbose report's hierarchy: each item's path is built from
// the last folder met one level up.
std::map<std::string, ListedItem> reportedItems(const CodableVolume& volume) {
    std::map<std::string, ListedItem> items;
    std::vector<std::string> folders;
    for (const CodableVolumeItem& item : volume.fileHierarchy.value_or(std::vector<CodableVolumeItem>{})) {
        folders.resize(static_cast<size_t>(item.level));
        std::string path = ":";
        for (const std::string& folder : folders) path += folder + ":";
        items[path + item.name] = {item.isFolder, item.isFolder ? 0 : item.sizeInBytes};
        folders.push_back(item.name);
    }
    return items;
}

std::string listedVolumeName(const std::string& listing) {
    const std::string marker = "# Volume name is \"";
    const auto start = listing.find(marker);
    if (start == std::string::npos) return {};
    const auto from = start + marker.size();
    return fromMacRoman(listing.substr(from, listing.find("\"\n", from) - from));
}

void expectSameItems(const std::map<std::string, ListedItem>& reported,
                     const std::map<std::string, ListedItem>& listed) {
    for (const auto& [path, item] : listed) {
        const auto found = reported.find(path);
        if (found == reported.end()) {
            ADD_FAILURE() << "missing from the report: " << path;
        } else {
            EXPECT_EQ(found->second, item) << path;
        }
    }
    for (const auto& [path, item] : reported) {
        if (!listed.contains(path)) ADD_FAILURE() << "not in the listing: " << path;
    }
}

struct OracleCase {
    const char* image;
    const char* listing;
};

class CorpusHierarchies : public ::testing::TestWithParam<OracleCase> {};

TEST_P(CorpusHierarchies, MatchTheHfsutilsListing) {
    const OracleCase& c = GetParam();
    const auto image = corpusFile(c.image);
    const auto listingFile = corpusFile(c.listing);
    if (!image || !listingFile) GTEST_SKIP() << c.image << " or its listing is not in the corpus";
    const std::string listing = readText(*listingFile);
    const ImageParser parser = parse(*image);
    const CodableResult result = parser.codableResult(true);

    // A device's listing is that of its first HFS partition.
    std::optional<CodableVolume> volume = result.volume;
    for (const auto& partition : result.partitions.value_or(std::vector<CodablePartition>{})) {
        if (!volume && partition.type.starts_with("HFS") && partition.volume) volume = partition.volume;
    }
    ASSERT_TRUE(volume.has_value());
    EXPECT_EQ(volume->name, listedVolumeName(listing));
    expectSameItems(reportedItems(*volume), listedItems(listing));

    // The text report lists the same number of lines as there are items.
    const std::string text = parser.textualDescription(true);
    const auto heading = text.find("File Hierarchy of volume \"" + volume->name + "\":");
    ASSERT_NE(heading, std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusHierarchies,
    ::testing::Values(
        OracleCase{"hfs/cp2-simple-gsos.po", "hfs/oracles/cp2-simple-gsos.po.hls.txt"},
        OracleCase{"hfs/cp2-simple-linux.po", "hfs/oracles/cp2-simple-linux.po.hls.txt"},
        OracleCase{"hfs/cp2-blank-800k.po", "hfs/oracles/cp2-blank-800k.po.hls.txt"},
        OracleCase{"hfs/fc-hello-world-untitled-volume.img", "hfs/oracles/fc-hello-world-untitled-volume.img.hls.txt"},
        OracleCase{"hfs/im-System_3.3.dsk", "hfs/oracles/im-System_3.3.dsk.hls.txt"},
        OracleCase{"hfs/im-System_6.0.8_System_Startup.img", "hfs/oracles/im-System_6.0.8_System_Startup.img.hls.txt"},
        OracleCase{"hfs/hr-importfl-1.2.2.dsk", "hfs/oracles/hr-importfl-1.2.2.dsk.hls.txt"},
        OracleCase{"dc42/cp2-Installer_Disk_1.image", "dc42/oracles/cp2-Installer_Disk_1.image.hls.txt"},
        OracleCase{"dc42/dcr-DART_1.5.3.image", "dc42/oracles/dcr-DART_1.5.3.image.hls.txt"},
        OracleCase{"dc42/im-MacOS_8.1_Disk_Tools_68K_FD.dsk",
                   "dc42/oracles/im-MacOS_8.1_Disk_Tools_68K_FD.dsk.hls.txt"},
        OracleCase{"apm/cp2-apm-prodos-hfs.iso", "apm/oracles/cp2-apm-prodos-hfs.iso.part1.hls.txt"},
        OracleCase{"apm/mr-combined.dsk", "apm/oracles/mr-combined.dsk.part1.hls.txt"}),
    testing::namedBy(&OracleCase::image));

// The 10 MiB empty volumes of util-linux come compressed with xz.
TEST(CorpusHierarchies, CompressedEmptyVolumes) {
    if (!testing::isCommandAvailable("xz")) GTEST_SKIP() << "xz is not installed";
    struct CompressedCase {
        const char* file;
        ImageFormat format;
        const char* name;
    };
    for (const CompressedCase& c :
         {CompressedCase{"hfs/util-linux-hfs.img.xz", ImageFormat::hfs, "BBB"},
          CompressedCase{"hfsplus/util-linux-hfsplus.img.xz", ImageFormat::hfsPlus, "123456789ABCDE"}}) {
        const auto compressed = corpusFile(c.file);
        if (!compressed) continue;
        SCOPED_TRACE(c.file);
        const testing::TemporaryDirectory folder;
        const std::string image = folder.file("volume.img");
        std::filesystem::copy_file(*compressed, image + ".xz");
        ASSERT_EQ(testing::runCommand({"xz", "-d", image + ".xz"}).exitStatus, 0);
        const ImageParser parser = parse(image);
        EXPECT_EQ(parser.imageFormat(), c.format);
        EXPECT_EQ(parser.imageSizeInBytes(), 10 * 1024 * 1024);
        const CodableResult result = parser.codableResult(true);
        ASSERT_TRUE(result.volume.has_value());
        EXPECT_EQ(result.volume->name, c.name);
        if (c.format == ImageFormat::hfs) {
            EXPECT_EQ(result.volume->fileHierarchy, std::vector<CodableVolumeItem>{});
        }
    }
}

// Mac OS X names its private folders with NULs and a carriage return: the
// text report shows each as "?", the JSON report keeps the names exact.
TEST(CorpusHierarchies, ControlCharactersInNamesShowInTextAsQuestionMarks) {
    const auto image = corpusFile("hfsplus/dfvfs-hfsplus.raw");
    if (!image) GTEST_SKIP() << "hfsplus/dfvfs-hfsplus.raw is not in the corpus";
    const ImageParser parser = parse(*image);
    const std::string text = parser.textualDescription(true);
    EXPECT_NE(text.find("\n[????HFS+ Private Data]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n[.HFS+ Private Directory Data?]\n"), std::string::npos) << text;
    EXPECT_EQ(text.find_first_of(std::string("\0\r", 2)), std::string::npos);

    const std::string json = AnalysisJSONEncoder::encode(parser.codableResult(true));
    EXPECT_NE(json.find(R"("name": "\u0000\u0000\u0000\u0000HFS+ Private Data")"), std::string::npos);
    EXPECT_NE(json.find(R"("name": ".HFS+ Private Directory Data\r")"), std::string::npos);
}

// --- MFS file lists from MANIFEST.md: name and data + resource fork size ---

TEST(CorpusMFSVolumes, FileListsOfTheManifest) {
    struct MFSCase {
        const char* file;
        std::map<std::string, int64_t> files;  // empty: only the count
        size_t count;
    };
    const std::vector<MFSCase> cases{
        {"mfs/cp2-Workstation_Installer.IMG",
         {{"Desktop", 2006},
          {"AppleTalk ImageWriter", 43628},
          {"Laser Prep", 28088},
          {"LaserWriter", 64591},
          {"LQ AppleTalk Imagewriter", 55939}},
         5},
        {"mfs/im-System_1.0_Original.dsk", {}, 7},
        {"mfs/im-System_1.1.dsk", {}, 13},
        {"mfs/mr-mfs1440K.dsk", {}, 1},
    };
    for (const MFSCase& c : cases) {
        const auto path = corpusFile(c.file);
        if (!path) continue;
        SCOPED_TRACE(c.file);
        const CodableResult result = parse(*path).codableResult(true);
        ASSERT_TRUE(result.volume && result.volume->fileHierarchy);
        const auto& items = *result.volume->fileHierarchy;
        EXPECT_EQ(items.size(), c.count);
        std::map<std::string, int64_t> files;
        for (const auto& item : items) {
            EXPECT_FALSE(item.isFolder);
            EXPECT_EQ(item.level, 0);
            files[item.name] = item.sizeInBytes;
        }
        if (!c.files.empty()) {
            EXPECT_EQ(files, c.files);
        }
    }
}

// --- DOS 3.3 catalogs: the file names MANIFEST.md lists (CiderPress2's
// expectations), each with its length in sectors as the catalog gives it,
// and the free bytes the VTOC's bitmaps mark ---

TEST(CorpusDOS33Volumes, CatalogsOfTheManifest) {
    using Catalog = std::vector<std::pair<std::string, int64_t>>;
    struct DOS33Case {
        const char* file;
        bool proDOSOrder;
        int64_t freeBytes;
        Catalog files;
    };
    const std::vector<DOS33Case> cases{
        {"dos33/cp2-blank-nodos.do", false, 135168, {}},
        {"dos33/cp2-new-init.do", false, 126464, {{"HELLO", 2}}},
        {"dos33/cp2-minimal.img", false, 134656, {{"HELLO", 2}}},
        {"2img/cp2-dos33-disk.2mg", false, 126464, {{"HELLO", 2}}},
        {"dos33/cp2-simple-sparse.do",
         false,
         83712,
         {{"HELLO", 2}, {"BAS BIG", 24}, {"BAS OVERSIZED", 24}, {"BAS SMALL", 2}, {"MK-SPARSE-TEXT", 3},
          {"SPARSE-TEXT", 9}, {"MK-BIG BIN", 3}, {"BIG BIN", 33}, {"OVERSIZED BIN", 33}, {"SMALL BIN", 2},
          {"MK-TXT", 4}, {"TXT SMALL", 2}, {"TXT BIG", 12}, {"TXT NOTRIM", 12}, {"CASE TEST", 2},
          {"case test", 2}}},
        {"dos33/cp2-dos-files.do",
         false,
         62720,
         {{"ANIMALSFILE", 5}, {"ALL.TOKENS", 5}, {"INT TEST", 5}, {"INT LISTING", 7}, {"HELLO!.MW", 7},
          {"PRINTER DIAGRAM.MW", 23}, {"COLOSSAL.SET", 5}, {"PROGRAM SCRAMBLER.F", 7}, {"S.F3D8", 19},
          {"RANDYS HIRES ROUTINES", 50}, {"READ.SRC.TWEAKED", 4}, {"RANDYS HIRES LISTING", 72},
          {"READ.SRC.LISTING", 5}, {"FONT.HOUSTON", 19}, {"SET.BENGOTH", 18}}},
        // Stored in ProDOS block order: read in DOS order, only 7 files come out.
        {"dos33/cp2-system-master-1983.po",
         true,
         72448,
         {{"HELLO", 3}, {"APPLESOFT", 3}, {"LOADER.OBJ0", 6}, {"FPBASIC", 42}, {"INTBASIC", 42}, {"MASTER", 3},
          {"MASTER CREATE", 9}, {"COPY", 9}, {"COPY.OBJ0", 3}, {"COPYA", 9}, {"CHAIN", 3}, {"RENUMBER", 14},
          {"FILEM", 3}, {"FID", 20}, {"CONVERT13", 3}, {"MUFFIN", 27}, {"START13", 3}, {"BOOT13", 7},
          {"SLOT#", 4}}},
    };
    for (const DOS33Case& c : cases) {
        const auto path = corpusFile(c.file);
        if (!path) continue;
        SCOPED_TRACE(c.file);
        const ImageParser parser = parse(*path);
        const auto* disk = dynamic_cast<const DOS33Disk*>(parser.volume().get());
        ASSERT_NE(disk, nullptr);
        EXPECT_EQ(disk->proDOSOrder(), c.proDOSOrder);
        EXPECT_EQ(disk->freeCapacityInBytes(), c.freeBytes);
        // The verbose report lists the catalog's files, flat, at 256 bytes a
        // sector.
        const CodableResult result = parser.codableResult(true);
        ASSERT_TRUE(result.volume && result.volume->fileHierarchy);
        Catalog reported;
        for (const auto& item : *result.volume->fileHierarchy) {
            EXPECT_EQ(item.level, 0);
            reported.emplace_back(item.name, item.sizeInBytes / 256);
        }
        EXPECT_EQ(reported, c.files);
    }
}

// --- Atari ST floppies against the mdir listings ---

// The files and folders of each floppy and its free bytes, as the mdir
// listings of st/oracles give them (an MSA file is its floppy packed).
TEST(CorpusTOSVolumes, MatchTheMdirListings) {
    for (const auto& [image, listingFile] :
         {std::pair{"st/hatari-bootauto.st", "st/oracles/hatari-bootauto.st.mdir.txt"},
          std::pair{"st/hatari-bootdesk.st", "st/oracles/hatari-bootdesk.st.mdir.txt"},
          std::pair{"msa/derived-hmsa-hatari-bootdesk.msa", "st/oracles/hatari-bootdesk.st.mdir.txt"}}) {
        const auto path = corpusFile(image);
        const auto listingPath = corpusFile(listingFile);
        if (!path || !listingPath) continue;
        SCOPED_TRACE(image);
        const testing::MdirListing listing = testing::MdirListing::parse(readText(*listingPath));
        ASSERT_FALSE(listing.items.empty());
        const CodableResult result = parse(*path).codableResult(true);
        ASSERT_TRUE(result.volume.has_value());
        std::map<std::string, testing::MdirListing::Item> reported;
        for (const auto& [itemPath, item] : reportedItems(*result.volume)) {
            std::string slashed = itemPath;
            std::replace(slashed.begin(), slashed.end(), ':', '/');
            reported[slashed] = {item.isFolder, item.size};
        }
        EXPECT_EQ(reported, listing.items);
        EXPECT_EQ(result.volume->freeCapacityInBytes, listing.freeBytes);
    }
}

// --- The whole corpus ---

// Every file of the corpus but the listings: detected or refused with an
// error of detection or of unpacking, and when detected, both reports made
// verbose.
TEST(CorpusWalk, EveryFileDetectedOrRefusedWithoutACrash) {
    const std::filesystem::path root(ZORV_CORPUS_DIR);
    if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "the corpus is absent";
    const testing::ScopedTimeZone zone("UTC");
    int detected = 0;
    int refused = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        const auto& path = entry.path();
        const std::string relative = std::filesystem::relative(path, root).string();
        if (relative.find("/oracles/") != std::string::npos || path.extension() == ".md") continue;
        // The 1.1 GB volume belongs to the benchmarks: its zip is read as is.
        SCOPED_TRACE(relative);
        try {
            const ImageParser parser = parse(path);
            ++detected;
            if (parser.imageFormat() == ImageFormat::emptyVolume) continue;
            EXPECT_FALSE(parser.textualDescription(true).empty());
            EXPECT_FALSE(AnalysisJSONEncoder::encode(parser.codableResult(true)).empty());
        } catch (const ImageParserError&) {
            ++refused;
        } catch (const ImageWrapperRepresentableError&) {
            ++refused;
        }
    }
    EXPECT_GT(detected, 20);
    RecordProperty("detected", detected);
    RecordProperty("refused", refused);
}

}  // namespace
}  // namespace zorv
