#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "disk_image/formats/macintosh/device/partition_map/PartitionType.hpp"

namespace zorv {
namespace {

using Case = PartitionType::Case;

// The type strings and report labels, in declaration order.
TEST(PartitionType, CasesInLookupOrder) {
    const struct {
        Case kind;
        const char* id;
        const char* label;
        bool interesting;
    } cases[] = {
        {Case::appleDriver, "Apple_Driver", "Driver for SCSI Manager", false},
        {Case::appleDriver43, "Apple_Driver43", "Driver for SCSI Manager 4.3", false},
        {Case::appleDriver43CD, "Apple_Driver43_CD", "SCSI Driver 4.3 CD-ROM", false},
        {Case::appleDriverATA, "Apple_Driver_ATA", "ATA Driver", false},
        {Case::appleDriverATAPI, "Apple_Driver_ATAPI", "ATAPI Driver", false},
        {Case::appleDriverIOKit, "Apple_Driver_IOKit", "IO Kit Driver", false},
        {Case::appleExtra, "Apple_Extra", "Unused Partition", false},
        {Case::appleFree, "Apple_Free", "Free Space", false},
        {Case::appleFWDriver, "Apple_FWDriver", "FireWire Driver", false},
        {Case::appleHFS, "Apple_HFS", "HFS or HFS+ Volume", true},
        {Case::appleMFS, "Apple_MFS", "MFS Volume", true},
        {Case::applePartitionMap, "Apple_partition_map", "Partition Map", false},
        {Case::applePatches, "Apple_Patches", "Apple Patches", false},
        {Case::applePRODOS, "Apple_PRODOS", "ProDOS Volume", true},
        {Case::appleScratch, "Apple_Scratch", "Scratch", false},
        {Case::appleUnixSVR2, "Apple_Unix_SVR2", "Unix Volume", false},
        {Case::appleVoid, "Apple_Void", "Dummy Entry", false},
    };
    const auto& all = PartitionType::allCases();
    ASSERT_EQ(all.size(), std::size(cases));
    for (size_t index = 0; index < all.size(); ++index) {
        const auto& c = cases[index];
        SCOPED_TRACE(c.id);
        EXPECT_EQ(all[index].kind(), c.kind);
        EXPECT_EQ(all[index].id(), c.id);
        EXPECT_EQ(all[index].descriptiveName(), c.label);
        EXPECT_EQ(all[index].isInterestingForUser(), c.interesting);
        EXPECT_EQ(PartitionType::findTypeMatching(c.id), all[index]);
    }
}

TEST(PartitionType, LookupIsExact) {
    EXPECT_EQ(PartitionType::findTypeMatching("Apple_partition_map"), PartitionType::applePartitionMap(1, 0));
    EXPECT_EQ(PartitionType::findTypeMatching("Apple_Partition_Map"), std::nullopt);
    EXPECT_EQ(PartitionType::findTypeMatching("Apple_Driver43")->kind(), Case::appleDriver43);
    EXPECT_EQ(PartitionType::findTypeMatching("Apple_Driver43_CD")->kind(), Case::appleDriver43CD);
    for (const char* text : {"", "apple_hfs", "APPLE_HFS", "Apple_HFSX", "Apple_HF", " Apple_HFS", "Apple_HFS "}) {
        EXPECT_EQ(PartitionType::findTypeMatching(text), std::nullopt) << '"' << text << '"';
    }
}

TEST(PartitionType, PlaceholdersAndEquality) {
    EXPECT_EQ(PartitionType(Case::appleHFS), PartitionType::appleHFS(0, 0, ""));
    EXPECT_EQ(PartitionType(Case::applePartitionMap), PartitionType::applePartitionMap(1, 0));
    EXPECT_EQ(PartitionType(Case::appleDriver43), PartitionType::appleDriver43(0, 0, {}));
    EXPECT_NE(PartitionType::appleHFS(96, 40000, "Macintosh HD"), PartitionType(Case::appleHFS));
    EXPECT_NE(PartitionType::appleHFS(0, 0, ""), PartitionType::appleMFS(0, 0, ""));
    EXPECT_NE(PartitionType::appleDriver43(64, 32, {1}), PartitionType::appleDriver43(64, 32, {2}));
    EXPECT_EQ(PartitionType(Case::appleVoid), PartitionType(Case::appleVoid));

    const auto volume = PartitionType::appleUnixSVR2(96, 1000, "A/UX Root");
    EXPECT_TRUE(volume.hasValues());
    EXPECT_EQ(volume.startBlock(), 96);
    EXPECT_EQ(volume.sizeInBlocks(), 1000);
    EXPECT_EQ(volume.name(), "A/UX Root");
    EXPECT_FALSE(volume.isInterestingForUser());
    EXPECT_FALSE(PartitionType(Case::appleScratch).hasValues());
}

TEST(PartitionType, DecodesFromAnArchive) {
    const auto decode = [](const char* text) { return PartitionType::fromJSON(nlohmann::json::parse(text)); };
    EXPECT_EQ(decode(R"({"appleVoid": {}})"), PartitionType(Case::appleVoid));
    EXPECT_EQ(decode(R"({"appleHFS": {"startBlock": 96, "sizeInBlocks": 40000, "volumeName": "HD"}})"),
              PartitionType::appleHFS(96, 40000, "HD"));
    EXPECT_EQ(decode(R"({"appleDriver43": {"startBlock": 64, "sizeInBlocks": 32, "trailer": [0, 1, 6]}})"),
              PartitionType::appleDriver43(64, 32, {0, 1, 6}));
    EXPECT_EQ(decode(R"({"appleDriver": {"startBlock": 64, "sizeInBlocks": 32, "partitionName": "Macintosh_SL"}})"),
              PartitionType::appleDriver(64, 32, "Macintosh_SL"));
    EXPECT_EQ(decode(R"({"applePartitionMap": {"startBlock": 1, "sizeInBlocks": 63}})"),
              PartitionType::applePartitionMap(1, 63));
    // Keys that name no case are not counted.
    EXPECT_EQ(decode(R"({"appleScratch": {}, "note": 1})"), PartitionType(Case::appleScratch));

    for (const char* text : {R"({"appleVoid": {}, "appleFree": {"startBlock": 0, "sizeInBlocks": 0}})", R"({})",
                             R"({"Apple_HFS": {}})", R"([1])"}) {
        try {
            decode(text);
            ADD_FAILURE() << text;
        } catch (const nlohmann::json::type_error& error) {
            EXPECT_NE(std::string(error.what()).find("Invalid number of keys found, expected one."),
                      std::string::npos);
        }
    }
    EXPECT_THROW(decode(R"({"appleHFS": {"startBlock": 96, "sizeInBlocks": 4}})"), nlohmann::json::out_of_range);
    EXPECT_THROW(decode(R"({"appleHFS": {"startBlock": "96", "sizeInBlocks": 4, "volumeName": ""}})"),
                 nlohmann::json::type_error);
    EXPECT_THROW(decode(R"({"appleVoid": 3})"), nlohmann::json::type_error);
}

}  // namespace
}  // namespace zorv
