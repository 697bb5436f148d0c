// The export of the real volumes of ../shared/corpus, of every format, and
// of volumes made by Debian's hfsutils: the tree written, each data fork as
// the volume reads it, resource forks as ".rsrc" files or attributes, and
// type and creator as Finder information.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
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
#include "support/HostFiles.hpp"
#include "support/RunCommand.hpp"
#include "support/TemporaryDirectory.hpp"

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

Bytes bytesOf(const std::optional<ImageBytes>& fork) { return fork ? fork->toBytes() : Bytes(); }

// --- Every corpus volume ---

struct CorpusExportCase {
    const char* file;
    // One file the export must write, from what the image is known to hold
    // (MANIFEST.md); empty for a volume without files.
    const char* knownFile;
};

class CorpusExport : public ::testing::TestWithParam<CorpusExportCase> {};

TEST_P(CorpusExport, WritesEachFileWithItsForksCodesAndDate) {
    const CorpusExportCase& c = GetParam();
    const auto image = testing::corpusImage(c.file);
    if (!image) GTEST_SKIP() << c.file << " is not in the corpus (or xz is missing)";
    const auto volumes = volumesOf(*image);
    ASSERT_FALSE(volumes.empty());

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
            EXPECT_EQ(testing::fileBytes(dataFile), bytesOf(volume->getFork(ForkType::data, item)));
            if (const auto resource = volume->getFork(ForkType::resource, item)) {
                expected.insert(path + ".rsrc");
                EXPECT_EQ(testing::fileBytes(dataFile.string() + ".rsrc"), resource->toBytes());
            }
            const auto finderInfo = testing::attributeValue(dataFile, "user.com.apple.FinderInfo");
            const auto type = item->type();
            const auto creator = item->creator();
            if (type || creator) {
                ASSERT_TRUE(finderInfo.has_value());
                ASSERT_EQ(finderInfo->size(), 32u);
                EXPECT_EQ(Bytes(finderInfo->begin(), finderInfo->begin() + 4),
                          type ? type->internalBytes : Bytes(4, 0));
                EXPECT_EQ(Bytes(finderInfo->begin() + 4, finderInfo->begin() + 8),
                          creator ? creator->internalBytes : Bytes(4, 0));
                EXPECT_EQ(Bytes(finderInfo->begin() + 8, finderInfo->end()), Bytes(24, 0));
            } else {
                EXPECT_FALSE(finderInfo.has_value());
            }
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
        CorpusExportCase{"hfs/cp2-blank-800k.po", ""},
        CorpusExportCase{"hfs/cp2-simple-gsos.po", "HFS - GS/OS - Macintosh (HFS)/HFS - GS/OS/SIZES/L513"},
        CorpusExportCase{"hfs/cp2-simple-linux.po",
                         "New Disk - Macintosh (HFS)/New Disk/SubDir/SubSubDir/sub-sub-dir-file"},
        CorpusExportCase{"hfs/fc-hello-world-untitled-volume.img",
                         "Untitled - Macintosh (HFS)/Untitled/helloworld.txt"},
        CorpusExportCase{"hfs/util-linux-hfs.img.xz", ""},
        CorpusExportCase{"hfs/im-System_3.3.dsk",
                         "System Tools - Macintosh (HFS)/System Tools/Utilities Folder/TeachText.rsrc"},
        CorpusExportCase{"hfs/im-System_6.0.8_System_Startup.img",
                         "System Startup - Macintosh (HFS)/System Startup/Disk First Aid.rsrc"},
        CorpusExportCase{"hfs/hr-importfl-1.2.2.dsk", "ImportFl - Macintosh (HFS)/ImportFl/README.txt"},
        CorpusExportCase{"hfs/mr-hfs400K.dsk", "Untitled - Macintosh (HFS)/Untitled/Desktop"},
        CorpusExportCase{"hfsplus/dfvfs-hfsplus.raw",
                         "hfsplus_test - Macintosh (HFS+)/hfsplus_test/a_directory/a_resourcefork.rsrc"},
        CorpusExportCase{"hfsplus/util-linux-hfsplus.img.xz", ""},
        CorpusExportCase{"mfs/cp2-Workstation_Installer.IMG", "Workstation Installer - Macintosh (MFS)/LaserWriter"},
        CorpusExportCase{"mfs/im-System_1.0_Original.dsk", "System Disk - Macintosh (MFS)/Note Pad File"},
        CorpusExportCase{"mfs/im-System_1.1.dsk", "System Disk - Macintosh (MFS)/Font Mover"},
        CorpusExportCase{"mfs/mr-mfs1440K.dsk", "Untitled - Macintosh (MFS)/DeskTop"},
        CorpusExportCase{"dc42/cp2-Installer_Disk_1.image",
                         "Installer Disk 1 - Macintosh (HFS)\n(Disk Copy)/Installer Disk 1/Dial Up/Apple Modem 2400"},
        CorpusExportCase{"dc42/dcr-DART_1.5.3.image",
                         "DART™ 1.5.3 - Macintosh (HFS)\n(Disk Copy)/DART™ 1.5.3/DART™ 1.5 Manual.rsrc"},
        CorpusExportCase{"dc42/dcr-GSOS_Disk_2_of_7-SystemDisk.image", "SYSTEM.DISK - Apple II (ProDOS)/BASIC.SYSTEM"},
        CorpusExportCase{"dc42/im-MacOS_8.1_Disk_Tools_68K_FD.dsk",
                         "Disk Tools 1 - Macintosh (HFS)\n(Disk Copy)/Disk Tools 1/Drive Setup Lite.rsrc"},
        CorpusExportCase{"apm/cp2-apm-prodos-hfs.iso", "New Disk - Macintosh (HFS)/New Disk/HardPressed.CDV"},
        CorpusExportCase{"apm/mr-combined.dsk", "Untitled - Macintosh (MFS)/Apple HD SC Setup"},
        CorpusExportCase{"2img/cp2-dos33-disk.2mg", "Volume 254 - Apple II (DOS 3.3)/HELLO"},
        CorpusExportCase{"2img/cp2-prodos-disk.2mg", "FORKED - Apple II (ProDOS)/HELVETICA.rsrc"},
        CorpusExportCase{"dos33/cp2-blank-nodos.do", ""},
        CorpusExportCase{"dos33/cp2-dos-files.do", "Volume 254 - Apple II (DOS 3.3)/ANIMALSFILE"},
        CorpusExportCase{"dos33/cp2-simple-sparse.do", "Volume 254 - Apple II (DOS 3.3)/case test"},
        CorpusExportCase{"dos33/cp2-system-master-1983.po", "Volume 1 - Apple II (DOS 3.3)/MUFFIN"},
        CorpusExportCase{"prodos/cp2-blank-140k.po", ""},
        CorpusExportCase{"prodos/cp2-extended.do", "FORKED - Apple II (ProDOS)/EXTTEXT.rsrc"},
        CorpusExportCase{"prodos/cp2-simple-dir-test.po", "DIRTEST - Apple II (ProDOS)/SUBDIR1/SUBDIR2/A26"},
        CorpusExportCase{"prodos/cp2-simple-sparse.po", "SIMPLE.SPARSE - Apple II (ProDOS)/SIZES/L131073"},
        CorpusExportCase{"st/hatari-blank-a.st", ""},
        CorpusExportCase{"st/hatari-bootauto.st", "Untitled - Atari ST (FAT12)/AUTO/MINIMAL.PRG"},
        CorpusExportCase{"st/hatari-bootdesk.st", "Untitled - Atari ST (FAT12)/DESKTOP.INF"},
        CorpusExportCase{"msa/derived-hmsa-hatari-bootdesk.msa", "Untitled - Atari ST (MSA)/EMUDESK.INF"},
        CorpusExportCase{"adf/arccsh.adf", "cshell - Amiga Floppy (OFS)/s/startup-sequence"},
        CorpusExportCase{"adf/blank.adf", "toto - Amiga Floppy (OFS)/Trashcan.info"},
        CorpusExportCase{"adf/links.adf", "links - Amiga Floppy (FFS)/dir1/dir11/file2"},
        CorpusExportCase{"adf/test_link_chains.adf", "link_chains - Amiga Floppy (FFS)/dir1/dir1_1/testfile1.txt"},
        CorpusExportCase{"adf/testffs.adf", "ffs_cache - Amiga Floppy (FFS)/dir_2/blue2c.gif"},
        CorpusExportCase{"adf/testhd.adf", "hd_ffs_intl_dircache - Amiga Floppy (FFS)/dir_1/blue2c.gif"},
        CorpusExportCase{"adf/testofs.adf", "testofs - Amiga Floppy (OFS)/MOON.GIF"},
        CorpusExportCase{"adf/win32-names.adf", "win32-names - Amiga Floppy (FFS)/win32-names.sh"}),
    [](const auto& info) {
        std::string name = std::filesystem::path(info.param.file).filename().string();
        std::replace_if(
            name.begin(), name.end(), [](char ch) { return !std::isalnum(static_cast<unsigned char>(ch)); }, '_');
        return name;
    });

// The ResEdit image is cut short: the volume's error of reading a fork
// beyond its end ends the export.
TEST(CorpusExportFailure, TruncatedVolumeEndsWithTheVolumesError) {
    const auto image = testing::corpusImage("hfs/hr-ResEdit_2.1.3.img");
    if (!image) GTEST_SKIP() << "hfs/hr-ResEdit_2.1.3.img is not in the corpus";
    const auto volumes = volumesOf(*image);
    ASSERT_EQ(volumes.size(), 1u);
    const TemporaryDirectory destination;

    testing::expectError<BlockStructureDefinableError>(BlockStructureDefinableError::Case::unreacheableBlock,
                                                       [&] { exportVolume(*volumes[0], destination.path(), true); });
}

// --- The resource fork as an extended attribute ---

// The dfVFS HFS+ volume holds one small resource fork ("My resource fork"
// and a line end): it goes into its file's attribute, and no ".rsrc" file
// is written.
TEST(ResourceForkAttribute, SmallForksGoIntoTheAttribute) {
    const auto image = testing::corpusImage("hfsplus/dfvfs-hfsplus.raw");
    if (!image) GTEST_SKIP() << "hfsplus/dfvfs-hfsplus.raw is not in the corpus";
    const auto volumes = volumesOf(*image);
    ASSERT_EQ(volumes.size(), 1u);
    const TemporaryDirectory destination;

    exportVolume(*volumes[0], destination.path(), false);

    const auto folder = destination.path() / "hfsplus_test - Macintosh (HFS+)" / "hfsplus_test" / "a_directory";
    const std::string fork = "My resource fork\n";
    EXPECT_EQ(testing::attributeValue(folder / "a_resourcefork", "user.com.apple.ResourceFork"),
              Bytes(fork.begin(), fork.end()));
    const VolumeRepresentable& volume = *volumes[0];
    for (const FileHierarchyElement& element : volume.fileHierarchy()) {
        if (element.item->isFolder()) continue;
        const auto fork = volume.getFork(ForkType::resource, element.item);
        EXPECT_EQ(testing::attributeValue(destination.path() / plainPath(volume, element.item),
                                          "user.com.apple.ResourceFork"),
                  fork ? std::optional(fork->toBytes()) : std::nullopt);
    }
    for (const auto& written : testing::regularFilesBelow(destination.path())) {
        EXPECT_FALSE(written.ends_with(".rsrc")) << written;
    }
}

// No Linux file system takes an attribute value over 64 KiB: the export of
// a file with such a resource fork ends with the system's error, its data
// file written.
TEST(ResourceForkAttribute, ForkTooLargeEndsWithTheSystemError) {
    const auto image = testing::corpusImage("hfs/im-System_3.3.dsk");
    if (!image) GTEST_SKIP() << "hfs/im-System_3.3.dsk is not in the corpus";
    const auto volumes = volumesOf(*image);
    ASSERT_EQ(volumes.size(), 1u);
    const VolumeRepresentable& volume = *volumes[0];
    VolumeItem large;
    for (const FileHierarchyElement& element : volume.fileHierarchy()) {
        const auto fork = element.item->isFolder() ? std::nullopt : volume.getFork(ForkType::resource, element.item);
        if (fork && fork->size() > 65536) {
            large = element.item;
            break;
        }
    }
    ASSERT_NE(large, nullptr);
    const TemporaryDirectory destination;

    testing::expectSystemError(
        E2BIG, [&] { volume.exportItem(large, URL::fileURLWithPath(destination.path().string()), false); });
    EXPECT_EQ(testing::regularFilesBelow(destination.path()), std::set<std::string>{plainPath(volume, large)});
}

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

}  // namespace
}  // namespace zorv
