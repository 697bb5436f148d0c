// The text report of ImageAnalysis values built around fake volumes and
// devices: the line layout, line by line.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "disk_image/parser/AnalysisTextReport.hpp"
#include "disk_image/parser/ReportFakes.hpp"
#include "support/ScopedTimeLocale.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::FakeDevice;
using testing::FakeGeometry;
using testing::FakeItem;
using testing::FakePartition;
using testing::FakeVolume;
using testing::FloppyVolume;
using testing::NamedWrapper;
using testing::WrappableVolume;

constexpr int64_t kJanuary1998 = 885222245;  // 1998-01-19 15:04:05 UTC

std::shared_ptr<FakeVolume> namedVolume(const std::string& name) {
    auto volume = std::make_shared<FakeVolume>();
    volume->name = name;
    return volume;
}

// A small hierarchy: a folder Tools at the root, holding a file
// Notes and a folder Old that holds a file Readme.
std::shared_ptr<FakeVolume> toolsVolume() {
    auto volume = namedVolume("Work");
    const auto tools = volume->add(nullptr, FakeItem("Tools", true));
    volume->add(tools, FakeItem("Notes"));
    const auto old = volume->add(tools, FakeItem("Old", true));
    volume->add(old, FakeItem("Readme"));
    return volume;
}

struct TextCase {
    const char* name;
    std::function<ImageAnalysis()> analysis;
    bool verbose;
    const char* expected;
};

class AnalysisTextReportCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(AnalysisTextReportCases, Lines) {
    const testing::ScopedTimeZone zone("UTC");
    const testing::ScopedTimeLocale locale("C");
    const TextCase& c = GetParam();
    EXPECT_EQ(AnalysisTextReport::text(c.analysis(), c.verbose), c.expected);
}

ImageAnalysis bareVolume(int64_t size, std::shared_ptr<const VolumeRepresentable> volume) {
    return {ImageFormat::hfs, size, nullptr, std::move(volume)};
}

ImageAnalysis deviceOf(std::shared_ptr<const DeviceRepresentable> device, int64_t size = 20 * 1024 * 1024) {
    return {ImageFormat::macintoshDevice, size, std::move(device), nullptr};
}

std::shared_ptr<FakeDevice> twoPartitionDevice() {
    auto device = std::make_shared<FakeDevice>();
    device->partitions.push_back(std::make_shared<FakePartition>("Apple_partition_map", "Apple", 1, 63));
    device->partitions.push_back(std::make_shared<FakePartition>("Apple_HFS", "MacOS", 96, 40864, toolsVolume()));
    return device;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, AnalysisTextReportCases,
    ::testing::Values(
        TextCase{"BareFloppyWithoutWrapperOrDates", [] { return bareVolume(819200, namedVolume("Untitled")); }, false,
                 "HFS (Macintosh)\n"
                 "Block size: 512\n"
                 "Size in blocks: 1600 (819200 bytes)\n"
                 "Volume: \"Untitled\", 1024 bytes free out of 819200"},
        TextCase{"SizeRoundedDown", [] { return bareVolume(1000, namedVolume("V")); }, false,
                 "HFS (Macintosh)\n"
                 "Block size: 512\n"
                 "Size in blocks: 1 (1000 bytes)\n"
                 "Volume: \"V\", 1024 bytes free out of 819200"},
        TextCase{"WrapperBootableAndDates",
                 [] {
                     auto volume = std::make_shared<WrappableVolume>();
                     volume->name = "System Disk";
                     volume->bootable = true;
                     volume->created = Date{kJanuary1998};
                     volume->modified = Date{kJanuary1998 + 86400 + 60};
                     volume->setWrapper(std::make_shared<NamedWrapper>("Disk Copy"));
                     return ImageAnalysis{ImageFormat::mfs, 409600, nullptr, volume};
                 },
                 false,
                 "MFS (Macintosh)\n"
                 "Disk Copy wrapper\n"
                 "Block size: 512\n"
                 "Size in blocks: 800 (409600 bytes)\n"
                 "Volume: \"System Disk\" (bootable), 1024 bytes free out of 819200\n"
                 "Creation date: 01/19/98, 15:04\n"
                 "Last modified: 01/20/98, 15:05"},
        TextCase{"OnlyAModificationDate",
                 [] {
                     auto volume = namedVolume("V");
                     volume->modified = Date{kJanuary1998};
                     return bareVolume(1024, volume);
                 },
                 false,
                 "HFS (Macintosh)\n"
                 "Block size: 512\n"
                 "Size in blocks: 2 (1024 bytes)\n"
                 "Volume: \"V\", 1024 bytes free out of 819200\n"
                 "Last modified: 01/19/98, 15:04"},
        TextCase{"VerboseHierarchyIndents", [] { return bareVolume(819200, toolsVolume()); }, true,
                 "HFS (Macintosh)\n"
                 "Block size: 512\n"
                 "Size in blocks: 1600 (819200 bytes)\n"
                 "Volume: \"Work\", 1024 bytes free out of 819200\n"
                 "File Hierarchy of volume \"Work\":\n"
                 "[Tools]\n"
                 "|_Notes\n"
                 "|_[Old]\n"
                 "|__Readme"},
        TextCase{"VerboseEmptyRootKeepsTheHeading", [] { return bareVolume(819200, namedVolume("Blank")); }, true,
                 "HFS (Macintosh)\n"
                 "Block size: 512\n"
                 "Size in blocks: 1600 (819200 bytes)\n"
                 "Volume: \"Blank\", 1024 bytes free out of 819200\n"
                 "File Hierarchy of volume \"Blank\":"},
        TextCase{"FloppyGeometryPlural",
                 [] {
                     auto volume = std::make_shared<FloppyVolume>(80, 2, 9);
                     volume->name = "ST";
                     return ImageAnalysis{ImageFormat::tosVolume, 737280, nullptr, volume};
                 },
                 false,
                 "Atari ST TOS (Atari ST)\n"
                 "Block size: 512\n"
                 "Size in blocks: 1440 (737280 bytes)\n"
                 "Volume: \"ST\", 1024 bytes free out of 819200\n"
                 "Geometry: 80 tracks, 2 sides, 9 sectors"},
        TextCase{"GeometryCountsOfOneAndZeroTakeNoS",
                 [] {
                     auto volume = std::make_shared<FloppyVolume>(1, 1, 0);
                     volume->name = "A";
                     return ImageAnalysis{ImageFormat::dos33, 143360, nullptr, volume};
                 },
                 false,
                 "DOS 3.3 (Apple II)\n"
                 "Block size: 512\n"
                 "Size in blocks: 280 (143360 bytes)\n"
                 "Volume: \"A\", 1024 bytes free out of 819200\n"
                 "Geometry: 1 track, 1 side, 0 sector"},
        TextCase{"DeviceWithoutPartitions", [] { return deviceOf(std::make_shared<FakeDevice>(), 2048); }, false,
                 "Macintosh Device (Macintosh)\n"
                 "Block size: 512\n"
                 "Size in blocks: 4 (2048 bytes)\n"
                 "Partitions:"},
        TextCase{"DevicePartitionsNumberedFromOne", [] { return deviceOf(twoPartitionDevice()); }, false,
                 "Macintosh Device (Macintosh)\n"
                 "Block size: 512\n"
                 "Size in blocks: 40960 (20971520 bytes)\n"
                 "Partitions:\n"
                 "1:\tApple_partition_map (Apple), Start: 1, Length: 63\n"
                 "2:\tApple_HFS (MacOS), Start: 96, Length: 40864"},
        TextCase{"VerboseDeviceShowsEachPartitionsVolume", [] { return deviceOf(twoPartitionDevice()); }, true,
                 "Macintosh Device (Macintosh)\n"
                 "Block size: 512\n"
                 "Size in blocks: 40960 (20971520 bytes)\n"
                 "Partitions:\n"
                 "1:\tApple_partition_map (Apple), Start: 1, Length: 63\n"
                 "2:\tApple_HFS (MacOS), Start: 96, Length: 40864\n"
                 "Volume: \"Work\", 1024 bytes free out of 819200\n"
                 "File Hierarchy of volume \"Work\":\n"
                 "[Tools]\n"
                 "|_Notes\n"
                 "|_[Old]\n"
                 "|__Readme"},
        TextCase{"DeviceGeometryAfterThePartitions",
                 [] {
                     auto device = std::make_shared<FakeDevice>();
                     device->partitions.push_back(std::make_shared<FakePartition>("DOS\\1", "DH0", 108, 6156));
                     device->geometry = std::make_shared<FakeGeometry>(782, 2, 27);
                     return ImageAnalysis{ImageFormat::amigaHardDisk, 21620736, device, nullptr};
                 },
                 false,
                 "Amiga Hard Disk (Amiga)\n"
                 "Block size: 512\n"
                 "Size in blocks: 42228 (21620736 bytes)\n"
                 "Partitions:\n"
                 "1:\tDOS\\1 (DH0), Start: 108, Length: 6156\n"
                 "Geometry: 782 tracks, 2 sides, 27 sectors"},
        // A name or type read from a disk cannot drive the terminal.
        TextCase{"ControlCharactersFromTheDiskShowAsQuestionMarks",
                 [] {
                     auto volume = namedVolume("Disk\x1B[2J");
                     const auto folder = volume->add(nullptr, FakeItem("\x7F" "Folder\u0085", true));
                     volume->add(folder, FakeItem("Icon\r"));
                     auto device = std::make_shared<FakeDevice>();
                     device->partitions.push_back(
                         std::make_shared<FakePartition>("X\x1B[2J", "Line\nBreak", 96, 40864, volume));
                     return deviceOf(device);
                 },
                 true,
                 "Macintosh Device (Macintosh)\n"
                 "Block size: 512\n"
                 "Size in blocks: 40960 (20971520 bytes)\n"
                 "Partitions:\n"
                 "1:\tX?[2J (Line?Break), Start: 96, Length: 40864\n"
                 "Volume: \"Disk?[2J\", 1024 bytes free out of 819200\n"
                 "File Hierarchy of volume \"Disk?[2J\":\n"
                 "[?Folder?]\n"
                 "|_Icon?"},
        TextCase{"EmptyVolumeDividesByNothing",
                 [] {
                     return ImageAnalysis{ImageFormat::emptyVolume, 1024, nullptr, nullptr};
                 },
                 true,
                 "Empty Volume (Unknown)\n"
                 "Block size: 0\n"
                 "Size in blocks: 0 (1024 bytes)"}),
    testing::namedBy(&TextCase::name));

TEST(AnalysisTextReport, HierarchyLineIndentGrowsWithDepth) {
    const auto file = std::make_shared<const FakeItem>("f");
    const auto folder = std::make_shared<const FakeItem>("d", true);
    EXPECT_EQ(AnalysisTextReport::hierarchyLine({file, 0}), "f");
    EXPECT_EQ(AnalysisTextReport::hierarchyLine({folder, 0}), "[d]");
    EXPECT_EQ(AnalysisTextReport::hierarchyLine({file, 1}), "|_f");
    EXPECT_EQ(AnalysisTextReport::hierarchyLine({folder, 5}), "|_____[d]");
}

}  // namespace
}  // namespace zorv
