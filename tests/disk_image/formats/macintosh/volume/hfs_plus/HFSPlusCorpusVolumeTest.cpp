// The real HFS+ volumes of the shared corpus (hfsplus/, see MANIFEST.md),
// checked against the listings of other tools kept in hfsplus/oracles/ and,
// where p7zip is installed, against the files `7z x` extracts. Also: damaged
// copies of them, and one inside an HFS wrapper.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolume.hpp"
#include "disk_image/model/ISO8601DateFormatter.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusTestImages.hpp"
#include "support/Corpus.hpp"
#include "support/HfsTool.hpp"
#include "support/RunCommand.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::hfsplus::putU32;
using testing::hfsplus::readEverything;

constexpr const char* kDfvfs = "hfsplus/dfvfs-hfsplus.raw";
constexpr const char* kUtilLinux = "hfsplus/util-linux-hfsplus.img.xz";

std::string text(const ImageBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string readHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

// "2022-01-14 07:19:42" from a date: how the 7z listings show them (UTC).
std::string listingDate(const std::optional<Date>& date) {
    std::string iso = ISO8601DateFormatter::string(date).value_or("");
    if (iso.size() < 19) return iso;
    iso[10] = ' ';
    return iso.substr(0, 19);
}

// Each item of the walk with its slash-separated path from the root folder.
struct WalkedItem {
    std::string path;
    VolumeItem item;
};

std::vector<WalkedItem> walk(const VolumeRepresentable& volume, const std::string& rootName) {
    std::vector<WalkedItem> items;
    std::vector<std::string> folders{rootName};
    for (const auto& element : volume.fileHierarchy()) {
        folders.resize(static_cast<size_t>(element.level) + 1);
        items.push_back({folders.back() + "/" + element.item->name(), element.item});
        folders.push_back(items.back().path);
    }
    return items;
}

// How 7z shows an HFS+ name: as stored, but for the hard-link folder, whose
// name begins with NULs, shown without them in square brackets.
std::string sevenZipName(const std::string& name) {
    const size_t first = name.find_first_not_of('\0');
    if (first == 0 || first == std::string::npos) return name;
    return "[" + name.substr(first) + "]";
}

std::string sevenZipPath(const std::string& path) {
    std::string shown;
    std::stringstream parts(path);
    std::string part;
    while (std::getline(parts, part, '/')) shown += (shown.empty() ? "" : "/") + sevenZipName(part);
    return shown;
}

// The entries of a `7z l -slt` listing, by path.
std::map<std::string, std::map<std::string, std::string>> sevenZipEntries(const std::string& listing) {
    std::map<std::string, std::map<std::string, std::string>> entries;
    std::stringstream lines(listing);
    std::string line;
    std::string current;
    while (std::getline(lines, line)) {
        const auto equals = line.find(" = ");
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 3);
        if (key == "Path") current = value;
        if (!current.empty()) entries[current][key] = value;
    }
    return entries;
}

std::optional<HFSPlusVolume> corpusVolume(const char* relativePath) {
    const auto bytes = testing::corpusImage(relativePath);
    if (!bytes) return std::nullopt;
    return HFSPlusVolume::fromImageData(*bytes);
}

// ---------------------------------------------------------------------------
// dfVFS's test volume

TEST(HFSPlusCorpusVolume, DfvfsVolumeReport) {
    // The zone the volume was made in, an hour ahead of GMT.
    const testing::ScopedTimeZone zone{"CET-1CEST,M3.5.0,M10.5.0/3"};
    const auto volume = corpusVolume(kDfvfs);
    if (!volume) GTEST_SKIP() << kDfvfs << " is absent from the corpus";

    EXPECT_EQ(volume->volumeName(), "hfsplus_test");
    EXPECT_EQ(volume->volumeFormatName(), "Macintosh (HFS+)");
    EXPECT_EQ(volume->blockSize, 4096);
    EXPECT_EQ(volume->sizeInBlocks(), 1014);
    EXPECT_EQ(volume->totalCapacityInBytes(), 1014 * 4096);
    EXPECT_EQ(volume->freeCapacityInBytes(), 971 * 4096);
    EXPECT_EQ(volume->totalCountOfFiles(), 8);
    EXPECT_EQ(volume->totalCountOfFolders(), 4);
    EXPECT_FALSE(volume->isBootable());
    // The header's creation date is the one Mac OS keeps in local time; read
    // in the zone the volume was made in, it is the moment 7-Zip gives for
    // the root folder's creation.
    EXPECT_EQ(listingDate(volume->creationDate()), "2022-01-14 07:19:41");
    EXPECT_EQ(listingDate(volume->modificationDate()), "2022-01-14 07:19:46");
}

TEST(HFSPlusCorpusVolume, DfvfsHierarchyInNameOrder) {
    const auto volume = corpusVolume(kDfvfs);
    if (!volume) GTEST_SKIP() << kDfvfs << " is absent from the corpus";

    struct Expected {
        int64_t level;
        std::string name;
        bool folder;
        int64_t identifier;
        int64_t dataSize;      // -1: no data fork
        int64_t resourceSize;  // -1: no resource fork
    };
    const std::vector<Expected> expected{
        {0, std::string(4, '\0') + "HFS+ Private Data", true, 16, -1, -1},
        {0, ".HFS+ Private Directory Data\r", true, 17, -1, -1},
        {0, ".fseventsd", true, 23, -1, -1},
        {1, "00000000171494cb", false, 26, 161, -1},
        {1, "00000000171494cc", false, 27, 72, -1},
        {1, "fseventsd-uuid", false, 24, 36, -1},
        {0, "a_directory", true, 18, -1, -1},
        {1, "a_file", false, 19, 53, -1},
        {1, "a_resourcefork", false, 25, -1, 17},  // no block for its empty data fork
        {1, "another_file", false, 21, 22, -1},
        {0, "a_link", false, 22, 24, -1},
        {0, "passwords.txt", false, 20, 116, -1},
    };
    const auto hierarchy = volume->fileHierarchy();
    ASSERT_EQ(hierarchy.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto& item = *hierarchy[i].item;
        const Expected& e = expected[i];
        EXPECT_EQ(hierarchy[i].level, e.level) << i;
        EXPECT_EQ(item.name(), e.name) << i;
        EXPECT_EQ(item.isFolder(), e.folder) << e.name;
        EXPECT_EQ(item.itemIdentifier(), static_cast<uint64_t>(e.identifier)) << e.name;
        const auto data = volume->getFork(ForkType::data, hierarchy[i].item);
        const auto resource = volume->getFork(ForkType::resource, hierarchy[i].item);
        EXPECT_EQ(data ? static_cast<int64_t>(data->size()) : -1, e.dataSize) << e.name;
        EXPECT_EQ(resource ? static_cast<int64_t>(resource->size()) : -1, e.resourceSize) << e.name;
        if (!e.folder) {
            const int64_t total = std::max<int64_t>(e.dataSize, 0) + std::max<int64_t>(e.resourceSize, 0);
            EXPECT_EQ(item.logicalSizeInBytes(), total) << e.name;
        }
    }
}

TEST(HFSPlusCorpusVolume, DfvfsForkContents) {
    const auto volume = corpusVolume(kDfvfs);
    if (!volume) GTEST_SKIP() << kDfvfs << " is absent from the corpus";
    std::map<std::string, VolumeItem> byPath;
    for (const auto& walked : walk(*volume, "")) byPath[walked.path] = walked.item;

    EXPECT_EQ(text(*volume->getFork(ForkType::data, byPath.at("/a_directory/a_file"))),
              "This is a text file.\n\nWe should be able to parse it.\n");
    EXPECT_EQ(text(*volume->getFork(ForkType::data, byPath.at("/a_link"))), "a_directory/another_file");
    EXPECT_EQ(text(*volume->getFork(ForkType::resource, byPath.at("/a_directory/a_resourcefork"))),
              "My resource fork\n");
    EXPECT_FALSE(volume->getFork(ForkType::data, byPath.at("/a_directory/a_resourcefork")).has_value());
    const VolumeItem passwords = byPath.at("/passwords.txt");
    EXPECT_EQ(volume->tree(passwords), (std::vector<std::string>{"hfsplus_test", "hfsplus_test - Macintosh (HFS+)"}));
    ASSERT_NE(volume->parentItem(passwords), nullptr);
    EXPECT_EQ(volume->parentItem(volume->parentItem(passwords)), nullptr);
}

// Every entry of the 7z listing kept in the oracles, and nothing more.
TEST(HFSPlusCorpusVolume, DfvfsMatchesTheSevenZipListing) {
    const auto volume = corpusVolume(kDfvfs);
    const auto listing = testing::corpusFile("hfsplus/oracles/dfvfs-hfsplus.raw.7z-slt.txt");
    if (!volume || !listing) GTEST_SKIP() << kDfvfs << " or its 7z listing is absent from the corpus";
    auto entries = sevenZipEntries(readHostFile(*listing));

    const VolumeItem rootFolder = volume->parentItem(volume->child(0, nullptr));
    ASSERT_NE(rootFolder, nullptr);
    std::vector<WalkedItem> items{{"hfsplus_test", rootFolder}};
    for (auto& walked : walk(*volume, "hfsplus_test")) items.push_back(std::move(walked));

    for (const auto& [path, item] : items) {
        const std::string shown = sevenZipPath(path);
        const auto found = entries.find(shown);
        if (found == entries.end()) {
            ADD_FAILURE() << shown << " is not in the 7z listing";
            continue;
        }
        const auto& fields = found->second;
        EXPECT_EQ(fields.at("Folder"), item->isFolder() ? "+" : "-") << shown;
        EXPECT_EQ(fields.at("Created"), listingDate(item->creationDate())) << shown;
        EXPECT_EQ(fields.at("Modified"), listingDate(item->modificationDate())) << shown;
        if (!item->isFolder()) {
            const auto data = volume->getFork(ForkType::data, item);
            EXPECT_EQ(fields.at("Size"), std::to_string(data ? data->size() : 0)) << shown;
        }
        entries.erase(found);
    }
    for (const auto& [path, fields] : entries) ADD_FAILURE() << path << " is listed by 7z only";
}

// The forks' bytes against what `7z x` extracts (a resource fork as
// "name:rsrc", a symbolic link as a link whose target the data fork holds).
TEST(HFSPlusCorpusVolume, DfvfsForksMatchSevenZipExtraction) {
    const auto path = testing::corpusFile(kDfvfs);
    if (!path) GTEST_SKIP() << kDfvfs << " is absent from the corpus";
    if (!testing::isCommandAvailable("7z")) GTEST_SKIP() << "7z (p7zip-full) is not installed";
    const auto volume = HFSPlusVolume::fromImageData(fs::readWholeFile(path->string()));
    ASSERT_TRUE(volume.has_value());

    const testing::TemporaryDirectory folder;
    const auto result = testing::runCommand({"7z", "x", "-y", "-o" + folder.path().string(), path->string()});
    ASSERT_EQ(result.exitStatus, 0) << result.output;

    int64_t compared = 0;
    for (const auto& [itemPath, item] : walk(*volume, "hfsplus_test")) {
        if (item->isFolder()) continue;
        const std::filesystem::path extracted = folder.path() / sevenZipPath(itemPath);
        const auto data = volume->getFork(ForkType::data, item);
        const std::string dataText = data ? text(*data) : std::string();
        if (std::filesystem::is_symlink(extracted)) {
            EXPECT_EQ(std::filesystem::read_symlink(extracted).string(), dataText) << itemPath;
        } else {
            ASSERT_TRUE(std::filesystem::is_regular_file(extracted)) << extracted;
            EXPECT_EQ(readHostFile(extracted), dataText) << itemPath;
        }
        const std::filesystem::path resourcePath = extracted.string() + ":rsrc";
        const auto resource = volume->getFork(ForkType::resource, item);
        if (std::filesystem::exists(resourcePath)) {
            ASSERT_TRUE(resource.has_value()) << itemPath;
            EXPECT_EQ(readHostFile(resourcePath), text(*resource)) << itemPath;
        } else {
            EXPECT_TRUE(!resource || resource->empty()) << itemPath;
        }
        ++compared;
    }
    EXPECT_EQ(compared, 8);
}

// ---------------------------------------------------------------------------
// util-linux's empty volume

TEST(HFSPlusCorpusVolume, UtilLinuxEmptyVolume) {
    const auto volume = corpusVolume(kUtilLinux);
    if (!volume) GTEST_SKIP() << kUtilLinux << " is absent from the corpus, or xz is";

    std::string label = "123456789ABCDE";
    if (const auto blkid = testing::corpusFile("hfsplus/oracles/util-linux-hfsplus.img.blkid.txt")) {
        std::stringstream lines(readHostFile(*blkid));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("ID_FS_LABEL=", 0) == 0) label = line.substr(12);
            if (line.rfind("ID_FS_BLOCK_SIZE=", 0) == 0) {
                EXPECT_EQ(std::to_string(volume->blockSize), line.substr(17));
            }
        }
    }
    EXPECT_EQ(volume->volumeName(), label);
    EXPECT_EQ(volume->totalCapacityInBytes(), 10485760);
    EXPECT_EQ(volume->sizeInBlocks(), 2560);
    EXPECT_EQ(volume->totalCountOfFiles(), 0);
    EXPECT_EQ(volume->totalCountOfFolders(), 0);
    EXPECT_EQ(volume->numberOfChildrenOfItem(nullptr), 0);
    EXPECT_TRUE(volume->fileHierarchy().empty());
    // As the 7z listing in the oracles gives them.
    EXPECT_EQ(listingDate(volume->creationDate()), "2008-10-09 11:44:47");
    EXPECT_EQ(listingDate(volume->modificationDate()), "2008-10-09 09:44:47");
}

// ---------------------------------------------------------------------------
// Damaged copies

TEST(HFSPlusCorpusVolume, DamagedHeaderFieldsAreRefusedOrRead) {
    const auto bytes = testing::corpusImage(kDfvfs);
    if (!bytes) GTEST_SKIP() << kDfvfs << " is absent from the corpus";
    const Bytes original = bytes->toBytes();
    // Header offsets: blockSize 40, totalBlocks 44, forks from 112 (80 bytes
    // each: allocation, extents, catalog), each with logicalSize at 0,
    // totalBlocks at 12 and extent i at 16 + 8i.
    struct Case {
        const char* what;
        size_t offset;
        uint32_t value;
        bool opens;
    };
    const size_t extents = 1024 + 192;
    const size_t catalog = 1024 + 272;
    const std::vector<Case> cases{
        {"block size 0", 1024 + 40, 0, false},
        {"block size 513", 1024 + 40, 513, false},
        {"block size 2^31", 1024 + 40, 0x80000000, false},
        {"block size 512", 1024 + 40, 512, false},  // every fork now points elsewhere
        {"total blocks 2^32 - 1", 1024 + 44, 0xFFFFFFFF, true},
        {"catalog start past the end", catalog + 16, 0xFFFFFFF0, false},
        {"catalog count past the end", catalog + 20, 0xFFFFFFFF, false},
        {"catalog totalBlocks beyond its extents", catalog + 12, 0xFFFFFFFF, false},
        {"extents start past the end", extents + 16, 2000, false},
        {"extents totalBlocks beyond its extents", extents + 12, 0xFFFFFFFF, true},
        {"extents count 0", extents + 20, 0, false},
    };
    for (const Case& c : cases) {
        Bytes damaged = original;
        putU32(damaged, c.offset, c.value);
        EXPECT_EQ(HFSPlusVolume::fromImageData(ImageBytes(damaged)).has_value(), c.opens) << c.what;
        readEverything(ImageBytes(damaged), c.what);
    }
}

TEST(HFSPlusCorpusVolume, RandomlyDamagedCopiesNeverCrashOrHang) {
    const auto bytes = testing::corpusImage(kDfvfs);
    if (!bytes) GTEST_SKIP() << kDfvfs << " is absent from the corpus";
    const Bytes original = bytes->toBytes();
    const HFSPlusVolume volume{*bytes};
    // Where the metadata lies: the header, the catalog and the extents file.
    struct Region {
        size_t first;
        size_t length;
    };
    const auto regionOf = [&](const HFSPlusForkDataStucture& fork) {
        return Region{static_cast<size_t>(fork.extents[0].startBlock * volume.blockSize),
                      static_cast<size_t>(fork.extents[0].blockCount * volume.blockSize)};
    };
    const std::vector<Region> regions{{1024, 512}, regionOf(volume.volumeHeader().catalogFile),
                                      regionOf(volume.volumeHeader().extentsFile)};

    std::mt19937 random(0x48F5A11);
    int opened = 0;
    const auto began = std::chrono::steady_clock::now();
    for (int round = 0; round < 300; ++round) {
        Bytes damaged = original;
        const Region region = regions[static_cast<size_t>(round) % regions.size()];
        const int changes = 1 + static_cast<int>(random() % 12);
        for (int change = 0; change < changes; ++change) {
            const size_t at = region.first + random() % region.length;
            switch (random() % 3) {
                case 0: damaged[at] = static_cast<uint8_t>(random()); break;
                case 1: damaged[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
                default:
                    if (at + 4 <= damaged.size()) putU32(damaged, at, random() % 2 ? 0xFFFFFFFF : random() % 64);
            }
        }
        if (round % 10 == 9) damaged.resize(1536 + random() % (damaged.size() - 1536));
        opened += readEverything(ImageBytes(damaged), "round " + std::to_string(round)) ? 1 : 0;
    }
    EXPECT_GT(opened, 100);  // most damage still leaves a volume to read
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(120));
}

// ---------------------------------------------------------------------------
// Inside an HFS wrapper

// The dfVFS volume placed at the end of a new HFS volume made by hfsutils,
// whose master directory block then announces it (drEmbedSigWord "H+" and
// drEmbedExtent, offsets 124 to 129).
TEST(HFSPlusCorpusVolume, OpensInsideAnHFSWrapper) {
    const auto embedded = testing::corpusImage(kDfvfs);
    if (!embedded) GTEST_SKIP() << kDfvfs << " is absent from the corpus";
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";

    const testing::TemporaryDirectory folder;
    const std::string imagePath = folder.file("wrapper.img");
    testing::HfsTool tool;
    tool.formatNewImage(imagePath, "Wrapper", 8 * 1024 * 1024);
    tool.unmount();
    Bytes image = fs::readWholeFile(imagePath).toBytes();
    const auto u16At = [&](size_t at) { return static_cast<int64_t>(image[at]) << 8 | image[at + 1]; };
    const int64_t allocationBlockSize = u16At(1024 + 20) << 16 | u16At(1024 + 22);
    const int64_t firstSector = u16At(1024 + 28);
    const int64_t blocks = u16At(1024 + 18);
    const int64_t embeddedBlocks = static_cast<int64_t>(embedded->size()) / allocationBlockSize;
    const int64_t start = blocks - embeddedBlocks - 8;
    ASSERT_GT(start, 100);
    image[1024 + 124] = 'H';
    image[1024 + 125] = '+';
    image[1024 + 126] = static_cast<uint8_t>(start >> 8);
    image[1024 + 127] = static_cast<uint8_t>(start);
    image[1024 + 128] = static_cast<uint8_t>(embeddedBlocks >> 8);
    image[1024 + 129] = static_cast<uint8_t>(embeddedBlocks);
    std::copy(embedded->begin(), embedded->end(), image.begin() + firstSector * 512 + start * allocationBlockSize);

    const auto wrapper = HFSVolume::fromImageData(ImageBytes(image));
    ASSERT_TRUE(wrapper.has_value());
    ASSERT_TRUE(wrapper->wrapsHFSPlus());
    const auto volume = wrapper->extractedHFSPlus();
    ASSERT_NE(volume, nullptr);
    EXPECT_NE(dynamic_cast<const HFSPlusVolume*>(volume.get()), nullptr);
    EXPECT_EQ(volume->volumeName(), "hfsplus_test");
    EXPECT_EQ(volume->fileHierarchy().size(), 12u);

    // The embedded volume's bytes are exactly what openEmbeddedHFSPlusVolume
    // is given; bytes that are not an HFS+ volume give nothing.
    EXPECT_NE(openEmbeddedHFSPlusVolume(*embedded), nullptr);
    EXPECT_EQ(openEmbeddedHFSPlusVolume(ImageBytes(Bytes(4096, 0))), nullptr);
}

}  // namespace
}  // namespace zorv
