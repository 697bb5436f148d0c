#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/formats/macintosh/models/ModelCatalog.hpp"
#include "platform/NaturalOrder.hpp"

namespace zorv {
namespace {

std::vector<std::string> namesOf(const std::vector<Model>& models) {
    std::vector<std::string> names;
    for (const Model& model : models) names.push_back(model.name);
    return names;
}

const Model* entryNamed(const ModelCatalog& catalog, const std::string& name) {
    const auto found = std::find_if(catalog.list.begin(), catalog.list.end(),
                                    [&](const Model& model) { return model.name == name; });
    return found == catalog.list.end() ? nullptr : &*found;
}

// A catalog text of one object with the given members after the required ones.
std::string oneModel(const std::string& extraMembers) {
    return R"([{"name": "X", "family": "Other", "capacity": [1], "image": "Default")" + extraMembers + "}]";
}

// --- Recognising ROMs ---

struct RomCase {
    Bytes start;
    std::vector<std::string> expected;  // empty: no match
};

TEST(ModelCatalog, MatchesROMsByTheirFirstFourBytes) {
    const std::vector<RomCase> cases = {
            {{0x4D, 0x1E, 0xEE, 0xE1}, {"Macintosh 512Ke", "Macintosh Plus"}},
            {{0x4D, 0x1E, 0xEA, 0xE1}, {"Macintosh 512Ke", "Macintosh Plus"}},
            {{0x4D, 0x1F, 0x81, 0x72}, {"Macintosh 512Ke", "Macintosh Plus"}},
            {{0x31, 0x93, 0x67, 0x0E}, {"Macintosh Classic II", "Performa 200"}},
            {{0x97, 0x22, 0x11, 0x36}, {"Macintosh SE/30", "Macintosh IIx", "Macintosh IIcx"}},
            {{0x28, 0xBA, 0x61, 0xCE}, {"Macintosh 128K", "Macintosh 512K"}},
            {{0x6E, 0x92, 0xFE, 0x08}, {"20th Anniversary Macintosh", "Power Macintosh 6500/225"}},
            {{0x00, 0x00, 0x00, 0x00}, {}},
            {{0x4D, 0x1E, 0xEE, 0xE2}, {}},
            {{0xE1, 0xEE, 0x1E, 0x4D}, {}},
    };
    for (const RomCase& test : cases) {
        Bytes file(1024, 0xA5);
        std::copy(test.start.begin(), test.start.end(), file.begin());
        const auto models = ModelCatalog::modelsMatchingCRCin(file);
        if (test.expected.empty()) {
            EXPECT_EQ(models, std::nullopt) << hexFormat(test.start);
        } else {
            ASSERT_TRUE(models.has_value()) << hexFormat(test.start);
            EXPECT_EQ(namesOf(*models), test.expected) << hexFormat(test.start);
        }
    }
}

TEST(ModelCatalog, MatchingNeedsFourBytes) {
    EXPECT_EQ(ModelCatalog::modelsMatchingCRCin(Bytes{}), std::nullopt);
    EXPECT_EQ(ModelCatalog::modelsMatchingCRCin(Bytes{0x4D, 0x1E, 0xEE}), std::nullopt);
    EXPECT_TRUE(ModelCatalog::modelsMatchingCRCin(Bytes{0x4D, 0x1E, 0xEE, 0xE1}).has_value());
}

TEST(ModelCatalog, AliasEntriesMatchUnderEveryName) {
    Bytes file(1024, 0);
    const Bytes lcII{0x35, 0xC2, 0x8F, 0x5F};
    std::copy(lcII.begin(), lcII.end(), file.begin());
    const auto models = ModelCatalog::modelsMatchingCRCin(file);
    ASSERT_TRUE(models.has_value());
    EXPECT_EQ(namesOf(*models), (std::vector<std::string>{"Macintosh LC II", "Performa 400", "Performa 405",
                                                          "Performa 410", "Performa 430"}));
    EXPECT_EQ((*models)[1].family, ModelFamily::Performa);
}

// --- The stored catalog ---

TEST(ModelCatalogText, HoldsTheFiveGivenObjectsAsGiven) {
    using nlohmann::json;
    const json catalog = json::parse(ModelCatalog::modelCatalogJSONAsData());
    ASSERT_TRUE(catalog.is_array());
    const std::vector<json> given = {
            json::parse(R"({"name": "Macintosh Plus", "specialName": "Macintosh Plus", "family": "Compact",
                "capacity": [], "image": "Default", "romChecksums": ["0x4D1EEEE1", "0x4D1EEAE1", "0x4D1F8172"]})"),
            json::parse(R"({"name": "Classic II", "family": "Compact", "capacity": [40, 80], "image": "Classic",
                "aliases": [{"name": "200", "family": "Performa"}], "romChecksums": ["0x3193670E"]})"),
            json::parse(R"({"name": "20th Anniversary", "specialName": "20th Anniversary Macintosh",
                "family": "Compact", "capacity": [2048], "image": "TAM", "romChecksums": ["0x6E92FE08"]})"),
            json::parse(R"({"name": "Floppy", "family": "Other", "capacity": [400, 720, 800, 1440],
                "capacityUnit": "KB", "image": "Floppy"})"),
            json::parse(R"({"name": "Iomega Zip", "family": "Removable", "capacity": [100, 250],
                "image": "IomegaZip100", "exactCapacityInBlocks": [196608, 489532]})"),
    };
    for (const json& object : given) {
        const auto found = std::find_if(catalog.begin(), catalog.end(),
                                        [&](const json& candidate) { return candidate["name"] == object["name"]; });
        ASSERT_NE(found, catalog.end()) << object["name"];
        EXPECT_EQ(*found, object);
    }
}

TEST(ModelCatalogText, KeepsTheOrderOfItsSections) {
    using nlohmann::json;
    const json catalog = json::parse(ModelCatalog::modelCatalogJSONAsData());
    std::vector<std::string> names;
    for (const json& object : catalog) names.push_back(object["name"]);
    const auto at = [&](const std::string& name) {
        const auto found = std::find(names.begin(), names.end(), name);
        EXPECT_NE(found, names.end()) << name;
        return found - names.begin();
    };
    EXPECT_LT(at("512Ke"), at("Macintosh Plus"));
    // Drives and media in the order of the catalog's drive section.
    const std::vector<std::string> drives = {"Floppy",     "CD-ROM",           "DVD-ROM",       "Iomega Zip",
                                             "Iomega Jaz", "Imation SuperDisk", "Hard Disk 20SC"};
    for (size_t i = 1; i < drives.size(); ++i) EXPECT_EQ(at(drives[i]), at(drives[i - 1]) + 1) << drives[i];
}

TEST(ModelCatalogText, EveryChecksumIsWrittenInFullAndNonZero) {
    using nlohmann::json;
    const json catalog = json::parse(ModelCatalog::modelCatalogJSONAsData());
    const std::regex written("0x[0-9A-F]{8}");
    size_t checked = 0;
    for (const json& object : catalog) {
        if (!object.contains("romChecksums")) continue;
        for (const json& checksum : object["romChecksums"]) {
            EXPECT_TRUE(std::regex_match(checksum.get<std::string>(), written)) << checksum;
            ++checked;
        }
    }
    EXPECT_GT(checked, 100u);

    const ModelCatalog decoded;
    for (const Model& model : decoded.list) {
        if (!model.romChecksums) continue;
        EXPECT_FALSE(model.romChecksums->empty()) << model.name;
        for (const uint32_t checksum : *model.romChecksums) EXPECT_NE(checksum, 0u) << model.name;
    }
}

TEST(ModelCatalogText, DecodesIntoDistinctEntries) {
    const ModelCatalog catalog;
    ASSERT_FALSE(catalog.list.empty()) << "the stored text must decode";
    std::set<std::string> names;
    std::set<std::string> ids;
    for (const Model& model : catalog.list) {
        EXPECT_TRUE(names.insert(model.name).second) << "two entries named " << model.name;
        EXPECT_TRUE(ids.insert(model.id.uuidString()).second);
        EXPECT_FALSE(model.specialName.has_value()) << model.name;
        EXPECT_FALSE(model.imageName.empty()) << model.name;
        if (model.romChecksums) {
            EXPECT_NE(model.family, ModelFamily::Removable) << model.name;
            EXPECT_NE(model.family, ModelFamily::Other) << model.name;
        }
    }
    // The entries the catalog is expected to carry.
    for (const char* name : {"Macintosh 128K", "Macintosh 512K", "Macintosh 512Ke", "Macintosh Plus",
                             "PowerBook 145", "PowerBook 1400c/117", "Imation SuperDisk", "Macintosh SE/30",
                             "Iomega Zip", "Floppy", "Performa 200", "20th Anniversary Macintosh"}) {
        EXPECT_NE(entryNamed(catalog, name), nullptr) << name;
    }
    EXPECT_NE(std::find_if(catalog.list.begin(), catalog.list.end(),
                           [](const Model& model) { return model.imageName == "Default"; }),
              catalog.list.end());
}

TEST(ModelCatalogText, EveryStoredChecksumFindsItsModel) {
    const ModelCatalog catalog;
    for (const Model& model : catalog.list) {
        if (!model.romChecksums) continue;
        for (const uint32_t checksum : *model.romChecksums) {
            const auto matches = ModelCatalog::modelsMatchingCRCin(toBigEndian(checksum));
            ASSERT_TRUE(matches.has_value()) << model.name;
            const auto names = namesOf(*matches);
            EXPECT_NE(std::find(names.begin(), names.end(), model.name), names.end()) << model.name;
        }
    }
}

TEST(ModelCatalogText, GivenEntriesDecodeAsStored) {
    const ModelCatalog catalog;
    const Model* plus = entryNamed(catalog, "Macintosh Plus");
    ASSERT_NE(plus, nullptr);
    EXPECT_EQ(plus->family, ModelFamily::Compact);
    EXPECT_TRUE(plus->capacity.empty());
    EXPECT_EQ(plus->imageName, "Default");
    EXPECT_EQ(plus->romChecksums, (std::vector<uint32_t>{0x4D1EEEE1, 0x4D1EEAE1, 0x4D1F8172}));

    const Model* classicII = entryNamed(catalog, "Macintosh Classic II");
    const Model* performa200 = entryNamed(catalog, "Performa 200");
    ASSERT_NE(classicII, nullptr);
    ASSERT_NE(performa200, nullptr);
    EXPECT_EQ(performa200, classicII + 1) << "an alias entry follows its model";
    EXPECT_EQ(classicII->aliases, (std::vector<ModelAlias>{{"200", ModelFamily::Performa}}));
    EXPECT_EQ(performa200->family, ModelFamily::Performa);
    EXPECT_EQ(performa200->aliases, std::nullopt);
    EXPECT_EQ(performa200->capacity, (std::vector<int64_t>{40, 80}));
    EXPECT_EQ(performa200->imageName, "Classic");
    EXPECT_EQ(performa200->romChecksums, (std::vector<uint32_t>{0x3193670E}));

    const Model* floppy = entryNamed(catalog, "Floppy");
    ASSERT_NE(floppy, nullptr);
    EXPECT_EQ(floppy->capacityUnit, ModelCapacityUnit::KB);
    EXPECT_EQ(entryNamed(catalog, "Macintosh SE/30")->capacityUnit, ModelCapacityUnit::MB);

    const Model* zip = entryNamed(catalog, "Iomega Zip");
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(zip->capacityInBlocksAtIndex(0), 196608);
    EXPECT_EQ(zip->capacityInBlocksAtIndex(1), 489532);
    EXPECT_EQ(zip->capacityAtIndex(1), 250);
}

// --- Family lists ---

TEST(ModelCatalog, CompactListKeepsCatalogOrderAndDropsModelsWithoutCapacities) {
    const ModelCatalog catalog;
    const auto compact = namesOf(catalog.listForFamily(ModelFamily::Compact));
    for (const char* left : {"Macintosh 128K", "Macintosh 512K", "Macintosh 512Ke", "Macintosh Plus"}) {
        EXPECT_EQ(std::find(compact.begin(), compact.end(), left), compact.end()) << left;
    }
    std::vector<std::string> expected;
    for (const Model& model : catalog.list) {
        if (model.family == ModelFamily::Compact && !model.capacity.empty()) expected.push_back(model.name);
    }
    EXPECT_EQ(compact, expected);
    ASSERT_GE(compact.size(), 3u);
    EXPECT_EQ(compact[0], "Macintosh SE");
}

TEST(ModelCatalog, SortedFamiliesCompareDigitRunsByValue) {
    const ModelCatalog catalog;
    const auto powerBooks = namesOf(catalog.listForFamily(ModelFamily::PowerBook));
    const auto at = [&](const std::string& name) {
        return std::find(powerBooks.begin(), powerBooks.end(), name) - powerBooks.begin();
    };
    ASSERT_LT(at("PowerBook 1400c/117"), static_cast<ptrdiff_t>(powerBooks.size()));
    EXPECT_LT(at("PowerBook 145"), at("PowerBook 1400c/117"));
    EXPECT_LT(at("PowerBook 540c"), at("PowerBook 5300"));
    EXPECT_TRUE(std::is_sorted(powerBooks.begin(), powerBooks.end(), [](const std::string& a, const std::string& b) {
        return localizedStandardCompare(a, b) < 0;
    }));
}

TEST(ModelCatalog, FamilyListsOfACatalogText) {
    const ModelCatalog catalog(R"([
        {"name": "10", "family": "PowerBook", "capacity": [1], "image": "A"},
        {"name": "9", "family": "PowerBook", "capacity": [], "image": "A"},
        {"name": "duo 9", "family": "PowerBook", "capacity": [2], "image": "A"},
        {"name": "9", "family": "PowerBook", "capacity": [3], "image": "A"},
        {"name": "Z", "family": "Other", "capacity": [], "image": "A"},
        {"name": "Y", "family": "Other", "capacity": [4], "image": "A"},
        {"name": "A", "family": "Other", "capacity": [5], "image": "A"}
    ])");
    const auto powerBooks = catalog.listForFamily(ModelFamily::PowerBook);
    EXPECT_EQ(namesOf(powerBooks),
              (std::vector<std::string>{"PowerBook 9", "PowerBook 9", "PowerBook 10", "PowerBook duo 9"}))
            << "sorted, models without capacities included";
    EXPECT_EQ(powerBooks[0].capacity, std::vector<int64_t>{}) << "equal names keep catalog order";
    EXPECT_EQ(powerBooks[1].capacity, std::vector<int64_t>{3});
    EXPECT_EQ(namesOf(catalog.listForFamily(ModelFamily::Other)), (std::vector<std::string>{"Y", "A"}));
    EXPECT_TRUE(catalog.listForFamily(ModelFamily::Quadra).empty());

    EXPECT_EQ(catalog.modelAtIndex(2, ModelFamily::PowerBook).name, "PowerBook 10");
    EXPECT_EQ(catalog.modelAtIndex(1, ModelFamily::Other).name, "A");
    EXPECT_THROW(catalog.modelAtIndex(2, ModelFamily::Other), std::out_of_range);
}

// --- Decoding ---

TEST(ModelCatalog, ComposesDisplayNamesWithTheFamilyPrefix) {
    const ModelCatalog catalog(R"([
        {"name": "II", "family": "LC", "capacity": [1], "image": "A",
         "aliases": [{"name": "405", "family": "Performa"}, {"name": "Duo", "family": "Other"}]},
        {"name": "SE/30", "family": "Compact", "capacity": [1], "image": "A"},
        {"name": "8100/80", "family": "PowerMac", "capacity": [1], "image": "A"},
        {"name": "9150/80", "family": "WGS", "capacity": [1], "image": "A"},
        {"name": "Floppy", "family": "Other", "capacity": [1], "image": "A"},
        {"name": " Zip \n", "family": "Removable", "capacity": [1], "image": "A"},
        {"name": "\t650\r\n", "family": "Quadra", "capacity": [1], "image": "A"},
        {"name": "", "family": "Centris", "capacity": [1], "image": "A"},
        {"name": "ignored", "specialName": " Kept as written ", "family": "PowerBook", "capacity": [1], "image": "A"}
    ])");
    // Only the ends of the composed name are trimmed; a special name is taken as written.
    EXPECT_EQ(namesOf(catalog.list),
              (std::vector<std::string>{"Macintosh LC II", "Performa 405", "Duo", "Macintosh SE/30",
                                        "Power Macintosh 8100/80", "WGS 9150/80", "Floppy", "Zip", "Quadra \t650",
                                        "Centris", " Kept as written "}));
}

TEST(ModelCatalog, AliasEntriesCarryTheirModelsData) {
    const ModelCatalog catalog(R"([{"name": "N", "specialName": "Special", "family": "Quadra", "capacity": [7, 8],
        "capacityUnit": "GB", "image": "Pic", "aliases": [{"name": "A", "family": "Centris"}],
        "romChecksums": ["0x00000001"], "exactCapacityInBlocks": [70, 80]}])");
    ASSERT_EQ(catalog.list.size(), 2u);
    const Model& model = catalog.list[0];
    const Model& alias = catalog.list[1];
    EXPECT_EQ(model.name, "Special");
    EXPECT_EQ(model.specialName, std::nullopt);
    EXPECT_EQ(model.aliases, (std::vector<ModelAlias>{{"A", ModelFamily::Centris}}));
    EXPECT_EQ(alias.name, "Centris A");
    EXPECT_EQ(alias.family, ModelFamily::Centris);
    EXPECT_EQ(alias.specialName, std::nullopt);
    EXPECT_EQ(alias.aliases, std::nullopt);
    EXPECT_EQ(alias.capacity, model.capacity);
    EXPECT_EQ(alias.capacityUnit, ModelCapacityUnit::GB);
    EXPECT_EQ(alias.imageName, "Pic");
    EXPECT_EQ(alias.romChecksums, std::vector<uint32_t>{1});
    EXPECT_EQ(alias.exactCapacityInBlocks, (std::vector<int64_t>{70, 80}));
    EXPECT_NE(alias.id, model.id);
}

TEST(ModelCatalog, EachCatalogGivesNewIdentifiers) {
    const ModelCatalog first;
    const ModelCatalog second;
    ASSERT_EQ(first.list.size(), second.list.size());
    for (size_t i = 0; i < first.list.size(); ++i) EXPECT_NE(first.list[i].id, second.list[i].id);
}

TEST(ModelCatalog, DecodesChecksumTexts) {
    const std::vector<std::pair<std::string, uint32_t>> cases = {
            {"0x4D1EEEE1", 0x4D1EEEE1},
            {"0x0024D346", 0x0024D346},
            {"0xffffffff", 0xFFFFFFFF},
            {"0X2A", 0x2A},
            {"$$2A", 0x2A},
            {"\xC3\xA9x2A", 0x2A},  // two characters dropped, the first of two bytes
            {"0x", 0},
            {"0", 0},
            {"", 0},
            {"0x4D1EEEG1", 0},
            {"0x 4D1EEEE1", 0},
            {"0x4D1EEEE1 ", 0},
            {"0x-1", 0},
            {"0x100000000", 0},
            {"0x000000004D1EEEE1", 0x4D1EEEE1},
    };
    for (const auto& [text, expected] : cases) {
        const ModelCatalog catalog(oneModel(R"(, "romChecksums": [)" + nlohmann::json(text).dump() + "]"));
        ASSERT_EQ(catalog.list.size(), 1u) << text;
        EXPECT_EQ(catalog.list[0].romChecksums, std::vector<uint32_t>{expected}) << text;
    }
}

TEST(ModelCatalog, OptionalKeysMayBeMissingOrNull) {
    const ModelCatalog absent(oneModel(""));
    ASSERT_EQ(absent.list.size(), 1u);
    const Model& model = absent.list[0];
    EXPECT_EQ(model.capacityUnit, ModelCapacityUnit::MB);
    EXPECT_EQ(model.aliases, std::nullopt);
    EXPECT_EQ(model.romChecksums, std::nullopt);
    EXPECT_EQ(model.exactCapacityInBlocks, std::nullopt);

    const ModelCatalog nulls(oneModel(R"(, "specialName": null, "capacityUnit": null, "aliases": null,
        "romChecksums": null, "exactCapacityInBlocks": null, "unknownKey": {"any": 1})"));
    ASSERT_EQ(nulls.list.size(), 1u);
    EXPECT_EQ(nulls.list[0].name, "X");
    EXPECT_EQ(nulls.list[0].capacityUnit, ModelCapacityUnit::MB);

    EXPECT_EQ(ModelCatalog("[]").list.size(), 0u);
    EXPECT_EQ(ModelCatalog(oneModel(R"(, "capacityUnit": "B", "romChecksums": [], "aliases": [])")).list.size(), 1u);
}

TEST(ModelCatalog, AnyFaultEmptiesTheWholeCatalog) {
    const std::string good = R"({"name": "Good", "family": "Quadra", "capacity": [1], "image": "A"})";
    const std::vector<std::pair<std::string, std::string>> faults = {
            {"unknown family", R"({"name": "X", "family": "Lisa", "capacity": [1], "image": "A"})"},
            {"family in another case", R"({"name": "X", "family": "quadra", "capacity": [1], "image": "A"})"},
            {"unknown unit", R"({"name": "X", "family": "Quadra", "capacity": [1], "capacityUnit": "TB", "image": "A"})"},
            {"missing name", R"({"family": "Quadra", "capacity": [1], "image": "A"})"},
            {"missing family", R"({"name": "X", "capacity": [1], "image": "A"})"},
            {"missing capacity", R"({"name": "X", "family": "Quadra", "image": "A"})"},
            {"missing image", R"({"name": "X", "family": "Quadra", "capacity": [1]})"},
            {"null name", R"({"name": null, "family": "Quadra", "capacity": [1], "image": "A"})"},
            {"name a number", R"({"name": 5, "family": "Quadra", "capacity": [1], "image": "A"})"},
            {"family a number", R"({"name": "X", "family": 0, "capacity": [1], "image": "A"})"},
            {"capacity a string", R"({"name": "X", "family": "Quadra", "capacity": "40", "image": "A"})"},
            {"capacity of strings", R"({"name": "X", "family": "Quadra", "capacity": ["40"], "image": "A"})"},
            {"fractional capacity", R"({"name": "X", "family": "Quadra", "capacity": [40.5], "image": "A"})"},
            {"capacity past 64 bits", R"({"name": "X", "family": "Quadra", "capacity": [18446744073709551615], "image": "A"})"},
            {"null in capacity", R"({"name": "X", "family": "Quadra", "capacity": [null], "image": "A"})"},
            {"image a list", R"({"name": "X", "family": "Quadra", "capacity": [1], "image": ["A"]})"},
            {"special name a number", R"({"name": "X", "specialName": 1, "family": "Quadra", "capacity": [1], "image": "A"})"},
            {"alias without name", R"({"name": "X", "family": "Quadra", "capacity": [1], "image": "A", "aliases": [{"family": "LC"}]})"},
            {"alias of unknown family", R"({"name": "X", "family": "Quadra", "capacity": [1], "image": "A", "aliases": [{"name": "Y", "family": "Lisa"}]})"},
            {"alias not an object", R"({"name": "X", "family": "Quadra", "capacity": [1], "image": "A", "aliases": ["Y"]})"},
            {"checksum a number", R"({"name": "X", "family": "Quadra", "capacity": [1], "image": "A", "romChecksums": [1293872865]})"},
            {"checksums a string", R"({"name": "X", "family": "Quadra", "capacity": [1], "image": "A", "romChecksums": "0x4D1EEEE1"})"},
            {"exact capacities of strings", R"({"name": "X", "family": "Quadra", "capacity": [1], "image": "A", "exactCapacityInBlocks": ["1"]})"},
            {"model not an object", R"(["X"])"},
    };
    ASSERT_EQ(ModelCatalog("[" + good + "]").list.size(), 1u);
    for (const auto& [fault, object] : faults) {
        const std::string text = object.front() == '[' ? object : "[" + good + ", " + object + "]";
        EXPECT_TRUE(ModelCatalog(text).list.empty()) << fault;
    }
    for (const char* text : {"", "{}", R"({"name": "X"})", "[", "not json", "[{}]", "null"}) {
        EXPECT_TRUE(ModelCatalog(text).list.empty()) << text;
    }
}

}  // namespace
}  // namespace zorv
