// Damaged HFS volumes: cut short, or with random bytes in the master
// directory block, the catalog file and the extents overflow file. Opening
// either fails with one of the volume's errors or gives a volume whose every
// answer comes back without crashing, hanging or reading out of bounds (run
// under the sanitizers by `make test-asan`). The seed is fixed.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/blocks/BlockStructureDefinableError.hpp"
#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSCatalogFileError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolume.hpp"
#include "disk_image/formats/macintosh/volume/hfs/HFSVolumeError.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlockError.hpp"
#include "platform/FileSystem.hpp"
#include "support/Corpus.hpp"
#include "support/SyntheticHfsVolume.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::SyntheticHfsVolume;

Bytes pattern(size_t length, uint8_t seed) {
    Bytes bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 3);
    return bytes;
}

Bytes syntheticSample(bool scattered) {
    SyntheticHfsVolume volume;
    volume.volumeName = "Damaged";
    volume.scatteredCatalog = scattered;
    volume.folders = {{2, "A", 20, 0, 0, 0, 0}, {20, "B", 21, 0, 0, 0, 0}, {21, "C", 22, 0, 0, 0, 0}};
    for (int i = 0; i < 30; ++i) {
        SyntheticHfsVolume::File file;
        file.parentID = 2 + (i % 4 == 0 ? 0 : 17 + i % 4);
        file.name = "f" + std::to_string(i);
        file.fileID = 100 + i;
        file.dataFork = pattern(static_cast<size_t>(i * 97), static_cast<uint8_t>(i));
        file.resourceFork = pattern(static_cast<size_t>(i % 3 == 0 ? 700 : 0), 1);
        file.scattered = scattered && i % 5 == 0;
        volume.files.push_back(file);
    }
    return volume.build();
}

// The byte ranges of the catalog's and the extents file's first extents.
struct Regions {
    std::vector<std::pair<size_t, size_t>> catalog;
    std::vector<std::pair<size_t, size_t>> extents;
};

Regions regionsOf(const Bytes& image) {
    Regions regions;
    const MasterDirectoryBlock mdb{ImageBytes(image).slice(1024, 512)};
    const auto add = [&](const std::array<ExtDescriptor, 3>& record, std::vector<std::pair<size_t, size_t>>& into) {
        for (const auto& extent : record) {
            const int64_t start = (mdb.drAlBlSt * 512) + extent.xdrStABN * mdb.drAlBlkSiz;
            const int64_t length = extent.xdrNumABlks * mdb.drAlBlkSiz;
            if (length > 0 && start + length <= static_cast<int64_t>(image.size())) {
                into.emplace_back(static_cast<size_t>(start), static_cast<size_t>(length));
            }
        }
    };
    add(mdb.drCTExtRec, regions.catalog);
    add(mdb.drXTExtRec, regions.extents);
    return regions;
}

// Asks the volume everything a report, a walk and an export would.
void exercise(const HFSVolume& volume) {
    (void)volume.volumeName();
    (void)volume.volumeFormatName();
    (void)volume.helpfulDescription();
    (void)volume.creationDate();
    (void)volume.modificationDate();
    (void)volume.totalCapacityInBytes();
    (void)volume.freeCapacityInBytes();
    (void)volume.isBootable();
    (void)volume.totalCountOfFiles();
    (void)volume.totalCountOfFolders();
    for (int64_t block : {int64_t{-1}, int64_t{0}, int64_t{7}, int64_t{4095}, int64_t{4096}, int64_t{1} << 40}) {
        (void)volume.isBlockOccupied(block);
    }
    (void)volume.isRangeOccupied(0, 5000);
    try {
        (void)volume.extractedHFSPlus();
    } catch (const MasterDirectoryBlockError&) {
    } catch (const BlockStructureDefinableError&) {
    }
    const auto hierarchy = volume.fileHierarchy();
    // Each folder ID is opened once, so no leaf is listed twice.
    EXPECT_LE(hierarchy.size(), volume.catalogFile() ? volume.catalogFile()->leafCount() : 0);
    for (const auto& element : hierarchy) {
        (void)volume.tree(element.item);
        (void)volume.parentItem(element.item);
        (void)element.item->generateCodableAtLevel(element.level);
        (void)element.item->fileExtension();
        for (ForkType fork : {ForkType::data, ForkType::resource}) {
            try {
                const auto bytes = volume.getFork(fork, element.item);
                if (bytes && !bytes->empty()) {
                    // Touch the first and last bytes: a slice out of bounds shows under ASan.
                    volatile uint8_t first = (*bytes)[0];
                    volatile uint8_t last = (*bytes)[bytes->size() - 1];
                    (void)first;
                    (void)last;
                }
            } catch (const BlockStructureDefinableError& error) {
                EXPECT_EQ(error.errorCase, BlockStructureDefinableError::Case::unreacheableBlock);
            }
            catch (const HFSVolumeError&) {  // blocks that end before the fork's length
            }
        }
    }
    (void)volume.codable(true);
}

// Opens the damaged bytes; any failure must be one of opening's own errors.
// True when the volume opened.
bool openAndExercise(const Bytes& image) {
    std::optional<HFSVolume> volume;
    try {
        volume.emplace(ImageBytes(image));
    } catch (const BlockStructureDefinableError&) {
    } catch (const MasterDirectoryBlockError&) {
    } catch (const HFSCatalogFileError&) {
    } catch (const EnumeratedError&) {
        // errors of the B-tree reader and the records
    } catch (const ReadPastEndError&) {
    } catch (const std::exception& error) {
        ADD_FAILURE() << "unexpected error: " << error.what();
    }
    EXPECT_EQ(HFSVolume::fromImageData(ImageBytes(image)).has_value(), volume.has_value());
    if (volume) exercise(*volume);
    return volume.has_value();
}

class HFSVolumeDamaged : public ::testing::TestWithParam<std::string> {
protected:
    std::optional<Bytes> original() const {
        const std::string& name = GetParam();
        if (name == "synthetic") return syntheticSample(false);
        if (name == "scattered") return syntheticSample(true);
        const auto path = testing::corpusFile(name);
        if (!path) return std::nullopt;
        ImageBytes bytes = fs::readWholeFile(path->string());
        if (DiskCopy42::hasSignature(bytes)) bytes = DiskCopy42::extractedImage(bytes);
        return bytes.toBytes();
    }
};

TEST_P(HFSVolumeDamaged, CutShort) {
    const auto image = original();
    if (!image) GTEST_SKIP() << GetParam() << " is not in the corpus";
    ASSERT_TRUE(HFSVolume::fromImageData(ImageBytes(*image)));
    std::mt19937 random(4);
    std::vector<size_t> lengths{0, 1, 511, 1023, 1024, 1025, 1026, 1535, 1536, 1537, 2047, 2048, 4096};
    const Regions regions = regionsOf(*image);
    for (const auto& region : regions.catalog) lengths.push_back(region.first + region.second / 2);
    for (const auto& region : regions.extents) lengths.push_back(region.first + 1);
    for (int i = 0; i < 40; ++i) lengths.push_back(random() % image->size());
    for (size_t length : lengths) {
        SCOPED_TRACE(length);
        openAndExercise(
            Bytes(image->begin(), image->begin() + static_cast<std::ptrdiff_t>(std::min(length, image->size()))));
    }
}

TEST_P(HFSVolumeDamaged, RandomBytesInTheMasterDirectoryBlock) {
    const auto image = original();
    if (!image) GTEST_SKIP() << GetParam() << " is not in the corpus";
    std::mt19937 random(7);
    int opened = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        Bytes damaged = *image;
        const int count = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < count; ++i) {
            // Leave the signature alone most of the time, so the damage reaches the fields.
            const size_t offset = 1024 + (round % 8 == 0 ? 0 : 2) + random() % 160;
            damaged[offset] = static_cast<uint8_t>(random());
        }
        opened += openAndExercise(damaged);
    }
    EXPECT_GT(opened, 30) << "damage that still opens reaches the walk and the forks";
}

TEST_P(HFSVolumeDamaged, RandomBytesInTheCatalogAndExtentsFiles) {
    const auto image = original();
    if (!image) GTEST_SKIP() << GetParam() << " is not in the corpus";
    const Regions regions = regionsOf(*image);
    ASSERT_FALSE(regions.catalog.empty());
    std::mt19937 random(11);
    int opened = 0;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        Bytes damaged = *image;
        const auto& pool = round % 3 == 2 && !regions.extents.empty() ? regions.extents : regions.catalog;
        const auto& region = pool[random() % pool.size()];
        // Only the nodes in use: catalog bytes past the first few nodes are
        // mostly zeros, where damage shows little.
        const size_t span = std::min<size_t>(region.second, 8 * 512);
        const int count = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i) damaged[region.first + random() % span] = static_cast<uint8_t>(random());
        if (round % 10 == 0) {
            // A whole node of noise.
            const size_t node = region.first + (random() % (span / 512)) * 512;
            for (size_t b = 0; b < 512; ++b) damaged[node + b] = static_cast<uint8_t>(random());
        }
        opened += openAndExercise(damaged);
    }
    EXPECT_GT(opened, 30) << "damage that still opens reaches the walk and the forks";
}

TEST(HFSVolumeDamagedShapes, ExtremeFieldValuesStayBounded) {
    const Bytes image = syntheticSample(true);
    const auto put16 = [](Bytes& bytes, size_t at, int64_t value) {
        bytes[at] = static_cast<uint8_t>(value >> 8);
        bytes[at + 1] = static_cast<uint8_t>(value);
    };
    const auto put32 = [&put16](Bytes& bytes, size_t at, int64_t value) {
        put16(bytes, at, value >> 16);
        put16(bytes, at + 2, value & 0xFFFF);
    };
    const auto started = std::chrono::steady_clock::now();
    for (int64_t blockSize : {int64_t{0}, int64_t{1}, int64_t{511}, int64_t{513}, int64_t{0xFFFFFFFF}}) {
        Bytes damaged = image;
        put32(damaged, 1024 + 20, blockSize);
        openAndExercise(damaged);
    }
    for (int64_t start : {int64_t{0}, int64_t{1}, int64_t{3}, int64_t{0xFFFF}}) {
        Bytes damaged = image;
        put16(damaged, 1024 + 28, start);
        openAndExercise(damaged);
    }
    for (int64_t length : {int64_t{0}, int64_t{1}, int64_t{0xFFFFFFFF}}) {
        Bytes damaged = image;
        put32(damaged, 1024 + 146, length);  // the catalog's length
        openAndExercise(damaged);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
}

TEST(HFSVolumeDamagedShapes, FoldersSharingAnIDAreOpenedOnce) {
    // Two folders at each of 24 levels, both with the ID the next level
    // names as its parent: 2^24 paths through 48 folders.
    SyntheticHfsVolume sample;
    constexpr int64_t levels = 24;
    for (int64_t level = 0; level < levels; ++level) {
        for (const char* name : {"a", "b"}) {
            sample.folders.push_back({level == 0 ? 2 : 99 + level, name, 100 + level, 0, 0, 0, 0});
        }
    }
    const HFSVolume volume{ImageBytes(sample.build())};
    const auto hierarchy = volume.fileHierarchy();
    // "a" is opened at each level; "b", met after it with the same ID, is
    // listed only.
    ASSERT_EQ(hierarchy.size(), 2u * levels);
    EXPECT_EQ(hierarchy[levels - 1].level, levels - 1);
    EXPECT_EQ(hierarchy[levels].item->name(), "b");
}

INSTANTIATE_TEST_SUITE_P(Volumes, HFSVolumeDamaged,
                         ::testing::Values("synthetic", "scattered", "hfs/im-System_3.3.dsk", "hfs/cp2-simple-gsos.po",
                                           "hfs/hr-ResEdit_2.1.3.img", "dc42/cp2-Installer_Disk_1.image"),
                         testing::namedBy());

}  // namespace
}  // namespace zorv
