#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <tuple>

#include "disk_image/formats/macintosh/models/ModelCatalog.hpp"

namespace zorv {
namespace {

Model modelNamed(std::string name, ModelFamily family) {
    Model model;
    model.name = std::move(name);
    model.family = family;
    return model;
}

TEST(Model, PreferredPrefix) {
    const std::vector<std::tuple<std::string, ModelFamily, std::string>> cases = {
            {"Iomega Zip", ModelFamily::Removable, "ZP"},
            {"Iomega Zip", ModelFamily::Other, "ZP"},
            {"Imation SuperDisk", ModelFamily::Removable, "RE"},
            {"Iomega Jaz", ModelFamily::Other, "HD"},
            {"Macintosh SE/30", ModelFamily::Compact, "HD"},
    };
    for (const auto& [name, family, prefix] : cases) {
        EXPECT_EQ(modelNamed(name, family).preferredPrefix(), prefix) << name;
    }
    const ModelCatalog catalog;
    EXPECT_EQ(std::find_if(catalog.list.begin(), catalog.list.end(),
                           [](const Model& model) { return model.name == "Imation SuperDisk"; })
                      ->preferredPrefix(),
              "RE");
    for (const Model& model : catalog.list) {
        if (model.family != ModelFamily::Removable && model.family != ModelFamily::Other) {
            EXPECT_EQ(model.preferredPrefix(), "HD") << model.name;
        }
    }
}

TEST(Model, SafeNameAndCD) {
    EXPECT_EQ(modelNamed("Macintosh SE/30", ModelFamily::Compact).safeName(), "Macintosh SE-30");
    EXPECT_EQ(modelNamed("PowerBook 1400c/117", ModelFamily::PowerBook).safeName(), "PowerBook 1400c-117");
    EXPECT_EQ(modelNamed("a//b", ModelFamily::Other).safeName(), "a--b");

    EXPECT_TRUE(modelNamed("Performa 5200CD", ModelFamily::PPCPerforma).hasCD());
    EXPECT_TRUE(modelNamed("CD", ModelFamily::Removable).hasCD());
    EXPECT_FALSE(modelNamed("CD-ROM", ModelFamily::Other).hasCD());
    EXPECT_FALSE(modelNamed("Performa 5200cd", ModelFamily::PPCPerforma).hasCD());
    EXPECT_FALSE(modelNamed("Macintosh SE", ModelFamily::Compact).hasCD());
}

TEST(Model, CapacitiesByPosition) {
    Model model = modelNamed("X", ModelFamily::Other);
    EXPECT_EQ(model.firstCapacity(), 0);
    EXPECT_THROW(model.capacityAtIndex(0), std::out_of_range);
    EXPECT_THROW(model.capacityInBlocksAtIndex(0), std::out_of_range);
    model.capacity = {100, 250};
    model.exactCapacityInBlocks = std::vector<int64_t>{196608};
    EXPECT_EQ(model.firstCapacity(), 100);
    EXPECT_EQ(model.capacityAtIndex(1), 250);
    EXPECT_EQ(model.capacityInBlocksAtIndex(0), 196608);
    EXPECT_THROW(model.capacityInBlocksAtIndex(1), std::out_of_range);
}

TEST(Model, DefaultModel) {
    const Model model = Model::defaultModel();
    EXPECT_EQ(model.name, "Default");
    EXPECT_EQ(model.specialName, std::nullopt);
    EXPECT_EQ(model.family, ModelFamily::Compact);
    EXPECT_EQ(model.capacity, std::vector<int64_t>{20});
    EXPECT_EQ(model.capacityUnit, ModelCapacityUnit::MB);
    EXPECT_EQ(model.imageName, "Default");
    EXPECT_EQ(model.aliases, std::nullopt);
    EXPECT_EQ(model.romChecksums, std::nullopt);
    EXPECT_EQ(model.exactCapacityInBlocks, std::nullopt);
    EXPECT_NE(Model::defaultModel().id, model.id);
}

TEST(ModelFamily, CasesInOrderWithTheirRawValues) {
    const std::vector<std::string> raw = {"Compact", "MacII",    "LC",       "Performa", "PPCPerforma", "Centris",
                                          "Quadra",  "PowerMac", "WGS",      "PowerBook", "Removable",  "Other"};
    ASSERT_EQ(allModelFamilies().size(), raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const ModelFamily family = modelFamilyAtIndex(i);
        EXPECT_EQ(family, allModelFamilies()[i]);
        EXPECT_EQ(rawValue(family), raw[i]);
        EXPECT_EQ(modelFamilyFromRawValue(raw[i]), family);
    }
    EXPECT_THROW(modelFamilyAtIndex(12), std::out_of_range);
    EXPECT_EQ(modelFamilyFromRawValue("compact"), std::nullopt);
    EXPECT_EQ(modelFamilyFromRawValue(""), std::nullopt);
    EXPECT_EQ(fullName(ModelFamily::PPCPerforma), "Performa PowerPC");
    EXPECT_EQ(fullName(ModelFamily::PowerBook), "PowerBook and Portable");
}

TEST(ModelCapacityUnit, RawValues) {
    for (const ModelCapacityUnit unit :
         {ModelCapacityUnit::GB, ModelCapacityUnit::MB, ModelCapacityUnit::KB, ModelCapacityUnit::B}) {
        EXPECT_EQ(modelCapacityUnitFromRawValue(rawValue(unit)), unit);
    }
    EXPECT_EQ(rawValue(ModelCapacityUnit::KB), "KB");
    EXPECT_EQ(modelCapacityUnitFromRawValue("kb"), std::nullopt);
    EXPECT_EQ(modelCapacityUnitFromRawValue("TB"), std::nullopt);
}

}  // namespace
}  // namespace zorv
