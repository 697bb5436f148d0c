// The export of items to the host, on volumes whose every answer the test
// sets: where files land whatever their names, the resource fork as an
// attribute, and how folders are walked.

#include <gtest/gtest.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "disk_image/model/FakeVolume.hpp"
#include "disk_image/model/VolumeItemRepresentableError.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/HostFiles.hpp"
#include "support/TemporaryDirectory.hpp"

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
    [](const auto& info) { return std::string(info.param.label); });

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
