// Forks and catalogs spread over more than eight extents: the volume follows
// the extents overflow file, and refuses what it cannot follow.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusVolumeError.hpp"
#include "disk_image/formats/macintosh/volume/hfs_plus/HFSPlusTestImages.hpp"
#include "support/HFSPlusVolumeBuilder.hpp"

namespace zorv {
namespace {

using testing::HFSPlusVolumeBuilder;
using File = HFSPlusVolumeBuilder::File;
using OverflowForkType = HFSPlusExtentsOverflowFileKey::ForkType;

Bytes pattern(size_t length, uint8_t seed) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed ^ (i * 13 + i / 509));
    return bytes;
}

File fragmentedFile(int64_t fileID, std::u16string name, size_t dataLength, int64_t dataExtents,
                    size_t resourceLength = 0, int64_t resourceExtents = 0) {
    File file;
    file.fileID = fileID;
    file.name = std::move(name);
    file.dataFork = {pattern(dataLength, static_cast<uint8_t>(fileID)), dataExtents};
    file.resourceFork = {pattern(resourceLength, static_cast<uint8_t>(fileID + 100)), resourceExtents};
    return file;
}

// 512-byte allocation blocks and nodes: a small catalog still spans many
// blocks, one node each.
HFSPlusVolumeBuilder smallBlocks() {
    HFSPlusVolumeBuilder builder;
    builder.blockSize = 512;
    builder.catalogNodeSize = 512;
    return builder;
}

VolumeItem childNamed(const VolumeRepresentable& volume, const std::string& name) {
    for (int64_t index = 0; index < volume.numberOfChildrenOfItem(nullptr); ++index) {
        VolumeItem item = volume.child(index, nullptr);
        if (item && item->name() == name) return item;
    }
    return nullptr;
}

void expectMissingOverflowExtents(const std::function<void()>& read, int64_t fileID, const std::string& what) {
    try {
        read();
        ADD_FAILURE() << what << ": read";
    } catch (const HFSPlusVolumeError& error) {
        EXPECT_EQ(error.errorCase, HFSPlusVolumeError::Case::missingOverflowExtents) << what;
        EXPECT_EQ(error.payload, fileID) << what;
    }
}

TEST(HFSPlusFragmentedVolume, ReadsForksOfManyExtentsWhole) {
    struct Case {
        const char* what;
        size_t dataLength;
        int64_t dataExtents;
        size_t resourceLength;
        int64_t resourceExtents;
    };
    const std::vector<Case> cases{
        {"eight extents: no overflow record", 8 * 512, 8, 0, 0},
        {"nine extents: one record", 9 * 512 - 100, 9, 0, 0},
        {"sixteen extents: one full record", 16 * 512, 16, 0, 0},
        {"twenty extents: two records", 20 * 512 + 1, 20, 0, 0},
        {"resource fork of eleven extents", 700, 1, 11 * 512, 11},
        {"both forks fragmented", 40 * 512 + 7, 33, 25 * 512, 25},
    };
    for (const Case& c : cases) {
        HFSPlusVolumeBuilder builder = smallBlocks();
        builder.files = {fragmentedFile(20, u"fragmented", c.dataLength, c.dataExtents, c.resourceLength,
                                        c.resourceExtents),
                         fragmentedFile(21, u"neighbour", 3000, 4)};
        const HFSPlusVolume volume(builder.image());
        const VolumeItem file = childNamed(volume, "fragmented");
        ASSERT_NE(file, nullptr) << c.what;
        EXPECT_EQ(volume.getFork(ForkType::data, file), pattern(c.dataLength, 20)) << c.what;
        const auto resource = volume.getFork(ForkType::resource, file);
        if (c.resourceExtents == 0) {
            EXPECT_FALSE(resource.has_value()) << c.what;
        } else {
            EXPECT_EQ(resource, pattern(c.resourceLength, 120)) << c.what;
        }
        EXPECT_EQ(volume.getFork(ForkType::data, childNamed(volume, "neighbour")), pattern(3000, 21)) << c.what;
    }
}

TEST(HFSPlusFragmentedVolume, ForkExtentsContinueWhereTheBlocksEnd) {
    HFSPlusVolumeBuilder builder = smallBlocks();
    builder.files = {fragmentedFile(20, u"fragmented", 20 * 512, 20)};
    const HFSPlusVolume volume(builder.image());
    const HFSPlusFileRecord* file = nullptr;
    const auto leaves = volume.catalogFile().leaves();
    for (const auto& leaf : leaves) {
        if (leaf.data.fileRecord() != nullptr) file = leaf.data.fileRecord();
    }
    ASSERT_NE(file, nullptr);
    const auto extents = volume.forkExtents(file->dataFork, 20, OverflowForkType::data);
    // Eight from the fork record, then two records of eight (the second
    // holding four and four empty slots).
    ASSERT_EQ(extents.size(), 24u);
    int64_t covered = 0;
    for (const auto& extent : extents) covered += extent.blockCount;
    EXPECT_EQ(covered, 20);
    for (size_t i = 1; i < 20; ++i) EXPECT_GT(extents[i].startBlock, extents[i - 1].endBlock()) << i;
}

TEST(HFSPlusFragmentedVolume, OpensACatalogOfManyExtents) {
    HFSPlusVolumeBuilder builder = smallBlocks();
    std::vector<std::string> expected;
    for (int64_t i = 0; i < 40; ++i) {
        const std::string name = "file " + std::to_string(100 + i);
        expected.push_back(name);
        builder.files.push_back(fragmentedFile(20 + i, std::u16string(name.begin(), name.end()), 10, 1));
    }
    builder.catalogExtentCount = 12;
    const ImageBytes image = builder.image();
    const HFSPlusVolume volume(image);
    // The catalog's leaves reach past its eighth extent.
    const auto& catalogFork = volume.volumeHeader().catalogFile;
    EXPECT_GT(catalogFork.totalBlocks, catalogFork.extentBlockCount());
    EXPECT_GT(volume.catalogFile().leafCount(), catalogFork.extentBlockCount());
    std::vector<std::string> listed;
    for (const auto& element : volume.fileHierarchy()) listed.push_back(element.item->name());
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(volume.getFork(ForkType::data, childNamed(volume, "file 139")), pattern(10, 59));

    // Without its overflow records the catalog is refused, not read short.
    builder.omitOverflowRecords = true;
    expectMissingOverflowExtents([&] { HFSPlusVolume{builder.image()}; }, HFSPlusVolume::catalogFileID,
                                 "catalog without overflow records");
    EXPECT_FALSE(HFSPlusVolume::fromImageData(builder.image()).has_value());
}

TEST(HFSPlusFragmentedVolume, MissingOverflowRecordsAreErrors) {
    struct Case {
        const char* what;
        HFSPlusVolumeBuilder builder;
    };
    std::vector<Case> cases;
    {
        HFSPlusVolumeBuilder builder = smallBlocks();
        builder.files = {fragmentedFile(20, u"target", 12 * 512, 12)};
        builder.omitOverflowRecords = true;
        cases.push_back({"records left out", builder});
    }
    {
        HFSPlusVolumeBuilder builder = smallBlocks();
        builder.files = {fragmentedFile(20, u"target", 2 * 512, 2)};
        builder.files[0].dataFork.claimedExtraBlocks = 3;
        cases.push_back({"totalBlocks beyond the extents", builder});
    }
    {
        HFSPlusVolumeBuilder builder = smallBlocks();
        builder.files = {fragmentedFile(20, u"target", 2 * 512, 2)};
        builder.files[0].dataFork.claimedExtraBlocks = 0xFFFFFF00;
        cases.push_back({"totalBlocks near 2^32", builder});
    }
    {
        HFSPlusVolumeBuilder builder = smallBlocks();
        builder.files = {fragmentedFile(20, u"target", 2 * 512, 2)};
        builder.files[0].dataFork.claimedExtraBlocks = 1;
        builder.extraOverflowRecords = {{0x00, 20, 2, {}}};
        cases.push_back({"record without blocks", builder});
    }
    {
        HFSPlusVolumeBuilder builder = smallBlocks();
        builder.files = {fragmentedFile(20, u"target", 2 * 512, 2)};
        builder.files[0].dataFork.claimedExtraBlocks = 1;
        builder.extraOverflowRecords = {{0xFF, 20, 2, {{1, 1}}}, {0x00, 21, 2, {{1, 1}}}, {0x00, 20, 3, {{1, 1}}}};
        cases.push_back({"records of other forks and start blocks", builder});
    }
    for (const Case& c : cases) {
        const HFSPlusVolume volume(c.builder.image());
        const VolumeItem target = childNamed(volume, "target");
        ASSERT_NE(target, nullptr) << c.what;
        expectMissingOverflowExtents([&] { volume.getFork(ForkType::data, target); }, 20, c.what);
        EXPECT_FALSE(volume.getFork(ForkType::resource, target).has_value()) << c.what;
    }
}

TEST(HFSPlusFragmentedVolume, OverflowExtentsBeyondTheVolumeAreRefused) {
    HFSPlusVolumeBuilder builder = smallBlocks();
    builder.files = {fragmentedFile(20, u"target", 2 * 512, 2)};
    builder.files[0].dataFork.claimedExtraBlocks = 2;
    builder.extraOverflowRecords = {{0x00, 20, 2, {{1000000, 2}}}};
    const HFSPlusVolume volume(builder.image());
    EXPECT_THROW(volume.getFork(ForkType::data, childNamed(volume, "target")), BlockStructureDefinableError);
}

// A chain of one-block records: the walk is as long as the records, no more.
TEST(HFSPlusFragmentedVolume, LongChainsOfRecordsEnd) {
    HFSPlusVolumeBuilder builder = smallBlocks();
    builder.files = {fragmentedFile(20, u"target", 512, 1)};
    builder.files[0].dataFork.claimedExtraBlocks = 0xFFFFFFF0;
    for (int64_t start = 1; start < 2000; ++start) builder.extraOverflowRecords.push_back({0x00, 20, start, {{3, 1}}});
    builder.catalogNodeSize = 4096;
    const HFSPlusVolume volume(builder.image());
    const auto began = std::chrono::steady_clock::now();
    EXPECT_ANY_THROW(volume.getFork(ForkType::data, childNamed(volume, "target")));
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
}

// The extents file is read from its own eight extents: records keyed with
// its file ID are never followed, whatever its fork record claims.
TEST(HFSPlusFragmentedVolume, TheExtentsFileIsNeverExtendedFromItself) {
    HFSPlusVolumeBuilder builder = smallBlocks();
    builder.files = {fragmentedFile(20, u"fragmented", 10 * 512, 10)};
    builder.extentsFileClaimedExtraBlocks = 4;
    builder.extraOverflowRecords = {{0x00, HFSPlusVolume::extentsFileID, 1, {{1000000, 4}}}};
    const HFSPlusVolume volume(builder.image());
    const auto& header = volume.volumeHeader();
    EXPECT_EQ(volume.forkExtents(header.extentsFile, HFSPlusVolume::extentsFileID, OverflowForkType::data).size(), 8u);
    EXPECT_EQ(volume.getFork(ForkType::data, childNamed(volume, "fragmented")), pattern(10 * 512, 20));
}

// Damaged extents records and catalog nodes of a volume that needs both:
// each copy is refused or read, never a crash, a hang or a foreign error.
TEST(HFSPlusFragmentedVolume, DamagedCopiesNeverCrashOrHang) {
    HFSPlusVolumeBuilder builder = smallBlocks();
    for (int64_t i = 0; i < 12; ++i) {
        builder.files.push_back(fragmentedFile(20 + i, u"file " + std::u16string(1, static_cast<char16_t>(u'a' + i)),
                                               static_cast<size_t>(700 * (i + 1)), i + 1, 300, i % 3 == 0 ? 10 : 0));
    }
    builder.catalogExtentCount = 10;
    const Bytes original = builder.build();
    const HFSPlusVolume volume{ImageBytes(original)};
    std::vector<std::pair<int64_t, int64_t>> regions{{1024, 512}};  // (first byte, length)
    const auto& header = volume.volumeHeader();
    for (const auto& [fork, fileID] : {std::pair{&header.extentsFile, HFSPlusVolume::extentsFileID},
                                       std::pair{&header.catalogFile, HFSPlusVolume::catalogFileID}}) {
        for (const auto& extent : volume.forkExtents(*fork, fileID, OverflowForkType::data)) {
            if (extent.blockCount == 0) continue;
            regions.emplace_back(extent.startBlock * 512, extent.blockCount * 512);
        }
    }

    std::mt19937 random(0x0F10E5);
    int opened = 0;
    const auto began = std::chrono::steady_clock::now();
    for (int round = 0; round < 400; ++round) {
        Bytes damaged = original;
        const auto [first, length] = regions[random() % regions.size()];
        const int changes = 1 + static_cast<int>(random() % 6);
        for (int change = 0; change < changes; ++change) {
            const auto at = static_cast<size_t>(first) + random() % static_cast<size_t>(length);
            if (random() % 2 == 0 || at + 4 > damaged.size()) {
                damaged[at] = static_cast<uint8_t>(random());
            } else {
                testing::hfsplus::putU32(damaged, at, random() % 3 == 0 ? 0xFFFFFFFF : random() % 40);
            }
        }
        if (round % 16 == 15) damaged.resize(1536 + random() % (damaged.size() - 1536));
        opened += testing::hfsplus::readEverything(ImageBytes(damaged), "round " + std::to_string(round)) ? 1 : 0;
    }
    EXPECT_GT(opened, 100);  // most damage still leaves a volume to read
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(120));
}

}  // namespace
}  // namespace zorv
