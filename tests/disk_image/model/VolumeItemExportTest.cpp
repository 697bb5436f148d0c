// The export of items to the host, on volumes whose every answer the test
// sets: where files land whatever their names, the resource fork as an
// attribute, and how folders are walked.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/model/FakeVolume.hpp"
#include "disk_image/model/VolumeItemRepresentableError.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/FifoReader.hpp"
#include "support/HostFiles.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::FakeItem;
using testing::FakeVolume;

ImageBytes text(const std::string& value) { return ImageBytes(Bytes(value.begin(), value.end())); }

// A folder `out` inside a scratch folder: whatever lands beside `out` was
// written outside the destination.
struct Destination {
    testing::TemporaryDirectory scratch;
    std::filesystem::path folder = scratch.path() / "out";
    URL url = URL::fileURLWithPath(folder.string());

    Destination() { std::filesystem::create_directory(folder); }
    std::set<std::string> written() const { return testing::regularFilesBelow(scratch.path()); }
};

// --- Where a file lands ---

struct NameCase {
    const char* label;
    std::string volumeName;
    std::vector<std::string> folders;  // outermost first
    std::string fileName;
    const char* landsAt;  // below the destination; nullptr: refused
};

class ExportedNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(ExportedNames, StayBelowTheDestination) {
    const NameCase& c = GetParam();
    FakeVolume volume;
    volume.name = c.volumeName;
    VolumeItem parent;
    VolumeItem top;
    for (const std::string& folder : c.folders) {
        parent = volume.add(parent, FakeItem(folder, true));
        if (!top) top = parent;
    }
    const VolumeItem file = volume.add(parent, FakeItem(c.fileName));
    volume.dataForks[file.get()] = text("x");
    const Destination destination;

    const auto exportAll = [&] { volume.exportItem(top ? top : file, destination.url, true); };
    if (c.landsAt == nullptr) {
        testing::expectError<VolumeItemRepresentableError>(VolumeItemRepresentableError::Case::fileNotCreated,
                                                           exportAll);
        EXPECT_TRUE(destination.written().empty());
    } else {
        exportAll();
        EXPECT_EQ(destination.written(), std::set<std::string>{"out/" + std::string(c.landsAt)});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Export, ExportedNames,
    ::testing::Values(
        NameCase{"AtTheRoot", "Disk", {}, "Read Me", "Disk - F/Read Me"},
        NameCase{"SlashInFolderIsALevelInFileAHyphen", "Disk", {"A/B"}, "C/D", "Disk - F/A/B/C-D"},
        NameCase{"VolumeClimbingOut", "../../x", {}, "f", "--/--/x - F/f"},
        NameCase{"DotFoldersAndFile", "Disk", {"..", "."}, "..", "Disk - F/--/-/--"},
        NameCase{"EmptyLevelsDropped", "Disk", {"", "/", "a//b/"}, "f", "Disk - F/a/b/f"},
        NameCase{"NulBytes", "Disk", {std::string("a\0b", 3)}, std::string("c\0d", 3), "Disk - F/a-b/c-d"},
        NameCase{"VolumeNamedSlash", "/", {}, "f", " - F/f"},
        NameCase{"FileNamedDot", "Disk", {}, ".", "Disk - F/-"},
        NameCase{"EmptyFileNameRefused", "Disk", {"A"}, "", nullptr}),
    testing::namedBy(&NameCase::label));

// --- The resource fork as an extended attribute ---

// Without separate forks the resource fork, even an empty one, goes into the
// data file's attribute. No Linux file system takes a value over 64 KiB:
// such a fork ends the export with the system's error, its data file written.
// (The corpus export checks data forks, ".rsrc" files, codes and dates.)
TEST(ExportedForks, ResourceForkGoesIntoTheAttributeUpToWhatTheHostTakes) {
    for (const size_t size : {size_t{0}, size_t{4}, size_t{70000}}) {
        SCOPED_TRACE(size);
        FakeVolume volume;
        const VolumeItem file = volume.add(nullptr, FakeItem("Letter"));
        volume.dataForks[file.get()] = text("DATA");
        volume.resourceForks[file.get()] = ImageBytes(Bytes(size, 'r'));
        const Destination destination;
        const auto exportFile = [&] { volume.exportItem(file, destination.url, false); };
        if (size > 65536) {
            testing::expectSystemError(E2BIG, exportFile);
        } else {
            exportFile();
        }
        const auto dataFile = destination.folder / "V - F" / "Letter";
        EXPECT_EQ(destination.written(), std::set<std::string>{"out/V - F/Letter"});
        EXPECT_EQ(testing::fileBytes(dataFile), Bytes({'D', 'A', 'T', 'A'}));
        EXPECT_EQ(testing::attributeValue(dataFile, "user.com.apple.ResourceFork"),
                  size > 65536 ? std::nullopt : std::optional(Bytes(size, 'r')));
    }
}

// --- What the destination holds already ---

enum class Occupant { linkOutside, danglingLink, fifo, regularFile, folder };

struct PlaceCase {
    const char* label;
    const char* place;  // below the destination
    Occupant occupant;
    bool refused;
};

class ExportOverOccupiedPlaces : public ::testing::TestWithParam<PlaceCase> {};

// Below the destination (itself a link here, as the caller may give) only
// real folders are entered, and a file replaces the entry at its place, never
// what a link there points to; nothing lands outside, and a pipe is not
// waited on.
TEST_P(ExportOverOccupiedPlaces, NothingIsWrittenThroughThem) {
    const PlaceCase& c = GetParam();
    FakeVolume volume;
    const VolumeItem folder = volume.add(nullptr, FakeItem("A", true));
    const VolumeItem file = volume.add(folder, FakeItem("f"));
    volume.dataForks[file.get()] = text("DATA");
    volume.resourceForks[file.get()] = text("RSRC");
    const testing::TemporaryDirectory scratch;
    const auto real = scratch.path() / "real";
    const auto outside = scratch.path() / "outside";
    std::filesystem::create_directories(real / "V - F" / "A");
    std::filesystem::create_directory(outside);
    std::ofstream(outside / "victim") << "victim";
    std::filesystem::create_directory_symlink(real, scratch.path() / "out");

    const auto place = real / c.place;
    std::filesystem::remove_all(place);
    std::unique_ptr<testing::FifoReader> fifo;
    switch (c.occupant) {
        case Occupant::linkOutside:
            std::filesystem::create_symlink(c.refused ? outside : outside / "victim", place);
            break;
        case Occupant::danglingLink: std::filesystem::create_symlink(outside / "new", place); break;
        case Occupant::fifo: fifo = std::make_unique<testing::FifoReader>(place.string()); break;
        case Occupant::regularFile: std::ofstream(place) << "old"; break;
        case Occupant::folder: std::filesystem::create_directory(place); break;
    }
    const auto exportFolder = [&] {
        volume.exportItem(folder, URL::fileURLWithPath((scratch.path() / "out").string()), true);
    };
    if (c.refused) {
        testing::expectError<VolumeItemRepresentableError>(VolumeItemRepresentableError::Case::fileNotCreated,
                                                           exportFolder);
    } else {
        exportFolder();
        for (const auto& [name, contents] : {std::pair{"f", "DATA"}, std::pair{"f.rsrc", "RSRC"}}) {
            const auto written = real / "V - F" / "A" / name;
            EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(written))) << name;
            EXPECT_EQ(testing::fileBytes(written), text(contents).toBytes()) << name;
        }
    }
    if (fifo) {
        EXPECT_TRUE(fifo->finish().empty());
    }
    EXPECT_EQ(testing::regularFilesBelow(outside), std::set<std::string>{"victim"});
    EXPECT_EQ(testing::fileBytes(outside / "victim"), text("victim").toBytes());
    if (c.occupant == Occupant::folder) {
        EXPECT_TRUE(std::filesystem::is_directory(place));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Export, ExportOverOccupiedPlaces,
    ::testing::Values(PlaceCase{"LinkAtTheVolumeFolder", "V - F", Occupant::linkOutside, true},
                      PlaceCase{"LinkAtAFolder", "V - F/A", Occupant::linkOutside, true},
                      PlaceCase{"FileAtAFolder", "V - F/A", Occupant::regularFile, true},
                      PlaceCase{"FolderAtTheFile", "V - F/A/f", Occupant::folder, true},
                      PlaceCase{"LinkAtTheFile", "V - F/A/f", Occupant::linkOutside, false},
                      PlaceCase{"LinkAtTheForkFile", "V - F/A/f.rsrc", Occupant::linkOutside, false},
                      PlaceCase{"DanglingLinkAtTheFile", "V - F/A/f", Occupant::danglingLink, false},
                      PlaceCase{"PipeAtTheFile", "V - F/A/f", Occupant::fifo, false},
                      PlaceCase{"FileAtTheFile", "V - F/A/f", Occupant::regularFile, false}),
    testing::namedBy(&PlaceCase::label));

// --- How folders are walked ---

// A damaged catalog: a folder inside itself is walked once (an empty folder
// leaves nothing on the host), and a folder that hands out fewer children
// than it counts ends the export after the children before.
TEST(FolderExport, EachFolderOnceAndAMissingChildEndsIt) {
    FakeVolume volume;
    FakeItem folderItem("Loop", true);
    folderItem.identifier = 7;
    const VolumeItem folder = volume.add(nullptr, folderItem);
    volume.dataForks[volume.add(folder, FakeItem("f")).get()] = text("x");
    volume.add(folder, FakeItem("Empty", true));
    volume.link(folder, folder);
    const Destination destination;
    volume.exportItem(folder, destination.url, true);
    EXPECT_EQ(destination.written(), std::set<std::string>{"out/V - F/Loop/f"});

    volume.childrenOf[folder.get()].push_back(nullptr);
    volume.add(folder, FakeItem("after"));
    const Destination second;
    testing::expectError<VolumeItemRepresentableError>(VolumeItemRepresentableError::Case::fileNotCreated,
                                                       [&] { volume.exportItem(folder, second.url, true); });
    EXPECT_EQ(second.written(), std::set<std::string>{"out/V - F/Loop/f"});
}

}  // namespace
}  // namespace zorv
