#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriverCatalog.hpp"

namespace zorv {
namespace {

const std::vector<int64_t> defaultTrailer{0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 7, 0, 0};
const std::vector<int64_t> hdsc203Trailer{0, 1, 5, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 7, 0, 0};

std::vector<SCSIDriver> catalogDrivers() {
    return {SCSIDriver::appleDS15(),    SCSIDriver::appleDS173(),   SCSIDriver::appleDS173Chained(),
            SCSIDriver::appleHDSC203(), SCSIDriver::appleHDSC722(), SCSIDriver::appleHDSC735(),
            SCSIDriver::lido(),         SCSIDriver::silverLining531()};
}

Bytes imageOf(const SCSIDriver& driver) { return driver.driverData.toBytes(); }

std::optional<std::string> identified(const Bytes& partition) {
    const auto driver = SCSIDriverCatalog::shared().findDriverMatching(partition);
    if (!driver) return std::nullopt;
    return driver->name;
}

// The values the descriptor record, the map entry and the identification
// take for each driver; the image sizes are those the build embeds.
TEST(SCSIDriver, CatalogValues) {
    const struct {
        const SCSIDriver& driver;
        const char* name;
        int64_t ddSize;
        bool presentable;
        int64_t rangeMax;
        size_t imageSize;
        const std::vector<int64_t>& trailer;
    } cases[] = {
        {SCSIDriver::appleDS15(), "Apple Drive Setup 1.5", 32, false, 5120, 16384, defaultTrailer},
        {SCSIDriver::appleDS173(), "Apple Drive Setup 1.7.3", 32, false, 5120, 18944, defaultTrailer},
        {SCSIDriver::appleDS173Chained(), "Apple Chained Driver", 32, false, 40, 27648, defaultTrailer},
        {SCSIDriver::appleHDSC203(), "Apple HD SC 2.0.3", 32, false, 5120, 16384, hdsc203Trailer},
        {SCSIDriver::appleHDSC722(), "Apple HD SC 7.2.2", 32, false, 5120, 16384, defaultTrailer},
        {SCSIDriver::appleHDSC735(), "Apple HD SC 7.3.5", 19, true, 9384, 16384, defaultTrailer},
        {SCSIDriver::lido(), "Lido", 32, false, 9384, 16384, defaultTrailer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.driver.name, c.name);
        EXPECT_EQ(c.driver.ddSize, c.ddSize);
        EXPECT_EQ(c.driver.isPresentable, c.presentable);
        EXPECT_EQ(c.driver.rangeMax, c.rangeMax);
        EXPECT_EQ(c.driver.driverData.size(), c.imageSize);
        EXPECT_EQ(c.driver.trailer, c.trailer);
        EXPECT_FALSE(c.driver.prefersOldSCSIManager);
        EXPECT_EQ(c.driver.preferredPartitionName, "Macintosh");
        EXPECT_FALSE(c.driver.descriptorPatch.has_value());
    }

    const SCSIDriver& silverLining = SCSIDriver::silverLining531();
    EXPECT_EQ(silverLining.name, "LaCie Silverlining 5.31");
    EXPECT_EQ(silverLining.ddSize, 11);
    EXPECT_TRUE(silverLining.isPresentable);
    EXPECT_EQ(silverLining.rangeMax, 512);
    EXPECT_EQ(silverLining.driverData.size(), 16384u);
    EXPECT_EQ(silverLining.trailer, std::vector<int64_t>(16, 0));
    EXPECT_TRUE(silverLining.prefersOldSCSIManager);
    EXPECT_EQ(silverLining.preferredPartitionName, "Macintosh_SL");
    ASSERT_TRUE(silverLining.descriptorPatch.has_value());
    ASSERT_EQ(silverLining.descriptorPatch->size(), 1u);
    EXPECT_EQ(silverLining.descriptorPatch->front().offset, 252);
    EXPECT_EQ(silverLining.descriptorPatch->front().data.size(), 219u);
}

// Every stored image is identified as its own driver: no image begins with
// another driver's compared prefix.
TEST(SCSIDriverCatalog, EachStoredImageIdentifiesItsOwnDriver) {
    for (const auto& driver : catalogDrivers()) {
        EXPECT_EQ(identified(imageOf(driver)), driver.name);
        EXPECT_FALSE(driver.isEmpty()) << driver.name;
    }
}

TEST(SCSIDriverCatalog, OnlyTheComparedPrefixCounts) {
    Bytes partition = imageOf(SCSIDriver::appleHDSC735());
    ASSERT_EQ(partition.size(), 16384u);
    for (size_t changed : {size_t{9384}, size_t{9385}, size_t{16383}}) {
        Bytes copy = partition;
        copy[changed] ^= 0xFF;
        EXPECT_EQ(identified(copy), "Apple HD SC 7.3.5") << "change at " << changed;
    }
    for (size_t changed : {size_t{0}, size_t{9383}}) {
        Bytes copy = partition;
        copy[changed] ^= 0xFF;
        EXPECT_EQ(identified(copy), std::nullopt) << "change at " << changed;
    }
    // Longer partitions are compared on the prefix alone.
    partition.resize(65536, 0xAA);
    EXPECT_EQ(identified(partition), "Apple HD SC 7.3.5");
}

TEST(SCSIDriverCatalog, ShortPartitionsMatchOnlyDriversWithShortPrefixes) {
    const Bytes chained = imageOf(SCSIDriver::appleDS173Chained());
    const Bytes silverLining = imageOf(SCSIDriver::silverLining531());

    // Too short for the 5,120 bytes of the drivers before the chained one.
    Bytes partition(1024, 0x5A);
    std::copy_n(chained.begin(), 40, partition.begin());
    EXPECT_EQ(identified(partition), "Apple Chained Driver");

    partition.resize(512);
    EXPECT_EQ(identified(partition), "Apple Chained Driver");
    EXPECT_EQ(identified(Bytes(chained.begin(), chained.begin() + 40)), "Apple Chained Driver");
    EXPECT_EQ(identified(Bytes(chained.begin(), chained.begin() + 39)), std::nullopt);

    EXPECT_EQ(identified(Bytes(silverLining.begin(), silverLining.begin() + 512)), "LaCie Silverlining 5.31");
    EXPECT_EQ(identified(Bytes(silverLining.begin(), silverLining.begin() + 511)), std::nullopt);
    EXPECT_EQ(identified({}), std::nullopt);
    EXPECT_EQ(identified(Bytes(16384, 0)), std::nullopt);
}

TEST(SCSIDriverCatalog, PresentableDrivers) {
    const SCSIDriverCatalog& catalog = SCSIDriverCatalog::shared();
    const auto presentable = catalog.presentableList();
    ASSERT_EQ(presentable.size(), 2u);
    EXPECT_EQ(presentable[0], SCSIDriver::appleHDSC735());
    EXPECT_EQ(presentable[1], SCSIDriver::silverLining531());

    EXPECT_EQ(catalog.driverAtIndex(0), SCSIDriver::appleHDSC735());
    EXPECT_EQ(catalog.driverAtIndex(1), SCSIDriver::silverLining531());
    EXPECT_THROW(catalog.driverAtIndex(2), std::out_of_range);
    EXPECT_THROW(catalog.driverAtIndex(-1), std::out_of_range);

    EXPECT_EQ(catalog.indexOfDriver(SCSIDriver::silverLining531()), 1);
    EXPECT_EQ(catalog.indexOfDriver(SCSIDriver::appleHDSC735()), 0);
    EXPECT_EQ(catalog.indexOfDriver(SCSIDriver::lido()), 0);

    // A catalog built anew lists the same drivers.
    EXPECT_EQ(SCSIDriverCatalog().presentableList(), presentable);
}

TEST(SCSIDriver, EqualityComparesEveryField) {
    EXPECT_EQ(SCSIDriver::lido(), SCSIDriver::lido());
    EXPECT_NE(SCSIDriver::lido(), SCSIDriver::appleHDSC735());

    SCSIDriver copy = SCSIDriver::lido();
    copy.description.back() += " ";
    EXPECT_NE(copy, SCSIDriver::lido());

    // Equal bytes held in another buffer are equal.
    copy = SCSIDriver::lido();
    copy.driverData = ImageBytes(copy.driverData.toBytes());
    EXPECT_EQ(copy, SCSIDriver::lido());
    Bytes changed = copy.driverData.toBytes();
    ASSERT_EQ(changed.size(), 16384u);
    changed[16383] ^= 1;
    copy.driverData = ImageBytes(changed);
    EXPECT_NE(copy, SCSIDriver::lido());

    copy = SCSIDriver::silverLining531();
    copy.descriptorPatch = std::nullopt;
    EXPECT_NE(copy, SCSIDriver::silverLining531());
    copy.descriptorPatch = std::vector<SCSIDriver::DriverDescriptorPatch>{};
    EXPECT_NE(copy, SCSIDriver::silverLining531());
}

TEST(SCSIDriver, EmptyImage) {
    SCSIDriver driver = SCSIDriver::appleHDSC735();
    driver.driverData = ImageBytes(Bytes(16384, 0));
    EXPECT_TRUE(driver.isEmpty());
    driver.driverData = ImageBytes(Bytes{});
    EXPECT_TRUE(driver.isEmpty());
    Bytes oneByte(16384, 0);
    oneByte[16383] = 1;
    driver.driverData = ImageBytes(oneByte);
    EXPECT_FALSE(driver.isEmpty());
}

TEST(SCSIDriver, DecodesFromAnArchive) {
    const auto archive = nlohmann::json::parse(R"({
        "name": "Test", "ddSize": 7, "isPresentable": true, "rangeMax": 3,
        "trailer": [0, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 7, 0, 0],
        "description": ["One.", "Two."], "prefersOldSCSIManager": false,
        "preferredPartitionName": "Macintosh", "driverData": "AAEC/w==",
        "descriptorPatch": [{"offset": 252, "data": "TWFj"}]
    })");
    const SCSIDriver driver = SCSIDriver::fromJSON(archive);
    EXPECT_EQ(driver.name, "Test");
    EXPECT_EQ(driver.ddSize, 7);
    EXPECT_TRUE(driver.isPresentable);
    EXPECT_EQ(driver.rangeMax, 3);
    EXPECT_EQ(driver.trailer, defaultTrailer);
    EXPECT_EQ(driver.description, std::vector<std::string>({"One.", "Two."}));
    EXPECT_EQ(driver.driverData, Bytes({0x00, 0x01, 0x02, 0xFF}));
    ASSERT_TRUE(driver.descriptorPatch.has_value());
    EXPECT_EQ(driver.descriptorPatch->at(0), (SCSIDriver::DriverDescriptorPatch{252, ImageBytes(Bytes{'M', 'a', 'c'})}));

    auto withoutPatch = archive;
    withoutPatch.erase("descriptorPatch");
    EXPECT_FALSE(SCSIDriver::fromJSON(withoutPatch).descriptorPatch.has_value());

    auto missing = archive;
    missing.erase("rangeMax");
    EXPECT_THROW(SCSIDriver::fromJSON(missing), nlohmann::json::exception);
    for (const char* data : {"AAE", "AA=C", "A*==", "AAEC/w===", "=AAA"}) {
        auto corrupted = archive;
        corrupted["driverData"] = data;
        EXPECT_THROW(SCSIDriver::fromJSON(corrupted), nlohmann::json::exception) << data;
    }
}

}  // namespace
}  // namespace zorv
