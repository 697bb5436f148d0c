// Truncated and randomly damaged ProDOS volumes (fixed seeds): the probe, the
// walk and every answer of the volume must end, stay within the image and
// throw nothing but the library's own errors, and those only where the
// interface says it throws.

#include <gtest/gtest.h>

#include <chrono>
#include <exception>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDisk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "platform/FileSystem.hpp"
#include "ProDOSImageBuilder.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/Corpus.hpp"

namespace zorv {
namespace {

using testing::ProDOSEntryFields;
using testing::ProDOSImageBuilder;

ProDOSEntryFields fields(const std::string& name, int storageType, int keyPointer, int64_t eof, int blocksUsed,
                         int headerPointer) {
    ProDOSEntryFields entry;
    entry.name = name;
    entry.storageType = storageType;
    entry.keyPointer = keyPointer;
    entry.eof = eof;
    entry.blocksUsed = blocksUsed;
    entry.headerPointer = headerPointer;
    entry.fileType = storageType == 0xD ? 0x0F : 0x06;
    return entry;
}

// Every storage type, two levels of subdirectories and an Applesoft program.
Bytes syntheticVolume() {
    ProDOSImageBuilder builder(280, "DAMAGE.ME");
    for (int64_t block = 30; block < 60; ++block) builder.fillBlock(block, static_cast<uint8_t>(block));
    builder.fillBlock(20, 0);
    builder.putIndex(20, {30, 31, 0, 32});
    builder.fillBlock(21, 0);
    builder.putIndex(21, {22, 0, 23});
    builder.fillBlock(22, 0);
    builder.putIndex(22, std::vector<int>(256, 33));
    builder.fillBlock(23, 0);
    builder.putIndex(23, {34, 35});
    builder.fillBlock(24, 0);
    const Bytes forks{0x01, 36, 0, 1, 0, 200, 0, 0};
    std::copy(forks.begin(), forks.end(), builder.at(24, 0));
    const Bytes resource{0x02, 20, 0, 4, 0, 0x00, 0x06, 0};
    std::copy(resource.begin(), resource.end(), builder.at(24, 256));
    const Bytes program{0x0B, 0x08, 0x0A, 0x00, 0xBA, 0x22, 0x48, 0x49, 0x22, 0x00, 0x15, 0x08,
                        0x14, 0x00, 0x81, 0x49, 0xD0, 0x31, 0xC1, 0x39, 0x00, 0x00, 0x00};
    builder.fillBlock(37, 0);
    std::copy(program.begin(), program.end(), builder.at(37, 0));

    builder.putEntry(2, 1, fields("SEED", 1, 30, 300, 1, 2));
    builder.putEntry(2, 2, fields("SAP", 2, 20, 2000, 4, 2));
    builder.putEntry(2, 3, fields("TREE", 3, 21, 3 * 131072, 6, 2));
    builder.putEntry(2, 4, fields("FORKED", 5, 24, 512, 6, 2));
    ProDOSEntryFields basic = fields("HELLO", 1, 37, static_cast<int64_t>(program.size()), 1, 2);
    basic.fileType = 0xFC;
    builder.putEntry(2, 5, basic);
    builder.putEntry(2, 6, fields("SUB", 0xD, 40, 1024, 2, 2));
    builder.fillBlock(40, 0);
    builder.fillBlock(41, 0);
    builder.putSubdirectoryKeyBlock(40, "SUB", 2, 6);
    builder.setPointers(40, 0, 41);
    builder.setPointers(41, 40, 0);
    builder.putEntry(40, 1, fields("INNER", 1, 31, 512, 1, 40));
    builder.putEntry(41, 3, fields("DEEPER", 0xD, 42, 512, 1, 40));
    builder.fillBlock(42, 0);
    builder.putSubdirectoryKeyBlock(42, "DEEPER", 41, 3);
    builder.putEntry(42, 1, fields("LEAF", 2, 20, 700, 3, 42));
    builder.putEntry(3, 0, fields("LAST", 1, 32, 10, 1, 2));
    return builder.image;
}

struct BaseImage {
    std::string name;
    Bytes bytes;
    int iterations;
};

std::vector<BaseImage> baseImages() {
    std::vector<BaseImage> images{{"synthetic", syntheticVolume(), 300},
                                  {"synthetic in DOS order", ProDOSImageBuilder::toDOSOrder(syntheticVolume()), 100}};
    const std::vector<std::pair<std::string, int>> corpus{{"prodos/cp2-simple-dir-test.po", 150},
                                                          {"prodos/cp2-extended.do", 150},
                                                          {"prodos/cp2-simple-sparse.po", 40}};
    for (const auto& [path, iterations] : corpus) {
        if (const auto file = testing::corpusFile(path)) {
            images.push_back({path, fs::readWholeFile(file->string()).toBytes(), iterations});
        }
    }
    return images;
}

using testing::mayThrowOwnErrors;
using testing::mustNotThrow;

// Asks the image everything format detection, the reports and the export
// ask; true when it opened.
bool exercise(const Bytes& image) {
    mayThrowOwnErrors("opening", [&] { ProDOSVolume{ImageBytes(image)}; });
    std::optional<ProDOSVolume> volume;
    mustNotThrow("fromImageData", [&] { volume = ProDOSVolume::fromImageData(ImageBytes(image)); });
    if (!volume) return false;
    mustNotThrow("volume answers", [&] {
        volume->volumeName();
        volume->creationDate();
        volume->totalCapacityInBytes();
        volume->freeCapacityInBytes();
        volume->totalCountOfFiles();
        volume->codable(false);
    });
    // A DOS-ordered image cut inside a track cannot be placed whole.
    mayThrowOwnErrors("ProDOS block order", [&] { volume->dataInProDOSBlockOrder(); });
    std::vector<FileHierarchyElement> hierarchy;
    mustNotThrow("fileHierarchy", [&] { hierarchy = volume->fileHierarchy(); });
    for (const FileHierarchyElement& element : hierarchy) {
        const VolumeItem& item = element.item;
        mustNotThrow("item answers", [&] {
            item->generateCodableAtLevel(element.level);
            item->kind();
            item->otherInfo();
            item->physicalSizeInBytes();
            volume->tree(item);
            volume->parentItem(item);
            volume->isItemExpandable(item);
            volume->numberOfChildrenOfItem(item);
        });
        mayThrowOwnErrors("data fork", [&] { volume->getFork(ForkType::data, item); });
        mayThrowOwnErrors("resource fork", [&] { volume->getFork(ForkType::resource, item); });
    }
    return true;
}

// The blocks that hold directories, index blocks and fork entries: where
// damage changes what the walk and the reads follow.
std::vector<int64_t> structureBlocks(const Bytes& image) {
    std::set<int64_t> blocks{0, 1, 2, 3, 4, 5};
    if (const auto volume = ProDOSVolume::fromImageData(ImageBytes(image))) {
        for (const auto& entry : volume->fileEntries()) {
            blocks.insert(entry->entryBlock);
            if (entry->storageType != ProDOSStorageType::seedling) blocks.insert(entry->keyPointer);
        }
    }
    return {blocks.begin(), blocks.end()};
}

TEST(ProDOSDamagedImageTest, RandomDamageEndsCleanly) {
    for (const BaseImage& base : baseImages()) {
        SCOPED_TRACE(base.name);
        const std::vector<int64_t> targets = structureBlocks(base.bytes);
        // Damage is aimed at blocks as ProDOS order stores them; a DOS-ordered
        // image is damaged anywhere.
        const bool dosOrder = !ProDOSDisk(ImageBytes(base.bytes)).proDOSOrder;
        int opened = 0;
        std::mt19937 random(20240611);
        const auto started = std::chrono::steady_clock::now();
        for (int iteration = 0; iteration < base.iterations; ++iteration) {
            Bytes damaged = base.bytes;
            const int changes = 1 + static_cast<int>(random() % 12);
            for (int change = 0; change < changes; ++change) {
                int64_t at;
                if (dosOrder || random() % 4 == 0) {
                    at = static_cast<int64_t>(random() % damaged.size());
                } else {
                    at = targets[random() % targets.size()] * 512 + static_cast<int64_t>(random() % 512);
                    if (at >= static_cast<int64_t>(damaged.size())) continue;
                }
                switch (random() % 3) {
                    case 0: damaged[static_cast<size_t>(at)] = static_cast<uint8_t>(random()); break;
                    // A small block number: pointers into the directories and
                    // index blocks themselves, the likeliest loops.
                    case 1: damaged[static_cast<size_t>(at)] = static_cast<uint8_t>(random() % 64); break;
                    default: damaged[static_cast<size_t>(at)] ^= static_cast<uint8_t>(1 << (random() % 8)); break;
                }
            }
            if (random() % 8 == 0) damaged.resize(static_cast<size_t>(random() % damaged.size()));
            opened += exercise(damaged) ? 1 : 0;
            if (::testing::Test::HasFailure()) {
                ADD_FAILURE() << "iteration " << iteration;
                return;
            }
        }
        // Most damage leaves a volume to walk: the answers above were asked.
        EXPECT_GT(opened, base.iterations / 4);
        const auto elapsed = std::chrono::steady_clock::now() - started;
        EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 60);
    }
}

TEST(ProDOSDamagedImageTest, EveryTruncationEndsCleanly) {
    const Bytes volume = syntheticVolume();
    for (size_t length = 0; length <= 50 * 512; length += 256) {
        exercise(Bytes(volume.begin(), volume.begin() + static_cast<std::ptrdiff_t>(length)));
    }
    const Bytes dos = ProDOSImageBuilder::toDOSOrder(volume);
    for (size_t length = 0; length <= dos.size(); length += 4096 - 512) {
        exercise(Bytes(dos.begin(), dos.begin() + static_cast<std::ptrdiff_t>(length)));
    }
}

TEST(ProDOSDamagedImageTest, EveryDirectoryByteEndsCleanly) {
    // Each byte of the first directory block and of a subdirectory's key
    // block set to each of a few values.
    const Bytes volume = syntheticVolume();
    for (const int64_t block : {2, 40}) {
        for (int64_t offset = 0; offset < 512; ++offset) {
            for (const uint8_t value : {0x00, 0x28, 0xD5, 0xFF}) {
                Bytes damaged = volume;
                damaged[static_cast<size_t>(block * 512 + offset)] = value;
                exercise(damaged);
            }
        }
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace
}  // namespace zorv
