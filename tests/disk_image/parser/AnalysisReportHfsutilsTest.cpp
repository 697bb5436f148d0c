// The text and JSON reports, line by line and key by key, of real HFS
// volumes that hfsutils makes at test time: bare, in a Disk Copy image, and
// as the volume of a device image built by MacintoshImageCreator.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriverCatalog.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"
#include "disk_image/parser/AnalysisJSONEncoder.hpp"
#include "disk_image/parser/DetectionImages.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/HfsTool.hpp"
#include "support/ScopedTimeLocale.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using testing::HfsTool;
using testing::TemporaryDirectory;
using JSON = nlohmann::ordered_json;

// The volume dates the test writes into the master directory block (seconds
// since 1904 in the host's zone, which the test pins to UTC).
constexpr uint32_t kCreated = 2968067045;   // 1998-01-19 15:04:05
constexpr uint32_t kModified = 2968157106;  // 1998-01-20 16:05:06

// An 800K volume "Report Test":
//   Docs/ (Old/, ReadMe: TEXT/ttxt, 6 bytes), Notes (1000 bytes)
// with its dates set to kCreated and kModified, and the free space hfsutils
// reports for it.
struct SampleVolume {
    Bytes bytes;
    int64_t freeBytes = 0;
};

SampleVolume makeSampleVolume(const TemporaryDirectory& folder) {
    HfsTool tool;
    const std::string image = folder.file("report.img");
    tool.formatNewImage(image, "Report Test", 819200);
    tool.makeFolder(":Docs");
    tool.makeFolder(":Docs:Old");
    std::ofstream(folder.file("readme"), std::ios::binary) << "Hello\n";
    tool.copyIn(folder.file("readme"), ":Docs:ReadMe");
    tool.setTypeAndCreator(":Docs:ReadMe", "TEXT", "ttxt");
    std::ofstream(folder.file("notes"), std::ios::binary) << std::string(1000, 'n');
    tool.copyIn(folder.file("notes"), ":Notes");
    const std::string volumeInfo = tool.run({"hvol"});
    tool.unmount();

    SampleVolume volume;
    std::smatch free;
    if (std::regex_search(volumeInfo, free, std::regex("Volume has ([0-9]+) bytes free"))) {
        volume.freeBytes = std::stoll(free[1]);
    }
    volume.bytes = fs::readWholeFile(image).toBytes();
    const Bytes created = toBigEndian(kCreated);
    const Bytes modified = toBigEndian(kModified);
    std::copy(created.begin(), created.end(), volume.bytes.begin() + 1024 + 2);
    std::copy(modified.begin(), modified.end(), volume.bytes.begin() + 1024 + 6);
    return volume;
}

// hformat's 800K layout: 1594 allocation blocks of 512 bytes.
constexpr int64_t kTotalBytes = 1594 * 512;

class HfsutilsReports : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
        volume_ = makeSampleVolume(folder_);
        ASSERT_GT(volume_.freeBytes, 0);
    }

    std::string volumeLine() const {
        return "Volume: \"Report Test\", " + std::to_string(volume_.freeBytes) + " bytes free out of " +
               std::to_string(kTotalBytes);
    }

    const testing::ScopedTimeZone zone_{"UTC"};
    const testing::ScopedTimeLocale locale_{"C"};
    TemporaryDirectory folder_;
    SampleVolume volume_;
};

TEST_F(HfsutilsReports, TextOfABareVolume) {
    const ImageParser parser{ImageBytes(volume_.bytes)};
    const std::string brief =
        "HFS (Macintosh)\n"
        "Block size: 512\n"
        "Size in blocks: 1600 (819200 bytes)\n" +
        volumeLine() +
        "\n"
        "Creation date: 01/19/98, 15:04\n"
        "Last modified: 01/20/98, 16:05";
    EXPECT_EQ(parser.textualDescription(false), brief);
    EXPECT_EQ(parser.textualDescription(true), brief +
                                                   "\n"
                                                   "File Hierarchy of volume \"Report Test\":\n"
                                                   "[Docs]\n"
                                                   "|_[Old]\n"
                                                   "|_ReadMe\n"
                                                   "Notes");
}

TEST_F(HfsutilsReports, JSONOfABareVolume) {
    const ImageParser parser{ImageBytes(volume_.bytes)};
    EXPECT_EQ(AnalysisJSONEncoder::encode(parser.codableResult(false)),
              "{\n"
              "  \"computerClass\": \"Macintosh\",\n"
              "  \"imageType\": \"HFS\",\n"
              "  \"blockSize\": 512,\n"
              "  \"sizeInBlocks\": 1600,\n"
              "  \"volume\": {\n"
              "    \"name\": \"Report Test\",\n"
              "    \"bootable\": false,\n"
              "    \"totalCapacityInBytes\": " +
                  std::to_string(kTotalBytes) +
                  ",\n"
                  "    \"freeCapacityInBytes\": " +
                  std::to_string(volume_.freeBytes) +
                  ",\n"
                  "    \"creationDate\": \"1998-01-19T15:04:05Z\",\n"
                  "    \"modificationDate\": \"1998-01-20T16:05:06Z\"\n"
                  "  }\n"
                  "}");

    const JSON full = JSON::parse(AnalysisJSONEncoder::encode(parser.codableResult(true)));
    const JSON& items = full["volume"]["fileHierarchy"];
    ASSERT_EQ(items.size(), 4u);
    // Item dates are the moment hfsutils wrote each item: present, in UTC.
    const std::regex iso("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
    struct Expected {
        const char* name;
        int64_t size;
        bool folder;
        const char* type;
        const char* creator;
        const char* extension;
        int64_t level;
    };
    const std::vector<Expected> expected{
        {"Docs", 0, true, nullptr, nullptr, "", 0},
        {"Old", 0, true, nullptr, nullptr, "", 1},
        {"ReadMe", 6, false, "TEXT", "ttxt", ".txt", 1},
        {"Notes", 1000, false, "????", "UNIX", "", 0},
    };
    for (size_t index = 0; index < expected.size(); ++index) {
        const JSON& item = items[index];
        const Expected& want = expected[index];
        SCOPED_TRACE(want.name);
        std::vector<std::string> keys;
        for (const auto& [key, value] : item.items()) keys.push_back(key);
        std::vector<std::string> wantKeys{"name", "sizeInBytes", "creationDate", "modificationDate", "isFolder"};
        if (want.type) wantKeys.insert(wantKeys.end(), {"type", "creator"});
        wantKeys.insert(wantKeys.end(), {"isInvisible", "fileExtension", "level"});
        EXPECT_EQ(keys, wantKeys);
        EXPECT_EQ(item["name"], want.name);
        EXPECT_EQ(item["sizeInBytes"], want.size);
        EXPECT_TRUE(std::regex_match(item["creationDate"].get<std::string>(), iso));
        EXPECT_TRUE(std::regex_match(item["modificationDate"].get<std::string>(), iso));
        EXPECT_EQ(item["isFolder"], want.folder);
        if (want.type) {
            EXPECT_EQ(item["type"], want.type);
            EXPECT_EQ(item["creator"], want.creator);
        }
        EXPECT_EQ(item["isInvisible"], false);
        EXPECT_EQ(item["fileExtension"], want.extension);
        EXPECT_EQ(item["level"], want.level);
    }
}

TEST_F(HfsutilsReports, DiskCopyImageNamesItsWrapper) {
    const Bytes image = testing::diskCopyImage(volume_.bytes, "Report Test");
    const ImageParser parser{ImageBytes(image)};
    EXPECT_EQ(parser.textualDescription(false),
              "HFS (Macintosh)\n"
              "Disk Copy wrapper\n"
              "Block size: 512\n"
              "Size in blocks: 1600 (819200 bytes)\n" +
                  volumeLine() +
                  "\n"
                  "Creation date: 01/19/98, 15:04\n"
                  "Last modified: 01/20/98, 16:05");
    const JSON report = JSON::parse(AnalysisJSONEncoder::encode(parser.codableResult(false)));
    EXPECT_EQ(report["wrapper"], "Disk Copy");
    EXPECT_EQ(report["sizeInBlocks"], 1600) << "the contents' size, not the file's";
}

TEST_F(HfsutilsReports, DeviceImageBuiltAroundTheVolume) {
    const URL deviceURL = URL::fileURLWithPath(folder_.file("device.hda"));
    auto creator = MacintoshImageCreator::withCapacityInMB(deviceURL, 5);
    const auto volume = VolumeDescriptor::fromExistingData("MacOS", 0, ImageBytes(volume_.bytes), VolumeType::hfs);
    creator.partition({volume}, SCSIDriverCatalog::shared().driverAtIndex(0));
    creator.create(true);

    const ImageParser parser(fs::readWholeFile(deviceURL.path()), deviceURL);
    ASSERT_EQ(parser.imageFormat(), ImageFormat::macintoshDevice);
    // Block 1 holds the map, the driver lies at 64 and the volume from 96.
    const std::string partitions =
        "Macintosh Device (Macintosh)\n"
        "Block size: 512\n"
        "Size in blocks: 10240 (5242880 bytes)\n"
        "Partitions:\n"
        "1:\tPartition Map (Apple), Start: 1, Length: 63\n"
        "2:\tDriver for SCSI Manager 4.3 (Apple HD SC 7.3.5), Start: 64, Length: 32\n"
        "3:\tHFS or HFS+ Volume (Report Test), Start: 96, Length: 1600";
    EXPECT_EQ(parser.textualDescription(false), partitions);
    EXPECT_EQ(parser.textualDescription(true), partitions + "\n" + volumeLine() +
                                                   "\n"
                                                   "Creation date: 01/19/98, 15:04\n"
                                                   "Last modified: 01/20/98, 16:05\n"
                                                   "File Hierarchy of volume \"Report Test\":\n"
                                                   "[Docs]\n"
                                                   "|_[Old]\n"
                                                   "|_ReadMe\n"
                                                   "Notes");

    const JSON brief = JSON::parse(AnalysisJSONEncoder::encode(parser.codableResult(false)));
    EXPECT_FALSE(brief.contains("volume"));
    EXPECT_FALSE(brief.contains("wrapper"));
    EXPECT_FALSE(brief.contains("geometry"));
    ASSERT_TRUE(brief["partitions"].is_array());
    const JSON full = JSON::parse(AnalysisJSONEncoder::encode(parser.codableResult(true)));
    int withVolume = 0;
    for (const JSON& partition : full["partitions"]) {
        if (!partition.contains("volume")) continue;
        ++withVolume;
        EXPECT_EQ(partition["type"], "HFS or HFS+ Volume");
        EXPECT_EQ(partition["startBlock"], 96);
        EXPECT_EQ(partition["volume"]["name"], "Report Test");
        EXPECT_EQ(partition["volume"]["fileHierarchy"].size(), 4u);
    }
    EXPECT_EQ(withVolume, 1);
}

}  // namespace
}  // namespace zorv
