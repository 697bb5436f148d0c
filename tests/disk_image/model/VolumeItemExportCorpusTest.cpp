// The export of the real volumes of ../shared/corpus, of every format, and
// of a volume made by Debian's hfsutils: the tree written, each data fork as
// the volume reads it, resource forks as ".rsrc" files, and type and creator
// as Finder information.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/model/DeviceRepresentable.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/HfsTool.hpp"
#include "support/HlsListing.hpp"
#include "support/MacBinary.hpp"
#include "support/HostFiles.hpp"
#include "support/RunCommand.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::TemporaryDirectory;

// The volumes of an image: a bare volume's, or those of a device's partitions.
std::vector<std::shared_ptr<const VolumeRepresentable>> volumesOf(const ImageBytes& image) {
    const ImageParser parser(image, URL::fileURLWithPath("image"));
    if (parser.volume()) return {parser.volume()};
    std::vector<std::shared_ptr<const VolumeRepresentable>> volumes;
    if (const auto device = parser.device()) {
        for (int64_t index = 0; index < std::ssize(device->devicePartitions()); ++index) {
            if (auto volume = device->volumeForPartition(index)) volumes.push_back(std::move(volume));
        }
    }
    return volumes;
}

void exportVolume(const VolumeRepresentable& volume, const std::filesystem::path& folder, bool separateForks) {
    const URL url = URL::fileURLWithPath(folder.string());
    for (int64_t index = 0; index < volume.numberOfChildrenOfItem(nullptr); ++index) {
        volume.exportItem(volume.child(index, nullptr), url, separateForks);
    }
}

// Where the export puts a file whose names hold nothing to make safe: its
// enclosing names joined by slashes below the destination, then its name
// with its slashes made hyphens.
std::string plainPath(const VolumeRepresentable& volume, const VolumeItem& item) {
    std::string path;
    const auto enclosing = volume.tree(item);
    for (auto level = enclosing.rbegin(); level != enclosing.rend(); ++level) path += *level + "/";
    std::string name = item->name();
    std::replace(name.begin(), name.end(), '/', '-');
    return std::filesystem::path(path + name).lexically_normal().string();
}

// Volumes of every format and wrapper (a few of each, those with resource
// forks, folders and names to make safe among them), exported with separate
// forks, write one file a file of the volume and a ".rsrc" file beside each that has a resource fork,
// with the volume's data and resource forks, the type and creator codes as
// Finder information, and the modification date.
struct Case {
    const char* file;
    // A file the export must write, from what the image is known to hold
    // (MANIFEST.md); empty for a volume without files; nullptr for a volume
    // cut short, whose error of reading a fork beyond its end ends the export.
    const char* knownFile;
};

class CorpusExport : public ::testing::TestWithParam<Case> {};

TEST_P(CorpusExport, WritesEachFileWithItsForksCodesAndDate) {
    const Case& c = GetParam();
    const auto image = testing::corpusImage(c.file);
    if (!image) GTEST_SKIP() << c.file << " is not in the corpus (or xz is missing)";
    const auto volumes = volumesOf(*image);
    ASSERT_FALSE(volumes.empty());
    if (c.knownFile == nullptr) {
        const TemporaryDirectory destination;
        const auto exportIt = [&] { exportVolume(*volumes[0], destination.path(), true); };
        using Error = BlockStructureDefinableError;
        testing::expectError<Error>(Error::Case::unreacheableBlock, exportIt);
        return;
    }

    std::set<std::string> allWritten;
    for (const auto& volume : volumes) {
        const TemporaryDirectory destination;
        exportVolume(*volume, destination.path(), true);
        std::set<std::string> expected;
        for (const FileHierarchyElement& element : volume->fileHierarchy()) {
            const VolumeItem& item = element.item;
            if (item->isFolder()) continue;
            const std::string path = plainPath(*volume, item);
            SCOPED_TRACE(path);
            const auto dataFile = destination.path() / path;
            expected.insert(path);
            const auto data = volume->getFork(ForkType::data, item);
            EXPECT_EQ(testing::fileBytes(dataFile), data ? data->toBytes() : Bytes());
            if (const auto resource = volume->getFork(ForkType::resource, item)) {
                expected.insert(path + ".rsrc");
                EXPECT_EQ(testing::fileBytes(dataFile.string() + ".rsrc"), resource->toBytes());
            }
            std::optional<Bytes> finderInfo;
            if (item->type() || item->creator()) {
                finderInfo = item->type() ? item->type()->internalBytes : Bytes(4, 0);
                const Bytes creator = item->creator() ? item->creator()->internalBytes : Bytes(4, 0);
                finderInfo->insert(finderInfo->end(), creator.begin(), creator.end());
                finderInfo->resize(32, 0);
            }
            EXPECT_EQ(testing::attributeValue(dataFile, "user.com.apple.FinderInfo"), finderInfo);
            if (const auto modified = item->modificationDate()) {
                EXPECT_EQ(testing::modificationSeconds(dataFile), modified->secondsSince1970);
            }
        }
        const auto written = testing::regularFilesBelow(destination.path());
        EXPECT_EQ(written, expected);
        allWritten.insert(written.begin(), written.end());
    }
    if (*c.knownFile == '\0') {
        EXPECT_TRUE(allWritten.empty());
    } else {
        EXPECT_TRUE(allWritten.contains(c.knownFile)) << c.knownFile;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Export, CorpusExport,
    ::testing::Values(
        Case{"hfs/cp2-blank-800k.po", ""},
        Case{"hfs/cp2-simple-linux.po", "New Disk - Macintosh (HFS)/New Disk/SubDir/SubSubDir/sub-sub-dir-file"},
        Case{"hfs/im-System_6.0.8_System_Startup.img",
                         "System Startup - Macintosh (HFS)/System Startup/Disk First Aid.rsrc"},
        Case{"hfs/hr-ResEdit_2.1.3.img", nullptr},
        Case{"hfsplus/dfvfs-hfsplus.raw",
                         "hfsplus_test - Macintosh (HFS+)/hfsplus_test/a_directory/a_resourcefork.rsrc"},
        Case{"mfs/im-System_1.0_Original.dsk", "System Disk - Macintosh (MFS)/Note Pad File"},
        Case{"dc42/dcr-DART_1.5.3.image",
                         "DART™ 1.5.3 - Macintosh (HFS)\n(Disk Copy)/DART™ 1.5.3/DART™ 1.5 Manual.rsrc"},
        Case{"apm/cp2-apm-prodos-hfs.iso", "New Disk - Macintosh (HFS)/New Disk/HardPressed.CDV"},
        Case{"apm/mr-combined.dsk", "Untitled - Macintosh (MFS)/Apple HD SC Setup"},
        Case{"2img/cp2-prodos-disk.2mg", "FORKED - Apple II (ProDOS)/HELVETICA.rsrc"},
        Case{"dos33/cp2-dos-files.do", "Volume 254 - Apple II (DOS 3.3)/ANIMALSFILE"},
        Case{"prodos/cp2-simple-dir-test.po", "DIRTEST - Apple II (ProDOS)/SUBDIR1/SUBDIR2/A26"},
        Case{"st/hatari-bootauto.st", "Untitled - Atari ST (FAT12)/AUTO/MINIMAL.PRG"},
        Case{"msa/derived-hmsa-hatari-bootdesk.msa", "Untitled - Atari ST (MSA)/EMUDESK.INF"},
        Case{"adf/links.adf", "links - Amiga Floppy (FFS)/dir1/dir11/file2"},
        Case{"adf/testhd.adf", "hd_ffs_intl_dircache - Amiga Floppy (FFS)/dir_1/blue2c.gif"},
        Case{"adf/testofs.adf", "testofs - Amiga Floppy (OFS)/MOON.GIF"}),
    testing::namedBy(&Case::file));

// --- A volume made by hfsutils ---

struct HfsFile {
    const char* hfsFolder;  // as hls names it
    const char* name;
    size_t size;
    const char* exportedAt;  // below the destination
};

// Names that would climb out of the destination if taken as they are: the
// volume "../x", folders ".." and ".", a file "."; and slashes in a folder
// name (further levels) and in a file name (a hyphen).
const HfsFile hfsFiles[] = {
    {":..:.:", ".", 5, "--/x - Macintosh (HFS)/--/x/--/-/-"},
    {":A/B:", "C/D", 0, "--/x - Macintosh (HFS)/--/x/A/B/C-D"},
    {":A/B:Inner:", "Big", 70000, "--/x - Macintosh (HFS)/--/x/A/B/Inner/Big"},
    {":", "Small", 513, "--/x - Macintosh (HFS)/--/x/Small"},
};

TEST(HfsutilsExport, FilesEqualWhatHcopyExtractsAndNothingLeavesTheDestination) {
    if (!testing::HfsTool::isAvailable() || !testing::isCommandAvailable("getfattr")) {
        GTEST_SKIP() << "needs hfsutils and getfattr (Debian's attr)";
    }
    const TemporaryDirectory scratch;
    const std::string imagePath = scratch.file("volume.img");
    testing::HfsTool hfs;
    hfs.formatNewImage(imagePath, "../x", 819200);
    for (const char* folder : {":..:", ":..:.:", ":A/B:", ":A/B:Inner:"}) hfs.makeFolder(folder);
    for (const HfsFile& file : hfsFiles) {
        Bytes contents(file.size);
        for (size_t index = 0; index < contents.size(); ++index) contents[index] = static_cast<uint8_t>(index * 7);
        const std::string source = scratch.file("source");
        std::ofstream(source, std::ios::binary)
            .write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
        hfs.copyIn(source, std::string(file.hfsFolder) + file.name);
    }
    hfs.setTypeAndCreator(":A/B:C/D", "TEXT", "ttxt");
    const auto listing = testing::parseHlsListing(hfs.recursiveListing());
    hfs.unmount();

    const auto volumes = volumesOf(fs::readWholeFile(imagePath));
    ASSERT_EQ(volumes.size(), 1u);
    const TemporaryDirectory outer;
    const auto destination = outer.path() / "out";
    std::filesystem::create_directory(destination);
    exportVolume(*volumes[0], destination, true);

    std::set<std::string> expected;
    for (const HfsFile& file : hfsFiles) expected.insert(std::string("out/") + file.exportedAt);
    EXPECT_EQ(testing::regularFilesBelow(outer.path()), expected);

    hfs.mount(imagePath);
    for (const HfsFile& file : hfsFiles) {
        SCOPED_TRACE(file.exportedAt);
        const auto exported = destination / file.exportedAt;
        const std::string extracted = scratch.file("extracted");
        hfs.run({"hcopy", "-r", std::string(file.hfsFolder) + file.name, extracted});
        EXPECT_EQ(testing::fileBytes(exported), testing::fileBytes(extracted));

        const auto& entries = listing.at(file.hfsFolder);
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&](const testing::HlsEntry& listed) { return listed.name == file.name; });
        ASSERT_NE(entry, entries.end());
        std::string finderInfo = entry->type + entry->creator;
        finderInfo.resize(32, '\0');
        const auto read = testing::runCommand(
            {"getfattr", "--absolute-names", "--only-values", "-n", "user.com.apple.FinderInfo", exported.string()});
        EXPECT_EQ(read.exitStatus, 0);
        EXPECT_EQ(read.output, finderInfo);
    }
}

// The one volume of an image that hfsutils wrote, once `fill` has run on it
// with the tool mounted on it; `source` is a scratch file beside it.
std::shared_ptr<const VolumeRepresentable> hfsutilsVolume(const TemporaryDirectory& scratch, const char* name,
                                                          int64_t size,
                                                          const std::function<void(testing::HfsTool&)>& fill) {
    const std::string imagePath = scratch.file("volume.img");
    testing::HfsTool hfs;
    hfs.formatNewImage(imagePath, name, size);
    fill(hfs);
    hfs.unmount();
    const auto volumes = volumesOf(fs::readWholeFile(imagePath));
    EXPECT_EQ(volumes.size(), 1u);
    return volumes.empty() ? nullptr : volumes[0];
}

// Names that meet on one host path: "a/b" and "a-b", "." and "-", ".." and
// "--", "Foo"'s resource fork and a file "Foo.rsrc", and folders "X/Y" and
// "X" > "Y" each holding "f". One export of the volume's root folder keeps
// every fork's bytes, the later of two names numbered before its extension;
// exported again over the first, the same files are replaced.
TEST(HfsutilsExport, OneExportKeepsEveryForkWhereNamesMeet) {
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "needs hfsutils";
    const TemporaryDirectory scratch;
    // Each fork is told by its length and filling.
    const auto label = [](const Bytes& bytes) { return std::to_string(bytes.size()) + char(bytes.at(0)); };
    std::multiset<std::string> forks;
    const auto newFork = [&] {
        const Bytes bytes(100 + forks.size(), static_cast<uint8_t>('A' + forks.size()));
        forks.insert(label(bytes));
        return bytes;
    };
    const std::string source = scratch.file("source");
    const auto volume = hfsutilsVolume(scratch, "Meet", 819200, [&](testing::HfsTool& hfs) {
        for (const char* folder : {":X/Y", ":X", ":X:Y"}) hfs.makeFolder(folder);
        for (const char* name : {"a-b", "Foo.rsrc", "-", ".", "--", "..", "X/Y:f", "X:Y:f"}) {
            fs::createFile(source, newFork());
            hfs.copyIn(source, std::string(":") + name);
        }
        for (const char* name : {"a/b", "Foo"}) {
            const Bytes data = newFork();
            fs::createFile(source, testing::macBinary(name, "TEXT", "ttxt", 0, data, newFork()));
            hfs.run({"hcopy", "-m", source, std::string(":") + name});
        }
    });
    ASSERT_TRUE(volume);
    const VolumeItem root = volume->parentItem(volume->child(0, nullptr));
    ASSERT_TRUE(root);
    std::set<std::string> expected;
    for (const char* file : {"-", "- 2", "--", "-- 2", "a-b", "a-b 2", "a-b 2.rsrc", "Foo", "Foo.rsrc", "Foo 2.rsrc",
                             "X/Y/f", "X/Y/f 2"}) {
        expected.insert(std::string("Meet - Macintosh (HFS)/Meet/") + file);
    }
    const TemporaryDirectory destination;
    for (int round = 0; round < 2; ++round) {
        volume->exportItem(root, URL::fileURLWithPath(destination.path().string()), true);
        const auto files = testing::regularFilesBelow(destination.path());
        EXPECT_EQ(files, expected);
        std::multiset<std::string> written;
        for (const std::string& file : files) written.insert(label(testing::fileBytes(destination.path() / file)));
        EXPECT_EQ(written, forks);
    }
}

// A file 300 folders deep lands below every one of them and the volume's
// root folder.
TEST(HfsutilsExport, AFileBelowThreeHundredFoldersLandsBelowThemAll) {
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "needs hfsutils";
    const TemporaryDirectory scratch;
    std::string expected = "Deep - Macintosh (HFS)/Deep";
    const auto volume = hfsutilsVolume(scratch, "Deep", 1474560, [&](testing::HfsTool& hfs) {
        std::string hfsPath;
        for (int depth = 1; depth <= 300; ++depth) {
            hfsPath += ":d" + std::to_string(depth);
            expected += "/d" + std::to_string(depth);
            hfs.makeFolder(hfsPath);
        }
        fs::createFile(scratch.file("source"), Bytes{'x'});
        hfs.copyIn(scratch.file("source"), hfsPath + ":f");
    });
    ASSERT_TRUE(volume);
    const auto hierarchy = volume->fileHierarchy();
    ASSERT_EQ(hierarchy.size(), 301u);
    const TemporaryDirectory destination;
    volume->exportItem(hierarchy.back().item, URL::fileURLWithPath(destination.path().string()), true);
    EXPECT_EQ(testing::regularFilesBelow(destination.path()), std::set<std::string>{expected + "/f"});
}

}  // namespace
}  // namespace zorv
