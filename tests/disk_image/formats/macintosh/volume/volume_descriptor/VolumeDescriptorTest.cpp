#include <gtest/gtest.h>

#include <limits>

#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlock.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptor.hpp"
#include "disk_image/formats/macintosh/volume/volume_descriptor/VolumeDescriptorError.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/HfsTool.hpp"

namespace zorv {
namespace {

using ErrorCase = VolumeDescriptorError::Case;

std::optional<ImageBytes> corpusImage(const std::string& path) {
    const auto file = testing::corpusFile(path);
    if (!file) return std::nullopt;
    return fs::readWholeFile(file->string());
}

VolumeDescriptor sized(const std::string& name, int64_t size, VolumeType type = VolumeType::mfs) {
    return VolumeDescriptor(name, 0, size, {}, type);
}

TEST(VolumeDescriptorVolumeType, NamesAndExtensions) {
    const struct {
        VolumeType type;
        const char* name;
        const char* extension;
    } table[] = {
        {VolumeType::hfs, "HFS Volume", ".img"},         {VolumeType::hfsPlus, "HFS+ Volume", ".img"},
        {VolumeType::mfs, "MFS Volume", ".img"},         {VolumeType::proDOS, "ProDOS Volume", ".hdv"},
        {VolumeType::dos33, "DOS 3.3 Volume", ".dsk"},   {VolumeType::aux, "A/UX Volume", ".img"},
        {VolumeType::unreadable, "Unreadable Volume Type", ".img"},
    };
    for (const auto& row : table) {
        EXPECT_STREQ(descriptiveName(row.type), row.name);
        EXPECT_STREQ(preferedExtension(row.type), row.extension);
    }
}

// Existing bytes go in whole, as a slice of the buffer they came in.
TEST(VolumeDescriptorExisting, BytesAreInstalledWholeWithoutACopy) {
    const ImageBytes image(Bytes(4000, 0x5A));
    const ImageBytes bytes = image.slice(1000, 1000);
    const auto descriptor = VolumeDescriptor::fromExistingData("A/UX", 7, bytes, VolumeType::aux);
    EXPECT_EQ(descriptor.name(), "A/UX");
    EXPECT_EQ(descriptor.startBlock(), 7);
    EXPECT_EQ(descriptor.blockSize, 512);
    EXPECT_EQ(descriptor.sizeInBlocks, 1);  // 1000 bytes: one whole block
    EXPECT_EQ(descriptor.volumeType(), VolumeType::aux);
    EXPECT_EQ(descriptor.parsedVolume(), nullptr);
    ASSERT_EQ(descriptor.blocksToInstall.size(), 1u);
    const ImageBytes& installed = descriptor.blocksToInstall.at(0);
    EXPECT_EQ(installed.size(), 1000u);
    EXPECT_EQ(installed.data(), image.data() + 1000);
    EXPECT_EQ(descriptor.dataBlock().data(), image.data() + 1000);
}

TEST(VolumeDescriptorExisting, BytesThatDoNotOpenAreUnreadableButStillInstalled) {
    const ImageBytes zeros(Bytes(800 * 512, 0));
    for (VolumeType type : {VolumeType::hfs, VolumeType::hfsPlus, VolumeType::proDOS}) {
        const auto descriptor = VolumeDescriptor::fromExistingData("Nothing", 0, zeros, type);
        EXPECT_EQ(descriptor.volumeType(), VolumeType::unreadable) << descriptiveName(type);
        EXPECT_EQ(descriptor.parsedVolume(), nullptr);
        EXPECT_EQ(descriptor.sizeInBlocks, 800);
        EXPECT_EQ(descriptor.dataBlock().data(), zeros.data());
    }
    // Too short for anything: still no error.
    const auto tiny = VolumeDescriptor::fromExistingData("Tiny", 0, ImageBytes(Bytes(10, 1)), VolumeType::hfs);
    EXPECT_EQ(tiny.volumeType(), VolumeType::unreadable);
    EXPECT_EQ(tiny.sizeInBlocks, 0);
    EXPECT_EQ(tiny.dataBlock().size(), 10u);
}

TEST(VolumeDescriptorExisting, RealHFSVolumeOpens) {
    const auto image = corpusImage("hfs/cp2-blank-800k.po");
    if (!image) GTEST_SKIP() << "corpus image hfs/cp2-blank-800k.po is absent";
    const auto descriptor = VolumeDescriptor::fromExistingData("Blank", 0, *image, VolumeType::hfs);
    EXPECT_EQ(descriptor.volumeType(), VolumeType::hfs);
    ASSERT_NE(descriptor.parsedVolume(), nullptr);
    EXPECT_EQ(descriptor.parsedVolume()->volumeName(), "New Disk");
    EXPECT_NE(dynamic_cast<const HFSVolume*>(descriptor.parsedVolume().get()), nullptr);
    EXPECT_EQ(descriptor.sizeInBlocks, 1600);
}

// MFS bytes are taken as they are, without a check.
TEST(VolumeDescriptorExisting, MFSIsTakenWithoutACheck) {
    const auto zeros = VolumeDescriptor::fromExistingData("M", 0, ImageBytes(Bytes(2048, 0)), VolumeType::mfs);
    EXPECT_EQ(zeros.volumeType(), VolumeType::mfs);
    EXPECT_NE(zeros.parsedVolume(), nullptr);

    const auto image = corpusImage("mfs/mr-mfs1440K.dsk");
    if (!image) GTEST_SKIP() << "corpus image mfs/mr-mfs1440K.dsk is absent";
    const auto real = VolumeDescriptor::fromExistingData("M", 0, *image, VolumeType::mfs);
    ASSERT_NE(real.parsedVolume(), nullptr);
    EXPECT_NE(dynamic_cast<const MFSVolume*>(real.parsedVolume().get()), nullptr);
}

// DOS 3.3 bytes are opened as they are, without the probe's check, and
// their partition is an Apple_PRODOS one.
TEST(VolumeDescriptorExisting, DOS33IsTakenWithoutACheck) {
    const auto image = corpusImage("dos33/cp2-dos-files.do");
    if (!image) GTEST_SKIP() << "corpus image dos33/cp2-dos-files.do is absent";
    const auto descriptor = VolumeDescriptor::fromExistingData("Apple II", 0, *image, VolumeType::dos33);
    EXPECT_EQ(descriptor.volumeType(), VolumeType::dos33);
    EXPECT_EQ(descriptor.sizeInBlocks, 280);
    ASSERT_NE(dynamic_cast<const DOS33Disk*>(descriptor.parsedVolume().get()), nullptr);
    EXPECT_EQ(descriptor.parsedVolume()->volumeName(), "Volume 254");
    EXPECT_EQ(descriptor.parsedVolume()->numberOfChildrenOfItem(nullptr), 15);
    EXPECT_EQ(descriptor.partitionMapEntry().pmParType, "Apple_PRODOS");
    EXPECT_EQ(descriptor.partitionMapEntry().pmPartBlkCnt, 280);

    const auto zeros = VolumeDescriptor::fromExistingData("Z", 0, ImageBytes(Bytes(2048, 0)), VolumeType::dos33);
    EXPECT_EQ(zeros.volumeType(), VolumeType::dos33);
    EXPECT_NE(zeros.parsedVolume(), nullptr);
}

// An HFS volume made by hfsutils, turned into a wrapper: its master directory
// block announces an embedded HFS+ volume (drVCSize "H+") at allocation
// blocks [first, first + count).
struct Wrapper {
    Bytes bytes;
    int64_t embeddedOffset;
    int64_t embeddedCapacity;
};

Wrapper makeWrapper(int64_t sizeInBytes, int64_t embeddedBytes) {
    testing::HfsTool tool;
    testing::TemporaryDirectory folder;
    const std::string path = folder.file("wrapper.img");
    tool.formatNewImage(path, "Wrapper", sizeInBytes);
    tool.unmount();
    const ImageBytes formatted = fs::readWholeFile(path);
    Bytes bytes(formatted.begin(), formatted.end());
    auto u16 = [&bytes](size_t at) { return static_cast<int64_t>(bytes[at]) << 8 | bytes[at + 1]; };
    auto u32 = [&](size_t at) { return u16(at) << 16 | u16(at + 2); };
    auto put16 = [&bytes](size_t at, int64_t value) {
        bytes[at] = static_cast<uint8_t>(value >> 8);
        bytes[at + 1] = static_cast<uint8_t>(value);
    };
    const size_t mdb = 1024;
    const int64_t allocationBlockSize = u32(mdb + 20);
    const int64_t firstSector = u16(mdb + 28);
    const int64_t allocationBlocks = u16(mdb + 18);
    const int64_t count = (embeddedBytes + allocationBlockSize - 1) / allocationBlockSize;
    const int64_t first = allocationBlocks - count - 1;  // the last, free blocks
    put16(mdb + 124, 0x482B);
    put16(mdb + 126, first);
    put16(mdb + 128, count);
    return {bytes, firstSector * 512 + first * allocationBlockSize, count * allocationBlockSize};
}

TEST(VolumeDescriptorExisting, WrapperWhoseEmbeddedVolumeDoesNotOpenIsUnreadable) {
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    const Wrapper wrapper = makeWrapper(8 * 1024 * 1024, 1024 * 1024);
    const auto descriptor = VolumeDescriptor::fromExistingData("W", 0, ImageBytes(wrapper.bytes), VolumeType::hfs);
    EXPECT_EQ(descriptor.volumeType(), VolumeType::unreadable);
    EXPECT_EQ(descriptor.parsedVolume(), nullptr);
    EXPECT_EQ(descriptor.dataBlock().size(), wrapper.bytes.size());
}

TEST(VolumeDescriptorExisting, WrapperGivesTheEmbeddedHFSPlusVolume) {
    if (!testing::HfsTool::isAvailable()) GTEST_SKIP() << "hfsutils is not installed";
    const auto hfsPlus = corpusImage("hfsplus/dfvfs-hfsplus.raw");
    if (!hfsPlus) GTEST_SKIP() << "corpus image hfsplus/dfvfs-hfsplus.raw is absent";
    if (!openEmbeddedHFSPlusVolume(*hfsPlus)) GTEST_SKIP() << "HFS+ volumes do not open yet";

    Wrapper wrapper = makeWrapper(8 * 1024 * 1024, static_cast<int64_t>(hfsPlus->size()));
    std::copy(hfsPlus->begin(), hfsPlus->end(), wrapper.bytes.begin() + wrapper.embeddedOffset);
    const auto descriptor = VolumeDescriptor::fromExistingData("W", 0, ImageBytes(wrapper.bytes), VolumeType::hfs);
    EXPECT_EQ(descriptor.volumeType(), VolumeType::hfsPlus);
    ASSERT_NE(descriptor.parsedVolume(), nullptr);
    EXPECT_EQ(descriptor.parsedVolume()->volumeName(), "hfsplus_test");

    const auto bare = VolumeDescriptor::fromExistingData("B", 0, *hfsPlus, VolumeType::hfsPlus);
    EXPECT_EQ(bare.volumeType(), VolumeType::hfsPlus);
    ASSERT_NE(bare.parsedVolume(), nullptr);
    EXPECT_EQ(bare.parsedVolume()->volumeName(), "hfsplus_test");
}

TEST(VolumeDescriptorBlank, HFSGetsTheTwoCopiesOfANewMasterDirectoryBlock) {
    const auto descriptor = VolumeDescriptor::newBlankVolume("Macintosh HD", 96, 1000, VolumeType::hfs);
    EXPECT_EQ(descriptor.name(), "Macintosh HD");
    EXPECT_EQ(descriptor.startBlock(), 96);
    EXPECT_EQ(descriptor.sizeInBlocks, 1000);
    EXPECT_EQ(descriptor.volumeType(), VolumeType::hfs);
    EXPECT_EQ(descriptor.parsedVolume(), nullptr);
    ASSERT_EQ(descriptor.blocksToInstall.size(), 2u);
    const ImageBytes& header = descriptor.blocksToInstall.at(2);
    EXPECT_EQ(descriptor.blocksToInstall.at(998), header);
    EXPECT_EQ(header.size(), 512u);
    // The descriptor's name goes into the map only; on disk it is "Untitled".
    const MasterDirectoryBlock mdb(header);
    EXPECT_EQ(mdb.drVN, "Untitled");
    EXPECT_TRUE(descriptor.dataBlock().empty());
}

// A blank volume of size 0 (all the space left) or below the layout's
// minimum would put its alternate header in front of the volume.
TEST(VolumeDescriptorBlank, HFSSizesOutsideTheLayoutAreRefused) {
    for (int64_t size : {int64_t{-1}, int64_t{0}, int64_t{2}, MasterDirectoryBlock::minimumBlankVolumeBlocks - 1}) {
        SCOPED_TRACE(size);
        testing::expectError(VolumeDescriptorError(ErrorCase::volumeTooSmall, size),
                             [size] { VolumeDescriptor::newBlankVolume("HD", 0, size, VolumeType::hfs); });
    }
    const auto smallest =
        VolumeDescriptor::newBlankVolume("HD", 0, MasterDirectoryBlock::minimumBlankVolumeBlocks, VolumeType::hfs);
    EXPECT_EQ(smallest.blocksToInstall.size(), 2u);
    EXPECT_TRUE(smallest.blocksToInstall.contains(MasterDirectoryBlock::minimumBlankVolumeBlocks - 2));

    const int64_t tooLarge = MasterDirectoryBlock::maximumBlankVolumeBlocks + 1;
    testing::expectError(VolumeDescriptorError(ErrorCase::volumeTooLarge, tooLarge),
                         [&] { VolumeDescriptor::newBlankVolume("HD", 0, tooLarge, VolumeType::hfs); });
}

TEST(VolumeDescriptorBlank, HFSPlusIsItsTwoVolumeHeaders) {
    const auto hfsPlus = VolumeDescriptor::newBlankVolume("HD", 0, 40000, VolumeType::hfsPlus);
    ASSERT_EQ(hfsPlus.blocksToInstall.size(), 2u);
    const ImageBytes& header = hfsPlus.blocksToInstall.at(2);
    EXPECT_EQ(header[0], 'H');
    EXPECT_EQ(header[1], '+');
    EXPECT_EQ(hfsPlus.blocksToInstall.at(40000 - 2), header);
    testing::expectError(VolumeDescriptorError(ErrorCase::volumeTooSmall, 3),
                         [] { VolumeDescriptor::newBlankVolume("HD", 0, 3, VolumeType::hfsPlus); });
}

TEST(VolumeDescriptorBlank, ProDOSIsAWholeVolumeFromOffsetZero) {
    // Larger than a ProDOS volume: the partition keeps its size, the volume
    // is formatted at 65,535 blocks and placed from the partition's start.
    const auto proDOS = VolumeDescriptor::newBlankVolume("P8", 96, 70000, VolumeType::proDOS);
    EXPECT_EQ(proDOS.sizeInBlocks, 70000);
    ASSERT_EQ(proDOS.blocksToInstall.size(), 1u);
    const ImageBytes& volume = proDOS.blocksToInstall.at(0);
    EXPECT_EQ(volume.size(), 65535u * 512);
    const auto reopened = VolumeDescriptor::fromExistingData("P8", 96, volume, VolumeType::proDOS);
    EXPECT_EQ(reopened.volumeType(), VolumeType::proDOS);
    ASSERT_NE(reopened.parsedVolume(), nullptr);
}

TEST(VolumeDescriptorBlank, OtherKindsInstallNothing) {
    for (VolumeType type : {VolumeType::mfs, VolumeType::dos33, VolumeType::aux, VolumeType::unreadable}) {
        const auto descriptor = VolumeDescriptor::newBlankVolume("V", 5, 300, type);
        EXPECT_EQ(descriptor.volumeType(), type);
        EXPECT_EQ(descriptor.sizeInBlocks, 300);
        EXPECT_TRUE(descriptor.blocksToInstall.empty());
    }
    // Size 0 stays "all the space left" for kinds without header blocks.
    EXPECT_EQ(VolumeDescriptor::newBlankVolume("V", 0, 0, VolumeType::mfs).sizeInBlocks, 0);
    testing::expectError(VolumeDescriptorError(ErrorCase::volumeTooSmall, -5),
                         [] { VolumeDescriptor::newBlankVolume("V", 0, -5, VolumeType::mfs); });
}

struct Placed {
    std::string name;
    int64_t start;
    int64_t size;
};

std::vector<Placed> placed(const std::vector<VolumeDescriptor>& volumes) {
    std::vector<Placed> result;
    for (const auto& volume : volumes) result.push_back({volume.name(), volume.startBlock(), volume.sizeInBlocks});
    return result;
}

bool operator==(const Placed& a, const Placed& b) {
    return a.name == b.name && a.start == b.start && a.size == b.size;
}

void PrintTo(const Placed& placed, std::ostream* out) {
    *out << placed.name << "@" << placed.start << "+" << placed.size;
}

TEST(VolumeDescriptorAllocation, LargestFirstAndSizeZeroTakesTheRest) {
    const auto result = VolumeDescriptor::allocateBlocks({sized("a", 100), sized("b", 0), sized("c", 300)}, 96, 1000);
    EXPECT_EQ(placed(result), (std::vector<Placed>{{"c", 96, 300}, {"a", 396, 100}, {"b", 496, 504}}));
}

TEST(VolumeDescriptorAllocation, EqualSizesKeepTheirOrder) {
    const auto result = VolumeDescriptor::allocateBlocks(
        {sized("first", 10), sized("big", 50), sized("second", 10), sized("third", 10)}, 0, 100);
    EXPECT_EQ(placed(result),
              (std::vector<Placed>{{"big", 0, 50}, {"first", 50, 10}, {"second", 60, 10}, {"third", 70, 10}}));
}

TEST(VolumeDescriptorAllocation, ASecondSizeZeroGetsNothingAtTheEnd) {
    const auto result = VolumeDescriptor::allocateBlocks({sized("a", 0), sized("b", 0), sized("c", 4)}, 10, 20);
    EXPECT_EQ(placed(result), (std::vector<Placed>{{"c", 10, 4}, {"a", 14, 6}, {"b", 20, 0}}));
}

TEST(VolumeDescriptorAllocation, FillingTheDeviceExactlyFitsOneMoreBlockDoesNot) {
    EXPECT_EQ(placed(VolumeDescriptor::allocateBlocks({sized("a", 400), sized("b", 504)}, 96, 1000)),
              (std::vector<Placed>{{"b", 96, 504}, {"a", 600, 400}}));
    testing::expectError(VolumeDescriptorError(ErrorCase::volumeSizeOverflow, 1001), [] {
        VolumeDescriptor::allocateBlocks({sized("a", 401), sized("b", 504)}, 96, 1000);
    });
}

TEST(VolumeDescriptorAllocation, EmptyList) {
    EXPECT_TRUE(VolumeDescriptor::allocateBlocks({}, 96, 96).empty());
    testing::expectError(VolumeDescriptorError(ErrorCase::volumeSizeOverflow, 97),
                         [] { VolumeDescriptor::allocateBlocks({}, 97, 96); });
}

TEST(VolumeDescriptorAllocation, NegativeAndHugeSizesAreRefused) {
    testing::expectError(VolumeDescriptorError(ErrorCase::volumeTooSmall, -1), [] {
        VolumeDescriptor::allocateBlocks({sized("a", 5), sized("b", -1)}, 0, 100);
    });
    const int64_t huge = std::numeric_limits<int64_t>::max() - 10;
    testing::expectError(VolumeDescriptorError(ErrorCase::volumeSizeOverflow, std::numeric_limits<int64_t>::max()),
                         [&] {
                             VolumeDescriptor::allocateBlocks({sized("a", huge), sized("b", huge)}, 96, 1000);
                         });
}

// The result keeps names, kinds and bytes (offsets within the volume), and
// drops the parsed volume.
TEST(VolumeDescriptorAllocation, KeepsBytesAndDropsTheParsedVolume) {
    const ImageBytes bytes(Bytes(2048, 7));
    const auto existing = VolumeDescriptor::fromExistingData("M", 0, bytes, VolumeType::mfs);
    ASSERT_NE(existing.parsedVolume(), nullptr);
    const auto blank = VolumeDescriptor::newBlankVolume("H", 0, 100, VolumeType::hfs);
    const auto result = VolumeDescriptor::allocateBlocks({existing, blank}, 96, 1000);
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0].name(), "H");
    EXPECT_EQ(result[0].startBlock(), 96);
    EXPECT_EQ(result[0].blocksToInstall, blank.blocksToInstall);
    EXPECT_EQ(result[1].name(), "M");
    EXPECT_EQ(result[1].startBlock(), 196);
    EXPECT_EQ(result[1].volumeType(), VolumeType::mfs);
    EXPECT_EQ(result[1].parsedVolume(), nullptr);
    EXPECT_EQ(result[1].dataBlock().data(), bytes.data());
}

TEST(VolumeDescriptorEntry, EachKindLocatesItsPartition) {
    const struct {
        VolumeType type;
        const char* typeString;
        int64_t status;
        bool located;
    } table[] = {
        {VolumeType::hfs, "Apple_HFS", 183, true},         {VolumeType::hfsPlus, "Apple_HFS", 183, true},
        {VolumeType::mfs, "Apple_MFS", 183, true},         {VolumeType::proDOS, "Apple_PRODOS", 55, true},
        {VolumeType::dos33, "Apple_PRODOS", 55, true},     {VolumeType::aux, "Apple_Unix_SVR2", 55, true},
        {VolumeType::unreadable, "Apple_Void", 0, false},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.typeString);
        const VolumeDescriptor descriptor("A volume name longer than thirty-two characters", 200, 3000, {}, row.type);
        const PartitionMapEntry entry = descriptor.partitionMapEntry();
        EXPECT_EQ(entry.pmParType, row.typeString);
        EXPECT_EQ(entry.pmMapBlkCnt, 0);
        EXPECT_EQ(entry.physicalBlockSizeInBytes, 512);
        EXPECT_EQ(entry.pmPartStatus.rawValue, row.status);
        EXPECT_EQ(entry.pmPyPartStart, row.located ? 200 : 0);
        EXPECT_EQ(entry.pmPartBlkCnt, row.located ? 3000 : 0);
        EXPECT_EQ(entry.pmPartName, row.located ? "A volume name longer than thirty" : "");
    }
}

}  // namespace
}  // namespace zorv
