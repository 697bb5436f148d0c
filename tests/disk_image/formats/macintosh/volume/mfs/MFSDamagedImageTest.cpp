// Truncated and randomly damaged MFS volumes: the probe and every answer of
// the volume must stay within the image, end, and throw nothing but the
// library's own errors (and those only where the interface says it throws).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/volume/mfs/MFSVolume.hpp"
#include "MFSImageBuilder.hpp"
#include "platform/FileSystem.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/Corpus.hpp"

namespace zorv {
namespace {

using testing::MFSEntryFields;
using testing::MFSImageBuilder;

// A bootable 400K floppy with files in every one of its twelve directory
// blocks, some with names in Mac OS Roman and odd lengths.
Bytes syntheticFloppy() {
    MFSImageBuilder image;
    image.bootable = true;
    int64_t number = 1;
    for (int64_t sector = 0; sector < 12; ++sector) {
        for (int i = 0; i < 3; ++i) {
            MFSEntryFields fields;
            fields.name = "File \xA5 " + std::string(static_cast<size_t>(sector + i), 'x');
            fields.fileNumber = number++;
            fields.finderFlags = (sector * 0x1111 + i) & 0xFFFF;
            fields.dataLength = 100 * sector;
            fields.resourceLength = 7 * i;
            image.add(sector, fields);
        }
    }
    return image.build();
}

std::vector<Bytes> baseImages() {
    std::vector<Bytes> images{syntheticFloppy()};
    if (const auto real = testing::corpusFile("mfs/im-System_1.1.dsk")) {
        images.push_back(fs::readWholeFile(real->string()).toBytes());
    }
    return images;
}

using testing::mayThrowOwnErrors;
using testing::mustNotThrow;

// Asks the image everything format detection and the reports ask.
void exercise(const Bytes& image) {
    std::optional<MFSVolume> volume;
    mustNotThrow("fromImageData", [&] { volume = MFSVolume::fromImageData(ImageBytes(image)); });
    if (!volume) return;

    mustNotThrow("volume answers", [&] {
        volume->volumeName();
        volume->helpfulDescription();
        volume->creationDate();
        volume->totalCapacityInBytes();
        volume->freeCapacityInBytes();
        volume->isBootable();
        volume->totalCountOfFiles();
        volume->isRangeOccupied(0, 20);
    });
    mustNotThrow("walk", [&] {
        const int64_t count = volume->numberOfChildrenOfItem(nullptr);
        ASSERT_GE(count, 0);
        // No more entries than the count field allows or the bytes can hold.
        ASSERT_LE(count, 65535);
        ASSERT_LE(count, static_cast<int64_t>(image.size()) / 52 + 1);
        const auto hierarchy = volume->fileHierarchy();
        ASSERT_EQ(static_cast<int64_t>(hierarchy.size()), count);
        for (const auto& element : hierarchy) {
            element.item->name();
            element.item->flags();
            element.item->isInvisible();
            element.item->fileExtension();
            volume->tree(element.item);
            volume->getFork(ForkType::data, element.item);
        }
        volume->codable(true);
    });
    mayThrowOwnErrors("masterDirectoryBlock", [&] { volume->masterDirectoryBlock(); });
    mayThrowOwnErrors("fileDirectory", [&] { volume->fileDirectory(); });
    mayThrowOwnErrors("isBootableInternal", [&] { volume->isBootableInternal(); });
}

TEST(MFSDamagedImage, TruncatedCopies) {
    std::mt19937 random(1984);
    for (const Bytes& base : baseImages()) {
        std::vector<size_t> lengths{0, 1, 2, 511, 512, 1023, 1024, 1025, 1026, 1027, 1087, 1088,
                                    1535, 1536, 2047, 2048, 2049, 2100, 2559, 2560, 7167, 7168, 8191, 8192};
        std::uniform_int_distribution<size_t> anywhere(0, base.size());
        for (int i = 0; i < 100; ++i) lengths.push_back(anywhere(random));
        for (size_t length : lengths) {
            SCOPED_TRACE(length);
            exercise(Bytes(base.begin(), base.begin() + static_cast<std::ptrdiff_t>(length)));
        }
    }
}

TEST(MFSDamagedImage, RandomBytesInTheRecords) {
    std::mt19937 random(0xD2D7);
    const auto started = std::chrono::steady_clock::now();
    for (const Bytes& base : baseImages()) {
        // The master directory block's fields, the directory, anywhere.
        const std::vector<std::pair<size_t, size_t>> regions{
            {1024, 1024 + 64}, {4 * 512, 16 * 512}, {0, base.size()}};
        std::uniform_int_distribution<int> byte(0, 255);
        std::uniform_int_distribution<int> damage(1, 24);
        for (int iteration = 0; iteration < 300; ++iteration) {
            SCOPED_TRACE(iteration);
            Bytes image = base;
            const auto [from, to] = regions[static_cast<size_t>(iteration) % regions.size()];
            std::uniform_int_distribution<size_t> position(from, to - 1);
            for (int count = damage(random); count > 0; --count) {
                image[position(random)] = static_cast<uint8_t>(byte(random));
            }
            // Keep most copies recognisable, so that the damage reaches the
            // reading of the volume rather than only the probe.
            if (iteration % 8 != 0) {
                image[1024] = 0xD2;
                image[1025] = 0xD7;
            }
            exercise(image);
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60));
}

// The fields that steer the walk, set to their extremes.
TEST(MFSDamagedImage, ExtremeDirectoryFields) {
    struct Fields {
        int64_t files;
        int64_t start;
        int64_t length;
    };
    const std::vector<Fields> cases{{0xFFFF, 4, 0xFFFF}, {0xFFFF, 0, 0xFFFF},  {0xFFFF, 0xFFFF, 0xFFFF},
                                    {0xFFFF, 2, 1},      {1, 0xFFFF, 1},       {0xFFFF, 799, 12},
                                    {0xFFFF, 3, 13},     {0, 0xFFFF, 0xFFFF}};
    for (const Bytes& base : baseImages()) {
        for (const Fields& fields : cases) {
            SCOPED_TRACE(std::to_string(fields.files) + " files, directory " + std::to_string(fields.start) + "+" +
                         std::to_string(fields.length));
            Bytes image = base;
            const auto put16 = [&image](size_t at, int64_t value) {
                image[at] = static_cast<uint8_t>(value >> 8);
                image[at + 1] = static_cast<uint8_t>(value);
            };
            put16(1024 + 12, fields.files);
            put16(1024 + 14, fields.start);
            put16(1024 + 16, fields.length);
            image[1024 + 36] = 0xFF;  // a name length byte past its field
            exercise(image);
        }
    }
}

// Every entry of the directory with a name length byte of 255.
TEST(MFSDamagedImage, LongNameLengthBytes) {
    Bytes image = syntheticFloppy();
    for (size_t sector = 4; sector < 16; ++sector) {
        for (size_t at = sector * 512; at + 50 < (sector + 1) * 512; at += 2) {
            if (image[at] & 0x80) image[at + 50] = 0xFF;
        }
    }
    exercise(image);
}

}  // namespace
}  // namespace zorv
