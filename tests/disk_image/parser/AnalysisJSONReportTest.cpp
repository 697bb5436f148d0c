// The JSON report: which keys ImageAnalysis::codableResult fills, in which
// order AnalysisJSONEncoder writes them, and the text's layout.

#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "disk_image/parser/AnalysisJSONEncoder.hpp"
#include "disk_image/parser/ImageAnalysis.hpp"
#include "disk_image/parser/ReportFakes.hpp"

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
using JSON = nlohmann::ordered_json;

constexpr int64_t kJanuary1998 = 885222245;  // 1998-01-19 15:04:05 UTC

std::vector<std::string> keysOf(const JSON& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    return keys;
}

// The report as it is written, read back with its key order.
JSON reportOf(const ImageAnalysis& analysis, bool verbose) {
    return JSON::parse(AnalysisJSONEncoder::encode(analysis.codableResult(verbose)));
}

std::shared_ptr<FakeVolume> sampleVolume() {
    auto volume = std::make_shared<FakeVolume>();
    volume->name = "Sample";
    const auto folder = volume->add(nullptr, FakeItem("Docs", true));
    FakeItem file("ReadMe");
    file.logicalSize = 6;
    file.created = Date{kJanuary1998};
    file.typeCode = testing::code("TEXT");
    file.creatorCode = testing::code("ttxt");
    file.finderFlags = std::vector<FinderFlag>{FinderFlag::kIsInvisible};
    volume->add(folder, file);
    return volume;
}

TEST(AnalysisJSONReport, BareFloppyHasNoWrapperPartitionsOrGeometry) {
    const JSON report = reportOf({ImageFormat::hfs, 819200, nullptr, std::make_shared<FakeVolume>()}, false);
    EXPECT_EQ(keysOf(report),
              (std::vector<std::string>{"computerClass", "imageType", "blockSize", "sizeInBlocks", "volume"}));
    EXPECT_EQ(report["computerClass"], "Macintosh");
    EXPECT_EQ(report["imageType"], "HFS");
    EXPECT_EQ(report["blockSize"], 512);
    EXPECT_EQ(report["sizeInBlocks"], 1600);
    EXPECT_EQ(keysOf(report["volume"]),
              (std::vector<std::string>{"name", "bootable", "totalCapacityInBytes", "freeCapacityInBytes"}))
        << "no dates, no hierarchy without verbose";
}

TEST(AnalysisJSONReport, EveryKeyInOrderWhenEverythingIsThere) {
    auto volume = std::make_shared<WrappableVolume>();
    volume->created = Date{kJanuary1998};
    volume->modified = Date{kJanuary1998 + 1};
    volume->setWrapper(std::make_shared<NamedWrapper>("Disk Copy"));
    volume->add(nullptr, FakeItem("Empty", true));
    const JSON report = reportOf({ImageFormat::hfs, 1000, nullptr, volume}, true);

    EXPECT_EQ(keysOf(report), (std::vector<std::string>{"computerClass", "imageType", "wrapper", "blockSize",
                                                        "sizeInBlocks", "volume"}));
    EXPECT_EQ(report["wrapper"], "Disk Copy");
    EXPECT_EQ(report["sizeInBlocks"], 1) << "rounded toward zero";
    EXPECT_EQ(keysOf(report["volume"]),
              (std::vector<std::string>{"name", "bootable", "totalCapacityInBytes", "freeCapacityInBytes",
                                        "creationDate", "modificationDate", "fileHierarchy"}));
    EXPECT_EQ(report["volume"]["creationDate"], "1998-01-19T15:04:05Z");
    EXPECT_EQ(report["volume"]["modificationDate"], "1998-01-19T15:04:06Z");
}

TEST(AnalysisJSONReport, HierarchyItems) {
    const JSON report = reportOf({ImageFormat::hfs, 819200, nullptr, sampleVolume()}, true);
    const JSON& items = report["volume"]["fileHierarchy"];
    ASSERT_EQ(items.size(), 2u);

    EXPECT_EQ(keysOf(items[0]),
              (std::vector<std::string>{"name", "sizeInBytes", "isFolder", "isInvisible", "fileExtension", "level"}))
        << "a folder without sizes, dates or codes";
    EXPECT_EQ(items[0]["sizeInBytes"], 0);
    EXPECT_EQ(items[0]["isFolder"], true);
    EXPECT_EQ(items[0]["level"], 0);

    EXPECT_EQ(keysOf(items[1]), (std::vector<std::string>{"name", "sizeInBytes", "creationDate", "isFolder", "type",
                                                          "creator", "isInvisible", "fileExtension", "level"}));
    EXPECT_EQ(items[1]["name"], "ReadMe");
    EXPECT_EQ(items[1]["sizeInBytes"], 6);
    EXPECT_EQ(items[1]["creationDate"], "1998-01-19T15:04:05Z");
    EXPECT_EQ(items[1]["type"], "TEXT");
    EXPECT_EQ(items[1]["creator"], "ttxt");
    EXPECT_EQ(items[1]["isInvisible"], true);
    EXPECT_EQ(items[1]["fileExtension"], ".txt");
    EXPECT_EQ(items[1]["level"], 1);
}

TEST(AnalysisJSONReport, EmptyRootGivesAnEmptyList) {
    const JSON report = reportOf({ImageFormat::hfs, 819200, nullptr, std::make_shared<FakeVolume>()}, true);
    EXPECT_EQ(report["volume"]["fileHierarchy"], JSON::array());
}

TEST(AnalysisJSONReport, DevicePartitionsCarryVolumesOnlyWhenVerbose) {
    auto device = std::make_shared<FakeDevice>();
    device->partitions.push_back(std::make_shared<FakePartition>("Apple_partition_map", "Apple", 1, 63));
    device->partitions.push_back(std::make_shared<FakePartition>("Apple_HFS", "MacOS", 96, 40864, sampleVolume()));
    const ImageAnalysis analysis{ImageFormat::macintoshDevice, 20971520, device, nullptr};

    const JSON brief = reportOf(analysis, false);
    EXPECT_EQ(keysOf(brief),
              (std::vector<std::string>{"computerClass", "imageType", "blockSize", "sizeInBlocks", "partitions"}));
    ASSERT_EQ(brief["partitions"].size(), 2u);
    for (const JSON& partition : brief["partitions"]) {
        EXPECT_EQ(keysOf(partition), (std::vector<std::string>{"type", "name", "startBlock", "sizeInBlocks"}));
    }
    EXPECT_EQ(brief["partitions"][1]["type"], "Apple_HFS");
    EXPECT_EQ(brief["partitions"][1]["startBlock"], 96);
    EXPECT_EQ(brief["partitions"][1]["sizeInBlocks"], 40864);

    const JSON full = reportOf(analysis, true);
    EXPECT_FALSE(full["partitions"][0].contains("volume"));
    ASSERT_TRUE(full["partitions"][1].contains("volume"));
    EXPECT_EQ(full["partitions"][1]["volume"]["name"], "Sample");
    EXPECT_EQ(full["partitions"][1]["volume"]["fileHierarchy"].size(), 2u);
}

TEST(AnalysisJSONReport, DeviceWithoutPartitionsHasAnEmptyList) {
    const JSON report = reportOf({ImageFormat::macintoshDevice, 4096, std::make_shared<FakeDevice>(), nullptr}, false);
    EXPECT_EQ(report["partitions"], JSON::array());
}

TEST(AnalysisJSONReport, GeometryOfTheDeviceOrTheVolume) {
    auto device = std::make_shared<FakeDevice>();
    device->geometry = std::make_shared<FakeGeometry>(782, 2, 27);
    const JSON ofDevice = reportOf({ImageFormat::amigaHardDisk, 21620736, device, nullptr}, false);
    EXPECT_EQ(ofDevice["geometry"], JSON::parse(R"({"tracks": 782, "sides": 2, "sectors": 27})"));
    EXPECT_EQ(keysOf(ofDevice["geometry"]), (std::vector<std::string>{"tracks", "sides", "sectors"}));

    const auto floppy = std::make_shared<FloppyVolume>(80, 2, 11);
    const JSON ofVolume = reportOf({ImageFormat::adfVolume, 901120, nullptr, floppy}, false);
    EXPECT_EQ(ofVolume["geometry"]["sectors"], 11);
    EXPECT_EQ(keysOf(ofVolume).back(), "geometry");

    const JSON both = reportOf({ImageFormat::adfVolume, 901120, device, floppy}, false);
    EXPECT_EQ(both["geometry"]["tracks"], 80) << "the volume's geometry takes precedence";
}

TEST(AnalysisJSONReport, EmptyVolumeDividesByNothing) {
    const CodableResult result = ImageAnalysis{ImageFormat::emptyVolume, 1024, nullptr, nullptr}.codableResult(true);
    EXPECT_EQ(result.blockSize, 0);
    EXPECT_EQ(result.sizeInBlocks, 0);
    EXPECT_EQ(result.computerClass, "Unknown");
}

TEST(AnalysisJSONEncoder, PrettyLayoutWithTwoSpaceIndent) {
    CodableResult result;
    result.computerClass = "Macintosh";
    result.imageType = "Macintosh Device";
    result.blockSize = 512;
    result.sizeInBlocks = 4;
    result.partitions = std::vector<CodablePartition>{};
    EXPECT_EQ(AnalysisJSONEncoder::encode(result),
              "{\n"
              "  \"computerClass\": \"Macintosh\",\n"
              "  \"imageType\": \"Macintosh Device\",\n"
              "  \"blockSize\": 512,\n"
              "  \"sizeInBlocks\": 4,\n"
              "  \"partitions\": []\n"
              "}");
}

TEST(AnalysisJSONEncoder, TextsStayUTF8AndBadBytesDoNotThrow) {
    CodableResult result;
    result.volume = CodableVolume{};
    result.volume->name =
        "\xC3\x89"
        "clair/\"x\"";
    EXPECT_NE(AnalysisJSONEncoder::encode(result).find(R"("name": "Éclair/\"x\"")"), std::string::npos);

    result.volume->name = "bad \xFF byte";
    std::string text;
    ASSERT_NO_THROW(text = AnalysisJSONEncoder::encode(result));
    EXPECT_NE(text.find("bad \xEF\xBF\xBD byte"), std::string::npos);
}

TEST(AnalysisJSONEncoder, DecodesWhatItEncodes) {
    const ImageAnalysis analysis{ImageFormat::hfs, 819200, nullptr, sampleVolume()};
    for (const bool verbose : {false, true}) {
        const CodableResult result = analysis.codableResult(verbose);
        EXPECT_EQ(AnalysisJSONEncoder::decode(AnalysisJSONEncoder::encode(result)), result);
    }
    auto device = std::make_shared<FakeDevice>();
    device->partitions.push_back(std::make_shared<FakePartition>("Apple_HFS", "MacOS", 96, 40864, sampleVolume()));
    device->geometry = std::make_shared<FakeGeometry>(1, 2, 3);
    const CodableResult ofDevice =
        ImageAnalysis{ImageFormat::macintoshDevice, 1 << 20, device, nullptr}.codableResult(true);
    EXPECT_EQ(AnalysisJSONEncoder::decode(AnalysisJSONEncoder::encode(ofDevice)), ofDevice);
}

TEST(AnalysisJSONEncoder, DecodingRefusesAMissingKey) {
    EXPECT_THROW(AnalysisJSONEncoder::decode(R"({"computerClass": "Macintosh"})"), nlohmann::json::exception);
    EXPECT_THROW(AnalysisJSONEncoder::decode("not json"), nlohmann::json::exception);
}

}  // namespace
}  // namespace zorv
