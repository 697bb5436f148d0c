#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_access/ByteHelpers.hpp"
#include "data_access/Errors.hpp"
#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42.hpp"
#include "disk_image/formats/macintosh/image_wrappers/DiskCopy42Header.hpp"
#include "disk_image/formats/macintosh/volume/hfs/blocks/HFSReaderBlock.hpp"
#include "platform/FileSystem.hpp"
#include "support/ByteBuilder.hpp"
#include "support/Corpus.hpp"

namespace zorv {
namespace {

using testing::ByteBuilder;
using WrapperError = ImageWrapperRepresentableError;

// Bytes that show where they came from: byte i of the pattern is i mod 251.
Bytes pattern(size_t count, uint8_t seed = 0) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>((i + seed) % 251);
    return bytes;
}

// A Disk Copy 4.2 file: a header that announces `announced` data bytes, then
// `present` bytes of data.
ImageBytes diskCopyFile(int64_t announced, size_t present) {
    DiskCopy42Header header;
    header.diskName = "Test";
    header.dataSize = announced;
    return ImageBytes(ByteBuilder().bytes(header.dataBlock()).bytes(pattern(present)).data());
}

std::optional<WrapperError::Case> extractionError(const ImageBytes& image) {
    try {
        DiskCopy42::extractedImage(image);
        return std::nullopt;
    } catch (const WrapperError& error) {
        return error.errorCase;
    }
}

TEST(DiskCopy42, ExtractsTheAnnouncedBytesAsASliceOfTheFile) {
    struct Case {
        const char* what;
        int64_t announced;
        size_t present;
    };
    const std::vector<Case> cases = {
        {"a 400K floppy", 409600, 409600},
        {"a 400K floppy with its tags", 409600, 409600 + 9600},
        {"tags and padding after the tags", 409600, 409600 + 9600 + 44},
        {"no data", 0, 0},
        {"no data and something after it", 0, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ImageBytes file = diskCopyFile(c.announced, c.present);
        const ImageBytes volume = DiskCopy42::extractedImage(file);
        ASSERT_EQ(static_cast<int64_t>(volume.size()), c.announced);
        EXPECT_EQ(volume, pattern(static_cast<size_t>(c.announced)));
        if (!volume.empty()) {
            EXPECT_EQ(volume.data(), file.data() + 84) << "a slice, not a copy";
        }
    }
}

TEST(DiskCopy42, RefusesFilesShorterThanTheirHeaderAnnounces) {
    struct Case {
        const char* what;
        ImageBytes file;
    };
    const std::vector<Case> cases = {
        {"one byte short of the data", diskCopyFile(409600, 409599)},
        {"no data at all", diskCopyFile(512, 0)},
        {"the largest length field", diskCopyFile(0xFFFFFFFF, 1024)},
        {"a header cut after its length field", diskCopyFile(0, 0).slice(0, 70)},
        {"a header cut inside its length field", diskCopyFile(0, 0).slice(0, 67)},
        {"a header cut before its length field", diskCopyFile(0, 0).slice(0, 10)},
        {"an empty file", ImageBytes()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(extractionError(c.file), WrapperError::Case::invalidImageLength);
    }
}

TEST(DiskCopy42, ExtractionDoesNotLookAtTheSignature) {
    Bytes file = diskCopyFile(512, 512).toBytes();
    file[82] = 0xEE;
    file[83] = 0xEE;
    EXPECT_EQ(DiskCopy42::extractedImage(file).size(), 512u);
}

TEST(DiskCopy42, SignatureAtBytes82And83) {
    const Bytes header = diskCopyFile(0, 0).toBytes();
    struct Case {
        const char* what;
        Bytes bytes;
        bool expected;
    };
    Bytes otherMarker = header;
    otherMarker[83] = 0x01;
    const std::vector<Case> cases = {
        {"a Disk Copy header", header, true},
        {"just the marker's bytes", Bytes(header.begin(), header.begin() + 84), true},
        {"another marker", otherMarker, false},
        {"bytes that stop inside the marker", Bytes(header.begin(), header.begin() + 83), false},
        {"no bytes", Bytes(), false},
        {"zeros", Bytes(1024, 0), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DiskCopy42::hasSignature(c.bytes), c.expected);
    }
}

TEST(DiskCopy42, AThousandNestedImagesUnwrapInPlace) {
    // Each header announces everything after it, so each level holds the next.
    constexpr int levels = 1000;
    const Bytes volume = pattern(1024, 7);
    ByteBuilder builder;
    for (int level = 0; level < levels; ++level) {
        DiskCopy42Header header;
        header.dataSize = static_cast<int64_t>(volume.size()) + (levels - level - 1) * 84;
        builder.bytes(header.dataBlock());
    }
    const ImageBytes file(builder.bytes(volume).data());

    ImageBytes contents = file;
    for (int level = 0; level < levels; ++level) {
        ASSERT_TRUE(DiskCopy42::hasSignature(contents));
        const ImageBytes inner = DiskCopy42::extractedImage(contents);
        ASSERT_EQ(inner.size(), contents.size() - 84) << "each level is strictly smaller";
        ASSERT_EQ(inner.data(), contents.data() + 84) << "and lies in the same buffer";
        contents = inner;
    }
    EXPECT_EQ(contents, volume);
}

TEST(DiskCopy42Header, FieldsRoundTrip) {
    DiskCopy42Header header;
    header.diskName = "DART\u2122 1.5.3";
    header.dataSize = 819200;
    header.tagSize = 19200;
    header.dataChecksum = 0x1C92C840;
    header.tagChecksum = 0xF487881C;
    header.diskFormat = 1;
    header.formatByte = 0x22;
    const Bytes bytes = header.dataBlock();
    ASSERT_EQ(bytes.size(), 84u);
    EXPECT_EQ(bytes[0], 11);
    EXPECT_EQ(bytes[5], 0xAA) << "the trade mark sign in Mac OS Roman";
    EXPECT_EQ(fromLongBigEndian(ByteView(bytes).subspan(64)), 819200u);
    EXPECT_TRUE(DiskCopy42::hasSignature(bytes));

    const DiskCopy42Header read(bytes);
    EXPECT_EQ(read.diskName, header.diskName);
    EXPECT_EQ(read.dataBlock(), bytes);
}

TEST(DiskCopy42Header, DamagedHeaders) {
    Bytes bytes = ByteBuilder().u8(200).text(std::string(63, 'N')).u32(512).u32(0).u32(1).u32(2).u8(3).u8(2).u16(0x0100);
    const DiskCopy42Header longName(bytes);
    EXPECT_EQ(longName.diskName, std::string(63, 'N')) << "a length byte over 63 stops at the field's end";
    EXPECT_EQ(longName.dataSize, 512);
    EXPECT_EQ(longName.diskFormat, 3);

    bytes.pop_back();
    EXPECT_THROW((void)DiskCopy42Header(ImageBytes(bytes)), ReadPastEndError);
    EXPECT_THROW((void)DiskCopy42Header(ImageBytes()), ReadPastEndError);
}

TEST(DiskCopy42Header, Checksums) {
    // Each word is added, then the sum rotated right by one bit.
    EXPECT_EQ(DiskCopy42Header::checksum(Bytes{}), 0u);
    EXPECT_EQ(DiskCopy42Header::checksum(Bytes{0x00, 0x01}), 0x80000000u);
    EXPECT_EQ(DiskCopy42Header::checksum(Bytes{0x00, 0x01, 0x00, 0x01}), 0xC0000000u);
    EXPECT_EQ(DiskCopy42Header::checksum(Bytes{0x00, 0x01, 0xFF}), 0x80000000u) << "a last odd byte";

    DiskCopy42Header header;
    header.dataSize = 4;
    header.tagSize = 14;
    header.dataChecksum = 0xC0000000;
    header.tagChecksum = 0x80000000;
    // The first 12 tag bytes are not counted.
    const Bytes tags = ByteBuilder().bytes(pattern(12, 1)).u16(1);
    const ImageBytes file(ByteBuilder().bytes(header.dataBlock()).u16(1).u16(1).bytes(tags).data());
    EXPECT_TRUE(header.checksumsMatch(file));
    EXPECT_FALSE(header.checksumsMatch(file.slice(0, file.size() - 1))) << "tags cut short";

    DiskCopy42Header wrongTags = header;
    wrongTags.tagChecksum = 0;
    EXPECT_FALSE(wrongTags.checksumsMatch(file));
    DiskCopy42Header hugeData = header;
    hugeData.dataSize = 0xFFFFFFFF;
    EXPECT_FALSE(hugeData.checksumsMatch(file));
}

// The Disk Copy 4.2 images of the corpus (MANIFEST.md), with what the
// manifest and the hfsutils listings of dc42/oracles say of them.
enum class Contents { hfs, mfs, other };

struct CorpusImage {
    const char* path;
    int64_t start;  // 128 for the image inside a MacBinary file
    const char* diskName;
    int64_t dataSize;
    int64_t tagSize;
    bool checksumsMatch;
    Contents contents;
    const char* volumeName;  // the name in the volume's master directory block
};

const std::vector<CorpusImage> corpusImages = {
    {"dc42/cp2-Installer_Disk_1.image", 0, "Installer Disk 1", 819200, 19200, true, Contents::hfs,
     "Installer Disk 1"},
    {"dc42/cp2-LisaTest_3.0_1.image", 0, "-not a Macintosh disk-", 409600, 9600, true, Contents::other, nullptr},
    {"dc42/cp2-MCUS_Free_Software_Disk.img.bin", 128, "MCUS' Free Software Disk", 409600, 0, true, Contents::mfs,
     "MCUS' Free Software Disk"},
    {"dc42/dcr-BLU090_400k.dc42", 0, "-not a Macintosh disk-", 409600, 9600, false, Contents::other, nullptr},
    {"dc42/dcr-DART_1.5.3.image", 0, "DART\u2122 1.5.3.image", 819200, 0, true, Contents::hfs, "DART\u2122 1.5.3"},
    {"dc42/dcr-GSOS_Disk_2_of_7-SystemDisk.image", 0, "SYSTEM.DISK", 819200, 19200, false, Contents::other,
     nullptr},
    {"dc42/im-MacOS_8.1_Disk_Tools_68K_FD.dsk", 0, "Disk Tools 1", 1474560, 0, true, Contents::hfs,
     "Disk Tools 1"},
    {"mfs/cp2-Workstation_Installer.IMG", 0, "Workstation Installer", 409600, 9600, true, Contents::mfs,
     "Workstation Installer"},
    {"mfs/im-System_1.0_Original.dsk", 0, "System Disk", 409600, 9600, true, Contents::mfs, "System Disk"},
};

std::optional<ImageBytes> readCorpusFile(const std::string& path) {
    const auto found = testing::corpusFile(path);
    if (!found) return std::nullopt;
    return fs::readWholeFile(found->string());
}

TEST(DiskCopy42Corpus, UnwrapsTheVolumeTheHeaderAnnounces) {
    int seen = 0;
    for (const auto& image : corpusImages) {
        SCOPED_TRACE(image.path);
        const auto file = readCorpusFile(image.path);
        if (!file) continue;
        ++seen;
        const ImageBytes diskCopy = file->sliceFrom(image.start);
        ASSERT_TRUE(DiskCopy42::hasSignature(diskCopy));
        const DiskCopy42Header header(diskCopy);
        EXPECT_EQ(header.diskName, image.diskName);
        EXPECT_EQ(header.dataSize, image.dataSize);
        EXPECT_EQ(header.tagSize, image.tagSize);
        EXPECT_EQ(header.checksumsMatch(diskCopy), image.checksumsMatch);

        const ImageBytes volume = DiskCopy42::extractedImage(diskCopy);
        ASSERT_EQ(static_cast<int64_t>(volume.size()), image.dataSize);
        EXPECT_EQ(volume.data(), diskCopy.data() + 84);
        const uint16_t signature = fromBigEndian(volume.view().subspan(1024, 2));
        switch (image.contents) {
            case Contents::hfs: EXPECT_EQ(signature, 0x4244) << "BD"; break;
            case Contents::mfs: EXPECT_EQ(signature, 0xD2D7); break;
            case Contents::other:
                EXPECT_NE(signature, 0x4244);
                EXPECT_NE(signature, 0xD2D7);
                break;
        }
        if (image.volumeName) {
            HFSReaderBlock reader(volume, 1024 + 36);
            EXPECT_EQ(reader.getLengthByteStringNoPadding(), image.volumeName);
        }
    }
    if (seen == 0) GTEST_SKIP() << "no Disk Copy 4.2 image of the corpus under " << ZORV_CORPUS_DIR;
}

TEST(DiskCopy42Corpus, ChecksumOfAnImageChangedAfterItWasMade) {
    // MANIFEST.md: the data checksum that Disk Copy stored, 0xCC086D50, is not
    // that of the data, 0x200CEAF2.
    const auto file = readCorpusFile("dc42/dcr-GSOS_Disk_2_of_7-SystemDisk.image");
    if (!file) GTEST_SKIP() << "dc42/dcr-GSOS_Disk_2_of_7-SystemDisk.image is not in the corpus";
    const DiskCopy42Header header(*file);
    EXPECT_EQ(header.dataChecksum, 0xCC086D50);
    EXPECT_EQ(DiskCopy42Header::checksum(DiskCopy42::extractedImage(*file)), 0x200CEAF2u);
}

TEST(DiskCopy42Corpus, DamagedCopiesOfARealImage) {
    const auto file = readCorpusFile("dc42/cp2-Installer_Disk_1.image");
    if (!file) GTEST_SKIP() << "dc42/cp2-Installer_Disk_1.image is not in the corpus";
    const int64_t dataEnd = 84 + 819200;

    for (const int64_t length : {dataEnd - 1, int64_t{1023}, int64_t{84}, int64_t{67}, int64_t{0}}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(extractionError(file->slice(0, length)), WrapperError::Case::invalidImageLength);
    }

    // Without its tags the volume is whole, but the image no longer checks.
    const ImageBytes withoutTags = file->slice(0, dataEnd);
    EXPECT_EQ(DiskCopy42::extractedImage(withoutTags).size(), 819200u);
    EXPECT_FALSE(DiskCopy42Header(withoutTags).checksumsMatch(withoutTags));

    // A length field that takes in the tags still fits; one byte more does not.
    const auto withLength = [&](uint32_t length) {
        Bytes damaged = file->toBytes();
        const Bytes field = toBigEndian(length);
        std::copy(field.begin(), field.end(), damaged.begin() + 64);
        return ImageBytes(std::move(damaged));
    };
    EXPECT_EQ(DiskCopy42::extractedImage(withLength(819200 + 19200)).size(), 819200u + 19200u);
    EXPECT_EQ(extractionError(withLength(819200 + 19200 + 1)), WrapperError::Case::invalidImageLength);
    EXPECT_EQ(extractionError(withLength(0xFFFFFFFF)), WrapperError::Case::invalidImageLength);
}

}  // namespace
}  // namespace zorv
