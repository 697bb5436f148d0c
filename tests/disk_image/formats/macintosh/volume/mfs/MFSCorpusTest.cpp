// Real MFS floppies from the shared corpus (../shared/corpus/mfs and the MFS
// partition of apm/mr-combined.dsk). Each test skips when its image is
// absent.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSVolume.hpp"
#include "MFSImageBuilder.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/HlsListing.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::MFSEntryFields;
using testing::ScopedTimeZone;
using testing::corpusFile;

uint32_t bigEndian32(const ImageBytes& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
           static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// The disk data of a Disk Copy 4.2 image: 84 header bytes, then the data
// whose length the header gives at offset 64.
ImageBytes diskCopyData(const ImageBytes& image) { return image.slice(84, bigEndian32(image, 64)); }

// The data fork of a MacBinary file: 128 header bytes, its length at 83.
ImageBytes macBinaryDataFork(const ImageBytes& file) { return file.slice(128, bigEndian32(file, 83)); }

enum class Wrapping { none, diskCopy, macBinaryDiskCopy };

std::optional<ImageBytes> volumeBytes(const std::string& path, Wrapping wrapping) {
    const auto found = corpusFile(path);
    if (!found) return std::nullopt;
    const ImageBytes file = fs::readWholeFile(found->string());
    switch (wrapping) {
        case Wrapping::none: return file;
        case Wrapping::diskCopy: return diskCopyData(file);
        case Wrapping::macBinaryDiskCopy: return diskCopyData(macBinaryDataFork(file));
    }
    return std::nullopt;
}

std::string utf8(const std::string& macRoman) {
    const auto text = decodeText(ByteView(reinterpret_cast<const uint8_t*>(macRoman.data()), macRoman.size()),
                                 TextEncoding::macOSRoman);
    return text.value_or("");
}

std::vector<std::shared_ptr<const MFSFileDirectoryEntry>> entriesOf(const MFSVolume& volume) {
    std::vector<std::shared_ptr<const MFSFileDirectoryEntry>> entries;
    for (const FileHierarchyElement& element : volume.fileHierarchy()) {
        entries.push_back(std::dynamic_pointer_cast<const MFSFileDirectoryEntry>(element.item));
    }
    return entries;
}

std::vector<std::string> namesOf(const MFSVolume& volume) {
    std::vector<std::string> names;
    for (const auto& entry : entriesOf(volume)) names.push_back(entry ? entry->name() : "<not an MFS entry>");
    return names;
}

// The wall-clock reading of a date as the Macintosh stored it, with the
// time zone pinned to UTC.
std::string clockText(const std::optional<Date>& date) {
    if (!date) return "<none>";
    const std::time_t seconds = date->secondsSince1970;
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

// ---------------------------------------------------------------------------
// What MANIFEST.md records of each floppy.

struct Floppy {
    const char* path;
    Wrapping wrapping;
    const char* volumeName;
    bool bootable;
    int64_t files;
    int64_t totalCapacity;
    const char* created;  // on the Macintosh's clock
    // Names the manifest lists, in directory order where it gives them all,
    // otherwise a selection (each must be present).
    std::vector<std::string> names;
    bool namesAreComplete;
};

class MFSCorpusFloppy : public ::testing::TestWithParam<Floppy> {};

TEST_P(MFSCorpusFloppy, OpensWithTheRecordedContents) {
    const Floppy& floppy = GetParam();
    const auto bytes = volumeBytes(floppy.path, floppy.wrapping);
    if (!bytes) GTEST_SKIP() << floppy.path << " is not in the corpus";
    ScopedTimeZone utc("UTC");

    const auto volume = MFSVolume::fromImageData(*bytes);
    ASSERT_TRUE(volume.has_value());
    EXPECT_EQ(volume->volumeName(), floppy.volumeName);
    EXPECT_EQ(volume->volumeFormatName(), "Macintosh (MFS)");
    EXPECT_EQ(volume->isBootable(), floppy.bootable);
    EXPECT_EQ(volume->totalCountOfFiles(), floppy.files);
    EXPECT_EQ(volume->totalCountOfFolders(), 0);
    EXPECT_EQ(volume->totalCapacityInBytes(), floppy.totalCapacity);
    EXPECT_LE(volume->freeCapacityInBytes(), floppy.totalCapacity);
    EXPECT_EQ(clockText(volume->creationDate()), floppy.created);

    const auto names = namesOf(*volume);
    EXPECT_EQ(static_cast<int64_t>(names.size()), floppy.files);
    if (floppy.namesAreComplete) {
        EXPECT_EQ(names, floppy.names);
    } else {
        for (const std::string& name : floppy.names) {
            EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                                    [&](const std::string& found) { return found.rfind(name, 0) == 0; }))
                << name;
        }
    }
    for (const auto& entry : entriesOf(*volume)) {
        ASSERT_NE(entry, nullptr);
        EXPECT_FALSE(entry->isFolder());
        EXPECT_LE(*entry->logicalSizeInBytes(), *entry->physicalSizeInBytes()) << entry->name();
        EXPECT_EQ(volume->getFork(ForkType::resource, entry), std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, MFSCorpusFloppy,
    ::testing::Values(
        Floppy{"mfs/cp2-Workstation_Installer.IMG",
               Wrapping::diskCopy,
               "Workstation Installer",
               false,
               5,
               391 * 1024,
               "1988-05-21 14:28:29",
               {"Desktop", "AppleTalk ImageWriter", "Laser Prep", "LaserWriter", "LQ AppleTalk Imagewriter"},
               true},
        Floppy{"mfs/im-System_1.0_Original.dsk",
               Wrapping::diskCopy,
               "System Disk",
               true,
               7,
               391 * 1024,
               "1984-01-18 02:26:09",
               {"DeskTop", "System", "Finder", "Imagewriter", "Note Pad File", "Scrapbook File", "Clipboard File"},
               true},
        Floppy{"mfs/im-System_1.1.dsk",
               Wrapping::none,
               "System Disk",
               true,
               13,
               391 * 1024,
               "1984-05-02 08:04:25",
               {"System", "Finder", "Fonts", "Font Mover", "Imagewriter", "Disk Copy", "DeskTop"},
               false},
        Floppy{"mfs/mr-mfs1440K.dsk",
               Wrapping::none,
               "Untitled",
               false,
               1,
               471 * 3072,
               "2004-01-10 03:28:54",
               {"DeskTop"},
               true},
        Floppy{"dc42/cp2-MCUS_Free_Software_Disk.img.bin",
               Wrapping::macBinaryDiskCopy,
               "MCUS' Free Software Disk",
               false,
               19,
               391 * 1024,
               "1988-05-10 16:08:40",
               {"Tiger", "MacFractal", "DiskTop", "StuntCopter1.5", "FreeTerm 1.8", "ThrowPaint\xE2\x84\xA2"},
               false}),
    testing::namedBy(&Floppy::path));

TEST(MFSCorpus, WorkstationInstallerForkSizes) {
    const auto bytes = volumeBytes("mfs/cp2-Workstation_Installer.IMG", Wrapping::diskCopy);
    if (!bytes) GTEST_SKIP() << "Workstation Installer is not in the corpus";
    const auto volume = MFSVolume::fromImageData(*bytes);
    ASSERT_TRUE(volume.has_value());
    // (data, resource) as the manifest lists them.
    const std::vector<std::pair<std::string, std::pair<int64_t, int64_t>>> expected{
        {"Desktop", {0, 2006}},          {"AppleTalk ImageWriter", {0, 43628}},
        {"Laser Prep", {0, 28088}},      {"LaserWriter", {0, 64591}},
        {"LQ AppleTalk Imagewriter", {0, 55939}}};
    const auto entries = entriesOf(*volume);
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(entries[i]->flNam, expected[i].first);
        EXPECT_EQ(entries[i]->flLgLen, expected[i].second.first) << expected[i].first;
        EXPECT_EQ(entries[i]->flRLgLen, expected[i].second.second) << expected[i].first;
        EXPECT_EQ(entries[i]->logicalSizeInBytes(), expected[i].second.first + expected[i].second.second);
    }
    // The desktop file is hidden from the Finder's windows.
    EXPECT_TRUE(entries[0]->isInvisible());
    EXPECT_FALSE(entries[1]->isInvisible());
}

// A 400K floppy's directory is twelve blocks; System 1.1 uses only the
// first two. Files written into the last two must be listed as well.
TEST(MFSCorpus, FilesInTheLastBlocksOfATwelveBlockDirectory) {
    const auto bytes = volumeBytes("mfs/im-System_1.1.dsk", Wrapping::none);
    if (!bytes) GTEST_SKIP() << "System 1.1 is not in the corpus";
    Bytes image = bytes->toBytes();
    ASSERT_EQ(image[1024 + 14], 0);
    ASSERT_EQ(image[1024 + 15], 4);   // drDirSt
    ASSERT_EQ(image[1024 + 17], 12);  // drBlLen
    MFSEntryFields eleventh;
    eleventh.name = "In block eleven";
    eleventh.fileNumber = 40;
    MFSEntryFields twelfth;
    twelfth.name = "In block twelve";
    twelfth.fileNumber = 41;
    const Bytes first = testing::mfsEntryBytes(eleventh);
    const Bytes second = testing::mfsEntryBytes(twelfth);
    std::copy(first.begin(), first.end(), image.begin() + (4 + 10) * 512);
    std::copy(second.begin(), second.end(), image.begin() + (4 + 11) * 512);
    image[1024 + 13] = 15;  // drNmFls: 13 + 2

    const auto volume = MFSVolume::fromImageData(ImageBytes(image));
    ASSERT_TRUE(volume.has_value());
    const auto names = namesOf(*volume);
    ASSERT_EQ(names.size(), 15u);
    EXPECT_EQ(names[0], "System");
    EXPECT_EQ(names[12], "Welcome!");
    EXPECT_EQ(names[13], "In block eleven");
    EXPECT_EQ(names[14], "In block twelve");
}

// ---------------------------------------------------------------------------
// The MFS partition of mr-combined.dsk holds the files of Apple's System
// 6.0.8 startup disk, whose HFS copy hfsutils listed (the oracle). The
// desktop file and the Finder differ between the two copies (the HFS copy
// was used since); every other file matches.

// The MFS partition's bytes, found through the Apple partition map.
std::optional<ImageBytes> combinedMFSPartition() {
    const auto found = corpusFile("apm/mr-combined.dsk");
    if (!found) return std::nullopt;
    const ImageBytes device = fs::readWholeFile(found->string());
    const int64_t mapEntries = bigEndian32(device, 512 + 4);
    for (int64_t index = 0; index < mapEntries; ++index) {
        const ImageBytes entry = device.slice((1 + index) * 512, 512);
        const std::string type(reinterpret_cast<const char*>(entry.data()) + 48, 9);
        if (type != "Apple_MFS") continue;
        return device.slice(int64_t{bigEndian32(entry, 8)} * 512, int64_t{bigEndian32(entry, 12)} * 512);
    }
    return std::nullopt;
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(MFSCorpus, CombinedDevicePartitionMatchesTheHfsutilsListing) {
    const auto partition = combinedMFSPartition();
    const auto oracle = corpusFile("hfs/oracles/im-System_6.0.8_System_Startup.img.hls.txt");
    if (!partition || !oracle) GTEST_SKIP() << "mr-combined.dsk or its oracle is not in the corpus";
    ScopedTimeZone utc("UTC");

    const auto volume = MFSVolume::fromImageData(*partition);
    ASSERT_TRUE(volume.has_value());
    EXPECT_EQ(volume->volumeName(), "Untitled");
    EXPECT_TRUE(volume->isBootable());
    EXPECT_EQ(volume->totalCountOfFiles(), 28);

    // The oracle's files, from every folder, by name; its date column is
    // "Mon dd  yyyy" at columns 33 to 44.
    std::map<std::string, testing::HlsEntry> listed;
    const std::string text = fileText(*oracle);
    for (const auto& [folder, entries] : testing::parseHlsListing(text)) {
        for (const auto& entry : entries) {
            if (!entry.isFolder) listed[utf8(entry.name)] = entry;
        }
    }
    std::map<std::string, std::string> listedDates;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 46 && line[0] == 'f') listedDates[utf8(line.substr(46))] = line.substr(33, 12);
    }

    const std::set<std::string> changedSince{"DeskTop", "Finder"};
    const auto entries = entriesOf(*volume);
    ASSERT_EQ(entries.size(), 28u);
    std::set<std::string> compared;
    for (const auto& entry : entries) {
        ASSERT_NE(entry, nullptr);
        if (changedSince.contains(entry->flNam)) continue;
        const auto found = listed.find(entry->flNam);
        ASSERT_NE(found, listed.end()) << entry->flNam;
        const testing::HlsEntry& hls = found->second;
        EXPECT_EQ(entry->flLgLen, hls.dataForkSize) << entry->flNam;
        EXPECT_EQ(entry->flRLgLen, hls.resourceForkSize) << entry->flNam;
        EXPECT_EQ(testing::hlsCodeColumn(std::string(entry->flUsrWds.fdType.internalBytes.begin(),
                                                     entry->flUsrWds.fdType.internalBytes.end())),
                  hls.type)
            << entry->flNam;
        EXPECT_EQ(testing::hlsCodeColumn(std::string(entry->flUsrWds.fdCreator.internalBytes.begin(),
                                                     entry->flUsrWds.fdCreator.internalBytes.end())),
                  hls.creator)
            << entry->flNam;
        EXPECT_EQ(entry->isInvisible(), hls.isInvisible) << entry->flNam;

        const std::time_t seconds = entry->modificationDate()->secondsSince1970;
        std::tm parts{};
        gmtime_r(&seconds, &parts);
        char shown[16];
        std::strftime(shown, sizeof shown, "%b %e  %Y", &parts);
        EXPECT_EQ(shown, listedDates[entry->flNam]) << entry->flNam;
        compared.insert(entry->flNam);
    }
    EXPECT_EQ(compared.size(), 26u);
    // Every file of the listing is in the partition (the desktop file under
    // the name "DeskTop").
    for (const auto& [name, entry] : listed) {
        const bool present = std::any_of(entries.begin(), entries.end(), [&](const auto& mfs) {
            return mfs->flNam == name || (name == "Desktop" && mfs->flNam == "DeskTop");
        });
        EXPECT_TRUE(present) << name;
    }
}

}  // namespace
}  // namespace zorv
