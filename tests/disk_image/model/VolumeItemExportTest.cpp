// The export of items to the host, on volumes whose every answer the test
// sets: where files land whatever their names, what they hold, and how
// folders are walked.

#include <gtest/gtest.h>

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

using testing::code;
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

// --- What a file holds ---

struct ForkCase {
    const char* label;
    std::optional<std::string> type;
    std::optional<std::string> creator;
    std::optional<std::string> resourceFork;
    bool separateForks;
    std::optional<std::string> finderInfoStart;  // its first 8 bytes; the other 24 are zero
};

class ExportedForks : public ::testing::TestWithParam<ForkCase> {};

TEST_P(ExportedForks, DataExactlyResourceAsAskedCodesAndDate) {
    const ForkCase& c = GetParam();
    FakeVolume volume;
    FakeItem item("Letter");
    // The logical size counts both forks: the data file is never sized after it.
    item.logicalSize = 4096;
    item.modified = Date{631152000};  // 1990-01-01
    if (c.type) item.typeCode = code(c.type->c_str());
    if (c.creator) item.creatorCode = code(c.creator->c_str());
    const VolumeItem file = volume.add(nullptr, item);
    volume.dataForks[file.get()] = text("DATA");
    if (c.resourceFork) volume.resourceForks[file.get()] = text(*c.resourceFork);
    const Destination destination;

    volume.exportItem(file, destination.url, c.separateForks);

    const auto dataFile = destination.folder / "V - F" / "Letter";
    const auto resourceFile = destination.folder / "V - F" / "Letter.rsrc";
    EXPECT_EQ(testing::fileBytes(dataFile), Bytes({'D', 'A', 'T', 'A'}));
    EXPECT_EQ(testing::modificationSeconds(dataFile), 631152000);
    const auto finderInfo = testing::attributeValue(dataFile, "user.com.apple.FinderInfo");
    if (c.finderInfoStart) {
        Bytes expected(c.finderInfoStart->begin(), c.finderInfoStart->end());
        expected.resize(32, 0);
        EXPECT_EQ(finderInfo, expected);
    } else {
        EXPECT_FALSE(finderInfo.has_value());
    }

    const auto attribute = testing::attributeValue(dataFile, "user.com.apple.ResourceFork");
    const bool inFile = c.resourceFork && c.separateForks;
    const bool inAttribute = c.resourceFork && !c.separateForks;
    EXPECT_EQ(std::filesystem::exists(resourceFile), inFile);
    EXPECT_EQ(attribute.has_value(), inAttribute);
    const Bytes fork = c.resourceFork ? Bytes(c.resourceFork->begin(), c.resourceFork->end()) : Bytes();
    if (inFile) {
        EXPECT_EQ(testing::fileBytes(resourceFile), fork);
        EXPECT_FALSE(testing::attributeValue(resourceFile, "user.com.apple.FinderInfo").has_value());
    }
    if (inAttribute) {
        EXPECT_EQ(attribute, fork);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Export, ExportedForks,
    ::testing::Values(
        ForkCase{"ResourceForkAsFile", "TEXT", "ttxt", "RSRC", true, "TEXTttxt"},
        ForkCase{"ResourceForkAsAttribute", "TEXT", "ttxt", "RSRC", false, "TEXTttxt"},
        ForkCase{"EmptyResourceForkAsFile", "TEXT", std::nullopt, "", true, std::string("TEXT\0\0\0\0", 8)},
        ForkCase{"EmptyResourceForkAsAttribute", std::nullopt, "ttxt", "", false, std::string("\0\0\0\0ttxt", 8)},
        ForkCase{"NoResourceForkNoCodes", std::nullopt, std::nullopt, std::nullopt, false, std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

// --- How folders are walked ---

TEST(FolderExport, EachFolderOnceEvenWhenItHoldsItself) {
    FakeVolume volume;
    FakeItem folderItem("Loop", true);
    folderItem.identifier = 7;
    const VolumeItem folder = volume.add(nullptr, folderItem);
    const VolumeItem file = volume.add(folder, FakeItem("f"));
    volume.add(folder, FakeItem("Empty", true));
    volume.link(folder, folder);  // a damaged catalog: the folder inside itself
    volume.dataForks[file.get()] = text("x");
    const Destination destination;

    volume.exportItem(folder, destination.url, true);

    // An empty folder leaves nothing on the host.
    EXPECT_EQ(destination.written(), std::set<std::string>{"out/V - F/Loop/f"});
    EXPECT_FALSE(std::filesystem::exists(destination.folder / "V - F" / "Loop" / "Empty"));
}

TEST(FolderExport, MissingChildEndsItAfterTheChildrenBefore) {
    FakeVolume volume;
    const VolumeItem folder = volume.add(nullptr, FakeItem("Folder", true));
    volume.add(folder, FakeItem("first"));
    volume.childrenOf[folder.get()].push_back(nullptr);
    volume.add(folder, FakeItem("after"));
    const Destination destination;

    testing::expectError<VolumeItemRepresentableError>(VolumeItemRepresentableError::Case::fileNotCreated,
                                                       [&] { volume.exportItem(folder, destination.url, true); });
    EXPECT_EQ(destination.written(), std::set<std::string>{"out/V - F/Folder/first"});
}

}  // namespace
}  // namespace zorv
