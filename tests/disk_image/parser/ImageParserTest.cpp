// Format detection on crafted images: the size limits, the zero and ROM
// checks at the end of the order, Disk Copy unwrapping and its nesting
// limit, and the ImageFormat table.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "data_access/ByteHelpers.hpp"
#include "disk_image/formats/macintosh/volume/hfs/MasterDirectoryBlockError.hpp"
#include "disk_image/model/ImageWrapperRepresentableError.hpp"
#include "disk_image/parser/DetectionImages.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "platform/HFSTypeAndCreator.hpp"
#include "support/Corpus.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

using testing::diskCopyImage;
using testing::nestedDiskCopyImage;
using testing::TemporaryDirectory;
using ErrorCase = ImageParserError::Case;

Bytes zeros(size_t size) { return Bytes(size, 0); }

Bytes withLastByte(size_t size, uint8_t last) {
    Bytes bytes(size, 0);
    bytes.back() = last;
    return bytes;
}

// The bytes with a ROM checksum in their first four bytes, the rest 0xA5.
Bytes romImage(uint32_t checksum, size_t size = 1024) {
    Bytes image(size, 0xA5);
    const Bytes start = toBigEndian(checksum);
    std::copy(start.begin(), start.end(), image.begin());
    return image;
}

// A minimal MFS volume: "D2 D7" at byte 1024, nothing else.
Bytes mfsSignatureImage(size_t size = 409600) {
    Bytes image(size, 0);
    image[1024] = 0xD2;
    image[1025] = 0xD7;
    return image;
}

// The error detection throws for the bytes, or nothing when it succeeds.
std::optional<ImageParserError> parserErrorOf(const Bytes& image) {
    try {
        ImageParser parser{ImageBytes(image)};
        return std::nullopt;
    } catch (const ImageParserError& error) {
        return error;
    }
}

struct RefusalCase {
    const char* name;
    std::function<Bytes()> image;
    ErrorCase expected;
};

class RefusedImages : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedImages, ThrowTheirError) {
    const auto error = parserErrorOf(GetParam().image());
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase, GetParam().expected) << error->what();
}

INSTANTIATE_TEST_SUITE_P(
    Detection, RefusedImages,
    ::testing::Values(
        RefusalCase{"Empty", [] { return Bytes{}; }, ErrorCase::nonParseableImage},
        RefusalCase{"OneByteShort", [] { return zeros(1023); }, ErrorCase::nonParseableImage},
        RefusalCase{"LastByteSet", [] { return withLastByte(1024, 1); }, ErrorCase::unknownVolumeType},
        RefusalCase{"LargerWithOneByteSet", [] { return withLastByte(4096, 0x80); }, ErrorCase::unknownVolumeType},
        RefusalCase{"MacPlusROM", [] { return romImage(0x4D1EEEE1); }, ErrorCase::macROMDetected},
        RefusalCase{"ShortROMFile", [] { return romImage(0x28BA61CE, 1023); }, ErrorCase::nonParseableImage},
        // A short MSA file is unpacked; what it holds must still be long enough.
        RefusalCase{"MSAOfTooFewBytes",
                    [] { return Bytes{0x0E, 0x0F, 0, 1, 0, 0, 0, 0, 0, 0, 0, 5, 0x42, 0xE5, 0, 0x01, 0xFF}; },
                    ErrorCase::nonParseableImage},
        // Unwrapped contents are detected again: too short.
        RefusalCase{"DiskCopyOfTooFewBytes", [] { return diskCopyImage(zeros(1023)); }, ErrorCase::nonParseableImage},
        RefusalCase{"DiskCopyOfUnknownBytes", [] { return diskCopyImage(withLastByte(2048, 7)); },
                    ErrorCase::unknownVolumeType},
        RefusalCase{"DiskCopyOfAROM", [] { return diskCopyImage(romImage(0x97221136)); }, ErrorCase::macROMDetected}),
    testing::namedBy(&RefusalCase::name));

TEST(ImageParser, RomErrorListsEveryMatchingModelInCatalogOrder) {
    const auto error = parserErrorOf(romImage(0x28BA61CE));
    ASSERT_TRUE(error.has_value());
    ASSERT_EQ(error->errorCase, ErrorCase::macROMDetected);
    std::vector<std::string> names;
    for (const Model& model : error->models) names.push_back(model.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Macintosh 128K", "Macintosh 512K"}));
    EXPECT_STREQ(error->what(), R"(macROMDetected(models: ["Macintosh 128K", "Macintosh 512K"]))");
}

TEST(ImageParser, RomCheckRunsOnlyWhenNoFormatAccepts) {
    Bytes image = mfsSignatureImage();
    const Bytes checksum = toBigEndian(uint32_t{0x4D1EEEE1});
    std::copy(checksum.begin(), checksum.end(), image.begin());
    const ImageParser parser{ImageBytes(image)};
    EXPECT_EQ(parser.imageFormat(), ImageFormat::mfs);
}

TEST(ImageParser, ZerosAreAnEmptyVolume) {
    for (const size_t size : {size_t{1024}, size_t{1025}, size_t{819200}}) {
        const ImageParser parser{ImageBytes(zeros(size))};
        EXPECT_EQ(parser.imageFormat(), ImageFormat::emptyVolume);
        EXPECT_EQ(parser.imageSizeInBytes(), static_cast<int64_t>(size));
        EXPECT_EQ(parser.imageSizeInBlocks(), 0) << "block size 0 divides nothing";
        EXPECT_EQ(parser.device(), nullptr);
        EXPECT_EQ(parser.volume(), nullptr);
        EXPECT_TRUE(parser.imageCandidates().empty());
    }
}

TEST(ImageParser, DirectDetectionRecordsOneCandidate) {
    const ImageParser parser{ImageBytes(mfsSignatureImage())};
    ASSERT_EQ(parser.imageCandidates().size(), 1u);
    const auto* recorded = std::get_if<std::shared_ptr<const VolumeRepresentable>>(&parser.imageCandidates()[0]);
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(recorded->get(), parser.volume().get());
    EXPECT_EQ(parser.device(), nullptr);
}

TEST(ImageParser, BytesWithoutAFileHaveAnEmptyPathAndNoNDIFCheck) {
    const ImageParser parser{ImageBytes(mfsSignatureImage())};
    EXPECT_TRUE(parser.diskImageFileURL().isFileURL());
    EXPECT_TRUE(parser.diskImageFileURL().hasDirectoryPath()) << "the empty path names the current folder";
}

TEST(ImageParser, DiskCopyContentsAreDetectedWithoutACandidate) {
    const Bytes image = diskCopyImage(mfsSignatureImage(409600));
    const URL url = URL::fileURLWithPath("/nowhere/image.dsk");
    const ImageParser parser(ImageBytes(image), url);
    EXPECT_EQ(parser.imageFormat(), ImageFormat::mfs);
    EXPECT_EQ(parser.imageSizeInBytes(), 409600) << "the contents' size, not the file's";
    EXPECT_EQ(parser.imageSizeInBlocks(), 800);
    EXPECT_TRUE(parser.imageCandidates().empty());
    ASSERT_NE(parser.volume(), nullptr);
    EXPECT_EQ(parser.volume()->wrapper(), nullptr) << "MFS volumes keep no wrapper";
    EXPECT_EQ(parser.diskImageFileURL(), url);
}

TEST(ImageParser, DiskCopyDataLengthPastTheFileIsAnError) {
    Bytes image = diskCopyImage(zeros(2048));
    image.resize(image.size() - 1);
    try {
        ImageParser parser{ImageBytes(image)};
        FAIL() << "detected a truncated Disk Copy image";
    } catch (const ImageWrapperRepresentableError& error) {
        EXPECT_EQ(error.errorCase, ImageWrapperRepresentableError::Case::invalidImageLength);
    }
}

TEST(ImageParser, DiskCopySignatureWinsOverABareVolume) {
    // An MFS volume whose bytes 82-83 happen to read 01 00 is taken as a Disk
    // Copy image, whose data length (here 0) then decides.
    Bytes image = mfsSignatureImage();
    image[82] = 0x01;
    const auto error = parserErrorOf(image);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase, ErrorCase::nonParseableImage);
}

struct NestingCase {
    int depth;
    std::optional<ImageFormat> format;  // nothing: unknownVolumeType
};

class NestedDiskCopy : public ::testing::TestWithParam<NestingCase> {};

TEST_P(NestedDiskCopy, OpensAFewLevelsThenGivesUp) {
    const NestingCase& c = GetParam();
    const Bytes image = nestedDiskCopyImage(zeros(1024), c.depth);
    const auto started = std::chrono::steady_clock::now();
    if (c.format) {
        const ImageParser parser{ImageBytes(image)};
        EXPECT_EQ(parser.imageFormat(), *c.format);
        EXPECT_EQ(parser.imageSizeInBytes(), 1024);
    } else {
        const auto error = parserErrorOf(image);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->errorCase, ErrorCase::unknownVolumeType);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

INSTANTIATE_TEST_SUITE_P(Detection, NestedDiskCopy,
                         ::testing::Values(NestingCase{1, ImageFormat::emptyVolume},
                                           NestingCase{ImageParser::maxContainerNesting, ImageFormat::emptyVolume},
                                           NestingCase{ImageParser::maxContainerNesting + 1, std::nullopt},
                                           NestingCase{1000, std::nullopt}),
                         testing::namedBy([](const NestingCase& c) { return "depth " + std::to_string(c.depth); }));

// An HFS floppy whose boot blocks are overwritten with a driver descriptor
// record (block 0) and a partition map of one entry, the map's own (block 1):
// both a device and a volume, and so a device.
TEST(ImageParser, ADeviceWinsOverAVolume) {
    const auto path = testing::corpusFile("hfs/cp2-blank-800k.po");
    if (!path) GTEST_SKIP() << "cp2-blank-800k.po is not in the corpus";
    Bytes image = fs::readWholeFile(path->string()).toBytes();
    ASSERT_EQ(ImageParser{ImageBytes(image)}.imageFormat(), ImageFormat::hfs);

    const auto put = [&image](size_t at, const Bytes& bytes) {
        std::copy(bytes.begin(), bytes.end(), image.begin() + at);
    };
    const auto text = [](const std::string& value) { return Bytes(value.begin(), value.end()); };
    put(0, text("ER"));
    put(2, toBigEndian(uint16_t{512}));
    put(4, toBigEndian(uint32_t{1600}));
    put(512, text("PM"));
    put(512 + 4, toBigEndian(uint32_t{1}));   // entries in the map
    put(512 + 8, toBigEndian(uint32_t{1}));   // start
    put(512 + 12, toBigEndian(uint32_t{1}));  // length
    put(512 + 16, text("Apple"));
    put(512 + 48, text("Apple_partition_map"));

    const ImageParser parser{ImageBytes(image)};
    EXPECT_EQ(parser.imageFormat(), ImageFormat::macintoshDevice);
    EXPECT_NE(parser.device(), nullptr);
    EXPECT_EQ(parser.volume(), nullptr);
}

// An HFS volume whose master directory block announces an embedded HFS+
// volume (drVCSize "H+") where there is none: the extraction's error ends
// detection; there is no falling back to HFS.
TEST(ImageParser, HFSWrapperWithoutItsHFSPlusVolumeIsAnError) {
    const auto path = testing::corpusFile("hfs/cp2-blank-800k.po");
    if (!path) GTEST_SKIP() << "cp2-blank-800k.po is not in the corpus";
    Bytes image = fs::readWholeFile(path->string()).toBytes();
    const Bytes embedded{0x48, 0x2B, 0x00, 0x00, 0x00, 0x10};  // signature, first block 0, 16 blocks
    std::copy(embedded.begin(), embedded.end(), image.begin() + 1024 + 124);
    try {
        ImageParser parser{ImageBytes(image)};
        FAIL() << "detected as " << rawValue(parser.imageFormat());
    } catch (const MasterDirectoryBlockError& error) {
        EXPECT_EQ(error.errorCase, MasterDirectoryBlockError::Case::noExtractableHFSPlus);
    }
}

// --- NDIF ---

// Writes the bytes to a file with the given HFS codes; nothing when the file
// system keeps no extended attributes.
std::optional<URL> fileWithCodes(const TemporaryDirectory& folder, const Bytes& bytes, const char* type,
                                 const char* creator) {
    const std::string path = folder.file("image.img");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const URL url = URL::fileURLWithPath(path);
    const auto code = [](const char* text) {
        return fromLongBigEndian(ByteView(reinterpret_cast<const uint8_t*>(text), 4));
    };
    try {
        fs::setHFSTypeAndCreator(url, {code(type), code(creator)});
    } catch (const std::system_error& error) {
        if (error.code().value() == ENOTSUP) return std::nullopt;
        throw;
    }
    return url;
}

TEST(ImageParser, DiskCopy6CodesOnUnreadableBytesAreNDIF) {
    const TemporaryDirectory folder;
    const Bytes image = withLastByte(4096, 9);
    const auto url = fileWithCodes(folder, image, "dimg", "ddsk");
    if (!url) GTEST_SKIP() << "this file system keeps no extended attributes";
    try {
        ImageParser parser(ImageBytes(image), *url);
        FAIL() << "NDIF image detected as " << rawValue(parser.imageFormat());
    } catch (const ImageParserError& error) {
        EXPECT_EQ(error.errorCase, ErrorCase::noParsingForType);
        EXPECT_EQ(error.typeName, "NDIF (Disk Copy 6.3)");
        EXPECT_STREQ(error.what(), R"x(noParsingForType("NDIF (Disk Copy 6.3)"))x");
    }
    const auto withoutFile = parserErrorOf(image);
    ASSERT_TRUE(withoutFile.has_value());
    EXPECT_EQ(withoutFile->errorCase, ErrorCase::unknownVolumeType) << "without the file, no codes";
}

TEST(ImageParser, NDIFIsTestedAfterDiskCopy) {
    const TemporaryDirectory folder;
    const Bytes image = diskCopyImage(zeros(2048));
    const auto url = fileWithCodes(folder, image, "dimg", "ddsk");
    if (!url) GTEST_SKIP() << "this file system keeps no extended attributes";
    // The contents are detected again with the same URL, so its codes count
    // there too: zeros are no readable HFS volume.
    const auto error = [&]() -> std::optional<ImageParserError> {
        try {
            ImageParser parser(ImageBytes(image), *url);
            return std::nullopt;
        } catch (const ImageParserError& caught) {
            return caught;
        }
    }();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase, ErrorCase::noParsingForType);
}

TEST(ImageParser, DiskCopy6CodesOnAReadableHFSVolumeAreIgnored) {
    const auto path = testing::corpusFile("hfs/cp2-blank-800k.po");
    if (!path) GTEST_SKIP() << "cp2-blank-800k.po is not in the corpus";
    const TemporaryDirectory folder;
    const Bytes image = fs::readWholeFile(path->string()).toBytes();
    const auto url = fileWithCodes(folder, image, "dimg", "ddsk");
    if (!url) GTEST_SKIP() << "this file system keeps no extended attributes";
    EXPECT_EQ(ImageParser(ImageBytes(image), *url).imageFormat(), ImageFormat::hfs);
}

// --- ImageFormat ---

TEST(ImageFormat, RawValuesMapBackAndForth) {
    std::vector<std::string> names;
    for (const ImageFormat format : allImageFormats) {
        names.emplace_back(rawValue(format));
        EXPECT_EQ(imageFormatFromRawValue(rawValue(format)), format);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"Macintosh Device", "HFS", "HFS+", "MFS", "ProDOS", "DOS 3.3",
                                        "Amiga Disk Format", "Amiga Hard Disk", "Atari ST TOS", "Empty Volume"}));
    EXPECT_EQ(imageFormatFromRawValue("hfs"), std::nullopt);
    EXPECT_EQ(imageFormatFromRawValue(""), std::nullopt);
}

TEST(ImageFormat, FamiliesAndBlockSizes) {
    const std::vector<std::pair<ImageFormat, std::string>> families{{ImageFormat::hfsPlus, "Macintosh"},
                                                                    {ImageFormat::dos33, "Apple II"},
                                                                    {ImageFormat::amigaHardDisk, "Amiga"},
                                                                    {ImageFormat::tosVolume, "Atari ST"},
                                                                    {ImageFormat::emptyVolume, "Unknown"}};
    for (const auto& [format, family] : families) EXPECT_EQ(computerClass(format), family) << rawValue(format);
    for (const ImageFormat format : allImageFormats) {
        EXPECT_EQ(blockSize(format), format == ImageFormat::emptyVolume ? 0 : 512) << rawValue(format);
        EXPECT_FALSE(helpfulDescription(format).empty());
    }
    EXPECT_EQ(helpfulDescription(ImageFormat::emptyVolume), "This is a completely empty volume, full of zeroes.");
}

}  // namespace
}  // namespace zorv
