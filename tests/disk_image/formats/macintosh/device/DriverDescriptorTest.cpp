#include <gtest/gtest.h>

#include <array>

#include "disk_image/formats/macintosh/device/DriverDescriptor.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptorError.hpp"
#include "disk_image/formats/macintosh/device/scsi_driver/SCSIDriver.hpp"
#include "support/ByteBuilder.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;

// "ER", then the fixed fields and the entries as given.
Bytes record(int64_t blockSize, int64_t blockCount, int64_t driverCount,
             const std::vector<std::array<int64_t, 3>>& entries, size_t totalSize = 512) {
    ByteBuilder block;
    block.text("ER").u16(blockSize).u32(blockCount).u16(1).u16(1).u32(0).u16(driverCount);
    for (const auto& [ddBlock, ddSize, ddType] : entries) block.u32(ddBlock).u16(ddSize).u16(ddType);
    if (block.size() < totalSize) block.zeros(totalSize - block.size());
    Bytes bytes = block;
    bytes.resize(totalSize);
    return bytes;
}

TEST(DriverDescriptor, NewRecordIsLaidOutFieldByField) {
    const DriverDescriptor descriptor(512, 20480, 64, 32);
    Bytes expected{0x45, 0x52, 0x02, 0x00, 0x00, 0x00, 0x50, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
                   0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x40, 0x00, 0x20, 0x00, 0x01};
    expected.resize(512, 0);
    EXPECT_EQ(descriptor.dataBlock(), expected);

    const DriverDescriptor read(ImageBytes(descriptor.dataBlock()));
    EXPECT_EQ(read.sbSig, Bytes({'E', 'R'}));
    EXPECT_EQ(read.sbBlkSize, 512);
    EXPECT_EQ(read.sbBlkCount(), 20480);
    EXPECT_EQ(read.sbDevType, 1);
    EXPECT_EQ(read.sbDevId, 1);
    EXPECT_EQ(read.sbData, 0);
    EXPECT_EQ(read.sbDrvrCount, 1);
    ASSERT_EQ(read.driverLocations.size(), 1u);
    EXPECT_EQ(read.driverLocations[0], DriverLocation(64, 32, 1));
    EXPECT_EQ(read.supportedOS(), SupportedOS::macintosh);
}

// Block 0 of a new device with the HD SC Setup 7.3.5 driver: the driver
// starts at block 64 and the record gives it the catalog's ddSize, 19.
TEST(DriverDescriptor, BlockZeroOfADeviceWithTheDefaultDriver) {
    const int64_t blockCount = 40960;  // 20 MiB
    const DriverDescriptor descriptor(512, blockCount, 64, SCSIDriver::appleHDSC735().ddSize);
    EXPECT_EQ(descriptor.dataBlock(), record(512, blockCount, 1, {{64, 19, 1}}));
}

TEST(DriverDescriptor, SignatureFollowedByZerosIsAnEmptyRecord) {
    Bytes block{'E', 'R'};
    block.resize(512, 0);
    const DriverDescriptor read{ImageBytes(block)};
    EXPECT_EQ(read.sbBlkSize, 0);
    EXPECT_EQ(read.sbBlkCount(), 0);
    EXPECT_TRUE(read.driverLocations.empty());
    EXPECT_EQ(read.supportedOS(), SupportedOS::other);
}

TEST(DriverDescriptor, SupportedOSFollowsTheFirstEntryOnly) {
    const struct {
        int64_t ddType;
        SupportedOS expected;
    } cases[] = {
        {0, SupportedOS::apple},      {1, SupportedOS::macintosh}, {2, SupportedOS::apple},
        {15, SupportedOS::apple},     {16, SupportedOS::other},    {0x0701, SupportedOS::other},
        {0xFFFF, SupportedOS::other},
    };
    for (const auto& c : cases) {
        // A second entry for the Macintosh changes nothing.
        const DriverDescriptor read{ImageBytes(record(512, 100, 2, {{64, 32, c.ddType}, {96, 32, 1}}))};
        EXPECT_EQ(read.supportedOS(), c.expected) << "ddType " << c.ddType;
    }
}

TEST(DriverDescriptor, WritesTheStoredCountAndEveryEntry) {
    DriverDescriptor descriptor(512, 1000, 64, 32);
    descriptor.sbDrvrCount = 2;
    descriptor.driverLocations = {DriverLocation(64, 32, 1), DriverLocation(96, 10, 1), DriverLocation(106, 5, 7)};
    const Bytes bytes = descriptor.dataBlock();
    EXPECT_EQ(bytes, record(512, 1000, 2, {{64, 32, 1}, {96, 10, 1}, {106, 5, 7}}));
    EXPECT_EQ(descriptor.dataBlockArray().back().size(), 470u);
}

TEST(DriverDescriptor, MoreEntriesThanTheRecordHoldsCannotBeWritten) {
    DriverDescriptor descriptor(512, 1000, 64, 32);
    descriptor.driverLocations.assign(61, DriverLocation(64, 32, 1));
    EXPECT_EQ(descriptor.dataBlock().size(), 512u);
    descriptor.driverLocations.emplace_back(64, 32, 1);
    EXPECT_THROW(descriptor.dataBlock(), FieldEncodingError);
}

TEST(DriverDescriptor, SignatureCheck) {
    const auto rejects = [](Bytes bytes) {
        try {
            DriverDescriptor::hasCorrectSignature(bytes);
        } catch (const DriverDescriptorError& error) {
            return error.errorCase == DriverDescriptorError::Case::invalidDriverDescriptorSignature;
        }
        return false;
    };
    EXPECT_TRUE(rejects({'E', 'X', 0, 0}));
    EXPECT_TRUE(rejects({'E'}));
    EXPECT_TRUE(rejects({}));
    EXPECT_FALSE(rejects({'E', 'R'}));

    Bytes block = record(512, 100, 0, {});
    block[1] = 'X';
    EXPECT_THROW(DriverDescriptor{ImageBytes(block)}, DriverDescriptorError);
    EXPECT_THROW(DriverDescriptor{ImageBytes(Bytes{'E'})}, DriverDescriptorError);
}

// A damaged count never takes entries from beyond the record or the bytes.
TEST(DriverDescriptor, HugeDriverCountKeepsTheEntriesThatFit) {
    const struct {
        size_t bytes;
        size_t entriesKept;
    } cases[] = {{512, 61}, {2048, 61}, {26, 1}, {33, 1}, {34, 2}, {18, 0}};
    for (const auto& c : cases) {
        std::vector<std::array<int64_t, 3>> entries(64, {64, 32, 1});
        const DriverDescriptor read{ImageBytes(record(512, 100, 0xFFFF, entries, c.bytes))};
        EXPECT_EQ(read.sbDrvrCount, 0xFFFF);
        EXPECT_EQ(read.driverLocations.size(), c.entriesKept) << c.bytes << " bytes";
    }
}

TEST(DriverDescriptor, BytesEndingInsideTheFixedFieldsAreRefused) {
    for (size_t size = 2; size < 18; ++size) {
        EXPECT_THROW(DriverDescriptor{ImageBytes(record(512, 100, 1, {}, size))}, ReadPastEndError) << size;
    }
}

}  // namespace
}  // namespace zorv
