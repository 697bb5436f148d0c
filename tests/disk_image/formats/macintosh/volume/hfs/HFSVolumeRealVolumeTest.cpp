// Real HFS volumes through HFSVolume: volumes that hfsutils makes at test
// time, and the HFS volumes of the shared corpus (bare, and inside Disk Copy
// 4.2 images), checked against what hfsutils lists of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data_access/TextEncoding.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolumeError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/HfsSampleVolumes.hpp"
#include "support/HfsTool.hpp"
#include "support/HlsListing.hpp"
#include "support/LeafChainDamage.hpp"
#include "support/MacBinary.hpp"
#include "support/RunCommand.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::HfsTool;
using testing::HlsEntry;
using testing::macBinary;
using testing::TemporaryDirectory;
using Listing = std::map<std::string, std::vector<HlsEntry>>;

std::string macRoman(const std::string& raw) {
    return decodeText(ByteView(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()), TextEncoding::macOSRoman)
        .value_or("");
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

std::tm localTime(const Date& date) {
    const auto seconds = static_cast<std::time_t>(date.secondsSince1970);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    return parts;
}

// A date as hls prints it: "%b %e %H:%M" for the last six months or so,
// "%b %e  %Y" before. The column itself says which form it took.
std::string hlsDate(const Date& date, const std::string& column) {
    const std::tm parts = localTime(date);
    char text[32];
    const bool withTime = column.size() == 12 && column[9] == ':';
    std::strftime(text, sizeof text, withTime ? "%b %e %H:%M" : "%b %e  %Y", &parts);
    return text;
}

// The volume's creation date as the listing's header gives it (ctime).
std::string ctimeText(const Date& date) {
    const std::tm parts = localTime(date);
    char text[64];
    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &parts);
    return text;
}

std::optional<std::string> headerValue(const std::string& listingText, const std::string& prefix) {
    std::istringstream lines(listingText);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    }
    return std::nullopt;
}

std::vector<std::string> childNames(const HFSVolume& volume, const VolumeItem& folder) {
    std::vector<std::string> names;
    for (int64_t i = 0; i < volume.numberOfChildrenOfItem(folder); ++i)
        names.push_back(volume.child(i, folder)->name());
    return names;
}

VolumeItem childNamed(const HFSVolume& volume, const VolumeItem& folder, const std::string& name) {
    for (int64_t i = 0; i < volume.numberOfChildrenOfItem(folder); ++i) {
        auto item = volume.child(i, folder);
        if (item->name() == name) return item;
    }
    return nullptr;
}

HFSCatalogLeafRecord leafOf(const VolumeItem& item) { return dynamic_cast<const HFSCatalogItem&>(*item).leafRecord(); }

std::string rawCode(const std::optional<OSType>& code) {
    return code ? std::string(code->internalBytes.begin(), code->internalBytes.end()) : std::string();
}

// The volume shows what hfsutils lists: the same items in each folder (as a
// set: hls sorts as the Finder does, ignoring case, while the volume keeps
// the code point order of its catalog), with the same kinds, visibility,
// codes, fork lengths, item counts and modification dates; and the forks read
// through the volume have the lengths listed. Returns how many items it
// compared.
int64_t expectVolumeMatchesListing(const HFSVolume& volume, const Listing& listing, bool readForks = true) {
    int64_t compared = 0;
    for (const auto& [path, entries] : listing) {
        SCOPED_TRACE("folder " + path);
        VolumeItem folder;
        std::istringstream components(path);
        std::string component;
        while (std::getline(components, component, ':')) {
            if (component.empty()) continue;
            folder = childNamed(volume, folder, macRoman(component));
            if (!folder || !folder->isFolder()) {
                ADD_FAILURE() << "no folder " << component;
                return compared;
            }
        }

        const std::vector<std::string> names = childNames(volume, folder);
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end())) << "children in code point order";
        std::multiset<std::string> listed;
        for (const auto& entry : entries) listed.insert(macRoman(entry.name));
        EXPECT_EQ(std::multiset<std::string>(names.begin(), names.end()), listed);

        for (const HlsEntry& entry : entries) {
            SCOPED_TRACE(macRoman(entry.name));
            const VolumeItem item = childNamed(volume, folder, macRoman(entry.name));
            if (!item) {
                ADD_FAILURE() << "not in the volume";
                continue;
            }
            ++compared;
            EXPECT_EQ(item->isFolder(), entry.isFolder);
            EXPECT_TRUE(volume.isItemExpandable(item) == entry.isFolder);
            EXPECT_EQ(volume.volumeItem(item), item);
            EXPECT_EQ(hlsDate(*item->modificationDate(), entry.date), entry.date);
            EXPECT_TRUE(item->isExportable());
            EXPECT_FALSE(item->otherInfo());
            // hls -i shows the Finder's invisible flag, of folders too.
            EXPECT_EQ(item->isInvisible(), entry.isInvisible);
            if (entry.isFolder) {
                EXPECT_EQ(volume.numberOfChildrenOfItem(item), entry.valence);
                EXPECT_FALSE(item->logicalSizeInBytes());
                EXPECT_FALSE(item->type());
                EXPECT_FALSE(volume.getFork(ForkType::data, item));
            } else {
                EXPECT_EQ(testing::hlsCodeColumn(rawCode(item->type())), entry.type);
                EXPECT_EQ(testing::hlsCodeColumn(rawCode(item->creator())), entry.creator);
                EXPECT_EQ(item->logicalSizeInBytes(), entry.dataForkSize + entry.resourceForkSize);
                EXPECT_EQ(item->kind(), item->type()->typeName());
                if (!readForks) continue;
                const auto data = volume.getFork(ForkType::data, item);
                const auto resource = volume.getFork(ForkType::resource, item);
                EXPECT_EQ(data ? static_cast<int64_t>(data->size()) : 0, entry.dataForkSize);
                EXPECT_EQ(resource ? static_cast<int64_t>(resource->size()) : 0, entry.resourceForkSize);
                EXPECT_EQ(volume.parentItem(item) == nullptr, false);
            }
        }
    }
    return compared;
}

void expectHeaderMatches(const HFSVolume& volume, const std::string& listingText) {
    if (const auto name = headerValue(listingText, "# Volume name is \"")) {
        const std::string raw = name->substr(0, name->rfind('"'));
        EXPECT_EQ(volume.volumeName(), macRoman(raw));
    }
    if (const auto created = headerValue(listingText, "# Volume was created on ")) {
        EXPECT_EQ(ctimeText(*volume.creationDate()), *created);
    }
    if (const auto free = headerValue(listingText, "# Volume has ")) {
        EXPECT_EQ(std::to_string(volume.freeCapacityInBytes()) + " bytes free", *free);
    }
}

// ---------------------------------------------------------------------------
// Volumes made by hfsutils

Bytes pattern(size_t length, uint8_t seed) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13 + i / 509);
    return bytes;
}

std::string writeHostFile(const TemporaryDirectory& folder, const std::string& name, const Bytes& bytes) {
    const std::string path = folder.file(name);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

class HFSVolumeMadeByHfsutils : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed (scripts/install-deps installs it)";
    }

    // hfsutils keeps local times, as the volume reads them: one zone for both.
    testing::ScopedTimeZone zone{"UTC"};
    HfsTool tool;
    TemporaryDirectory folder;
};

TEST_F(HFSVolumeMadeByHfsutils, EverythingHlsShows) {
    const std::string image = folder.file("mixed.img");
    tool.formatNewImage(image, "Mixed Bag", 1440 * 1024);
    std::map<std::string, Bytes> dataForks;  // HFS path -> host bytes copied in
    const auto copyIn = [&](const std::string& hfsPath, const Bytes& bytes) {
        tool.copyIn(writeHostFile(folder, "host" + std::to_string(dataForks.size()), bytes), hfsPath);
        dataForks[hfsPath] = bytes;
    };
    copyIn(":ReadMe", pattern(6, 'a'));
    tool.setTypeAndCreator(":ReadMe", "TEXT", "ttxt");
    copyIn(":big file", pattern(70000, 3));
    copyIn(":Empty", {});
    copyIn(":.hidden", pattern(33, 4));
    tool.run({"hattrib", "+i", ":.hidden"});
    tool.makeFolder(":Folder");
    tool.makeFolder(":Folder:Sub Folder");
    tool.makeFolder(":Invisible Folder");
    tool.run({"hattrib", "+i", ":Invisible Folder"});
    copyIn(":Folder:zulu", pattern(512, 5));
    copyIn(":Folder:Alpha", pattern(513, 6));
    copyIn(":Folder:Sub Folder:deep", pattern(1, 7));
    copyIn(
        ":Folder:Sub Folder:\x8e"
        "t\x8e",
        pattern(100, 8));  // "été" in Mac OS Roman
    const Bytes resource = pattern(3000, 9);
    const Bytes data = pattern(1234, 10);
    tool.run({"hcopy", "-m",
              writeHostFile(folder, "forked.bin", macBinary("Forked", "APPL", "FoRk", 0x2000, data, resource)),
              ":Folder:Forked"});
    tool.run({"hcopy", "-m",
              writeHostFile(folder, "rsrc.bin", macBinary("Only Resources", "rsrc", "RSED", 0x4000, {}, resource)),
              ":Only Resources"});
    const std::string listingText = tool.recursiveListing();
    const std::string volumeInfo = tool.run({"hvol"});
    tool.unmount();

    const auto volume = HFSVolume::fromImageData(fs::readWholeFile(image));
    ASSERT_TRUE(volume);
    const Listing listing = testing::parseHlsListing(listingText);
    ASSERT_EQ(listing.size(), 4u);
    EXPECT_EQ(expectVolumeMatchesListing(*volume, listing), 13);

    EXPECT_EQ(volume->volumeName(), "Mixed Bag");
    EXPECT_EQ(volume->totalCountOfFiles(), 10);
    EXPECT_EQ(volume->totalCountOfFolders(), 3);
    EXPECT_EQ(volume->volumeFormatName(), "Macintosh (HFS)");
    EXPECT_FALSE(volume->isBootable());
    EXPECT_EQ(volume->totalCapacityInBytes(),
              volume->masterDirectoryBlock()->drNmAlBlks * volume->masterDirectoryBlock()->drAlBlkSiz);
    EXPECT_GT(volume->freeCapacityInBytes(), 0);
    EXPECT_LT(volume->freeCapacityInBytes(), volume->totalCapacityInBytes());

    // Data forks read through the volume are the files copied in.
    for (const auto& [hfsPath, bytes] : dataForks) {
        SCOPED_TRACE(hfsPath);
        VolumeItem item;
        std::istringstream components(hfsPath);
        std::string component;
        while (std::getline(components, component, ':')) {
            if (!component.empty()) item = childNamed(*volume, item, macRoman(component));
            ASSERT_TRUE(component.empty() || item);
        }
        const auto fork = volume->getFork(ForkType::data, item);
        if (bytes.empty()) {
            EXPECT_FALSE(fork) << "an empty fork has no blocks";
        } else {
            ASSERT_TRUE(fork);
            EXPECT_EQ(fork->toBytes(), bytes);
        }
        EXPECT_FALSE(volume->getFork(ForkType::resource, item));
    }

    // Both forks, the codes, the Finder flags and the dates of MacBinary.
    const auto forked = childNamed(*volume, childNamed(*volume, nullptr, "Folder"), "Forked");
    ASSERT_TRUE(forked);
    EXPECT_EQ(volume->getFork(ForkType::data, forked)->toBytes(), data);
    EXPECT_EQ(volume->getFork(ForkType::resource, forked)->toBytes(), resource);
    EXPECT_EQ(forked->logicalSizeInBytes(), 1234 + 3000);
    EXPECT_EQ(forked->physicalSizeInBytes(),
              leafOf(forked).fileRecord()->filPyLen + leafOf(forked).fileRecord()->filRPyLen);
    EXPECT_EQ(forked->flags(), std::vector<FinderFlag>{FinderFlag::kHasBundle});
    EXPECT_EQ(forked->type()->string(), "APPL");
    EXPECT_EQ(forked->creator()->string(), "FoRk");
    EXPECT_EQ(HFSReaderBlock::macintoshIntegerValue(*forked->modificationDate()), 0xA1234567);
    EXPECT_EQ(HFSReaderBlock::macintoshIntegerValue(*forked->creationDate()), 0xA0000000);
    const auto onlyResources = childNamed(*volume, nullptr, "Only Resources");
    EXPECT_TRUE(onlyResources->isInvisible());
    EXPECT_FALSE(volume->getFork(ForkType::data, onlyResources));
    EXPECT_EQ(volume->getFork(ForkType::resource, onlyResources)->toBytes(), resource);

    // Every item of the walk, parents and the path shown for it.
    const auto hierarchy = volume->fileHierarchy();
    EXPECT_EQ(hierarchy.size(), 13u);
    for (const auto& element : hierarchy) {
        const auto parent = volume->parentItem(element.item);
        ASSERT_TRUE(parent);
        EXPECT_TRUE(parent->isFolder());
        EXPECT_EQ(volume->tree(element.item).size(), static_cast<size_t>(element.level) + 2);
    }
    EXPECT_EQ(volume->tree(childNamed(*volume, childNamed(*volume, nullptr, "Folder"), "Sub Folder")),
              (std::vector<std::string>{"Folder", "Mixed Bag", "Mixed Bag - Macintosh (HFS)"}));
    (void)volumeInfo;
}

TEST_F(HFSVolumeMadeByHfsutils, SampleTree) {
    const ImageBytes bytes = testing::makeSampleTreeVolume(tool, folder.file("tree.img"));
    const auto volume = HFSVolume::fromImageData(bytes);
    ASSERT_TRUE(volume);
    tool.mount(folder.file("tree.img"));
    const std::string listingText = tool.recursiveListing();
    expectVolumeMatchesListing(*volume, testing::parseHlsListing(listingText));
    EXPECT_EQ(childNames(*volume, childNamed(*volume, nullptr, "Letters")),
              (std::vector<std::string>{"Banana", "Date", "apple", "cherry"}));
    EXPECT_EQ(volume->numberOfChildrenOfItem(childNamed(*volume, nullptr, "Many")), 40);
}

TEST_F(HFSVolumeMadeByHfsutils, FragmentedFileReadsWholeThroughTheExtentsOverflowFile) {
    const std::string image = folder.file("fragments.img");
    const ImageBytes bytes = testing::makeFragmentedVolume(tool, image);
    const auto volume = HFSVolume::fromImageData(bytes);
    ASSERT_TRUE(volume);
    ASSERT_FALSE(volume->extentsOverflowFile()->leaves.empty());
    const auto big = childNamed(*volume, nullptr, "Big");
    ASSERT_TRUE(big);
    const HFSCatalogLeafRecord leaf = leafOf(big);
    const auto& file = *leaf.fileRecord();
    const auto fork = volume->getFork(ForkType::data, big);
    ASSERT_TRUE(fork);
    EXPECT_EQ(fork->size(), 200000u);

    int64_t firstBlocks = 0;
    for (const auto& extent : file.filExtRec) firstBlocks += extent.xdrNumABlks;
    EXPECT_LT(firstBlocks * volume->masterDirectoryBlock()->drAlBlkSiz, 200000)
        << "the first three extents alone fall short";
    EXPECT_GT(volume->fileExtents(0x00, file.filFlNum, file.filExtRec, file.filPyLen).size(), 3u);

    tool.mount(image);
    tool.run({"hcopy", "-r", ":Big", folder.file("big.out")});
    EXPECT_EQ(fork->toBytes(), fs::readWholeFile(folder.file("big.out")).toBytes()) << "what hcopy copies out";
    expectVolumeMatchesListing(*volume, testing::parseHlsListing(tool.recursiveListing()));
}

// With its overflow record gone (its key names another file), "Big" has only
// its first three extents: too few bytes, refused rather than read short.
TEST_F(HFSVolumeMadeByHfsutils, AFragmentedFileWithoutItsOverflowRecordIsRefused) {
    Bytes bytes = testing::makeFragmentedVolume(tool, folder.file("fragments.img")).toBytes();
    const auto record = testing::firstLeafRecord(bytes, testing::VolumeBTreeFile::extentsOverflow);
    ASSERT_TRUE(record);
    bytes.at(*record + 5) ^= 0x40;  // the low byte of the key's file number
    const auto volume = HFSVolume::fromImageData(ImageBytes(std::move(bytes)));
    ASSERT_TRUE(volume);
    const auto big = childNamed(*volume, nullptr, "Big");
    ASSERT_TRUE(big);
    testing::expectError<HFSVolumeError>(HFSVolumeError::Case::forkShorterThanLength,
                                         [&] { volume->getFork(ForkType::data, big); });
}

TEST_F(HFSVolumeMadeByHfsutils, CatalogGrownPastItsFirstExtents) {
    // Many small files make the catalog grow while larger files take the
    // blocks behind each of its extents: its fourth and later extents go to
    // the extents overflow file.
    const std::string image = folder.file("crowded.img");
    tool.formatNewImage(image, "Crowded", 1440 * 1024);
    const std::string small = writeHostFile(folder, "small", pattern(1500, 1));
    const std::string larger = writeHostFile(folder, "larger", pattern(30000, 2));
    for (int i = 1; i <= 260; ++i) {
        tool.copyIn(small, ":f" + std::to_string(i));
        if (i % 20 == 0) tool.copyIn(larger, ":m" + std::to_string(i));
    }
    const std::string listingText = tool.recursiveListing();
    tool.unmount();

    const auto volume = HFSVolume::fromImageData(fs::readWholeFile(image));
    ASSERT_TRUE(volume);
    const auto& mdb = *volume->masterDirectoryBlock();
    int64_t firstBlocks = 0;
    for (const auto& extent : mdb.drCTExtRec) firstBlocks += extent.xdrNumABlks;
    ASSERT_LT(firstBlocks * mdb.drAlBlkSiz, mdb.drCTFlSize) << "the catalog has more than its first three extents";
    const std::vector<ExtDescriptor> first(mdb.drCTExtRec.begin(), mdb.drCTExtRec.end());
    EXPECT_GT(volume->fileExtents(0x00, HFSVolume::catalogFileNumber, first, mdb.drCTFlSize).size(), 3u);
    EXPECT_EQ(volume->numberOfChildrenOfItem(nullptr), 273);
    EXPECT_EQ(expectVolumeMatchesListing(*volume, testing::parseHlsListing(listingText)), 273);
}

// ---------------------------------------------------------------------------
// The corpus

struct CorpusVolume {
    const char* path;    // in the corpus
    const char* oracle;  // hls listing in the corpus; empty: none (hfsutils refused the volume)
    bool diskCopy;       // inside a Disk Copy 4.2 image
    int64_t files;       // MANIFEST.md's counts (the master directory block's), -1: not recorded
    int64_t folders;
    int64_t rootItems;
};

std::optional<ImageBytes> loadCorpusImage(const std::string& relative, const TemporaryDirectory& scratch) {
    const auto path = testing::corpusFile(relative);
    if (!path) return std::nullopt;
    if (path->extension() != ".xz") return fs::readWholeFile(path->string());
    if (!testing::isCommandAvailable("xz")) return std::nullopt;
    const std::string unpacked = scratch.file("volume.img");
    const auto result = testing::runCommand({"sh", "-c", "xz -dc \"$0\" > \"$1\"", path->string(), unpacked});
    if (result.exitStatus != 0) return std::nullopt;
    return fs::readWholeFile(unpacked);
}

class HFSVolumeOfCorpus : public ::testing::TestWithParam<CorpusVolume> {
protected:
    testing::ScopedTimeZone zone{"UTC"};
};

TEST_P(HFSVolumeOfCorpus, MatchesManifestAndListing) {
    const CorpusVolume& sample = GetParam();
    const TemporaryDirectory scratch;
    const auto image = loadCorpusImage(sample.path, scratch);
    if (!image) GTEST_SKIP() << sample.path << " is not in the corpus (or xz is missing)";
    ImageBytes bytes = *image;
    if (sample.diskCopy) {
        ASSERT_TRUE(DiskCopy42::hasSignature(bytes));
        bytes = DiskCopy42::extractedImage(bytes);
    }
    auto volume = HFSVolume::fromImageData(bytes);
    ASSERT_TRUE(volume);
    if (sample.diskCopy) {
        volume->setWrapper(std::make_shared<DiskCopy42>());
        EXPECT_EQ(volume->volumeFormatName(), "Macintosh (HFS)\n(" + DiskCopy42().descriptiveName() + ")");
    }
    if (sample.files >= 0) {
        EXPECT_EQ(volume->totalCountOfFiles(), sample.files);
    }
    if (sample.folders >= 0) {
        EXPECT_EQ(volume->totalCountOfFolders(), sample.folders);
    }
    if (sample.rootItems >= 0) {
        EXPECT_EQ(volume->numberOfChildrenOfItem(nullptr), sample.rootItems);
    }

    // The walk finds every item the master directory block counts.
    int64_t files = 0;
    int64_t folders = 0;
    for (const auto& element : volume->fileHierarchy()) {
        (element.item->isFolder() ? folders : files) += 1;
        try {
            (void)volume->getFork(ForkType::data, element.item);
            (void)volume->getFork(ForkType::resource, element.item);
        } catch (const BlockStructureDefinableError&) {
            EXPECT_EQ(std::string(sample.path), "hfs/hr-ResEdit_2.1.3.img") << "only the cut-short image";
        }
    }
    if (sample.files >= 0) {
        EXPECT_EQ(files, sample.files);
    }
    if (sample.folders >= 0) {
        EXPECT_EQ(folders, sample.folders);
    }

    if (std::string(sample.oracle).empty()) return;
    const auto oracle = testing::corpusFile(sample.oracle);
    if (!oracle) return;
    const std::string text = readText(*oracle);
    ASSERT_NE(text.find("# Volume name is"), std::string::npos);
    auto listing = testing::parseHlsListing(text);
    listing[":"];  // an empty root is listed too
    EXPECT_EQ(expectVolumeMatchesListing(*volume, listing), files + folders) << "hls lists every item";
    expectHeaderMatches(*volume, text);
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, HFSVolumeOfCorpus,
    ::testing::Values(
        CorpusVolume{"hfs/cp2-simple-linux.po", "hfs/oracles/cp2-simple-linux.po.hls.txt", false, 9, 3, 9},
        CorpusVolume{"hfs/cp2-simple-gsos.po", "hfs/oracles/cp2-simple-gsos.po.hls.txt", false, 13, 3, 5},
        CorpusVolume{"hfs/cp2-blank-800k.po", "hfs/oracles/cp2-blank-800k.po.hls.txt", false, 0, 0, 0},
        CorpusVolume{"hfs/fc-hello-world-untitled-volume.img", "hfs/oracles/fc-hello-world-untitled-volume.img.hls.txt",
                     false, 1, 0, 1},
        CorpusVolume{"hfs/hr-importfl-1.2.2.dsk", "hfs/oracles/hr-importfl-1.2.2.dsk.hls.txt", false, 22, -1, 8},
        CorpusVolume{"hfs/hr-ResEdit_2.1.3.img", "", false, 27, 9, -1},
        CorpusVolume{"hfs/im-System_3.3.dsk", "hfs/oracles/im-System_3.3.dsk.hls.txt", false, 19, 3, 4},
        CorpusVolume{"hfs/im-System_6.0.8_System_Startup.img", "hfs/oracles/im-System_6.0.8_System_Startup.img.hls.txt",
                     false, 28, 1, -1},
        CorpusVolume{"hfs/mr-hfs400K.dsk", "", false, 1, -1, -1},
        CorpusVolume{"hfs/util-linux-hfs.img.xz", "hfs/oracles/util-linux-hfs.img.hls.txt", false, 0, 0, 0},
        CorpusVolume{"dc42/cp2-Installer_Disk_1.image", "dc42/oracles/cp2-Installer_Disk_1.image.hls.txt", true, 31, 2,
                     8},
        CorpusVolume{"dc42/dcr-DART_1.5.3.image", "dc42/oracles/dcr-DART_1.5.3.image.hls.txt", true, -1, -1, -1},
        CorpusVolume{"dc42/im-MacOS_8.1_Disk_Tools_68K_FD.dsk",
                     "dc42/oracles/im-MacOS_8.1_Disk_Tools_68K_FD.dsk.hls.txt", true, 7, 10, -1}),
    testing::namedBy(&CorpusVolume::path));

TEST(HFSVolumeOfCorpusDetails, NamedItemsOfTheSystemDisks) {
    const testing::ScopedTimeZone zone{"UTC"};
    const auto tools = testing::corpusFile("hfs/im-System_3.3.dsk");
    if (!tools) GTEST_SKIP() << "hfs/im-System_3.3.dsk is not in the corpus";
    const auto volume = HFSVolume::fromImageData(fs::readWholeFile(tools->string()));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->volumeName(), "System Tools");
    EXPECT_TRUE(volume->isBootable());
    EXPECT_EQ(volume->helpfulDescription(), "This is a bootable HFS Volume.");
    EXPECT_EQ(childNames(*volume, nullptr),
              (std::vector<std::string>{"Desktop", "System Folder", "Utilities Folder", "Welcome!"}));
    const auto desktop = childNamed(*volume, nullptr, "Desktop");
    EXPECT_TRUE(desktop->isInvisible());
    EXPECT_EQ(desktop->type()->string(), "FNDR");
    const auto welcome = childNamed(*volume, nullptr, "Welcome!");
    EXPECT_EQ(*welcome->modificationDate(), HFSReaderBlock::epoch()) << "listed as Jan  1  1904";
    const auto finder = childNamed(*volume, childNamed(*volume, nullptr, "System Folder"), "Finder");
    ASSERT_TRUE(finder);
    EXPECT_EQ(volume->getFork(ForkType::resource, finder)->size(), 80097u);
    EXPECT_EQ(volume->tree(finder),
              (std::vector<std::string>{"System Folder", "System Tools", "System Tools - Macintosh (HFS)"}));
}

}  // namespace
}  // namespace zorv
