// HFS volumes assembled in memory: opening, the probe, the wrapper, the
// bitmap, new volumes, the volume's answers, navigation and forks, the extents
// overflow file and damaged catalogs.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolumeError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlockError.hpp"
#include "support/BTreeFileBuilder.hpp"
#include "support/ByteBuilder.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/HfsCatalogRecordBytes.hpp"
#include "support/ScopedTimeZone.hpp"
#include "support/SyntheticHfsVolume.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::BTreeFileBuilder;
using testing::ByteBuilder;
using testing::SyntheticHfsVolume;
using LeafType = HFSCatalogLeafRecord::LeafType;
using MDBCase = MasterDirectoryBlockError::Case;

constexpr int64_t kRootFolderID = 2;

template <typename Error>
auto caseOf(const std::function<void()>& action) -> decltype(Error(typename Error::Case{}).errorCase) {
    try {
        action();
    } catch (const Error& error) {
        return error.errorCase;
    }
    ADD_FAILURE() << "expected error not thrown";
    return typename Error::Case{};
}

bool throwsUnreacheable(const std::function<void()>& action) {
    try {
        action();
    } catch (const BlockStructureDefinableError& error) {
        return error.errorCase == BlockStructureDefinableError::Case::unreacheableBlock;
    } catch (...) {
    }
    return false;
}

Bytes pattern(size_t length, uint8_t seed) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + i / 251);
    return bytes;
}

// A volume with a little of everything: folders, nesting, invisible items,
// type and creator codes, both forks, an empty file and names whose case
// orders them differently by code point and by the Finder's rule.
SyntheticHfsVolume sampleVolume() {
    SyntheticHfsVolume volume;
    volume.volumeName = "Sample";
    volume.folders = {
        {kRootFolderID, "Letters", 20, 0, 0, 0xA1000000, 0xA1000001},
        {kRootFolderID, "Hidden Folder", 21, 0x4000, 0, 0xA1000002, 0xA1000003},
        {20, "Inner", 22, 0, 0x4000, 0xA1000004, 0xA1000005},
    };
    SyntheticHfsVolume::File readMe;
    readMe.name = "ReadMe";
    readMe.fileID = 30;
    readMe.dataFork = pattern(1000, 1);
    readMe.created = 0xA2000000;
    readMe.modified = 0xA2000001;
    SyntheticHfsVolume::File app;
    app.name = "app";
    app.fileID = 31;
    app.type = "APPL";
    app.creator = "MyAp";
    app.dataFork = pattern(700, 2);
    app.resourceFork = pattern(300, 3);
    SyntheticHfsVolume::File invisible;
    invisible.name = "Desktop";
    invisible.fileID = 32;
    invisible.type = "FNDR";
    invisible.creator = "ERIK";
    invisible.fdFlags = 0x4000;
    invisible.resourceFork = pattern(600, 4);
    SyntheticHfsVolume::File empty;
    empty.name = "empty";
    empty.fileID = 33;
    SyntheticHfsVolume::File banana;
    banana.parentID = 20;
    banana.name = "Banana";
    banana.fileID = 34;
    banana.dataFork = pattern(10, 5);
    SyntheticHfsVolume::File apple;
    apple.parentID = 20;
    apple.name = "apple";
    apple.fileID = 35;
    apple.dataFork = pattern(20, 6);
    SyntheticHfsVolume::File deep;
    deep.parentID = 22;
    deep.name = "deep";
    deep.fileID = 36;
    deep.dataFork = pattern(5, 7);
    volume.files = {readMe, app, invisible, empty, banana, apple, deep};
    return volume;
}

HFSVolume open(const SyntheticHfsVolume& synthetic) { return HFSVolume{ImageBytes(synthetic.build())}; }

std::vector<std::string> childNames(const HFSVolume& volume, const VolumeItem& folder) {
    std::vector<std::string> names;
    for (int64_t i = 0; i < volume.numberOfChildrenOfItem(folder); ++i)
        names.push_back(volume.child(i, folder)->name());
    return names;
}

VolumeItem childNamed(const HFSVolume& volume, const VolumeItem& folder, const std::string& name) {
    for (int64_t i = 0; i < volume.numberOfChildrenOfItem(folder); ++i) {
        auto item = volume.child(i, folder);
        if (item && item->name() == name) return item;
    }
    return nullptr;
}

HFSCatalogLeafRecord leafOf(const VolumeItem& item) { return dynamic_cast<const HFSCatalogItem&>(*item).leafRecord(); }

// An item of some other volume format.
struct ForeignItem final : VolumeItemRepresentable {
    std::string name() const override { return "foreign"; }
    std::optional<int64_t> logicalSizeInBytes() const override { return std::nullopt; }
    std::optional<int64_t> physicalSizeInBytes() const override { return std::nullopt; }
    std::optional<Date> creationDate() const override { return std::nullopt; }
    std::optional<Date> modificationDate() const override { return std::nullopt; }
    bool isFolder() const override { return true; }
    std::optional<std::vector<FinderFlag>> flags() const override { return std::nullopt; }
    std::optional<std::string> kind() const override { return std::nullopt; }
    std::optional<OSType> type() const override { return std::nullopt; }
    std::optional<OSType> creator() const override { return std::nullopt; }
    bool isExportable() const override { return false; }
};

// A file leaf with the given data fork extents and lengths.
VolumeItem fileItem(int64_t fileID, std::vector<ExtDescriptor> dataExtents, int64_t logicalLength,
                    int64_t physicalLength) {
    HFSCatalogLeafData::FileRecord file;
    file.filFlNum = fileID;
    file.filExtRec = std::move(dataExtents);
    file.filExtRec.resize(3);  // the record's three extents, empty ones after those given
    file.filLgLen = logicalLength;
    file.filPyLen = physicalLength;
    HFSCatalogLeafData data;
    data.leafType = LeafType::file;
    data.fileRecord = file;
    // Items are views of catalog records: the record's bytes, as a catalog
    // would hold them.
    const HFSCatalogLeafRecord leaf(HFSCatalogFileKey(10, kRootFolderID, "file"), data);
    return std::make_shared<HFSCatalogItem>(BTreeNodeRecord(ImageBytes(leaf.dataBlock()), false, std::nullopt));
}

// A volume of `sectors` sectors with the given allocation geometry: a one-leaf
// catalog (root folder, its thread) from allocation block 0 and an empty
// extents overflow file after it (blocks 0 to 2 at most).
Bytes geometryVolume(int64_t sectors, int64_t firstAllocationSector, int64_t allocationBlockSize) {
    Bytes image(static_cast<size_t>(sectors * 512), 0);
    BTreeFileBuilder catalog;
    catalog.addLeafChain({{testing::hfsCatalogRecord(1, "Geometry", testing::hfsFolderData(kRootFolderID)),
                           testing::hfsCatalogRecord(kRootFolderID, "", testing::hfsThreadData(3, 1, "Geometry"))}});
    const Bytes catalogBytes = catalog.build();
    const Bytes extentsBytes = BTreeFileBuilder().build();
    // The catalog's two nodes, then the extents file's one.
    const int64_t catalogBlocks = std::max<int64_t>(1, 1024 / allocationBlockSize);
    MasterDirectoryBlock mdb(MasterDirectoryBlock::minimumBlankVolumeBlocks, "Geometry", 512, Date{0});
    mdb.drAlBlSt = firstAllocationSector;
    mdb.drAlBlkSiz = allocationBlockSize;
    mdb.drNmAlBlks = 10;
    mdb.drCTExtRec = {ExtDescriptor(0, catalogBlocks), ExtDescriptor(), ExtDescriptor()};
    mdb.drCTFlSize = catalogBlocks * allocationBlockSize;
    mdb.drXTExtRec = {ExtDescriptor(catalogBlocks, 1), ExtDescriptor(), ExtDescriptor()};
    mdb.drXTFlSize = allocationBlockSize;
    const Bytes mdbBytes = mdb.dataBlock();
    std::copy(mdbBytes.begin(), mdbBytes.end(), image.begin() + 1024);
    const auto allocationStart = [&](int64_t block) {
        return image.begin() + firstAllocationSector * 512 + block * allocationBlockSize;
    };
    std::copy(catalogBytes.begin(), catalogBytes.end(), allocationStart(0));
    std::copy(extentsBytes.begin(), extentsBytes.end(), allocationStart(catalogBlocks));
    return image;
}

void putU16(Bytes& bytes, size_t at, int64_t value) {
    bytes[at] = static_cast<uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<uint8_t>(value);
}

void putU32(Bytes& bytes, size_t at, int64_t value) {
    putU16(bytes, at, value >> 16);
    putU16(bytes, at + 2, value & 0xFFFF);
}

// Offsets of master directory block fields within the image.
constexpr size_t kDrVBMSt = 1024 + 14;
constexpr size_t kDrAlBlSt = 1024 + 28;
constexpr size_t kDrVCSize = 1024 + 124;
constexpr size_t kDrVBMCSize = 1024 + 126;
constexpr size_t kDrCtlCSize = 1024 + 128;
constexpr size_t kDrXTExtRec = 1024 + 134;
constexpr size_t kDrCTFlSize = 1024 + 146;
constexpr size_t kDrCTExtRec = 1024 + 150;

// ---------------------------------------------------------------------------
// Opening

TEST(HFSVolumeOpening, TooShortForTheMasterDirectoryBlock) {
    EXPECT_TRUE(throwsUnreacheable([] { HFSVolume{ImageBytes(Bytes(1535, 0x42))}; }));
    EXPECT_TRUE(throwsUnreacheable([] { HFSVolume{ImageBytes()}; }));
}

TEST(HFSVolumeOpening, ZerosAreAnUnformattedPartition) {
    EXPECT_EQ(caseOf<MasterDirectoryBlockError>([] { HFSVolume{ImageBytes(Bytes(1536, 0))}; }),
              MDBCase::unformattedPartition);
}

TEST(HFSVolumeOpening, AnotherSignatureIsRefused) {
    Bytes image = sampleVolume().build();
    image[1024] = 'H';
    image[1025] = '+';
    EXPECT_EQ(caseOf<MasterDirectoryBlockError>([&] { HFSVolume{ImageBytes(image)}; }),
              MDBCase::invalidMDBPartitionSignature);
}

TEST(HFSVolumeOpening, OpensWithItsThreeRecords) {
    const HFSVolume volume = open(sampleVolume());
    ASSERT_TRUE(volume.masterDirectoryBlock());
    ASSERT_TRUE(volume.catalogFile());
    ASSERT_TRUE(volume.extentsOverflowFile());
    EXPECT_EQ(volume.masterDirectoryBlock()->drVN, "Sample");
    EXPECT_EQ(volume.blockSize, 512);
    EXPECT_EQ(volume.sizeInBytes(), static_cast<int64_t>(sampleVolume().build().size()));
}

TEST(HFSVolumeOpening, CatalogExtentBeyondTheVolume) {
    Bytes image = sampleVolume().build();
    const auto sectors = static_cast<int64_t>(image.size() / 512);
    // Allocation block a is sector 4 + a: the catalog's first extent ends at
    // the last sector, then one sector past it.
    putU16(image, kDrCTExtRec, sectors - 5);
    putU16(image, kDrCTExtRec + 2, 1);
    EXPECT_FALSE(throwsUnreacheable([&] { HFSVolume{ImageBytes(image)}; })) << "within the volume (not a catalog)";
    putU16(image, kDrCTExtRec + 2, 2);
    EXPECT_TRUE(throwsUnreacheable([&] { HFSVolume{ImageBytes(image)}; }));
}

TEST(HFSVolumeOpening, EmptyExtentStartingBeyondTheVolume) {
    Bytes image = sampleVolume().build();
    putU16(image, kDrCTExtRec + 8, 60000);  // third extent: (60000, 0)
    EXPECT_TRUE(throwsUnreacheable([&] { HFSVolume{ImageBytes(image)}; }));
}

TEST(HFSVolumeOpening, EmptyCatalogIsRefusedByTheCatalog) {
    Bytes image = sampleVolume().build();
    std::fill(image.begin() + kDrCTExtRec, image.begin() + kDrCTExtRec + 12, 0);
    // All extents (0, 0): an empty catalog file, shorter than one node.
    EXPECT_TRUE(throwsUnreacheable([&] { HFSVolume{ImageBytes(image)}; }));
}

TEST(HFSVolumeOpening, CatalogErrorsComeBeforeThoseOfTheExtentsFile) {
    Bytes image = sampleVolume().build();
    // Extents file beyond the volume, catalog an all-zero node.
    putU16(image, kDrXTExtRec, 60000);
    putU16(image, kDrXTExtRec + 2, 1);
    EXPECT_TRUE(throwsUnreacheable([&] { HFSVolume{ImageBytes(image)}; })) << "extents file alone";
    SyntheticHfsVolume::Layout layout;
    Bytes both = sampleVolume().build(&layout);
    putU16(both, kDrXTExtRec, 60000);
    putU16(both, kDrXTExtRec + 2, 1);
    putU16(both, kDrCTExtRec, layout.allocationBlocks - 1);  // a free, zero block
    putU16(both, kDrCTExtRec + 2, 1);
    std::fill(both.begin() + kDrCTExtRec + 4, both.begin() + kDrCTExtRec + 12, 0);
    EXPECT_EQ(caseOf<HFSCatalogFileError>([&] { HFSVolume{ImageBytes(both)}; }),
              HFSCatalogFileError::Case::noLeafNodes);
}

// ---------------------------------------------------------------------------
// The probe

TEST(HFSVolumeProbe, NeedsTheSignatureAndAVolumeThatOpens) {
    EXPECT_FALSE(HFSVolume::fromImageData(ImageBytes(Bytes(1025, 0x42))));
    Bytes signatureOnly(2048, 0);
    signatureOnly[1024] = 'B';
    signatureOnly[1025] = 'D';
    EXPECT_FALSE(HFSVolume::fromImageData(ImageBytes(signatureOnly)));
    EXPECT_FALSE(HFSVolume::fromImageData(ImageBytes()));

    const auto volume = HFSVolume::fromImageData(ImageBytes(sampleVolume().build()));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->volumeName(), "Sample");
}

// ---------------------------------------------------------------------------
// Allocation geometry and the wrapper

TEST(HFSVolumeGeometry, AllocationBlocksStartAtTheirSector) {
    // drAlBlSt 16, drAlBlkSiz 4096: the extent (10, 3) is sectors 96 to 119.
    Bytes image = geometryVolume(200, 16, 4096);
    const Bytes contents = pattern(3 * 4096, 9);
    std::copy(contents.begin(), contents.end(), image.begin() + 49152);
    const HFSVolume volume{ImageBytes(image)};
    const auto fork = volume.getFork(ForkType::data, fileItem(40, {ExtDescriptor(10, 3)}, 12288, 12288));
    ASSERT_TRUE(fork);
    EXPECT_EQ(*fork, contents);
    EXPECT_EQ(fork->data(), volume.structureData.data() + 49152) << "a slice, not a copy";
}

TEST(HFSVolumeGeometry, EmbeddedVolumeRange) {
    // drAlBlSt 16, drAlBlkSiz 4096, drVBMCSize 10, drCtlCSize 100: sectors 96 to 895.
    Bytes image = geometryVolume(896, 16, 4096);
    putU16(image, kDrVCSize, HFSVolume::embeddedHFSPlusSignature);
    putU16(image, kDrVBMCSize, 10);
    putU16(image, kDrCtlCSize, 100);
    const HFSVolume volume{ImageBytes(image)};
    EXPECT_TRUE(volume.wrapsHFSPlus());
    EXPECT_EQ(caseOf<MasterDirectoryBlockError>([&] { (void)volume.extractedHFSPlus(); }),
              MDBCase::noExtractableHFSPlus);

    image.resize(895 * 512);
    const HFSVolume shortVolume{ImageBytes(image)};
    EXPECT_TRUE(throwsUnreacheable([&] { (void)shortVolume.extractedHFSPlus(); }));

    EXPECT_EQ(caseOf<MasterDirectoryBlockError>([] { (void)HFSVolume().extractedHFSPlus(); }),
              MDBCase::invalidMDBPartitionSignature);
    EXPECT_FALSE(open(sampleVolume()).wrapsHFSPlus());
}

// ---------------------------------------------------------------------------
// The bitmap

TEST(HFSVolumeBitmap, MostSignificantBitFirst) {
    const HFSVolumeBitmap bitmap{ImageBytes(Bytes{0x80, 0x40}), 512};
    for (int64_t block = 0; block < 16; ++block) {
        EXPECT_EQ(bitmap.isAllocationBlockOccupied(block), block == 0 || block == 9) << block;
    }
    EXPECT_FALSE(bitmap.isAllocationBlockOccupied(16)) << "beyond the bitmap";
    EXPECT_FALSE(bitmap.isAllocationBlockOccupied(1'000'000'000));
    EXPECT_FALSE(bitmap.isAllocationBlockOccupied(-1));
    EXPECT_FALSE(bitmap.isAllocationBlockOccupied(INT64_MIN));
}

TEST(HFSVolumeBitmap, VolumeAnswersFromItsBitmapSectors) {
    SyntheticHfsVolume::Layout layout;
    const HFSVolume volume{ImageBytes(sampleVolume().build(&layout))};
    const auto bitmap = volume.volumeBitmap();
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->bitmap.size(), 512u);
    for (int64_t block = 0; block < layout.usedBlocks; ++block) EXPECT_TRUE(volume.isBlockOccupied(block)) << block;
    for (int64_t block = layout.usedBlocks; block < 4096; ++block) EXPECT_FALSE(volume.isBlockOccupied(block)) << block;
    EXPECT_FALSE(volume.isBlockOccupied(4096));
    EXPECT_FALSE(volume.isBlockOccupied(-8));
    EXPECT_TRUE(volume.isRangeOccupied(0, 3));
    EXPECT_FALSE(volume.isRangeOccupied(layout.usedBlocks, layout.usedBlocks + 3));
}

TEST(HFSVolumeBitmap, UnusableBitmapAnswersNotOccupied) {
    Bytes image = sampleVolume().build();
    putU16(image, kDrVBMSt, 10);  // after drAlBlSt (4): no bitmap sectors
    EXPECT_FALSE(HFSVolume(ImageBytes(image)).isBlockOccupied(0));

    EXPECT_FALSE(HFSVolume().isBlockOccupied(0));
    EXPECT_FALSE(HFSVolume().volumeBitmap());
}

TEST(HFSVolumeBitmap, BitmapBeyondTheVolume) {
    // An opened volume whose bytes are then cut before its allocation blocks
    // start: the bitmap sectors run past the end.
    Bytes image = sampleVolume().build();
    const HFSVolume volume{ImageBytes(image)};
    HFSVolume cut = volume;
    cut.structureData = cut.structureData.slice(0, 3 * 512);
    EXPECT_FALSE(cut.volumeBitmap());
    EXPECT_FALSE(cut.isBlockOccupied(0));
}

// ---------------------------------------------------------------------------
// New volumes

struct NewVolumeCase {
    int64_t blocks;
    int64_t allocationBlockSize;
    int64_t firstAllocationSector;
    int64_t freeBlocks;
};

class HFSVolumeNewVolume : public ::testing::TestWithParam<NewVolumeCase> {
protected:
    testing::ScopedTimeZone utc{"UTC"};
};

TEST_P(HFSVolumeNewVolume, TwoCopiesOfTheMasterDirectoryBlock) {
    const NewVolumeCase& sample = GetParam();
    const Date now{1714564800};
    const auto blocks = HFSVolume::blocksForNewHFSVolume(sample.blocks, "Untitled", 512, now);
    EXPECT_EQ(blocks, MasterDirectoryBlock::newVolumeHeaderBlocks(sample.blocks, "Untitled", 512, now));
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_TRUE(blocks.contains(2));
    ASSERT_TRUE(blocks.contains(sample.blocks - 2));
    EXPECT_EQ(blocks.at(2), blocks.at(sample.blocks - 2));
    ASSERT_EQ(blocks.at(2).size(), 512u);
    const MasterDirectoryBlock mdb{ImageBytes(blocks.at(2))};
    EXPECT_EQ(mdb.drVN, "Untitled");
    EXPECT_EQ(mdb.drAlBlkSiz, sample.allocationBlockSize);
    EXPECT_EQ(mdb.drAlBlSt, sample.firstAllocationSector);
    EXPECT_EQ(mdb.drFreeBks, sample.freeBlocks);
    EXPECT_EQ(mdb.drCrDate, now);
}

INSTANTIATE_TEST_SUITE_P(WorkedSizes, HFSVolumeNewVolume,
                         ::testing::Values(NewVolumeCase{22, 512, 4, 0}, NewVolumeCase{2048, 512, 4, 2012},
                                           NewVolumeCase{40960, 512, 13, 40307}, NewVolumeCase{65536, 512, 19, 64493},
                                           NewVolumeCase{67584, 1024, 12, 33259},
                                           NewVolumeCase{204800, 2048, 16, 50397},
                                           NewVolumeCase{2048000, 15872, 20, 65031}),
                         testing::namedBy([](const NewVolumeCase& c) { return std::to_string(c.blocks) + " blocks"; }));

TEST(HFSVolumeNewVolume, TooSmallAVolumeIsRefused) {
    for (int64_t blocks : {-1, 0, 2, 4, 21}) {
        EXPECT_EQ(caseOf<MasterDirectoryBlockError>([&] { HFSVolume::blocksForNewHFSVolume(blocks, "Untitled", 512); }),
                  MDBCase::volumeTooSmall)
            << blocks;
    }
    EXPECT_EQ(HFSVolume::blocksForNewHFSVolume(MasterDirectoryBlock::minimumBlankVolumeBlocks, "Untitled", 512).size(),
              2u);
}

TEST(HFSVolumeNewVolume, DatesOutsideTheFieldAreClamped) {
    const testing::ScopedTimeZone utc{"UTC"};
    // 2041 is past the last second the 32-bit field holds (early 2040), 1900
    // before its first: both still make a volume.
    const auto late = HFSVolume::blocksForNewHFSVolume(2048, "Untitled", 512, Date{2240524800});
    EXPECT_EQ(Bytes(late.at(2).begin() + 2, late.at(2).begin() + 10), Bytes(8, 0xFF));
    const auto early = HFSVolume::blocksForNewHFSVolume(2048, "Untitled", 512, Date{-2208988800});
    EXPECT_EQ(Bytes(early.at(2).begin() + 2, early.at(2).begin() + 10), Bytes(8, 0x00));
}

// ---------------------------------------------------------------------------
// The volume's answers

TEST(HFSVolumeAnswers, FromTheMasterDirectoryBlock) {
    SyntheticHfsVolume::Layout layout;
    const SyntheticHfsVolume synthetic = sampleVolume();
    const HFSVolume volume{ImageBytes(synthetic.build(&layout))};
    const auto& mdb = *volume.masterDirectoryBlock();
    EXPECT_EQ(volume.volumeName(), "Sample");
    EXPECT_EQ(volume.creationDate(), mdb.drCrDate);
    EXPECT_EQ(volume.modificationDate(), mdb.drLsMod);
    EXPECT_NE(mdb.drCrDate, mdb.drLsMod);
    EXPECT_EQ(volume.totalCapacityInBytes(), layout.allocationBlocks * 512);
    EXPECT_EQ(volume.freeCapacityInBytes(), mdb.drFreeBks * 512);
    EXPECT_EQ(volume.totalCountOfFiles(), 7);
    EXPECT_EQ(volume.totalCountOfFolders(), 3);
    EXPECT_TRUE(volume.isFormatted());
    EXPECT_TRUE(volume.hasForks());
    EXPECT_FALSE(volume.isBootable());
    EXPECT_EQ(volume.volumeFormatName(), "Macintosh (HFS)");
    EXPECT_EQ(volume.helpfulDescription(),
              "This is a non-bootable HFS Volume. It doesn't seem to contain a working System folder, so you will "
              "not be able to start a Mac (real or emulated) with this.");
}

TEST(HFSVolumeAnswers, CapacitiesUseTheStoredCounts) {
    // drNmAlBlks 2042, drAlBlkSiz 512, drFreeBks 2012.
    Bytes image = sampleVolume().build();
    putU16(image, 1024 + 18, 2042);
    putU16(image, 1024 + 34, 2012);
    const HFSVolume volume{ImageBytes(image)};
    EXPECT_EQ(volume.totalCapacityInBytes(), 1045504);
    EXPECT_EQ(volume.freeCapacityInBytes(), 1030144);
}

TEST(HFSVolumeAnswers, BootBlocks) {
    SyntheticHfsVolume synthetic = sampleVolume();
    synthetic.bootable = true;
    const HFSVolume volume = open(synthetic);
    EXPECT_TRUE(volume.isBootable());
    EXPECT_EQ(volume.helpfulDescription(), "This is a bootable HFS Volume.");

    Bytes image = synthetic.build();
    image[1] = 'L';
    EXPECT_FALSE(HFSVolume(ImageBytes(image)).isBootable());
}

TEST(HFSVolumeAnswers, WrapperNamesTheContainer) {
    HFSVolume volume = open(sampleVolume());
    EXPECT_FALSE(volume.wrapper());
    const auto diskCopy = std::make_shared<DiskCopy42>();
    volume.setWrapper(diskCopy);
    EXPECT_EQ(volume.wrapper(), diskCopy);
    EXPECT_EQ(volume.volumeFormatName(), "Macintosh (HFS)\n(" + diskCopy->descriptiveName() + ")");
}

TEST(HFSVolumeAnswers, WithoutAnyRecord) {
    const HFSVolume volume;
    EXPECT_EQ(volume.volumeName(), "<Not Initialized>");
    EXPECT_FALSE(volume.creationDate());
    EXPECT_FALSE(volume.modificationDate());
    EXPECT_EQ(volume.totalCapacityInBytes(), 0);
    EXPECT_EQ(volume.freeCapacityInBytes(), 0);
    EXPECT_FALSE(volume.totalCountOfFiles());
    EXPECT_FALSE(volume.totalCountOfFolders());
    EXPECT_FALSE(volume.isBootable());
    EXPECT_EQ(volume.numberOfChildrenOfItem(nullptr), 0);
    EXPECT_EQ(volume.child(0, nullptr), nullptr);
    EXPECT_EQ(volume.parentItem(fileItem(1, {ExtDescriptor(0, 1)}, 1, 512)), nullptr);
    EXPECT_FALSE(volume.getFork(ForkType::data, fileItem(1, {ExtDescriptor(0, 1)}, 1, 512)));
    EXPECT_TRUE(volume.fileHierarchy().empty());
}

// ---------------------------------------------------------------------------
// Navigation

TEST(HFSVolumeNavigation, RootChildrenByCodePoint) {
    const HFSVolume volume = open(sampleVolume());
    EXPECT_EQ(childNames(volume, nullptr),
              (std::vector<std::string>{"Desktop", "Hidden Folder", "Letters", "ReadMe", "app", "empty"}));
    EXPECT_EQ(volume.child(0, nullptr)->name(), "Desktop");
    EXPECT_EQ(volume.child(6, nullptr), nullptr);
    EXPECT_EQ(volume.child(-1, nullptr), nullptr);
    const auto letters = childNamed(volume, nullptr, "Letters");
    ASSERT_TRUE(letters);
    EXPECT_TRUE(volume.isItemExpandable(letters));
    EXPECT_EQ(childNames(volume, letters), (std::vector<std::string>{"Banana", "Inner", "apple"}));
    const auto inner = childNamed(volume, letters, "Inner");
    EXPECT_EQ(childNames(volume, inner), std::vector<std::string>{"deep"});
}

TEST(HFSVolumeNavigation, FilesAndForeignItemsStandForTheRoot) {
    const HFSVolume volume = open(sampleVolume());
    const auto readMe = childNamed(volume, nullptr, "ReadMe");
    ASSERT_TRUE(readMe);
    EXPECT_FALSE(volume.isItemExpandable(readMe));
    EXPECT_EQ(volume.numberOfChildrenOfItem(readMe), 6);
    const VolumeItem foreign = std::make_shared<ForeignItem>();
    EXPECT_EQ(volume.numberOfChildrenOfItem(foreign), 6);
    EXPECT_FALSE(volume.isItemExpandable(foreign));
    EXPECT_EQ(volume.volumeItem(foreign), nullptr);
    EXPECT_EQ(volume.volumeItem(readMe), readMe);
    EXPECT_EQ(volume.parentItem(foreign), nullptr);
    EXPECT_FALSE(volume.getFork(ForkType::data, foreign));
    EXPECT_FALSE(volume.isItemExpandable(nullptr));
}

TEST(HFSVolumeNavigation, ParentsUpToTheRootFolderRecord) {
    const HFSVolume volume = open(sampleVolume());
    const auto letters = childNamed(volume, nullptr, "Letters");
    const auto inner = childNamed(volume, letters, "Inner");
    const auto deep = childNamed(volume, inner, "deep");
    ASSERT_TRUE(deep);
    EXPECT_TRUE(isSameVolumeItem(volume.parentItem(deep), inner)) << "the item the walk handed out";
    EXPECT_TRUE(isSameVolumeItem(volume.parentItem(inner), letters));
    const auto root = volume.parentItem(letters);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->name(), "Sample");
    EXPECT_EQ(leafOf(root).key.parentID, 1);
    EXPECT_EQ(volume.parentItem(root), nullptr);
    EXPECT_EQ(volume.tree(deep), (std::vector<std::string>{"Inner", "Letters", "Sample", "Sample - Macintosh (HFS)"}));
}

TEST(HFSVolumeNavigation, HierarchyWalksEveryItem) {
    const HFSVolume volume = open(sampleVolume());
    std::vector<std::pair<std::string, int64_t>> walked;
    for (const auto& element : volume.fileHierarchy()) walked.emplace_back(element.item->name(), element.level);
    EXPECT_EQ(walked, (std::vector<std::pair<std::string, int64_t>>{{"Desktop", 0},
                                                                    {"Hidden Folder", 0},
                                                                    {"Letters", 0},
                                                                    {"Banana", 1},
                                                                    {"Inner", 1},
                                                                    {"deep", 2},
                                                                    {"apple", 1},
                                                                    {"ReadMe", 0},
                                                                    {"app", 0},
                                                                    {"empty", 0}}));
}

TEST(HFSVolumeNavigation, CopiesHandOutTheSameItems) {
    const HFSVolume volume = open(sampleVolume());
    const HFSVolume copy = volume;  // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_TRUE(isSameVolumeItem(copy.child(0, nullptr), volume.child(0, nullptr)));
}

TEST(HFSVolumeNavigation, FoldersListingThemselvesOrAnAncestorEndTheWalk) {
    SyntheticHfsVolume synthetic = sampleVolume();
    // "Loop" lists the root's items; "Back" (inside Letters) lists Letters.
    synthetic.folders.push_back({kRootFolderID, "Loop", kRootFolderID, 0, 0, 0, 0});
    synthetic.folders.push_back({20, "Back", 20, 0, 0, 0, 0});
    synthetic.folders.push_back({22, "Self", 22, 0, 0, 0, 0});
    const HFSVolume volume = open(synthetic);
    const auto hierarchy = volume.fileHierarchy();
    EXPECT_LT(hierarchy.size(), 60u);
    int64_t deepest = 0;
    for (const auto& element : hierarchy) deepest = std::max(deepest, element.level);
    EXPECT_LE(deepest, 5);
    std::set<std::string> names;
    for (const auto& element : hierarchy) names.insert(element.item->name());
    EXPECT_TRUE(names.contains("deep"));
    EXPECT_TRUE(names.contains("Loop"));
}

// ---------------------------------------------------------------------------
// Forks

TEST(HFSVolumeForks, DataAndResourceForks) {
    const SyntheticHfsVolume synthetic = sampleVolume();
    const HFSVolume volume = open(synthetic);
    const auto app = childNamed(volume, nullptr, "app");
    ASSERT_TRUE(app);
    EXPECT_EQ(volume.getFork(ForkType::data, app), std::optional<ImageBytes>(ImageBytes(synthetic.files[1].dataFork)));
    EXPECT_EQ(volume.getFork(ForkType::resource, app),
              std::optional<ImageBytes>(ImageBytes(synthetic.files[1].resourceFork)));
    const auto desktop = childNamed(volume, nullptr, "Desktop");
    EXPECT_FALSE(volume.getFork(ForkType::data, desktop)) << "no allocated blocks: no fork";
    EXPECT_EQ(volume.getFork(ForkType::resource, desktop)->size(), 600u);
    EXPECT_FALSE(volume.getFork(ForkType::data, childNamed(volume, nullptr, "empty")));
    EXPECT_FALSE(volume.getFork(ForkType::data, childNamed(volume, nullptr, "Letters")));
    EXPECT_FALSE(volume.getFork(ForkType::data, nullptr));

    const auto readMe = childNamed(volume, nullptr, "ReadMe");
    const auto fork = volume.getFork(ForkType::data, readMe);
    ASSERT_TRUE(fork);
    EXPECT_EQ(fork->size(), 1000u) << "cut to the logical length";
    EXPECT_GE(fork->data(), volume.structureData.data());
    EXPECT_LE(fork->data() + fork->size(), volume.structureData.data() + volume.structureData.size())
        << "a slice of the volume";
}

TEST(HFSVolumeForks, LogicalLengthBeyondTheExtents) {
    const HFSVolume volume{ImageBytes(geometryVolume(40, 4, 512))};
    // Allocation blocks 4 and 5 are sectors 8 and 9.
    EXPECT_EQ(volume.getFork(ForkType::data, fileItem(50, {ExtDescriptor(4, 2)}, 1000, 1024))->size(), 1000u);
    // Blocks that end before the length: refused, never read short.
    testing::expectError<HFSVolumeError>(HFSVolumeError::Case::forkShorterThanLength, [&] {
        volume.getFork(ForkType::data, fileItem(50, {ExtDescriptor(4, 2)}, 2000, 1024));
    });
    const auto empty = volume.getFork(ForkType::data, fileItem(50, {ExtDescriptor(4, 2)}, 0, 1024));
    ASSERT_TRUE(empty) << "blocks allocated: an empty fork, not none";
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(volume.getFork(ForkType::data, fileItem(50, {}, 0, 0)));
    EXPECT_FALSE(volume.getFork(ForkType::data, fileItem(50, {ExtDescriptor(4, 0), ExtDescriptor(9, 0)}, 0, 0)));
    testing::expectError<HFSVolumeError>(HFSVolumeError::Case::forkShorterThanLength, [&] {
        volume.getFork(ForkType::data, fileItem(50, {ExtDescriptor(4, 0), ExtDescriptor(9, 0)}, 10, 0));
    });
}

TEST(HFSVolumeForks, NonContiguousExtentsAreJoinedInOrder) {
    Bytes image = geometryVolume(40, 4, 512);
    for (int64_t sector = 8; sector < 20; ++sector) std::fill_n(image.begin() + sector * 512, 512, sector);
    const HFSVolume volume{ImageBytes(image)};
    // Blocks 10, 4-5 and 7 (sectors 14, 8-9, 11), 1800 bytes of the 2048.
    const auto fork = volume.getFork(
        ForkType::data, fileItem(50, {ExtDescriptor(10, 1), ExtDescriptor(4, 2), ExtDescriptor(7, 1)}, 1800, 2048));
    ASSERT_TRUE(fork);
    ASSERT_EQ(fork->size(), 1800u);
    EXPECT_EQ((*fork)[0], 14);
    EXPECT_EQ((*fork)[512], 8);
    EXPECT_EQ((*fork)[1024], 9);
    EXPECT_EQ((*fork)[1536], 11);
}

TEST(HFSVolumeForks, ExtentBeyondTheVolumeThrows) {
    const HFSVolume volume{ImageBytes(geometryVolume(40, 4, 512))};
    EXPECT_TRUE(
        throwsUnreacheable([&] { volume.getFork(ForkType::data, fileItem(50, {ExtDescriptor(30, 7)}, 10, 512)); }));
    EXPECT_NO_THROW(volume.getFork(ForkType::data, fileItem(50, {ExtDescriptor(30, 6)}, 10, 512)));
    EXPECT_TRUE(throwsUnreacheable([&] {
        volume.getFork(ForkType::data, fileItem(50, {ExtDescriptor(0, 1), ExtDescriptor(65535, 65535)}, 1, 512));
    }));
}

// ---------------------------------------------------------------------------
// The extents overflow file

SyntheticHfsVolume scatteredVolume(int64_t fileID = 40) {
    SyntheticHfsVolume synthetic;
    synthetic.volumeName = "Scattered";
    SyntheticHfsVolume::File big;
    big.name = "Big";
    big.fileID = fileID;
    big.dataFork = pattern(10 * 512 - 100, 11);  // 10 extents: 3 in the catalog, 3 + 3 + 1 overflowing
    big.resourceFork = pattern(5 * 512, 12);     // 5 extents
    big.scattered = true;
    SyntheticHfsVolume::File small;
    small.name = "Small";
    small.fileID = fileID + 1;
    small.dataFork = pattern(2000, 13);
    small.scattered = true;
    synthetic.files = {big, small};
    return synthetic;
}

TEST(HFSVolumeOverflow, FragmentedForksReadWhole) {
    const SyntheticHfsVolume synthetic = scatteredVolume();
    const HFSVolume volume = open(synthetic);
    ASSERT_EQ(volume.extentsOverflowFile()->leaves.size(), 5u) << "Big: 3 + 1 records, Small: 1";
    const auto big = childNamed(volume, nullptr, "Big");
    ASSERT_TRUE(big);
    EXPECT_EQ(volume.getFork(ForkType::data, big), std::optional<ImageBytes>(ImageBytes(synthetic.files[0].dataFork)));
    EXPECT_EQ(volume.getFork(ForkType::resource, big),
              std::optional<ImageBytes>(ImageBytes(synthetic.files[0].resourceFork)));
    EXPECT_EQ(volume.getFork(ForkType::data, childNamed(volume, nullptr, "Small")),
              std::optional<ImageBytes>(ImageBytes(synthetic.files[1].dataFork)));
}

TEST(HFSVolumeOverflow, BoundedByThePhysicalLength) {
    const HFSVolume volume = open(scatteredVolume());
    const HFSCatalogLeafRecord leaf = leafOf(childNamed(volume, nullptr, "Big"));
    const auto& file = *leaf.fileRecord();
    EXPECT_EQ(volume.fileExtents(0x00, 40, file.filExtRec, 10 * 512).size(), 12u);
    EXPECT_EQ(volume.fileExtents(0x00, 40, file.filExtRec, 4 * 512).size(), 6u);
    EXPECT_EQ(volume.fileExtents(0x00, 40, file.filExtRec, 3 * 512).size(), 3u);
    EXPECT_EQ(volume.fileExtents(0x00, 40, file.filExtRec, 0).size(), 3u);
    EXPECT_EQ(volume.fileExtents(0xFF, 40, file.filRExtRec, 5 * 512).size(), 6u);
    EXPECT_EQ(volume.fileExtents(0xFF, 40, {ExtDescriptor(0, 2)}, 100 * 512).size(), 1u)
        << "no resource record starts at block 2";
    EXPECT_EQ(volume.fileExtents(0x00, 99, file.filExtRec, 10 * 512).size(), 3u) << "another file's records";
    EXPECT_EQ(volume.fileExtents(0x7F, 40, file.filExtRec, 10 * 512).size(), 3u);
}

TEST(HFSVolumeOverflow, NeverForTheExtentsFileItself) {
    // A (damaged) file numbered like the extents file keeps its first extents,
    // which fall short of its length.
    const SyntheticHfsVolume synthetic = scatteredVolume(HFSVolume::extentsFileNumber);
    const HFSVolume volume = open(synthetic);
    const HFSCatalogLeafRecord leaf = leafOf(childNamed(volume, nullptr, "Big"));
    const auto& file = *leaf.fileRecord();
    EXPECT_EQ(volume.fileExtents(0x00, file.filFlNum, file.filExtRec, file.filPyLen).size(), 3u);
    testing::expectError<HFSVolumeError>(HFSVolumeError::Case::forkShorterThanLength,
                                         [&] { volume.getFork(ForkType::data, childNamed(volume, nullptr, "Big")); });
}

TEST(HFSVolumeOverflow, CatalogBeyondThreeExtents) {
    SyntheticHfsVolume synthetic;
    synthetic.volumeName = "Many Files";
    synthetic.scatteredCatalog = true;
    for (int i = 0; i < 60; ++i) {
        SyntheticHfsVolume::File file;
        file.name = "file " + std::to_string(100 + i);
        file.fileID = 100 + i;
        file.dataFork = pattern(static_cast<size_t>(i), static_cast<uint8_t>(i));
        synthetic.files.push_back(file);
    }
    SyntheticHfsVolume::Layout layout;
    const Bytes image = synthetic.build(&layout);
    ASSERT_GT(layout.catalogFileBlocks, 6);
    const HFSVolume volume{ImageBytes(image)};
    EXPECT_EQ(volume.numberOfChildrenOfItem(nullptr), 60);
    EXPECT_EQ(volume.child(59, nullptr)->name(), "file 159");
    EXPECT_EQ(volume.getFork(ForkType::data, volume.child(59, nullptr)),
              std::optional<ImageBytes>(ImageBytes(synthetic.files[59].dataFork)));

    // Asked for no more than its first three nodes, the catalog's leaf chain
    // runs past its end, and ends there with the records read before.
    Bytes cut = image;
    putU32(cut, kDrCTFlSize, 3 * 512);
    const HFSVolume shorter{ImageBytes(cut)};
    ASSERT_EQ(shorter.numberOfChildrenOfItem(nullptr), 6);
    EXPECT_EQ(shorter.child(0, nullptr)->name(), "file 100");
    EXPECT_EQ(shorter.child(5, nullptr)->name(), "file 105");
}

TEST(HFSVolumeOverflow, RecordsWithoutBlocksEndTheWalk) {
    SyntheticHfsVolume::Layout layout;
    Bytes image = scatteredVolume().build(&layout);
    // Zero the extents of the first overflow record: the walk stops there.
    const HFSVolume intact{ImageBytes(image)};
    const int64_t extentsNode1 = (4 + layout.extentsFileStart + 1) * 512;
    // First record of the leaf: at byte 14 of the node, 8 key bytes then extents.
    std::fill_n(image.begin() + extentsNode1 + 14 + 8, 12, 0);
    const HFSVolume damaged{ImageBytes(image)};
    const HFSCatalogLeafRecord leaf = leafOf(childNamed(damaged, nullptr, "Big"));
    const auto& file = *leaf.fileRecord();
    EXPECT_EQ(damaged.fileExtents(0x00, 40, file.filExtRec, 10 * 512).size(), 3u);
    testing::expectError<HFSVolumeError>(HFSVolumeError::Case::forkShorterThanLength,
                                         [&] { damaged.getFork(ForkType::data, childNamed(damaged, nullptr, "Big")); });
}

}  // namespace
}  // namespace zorv
