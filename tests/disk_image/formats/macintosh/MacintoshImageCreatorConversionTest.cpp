#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/blocks/PhysicalBlockFileError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSImageBuilder.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreator.hpp"
#include "disk_image/formats/macintosh/MacintoshImageCreatorError.hpp"
#include "disk_image/formats/macintosh/device/DriverDescriptor.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDevice.hpp"
#include "disk_image/formats/macintosh/device/MacintoshDeviceError.hpp"
#include "disk_image/model/FakeVolume.hpp"
#include "disk_image/parser/DetectionImages.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "disk_image/parser/ReportFakes.hpp"
#include "platform/FileSystem.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/LidoDevice.hpp"
#include "support/SyntheticHfsVolume.hpp"
#include "support/TemporaryDirectory.hpp"

// The conversions of the device builder: a volume file into a device, a
// partition of a device into a volume file, and the Lido driver replaced by
// HD SC Setup 7.3.5 in a copy of a device.
namespace zorv {
namespace {

using ErrorCase = MacintoshImageCreatorError::Case;
using testing::TemporaryDirectory;

constexpr int64_t block = 512;

void writeFile(const std::string& path, ByteView bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const std::string& path) { return fs::readWholeFile(path).toBytes(); }

URL urlOf(const std::string& path) { return URL::fileURLWithPath(path); }

Bytes blocksOf(const Bytes& image, int64_t first, int64_t count = 1) {
    return Bytes(image.begin() + first * block, image.begin() + (first + count) * block);
}

// A small HFS volume with a folder and a file, made without any tool.
Bytes sampleHFSVolume(const std::string& name = "Conversions", int64_t freeBlocks = 8) {
    testing::SyntheticHfsVolume volume;
    volume.volumeName = name;
    volume.freeBlocks = freeBlocks;
    testing::SyntheticHfsVolume::Folder folder;
    folder.name = "Folder";
    folder.folderID = 16;
    volume.folders.push_back(folder);
    testing::SyntheticHfsVolume::File file;
    file.parentID = 16;
    file.name = "Note";
    file.fileID = 17;
    file.dataFork = Bytes(700, 'n');
    volume.files.push_back(file);
    return volume.build();
}

// A ProDOS volume of 280 blocks, in ProDOS block order, with one small file.
Bytes sampleProDOSVolume() {
    testing::ProDOSImageBuilder builder(280, "CONVERTED");
    testing::ProDOSEntryFields file;
    file.name = "HELLO";
    file.fileType = 0x04;
    file.keyPointer = 7;
    file.eof = 5;
    builder.putEntry(2, 1, file);
    builder.headerByte(33) = 1;  // file count
    std::copy_n("HELLO", 5, builder.at(7, 0));
    return builder.image;
}

// Where a map entry's fields lie in its block.
constexpr int64_t entryBlockCountOffset = 12;
constexpr int64_t entryLogicalDataStartOffset = 80;
constexpr int64_t entryStatusLowByteOffset = 91;

std::string entryType(const Bytes& image, int64_t entryBlock) {
    const auto* start = image.data() + entryBlock * block + 48;
    return std::string(reinterpret_cast<const char*>(start), strnlen(reinterpret_cast<const char*>(start), 32));
}

// --- volume file to device ---

class MacintoshImageCreatorVolumeToDeviceTest : public ::testing::Test {
protected:
    std::string convert(const Bytes& volumeFile, const std::string& name = "volume.img") {
        const std::string input = folder.file(name);
        writeFile(input, volumeFile);
        const std::string output = folder.file(name + ".hda");
        // The volume as the command line hands it over: read and detected.
        const ImageParser parser(fs::readWholeFile(input), urlOf(input));
        if (!parser.volume()) ADD_FAILURE() << "no volume detected";
        MacintoshImageCreator::createFromVolume(urlOf(output), *parser.volume());
        return output;
    }
    TemporaryDirectory folder;
};

TEST_F(MacintoshImageCreatorVolumeToDeviceTest, AnHFSVolumeLandsAtBlock96UnderItsName) {
    Bytes volume = sampleHFSVolume("Twin Peaks");
    volume.resize(819200, 0);  // an 800K floppy
    const Bytes device = readFile(convert(volume));
    ASSERT_EQ(device.size(), 869888u);  // 1,600 + 99 blocks
    EXPECT_EQ(blocksOf(device, 96, 1600), volume);
    EXPECT_EQ(blocksOf(device, 1696, 3), Bytes(3 * block, 0));

    const MacintoshDevice read{ImageBytes(device)};
    EXPECT_EQ(read.driverDescriptor().sbBlkCount(), 1699);
    EXPECT_EQ(read.driverDescriptor().driverLocations.front(), DriverLocation(64, SCSIDriver::appleHDSC735().ddSize, 1));
    ASSERT_EQ(read.partitionMap.partitions.size(), 3u);
    const auto& entry = read.partitionMap.partitions[2];
    EXPECT_EQ(entry.pmParType, "Apple_HFS");
    EXPECT_EQ(entry.pmPartName, "Twin Peaks");
    EXPECT_EQ(entry.pmPyPartStart, 96);
    EXPECT_EQ(entry.pmPartBlkCnt, 1600);
    EXPECT_EQ(read.partitionMap.partitions[1].scsiDriver, SCSIDriver::appleHDSC735());
    ASSERT_NE(read.volumeForPartition(2), nullptr);
    EXPECT_EQ(read.volumeForPartition(2)->volumeName(), "Twin Peaks");
}

TEST_F(MacintoshImageCreatorVolumeToDeviceTest, ADiskCopyImageGivesTheSameDeviceAsTheVolumeItHolds) {
    const Bytes volume = sampleHFSVolume();
    const Bytes bare = readFile(convert(volume, "bare.img"));
    const Bytes wrapped = readFile(convert(testing::diskCopyImage(volume), "wrapped.image"));
    EXPECT_EQ(wrapped, bare);
    EXPECT_EQ(bare.size(), volume.size() + 99 * block);
}

// HFS addresses whole blocks: a partial one after the volume is no part of it.
TEST_F(MacintoshImageCreatorVolumeToDeviceTest, ATrailingPartialBlockIsLeftOut) {
    const Bytes volume = sampleHFSVolume();
    Bytes longer = volume;
    longer.insert(longer.end(), 100, 0xEE);
    const Bytes device = readFile(convert(longer, "longer.img"));
    ASSERT_EQ(device.size(), volume.size() + 99 * block);
    EXPECT_EQ(blocksOf(device, 96, static_cast<int64_t>(volume.size()) / block), volume);
}

TEST_F(MacintoshImageCreatorVolumeToDeviceTest, AnExistingFileIsReplaced) {
    const std::string output = folder.file("volume.img.hda");
    writeFile(output, Bytes(10 * 1024 * 1024, 0x55));
    const Bytes volume = sampleHFSVolume();
    convert(volume);
    EXPECT_EQ(std::filesystem::file_size(output), volume.size() + 99 * block);
}

// Whatever order the file keeps its sectors in, the partition holds the
// volume in ProDOS block order, which is how an Apple II reads a partition.
TEST_F(MacintoshImageCreatorVolumeToDeviceTest, AProDOSVolumeInEitherSectorOrderLandsInProDOSOrder) {
    const Bytes proDOSOrder = sampleProDOSVolume();
    const Bytes dosOrder = testing::ProDOSImageBuilder::toDOSOrder(proDOSOrder);
    Bytes dosOrderUnsigned = dosOrder;
    std::fill_n(dosOrderUnsigned.begin(), 4, uint8_t{0});  // no boot signature
    Bytes proDOSOrderUnsigned = proDOSOrder;
    std::fill_n(proDOSOrderUnsigned.begin(), 4, uint8_t{0});

    const std::vector<std::pair<std::string, std::pair<Bytes, Bytes>>> files{
        {"volume.po", {proDOSOrder, proDOSOrder}},
        {"volume.do", {dosOrder, proDOSOrder}},
        {"unsigned.do", {dosOrderUnsigned, proDOSOrderUnsigned}},
        {"unsigned.po", {proDOSOrderUnsigned, proDOSOrderUnsigned}},
    };
    for (const auto& [name, images] : files) {
        SCOPED_TRACE(name);
        const auto& [file, expected] = images;
        const Bytes device = readFile(convert(file, name));
        ASSERT_EQ(device.size(), (280u + 99) * block);
        EXPECT_EQ(blocksOf(device, 96, 280), expected);

        const MacintoshDevice read{ImageBytes(device)};
        ASSERT_EQ(read.partitionMap.partitions.size(), 3u);
        EXPECT_EQ(read.partitionMap.partitions[2].pmParType, "Apple_PRODOS");
        EXPECT_EQ(read.partitionMap.partitions[2].pmPartName, "CONVERTED");
        const auto descriptor = read.volumeDescriptorForInterestingPartition(0);
        EXPECT_EQ(descriptor.volumeType(), VolumeType::proDOS);
        const auto* volume = dynamic_cast<const ProDOSVolume*>(descriptor.parsedVolume().get());
        ASSERT_NE(volume, nullptr);
        EXPECT_TRUE(volume->disk().proDOSOrder);
        EXPECT_EQ(volume->volumeName(), "CONVERTED");
        ASSERT_EQ(volume->fileEntries().size(), 1u);
        EXPECT_EQ(volume->getFileContents(*volume->fileEntries().front()), Bytes({'H', 'E', 'L', 'L', 'O'}));
    }
}

TEST_F(MacintoshImageCreatorVolumeToDeviceTest, OtherVolumesAreNoVolumeToConvert) {
    Bytes mfs(409600, 0);
    mfs[1024] = 0xD2;
    mfs[1025] = 0xD7;
    testing::expectError<MacintoshImageCreatorError>(ErrorCase::noValidVolume, [&] { convert(mfs, "mfs.img"); });
    EXPECT_FALSE(std::filesystem::exists(folder.file("mfs.img.hda")));
    testing::expectError<MacintoshImageCreatorError>(ErrorCase::noValidVolume, [&] {
        MacintoshImageCreator::createFromVolume(urlOf(folder.file("fake.hda")), testing::FakeVolume());
    });
    EXPECT_FALSE(std::filesystem::exists(folder.file("fake.hda")));
}

// --- partition to volume file ---

TEST(MacintoshImageCreatorPartitionToVolumeTest, APartitionOf2048BlocksGivesAFileOfOneMegabyte) {
    TemporaryDirectory folder;
    Bytes volume = sampleHFSVolume("Megabyte");
    volume.resize(2048 * block, 0);
    std::fill(volume.end() - 512, volume.end(), uint8_t{0x77});  // marks the last block
    auto creator = MacintoshImageCreator::withCapacityInBlocks(urlOf(folder.file("device.hda")), 96 + 2048 + 500);
    creator.partition({VolumeDescriptor::fromExistingData("Megabyte", 0, ImageBytes(volume), VolumeType::hfs),
                       VolumeDescriptor::newBlankVolume("ProDOS", 0, 500, VolumeType::proDOS)},
                      SCSIDriver::appleHDSC735());
    creator.create(true);
    const MacintoshDevice device(fs::readWholeFile(folder.file("device.hda")));

    const std::string hfs = folder.file("hfs.img");
    MacintoshImageCreator::createFromInterestingPartition(urlOf(hfs), 0, device);
    EXPECT_EQ(std::filesystem::file_size(hfs), 1048576u);
    EXPECT_EQ(readFile(hfs), volume);

    // The same through the partitions by start block: the map, the driver,
    // then the HFS volume.
    const std::string again = folder.file("again.img");
    MacintoshImageCreator::createFromPartition(urlOf(again), 2, device);
    EXPECT_EQ(readFile(again), volume);

    const std::string proDOS = folder.file("prodos.po");
    MacintoshImageCreator::createFromInterestingPartition(urlOf(proDOS), 1, device);
    EXPECT_EQ(readFile(proDOS), ProDOSVolume::blankVolume(500).dataInProDOSBlockOrder().toBytes());

    EXPECT_THROW(MacintoshImageCreator::createFromPartition(urlOf(folder.file("driver.img")), 1, device),
                 MacintoshDeviceError);
    EXPECT_THROW(MacintoshImageCreator::createFromInterestingPartition(urlOf(folder.file("none.img")), 2, device),
                 MacintoshDeviceError);
    EXPECT_FALSE(std::filesystem::exists(folder.file("driver.img")));
}

// A blank HFS partition of `create mac-device` holds only its master
// directory blocks and opens as no volume: it still comes out whole.
TEST(MacintoshImageCreatorPartitionToVolumeTest, APartitionWithoutAReadableVolumeComesOutWhole) {
    TemporaryDirectory folder;
    auto creator = MacintoshImageCreator::withCapacityInMB(urlOf(folder.file("device.hda")), 1);
    creator.addEmptyBlocks(96);
    creator.partition({VolumeDescriptor::newBlankVolume("MacOS", 0, 2048, VolumeType::hfs)},
                      SCSIDriver::appleHDSC735());
    creator.create(true);
    const Bytes deviceBytes = readFile(folder.file("device.hda"));
    const MacintoshDevice device{ImageBytes(deviceBytes)};
    const std::string volume = folder.file("volume.img");
    MacintoshImageCreator::createFromInterestingPartition(urlOf(volume), 0, device);
    EXPECT_EQ(readFile(volume), blocksOf(deviceBytes, 96, 2048));
}

TEST(MacintoshImageCreatorPartitionToVolumeTest, ADescriptorWithoutBytesGivesZeros) {
    TemporaryDirectory folder;
    const std::string path = folder.file("zeros.img");
    MacintoshImageCreator::createFromVolumeDescriptor(urlOf(path), VolumeDescriptor("Blank", 0, 3, {}, VolumeType::mfs));
    EXPECT_EQ(readFile(path), Bytes(3 * block, 0));
    EXPECT_THROW(MacintoshImageCreator::createFromVolumeDescriptor(URL::fileURLWithPath(folder.file("dir") + "/"),
                                                                   VolumeDescriptor("Blank", 0, 3, {}, VolumeType::mfs)),
                 PhysicalBlockFileError);
}

// --- Lido replacement ---

class MacintoshImageCreatorLidoTest : public ::testing::Test {
protected:
    void SetUp() override { device = testing::LidoDevice::make(); }
    // The device as the command line hands it over: read from a file.
    MacintoshDevice deviceOf(const Bytes& bytes) {
        const std::string path = folder.file("lido.hda");
        writeFile(path, bytes);
        return MacintoshDevice(fs::readWholeFile(path));
    }
    Bytes replace(const Bytes& input, int64_t inPartition = 1) {
        const std::string output = folder.file("replaced.hda");
        std::filesystem::remove(output);
        MacintoshImageCreator::replaceLido(urlOf(output), inPartition, deviceOf(input));
        return readFile(output);
    }
    // The blocks the replacement writes: block 0, block 1, the entry of
    // the driver, the HFS entry and the driver's 32 blocks.
    void expectOnlyTheIntendedChanges(const Bytes& input, const Bytes& output, int64_t driverEntryBlock) {
        ASSERT_EQ(output.size(), input.size());
        const DriverDescriptor expectedBlockZero(512, 3000, 64, SCSIDriver::appleHDSC735().ddSize);
        EXPECT_EQ(blocksOf(output, 0), expectedBlockZero.dataBlock());

        Bytes firstEntry = blocksOf(input, 1);
        std::fill_n(firstEntry.begin() + entryLogicalDataStartOffset, 4, uint8_t{0});
        EXPECT_EQ(blocksOf(output, 1), firstEntry);

        Bytes hfsEntry = blocksOf(input, device.hfsEntryBlock);
        hfsEntry[entryStatusLowByteOffset] = 0xB7;
        EXPECT_EQ(blocksOf(output, device.hfsEntryBlock), hfsEntry);

        const PartitionMapEntry driverEntry(
            PartitionType::appleDriver43(64, 32, SCSIDriver::appleHDSC735().trailer), device.entryCount, 512);
        EXPECT_EQ(blocksOf(output, driverEntryBlock), driverEntry.dataBlock());
        EXPECT_EQ(blocksOf(output, 64, 32), SCSIDriver::appleHDSC735().driverData.toBytes());

        for (int64_t at = 2; at < 3000; ++at) {
            if (at == device.hfsEntryBlock || at == driverEntryBlock || (at >= 64 && at < 96)) continue;
            EXPECT_EQ(blocksOf(output, at), blocksOf(input, at)) << "block " << at;
        }
    }
    TemporaryDirectory folder;
    testing::LidoDevice device;
};

TEST_F(MacintoshImageCreatorLidoTest, OnlyTheDriverAndItsRecordsChange) {
    const Bytes output = replace(device.image);
    expectOnlyTheIntendedChanges(device.image, output, device.driverEntryBlock);

    // The copy reads as a device with Apple's driver and its volumes.
    const MacintoshDevice read{ImageBytes(output)};
    const auto partitions = read.devicePartitions();
    ASSERT_EQ(partitions.size(), 6u);
    const auto* driver = dynamic_cast<const PartitionMapEntry*>(partitions[1].get());
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->pmParType, "Apple_Driver43");
    EXPECT_EQ(driver->scsiDriver, SCSIDriver::appleHDSC735());
    // By start: the map, the driver, ProDOS, MFS, HFS, A/UX.
    ASSERT_NE(read.volumeForPartition(4), nullptr);
    EXPECT_EQ(read.volumeForPartition(4)->volumeName(), "Lido HFS");
}

// The driver's entry is rewritten where the map keeps it, even when the map
// does not list its entries in start order, and entries of a type the reader
// does not know keep their blocks and their place.
TEST_F(MacintoshImageCreatorLidoTest, TheDriverEntryIsRewrittenInItsOwnBlock) {
    Bytes input = device.image;
    // Swap the driver's entry (block 2) and the ProDOS one.
    ASSERT_EQ(device.driverEntryBlock, 2);
    const Bytes driverEntry = blocksOf(input, 2);
    const Bytes proDOSEntry = blocksOf(input, device.proDOSEntryBlock);
    std::copy(proDOSEntry.begin(), proDOSEntry.end(), input.begin() + 2 * block);
    std::copy(driverEntry.begin(), driverEntry.end(), input.begin() + device.proDOSEntryBlock * block);
    // The ProDOS entry, now in block 2, gets a type nobody knows.
    const std::string unknown = "Zorv_Unknown";
    std::fill_n(input.begin() + 2 * block + 48, 32, uint8_t{0});
    std::copy(unknown.begin(), unknown.end(), input.begin() + 2 * block + 48);

    const Bytes output = replace(input);
    expectOnlyTheIntendedChanges(input, output, device.proDOSEntryBlock);
    EXPECT_EQ(entryType(output, 2), "Zorv_Unknown");
}

// A dump whose size is not a whole number of blocks keeps its last bytes.
TEST_F(MacintoshImageCreatorLidoTest, ATrailingPartialBlockIsCopied) {
    Bytes input = device.image;
    input.insert(input.end(), 100, 0xEE);
    const Bytes output = replace(input);
    ASSERT_EQ(output.size(), input.size());
    EXPECT_EQ(Bytes(output.end() - 100, output.end()), Bytes(100, 0xEE));
    EXPECT_EQ(blocksOf(output, 64, 32), SCSIDriver::appleHDSC735().driverData.toBytes());
}

// Counted over every partition by start block: the map's own comes first.
TEST_F(MacintoshImageCreatorLidoTest, TheLidoPartitionIsFoundAmongAllPartitions) {
    const MacintoshDevice lido = deviceOf(device.image);
    EXPECT_EQ(MacintoshImageCreator::lidoPartition(lido), 1);
    EXPECT_EQ(MacintoshImageCreator::lidoPartition(MacintoshDevice(ImageBytes(replace(device.image)))), std::nullopt)
        << "Apple's driver";
    testing::FakeDevice other;
    other.partitions = lido.devicePartitions();
    EXPECT_EQ(MacintoshImageCreator::lidoPartition(other), std::nullopt) << "not a Macintosh device";
}

TEST_F(MacintoshImageCreatorLidoTest, AnExistingOutputFileIsRefusedAndKept) {
    const std::string output = folder.file("replaced.hda");
    writeFile(output, Bytes(1000, 0x44));
    try {
        MacintoshImageCreator::replaceLido(urlOf(output), 1, deviceOf(device.image));
        ADD_FAILURE() << "replaced";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::file_exists);
    }
    EXPECT_EQ(readFile(output), Bytes(1000, 0x44));
}

TEST_F(MacintoshImageCreatorLidoTest, TheOutputFolderIsCreated) {
    const std::string output = folder.file("new/folders/replaced.hda");
    MacintoshImageCreator::replaceLido(urlOf(output), 1, deviceOf(device.image));
    EXPECT_EQ(std::filesystem::file_size(output), device.image.size());
}

TEST_F(MacintoshImageCreatorLidoTest, RefusedDevicesWriteNothing) {
    const auto refusalOf = [&](const DeviceRepresentable& input,
                               int64_t inPartition) -> std::optional<MacintoshImageCreatorError> {
        const std::string output = folder.file("refused.hda");
        try {
            MacintoshImageCreator::replaceLido(urlOf(output), inPartition, input);
        } catch (const MacintoshImageCreatorError& error) {
            EXPECT_FALSE(std::filesystem::exists(output));
            return error;
        }
        ADD_FAILURE() << "replaced";
        return std::nullopt;
    };
    const auto refusal = [&](const Bytes& input, int64_t inPartition) {
        return refusalOf(deviceOf(input), inPartition);
    };
    // A partition that is not the Lido driver's, and none at all.
    EXPECT_EQ(refusal(device.image, 2), MacintoshImageCreatorError(ErrorCase::noLidoDriver));
    EXPECT_EQ(refusal(device.image, 6), MacintoshImageCreatorError(ErrorCase::noValidDevice));
    EXPECT_EQ(refusal(device.image, -1), MacintoshImageCreatorError(ErrorCase::noValidDevice));
    // A device that is not a Macintosh device.
    testing::FakeDevice amiga;
    amiga.partitions = MacintoshDevice(ImageBytes(device.image)).devicePartitions();
    EXPECT_EQ(refusalOf(amiga, 1), MacintoshImageCreatorError(ErrorCase::noValidDevice));

    // A Lido partition of 24 blocks still holds what identifies the driver,
    // but the new driver would run 8 blocks into the next partition.
    Bytes small = device.image;
    small[device.driverEntryBlock * block + entryBlockCountOffset + 3] = 24;
    EXPECT_EQ(refusal(small, 1), MacintoshImageCreatorError(ErrorCase::driverPartitionTooSmall, 24 * block));
}

// A device in 1024-byte blocks: block 0, the map's entry, the Lido entry,
// then the Lido partition in 16 blocks of 1024 bytes.
TEST_F(MacintoshImageCreatorLidoTest, DevicesOfOtherBlockSizesAreRefused) {
    constexpr int64_t size = 1024;
    Bytes image(static_cast<size_t>(40 * size), 0);
    const Bytes blockZero = DriverDescriptor(size, 40, 3, 32).dataBlock();
    std::copy(blockZero.begin(), blockZero.end(), image.begin());
    const Bytes mapEntry = PartitionMapEntry(PartitionType::applePartitionMap(1, 2), 2, size).dataBlock();
    std::copy(mapEntry.begin(), mapEntry.end(), image.begin() + size);
    const Bytes lidoEntry = PartitionMapEntry(PartitionType::appleDriver43(3, 16, SCSIDriver::lido().trailer), 2, size)
                                .dataBlock();
    std::copy(lidoEntry.begin(), lidoEntry.end(), image.begin() + 2 * size);
    const ImageBytes& lido = SCSIDriver::lido().driverData;
    std::copy(lido.begin(), lido.end(), image.begin() + 3 * size);

    const MacintoshDevice read{ImageBytes(image)};
    ASSERT_EQ(read.devicePartitions().size(), 2u);
    ASSERT_EQ(dynamic_cast<const PartitionMapEntry&>(*read.devicePartitions()[1]).scsiDriver, SCSIDriver::lido());
    testing::expectError(MacintoshImageCreatorError(ErrorCase::unsupportedBlockSize, 1024),
                         [&] { MacintoshImageCreator::replaceLido(urlOf(folder.file("out.hda")), 1, read); });
    EXPECT_FALSE(std::filesystem::exists(folder.file("out.hda")));
}

}  // namespace
}  // namespace zorv
