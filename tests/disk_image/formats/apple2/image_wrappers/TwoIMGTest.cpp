// 2IMG containers: the signature, the disk data the header points at, and
// detection of what they hold, damaged containers included.

#include <gtest/gtest.h>

#include <cstdint>

#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/apple2/image_wrappers/TwoIMG.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/model/ImageWrapperRepresentableError.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "disk_image/parser/ImageParserError.hpp"
#include "support/ErrorExpectations.hpp"

namespace zorv {
namespace {

using testing::expectError;

void putLittleEndian32(Bytes& bytes, size_t at, uint32_t value) {
    for (size_t index = 0; index < 4; ++index) bytes[at + index] = static_cast<uint8_t>(value >> (8 * index));
}

// A 2IMG file as CiderPress2 writes one: the 64-byte header (creator "CdrP",
// version 1, the given format), then `disk`, then `trailer`. The data offset
// and length may be given apart from where the disk really lies.
Bytes twoIMG(const Bytes& disk, uint32_t format, int64_t dataOffset = 64, int64_t dataLength = -1,
             const Bytes& trailer = {}) {
    Bytes file(64, 0);
    const Bytes magic{'2', 'I', 'M', 'G', 'C', 'd', 'r', 'P', 64, 0, 1, 0};
    std::copy(magic.begin(), magic.end(), file.begin());
    putLittleEndian32(file, 12, format);
    putLittleEndian32(file, 20, static_cast<uint32_t>(disk.size() / 512));
    putLittleEndian32(file, 24, static_cast<uint32_t>(dataOffset));
    putLittleEndian32(file, 28, static_cast<uint32_t>(dataLength < 0 ? static_cast<int64_t>(disk.size()) : dataLength));
    file.insert(file.end(), disk.begin(), disk.end());
    file.insert(file.end(), trailer.begin(), trailer.end());
    return file;
}

Bytes blankDOS33() { return DOS33Disk::dos33AsData().toBytes(); }
Bytes blankProDOS() { return ProDOSVolume::blankVolume(280).dataInProDOSBlockOrder().toBytes(); }

TEST(TwoIMGTest, TheSignatureIsFourCapitalLetters) {
    EXPECT_TRUE(TwoIMG::isPossibly2IMG(Bytes{'2', 'I', 'M', 'G'}));
    EXPECT_FALSE(TwoIMG::isPossibly2IMG(Bytes{'2', 'i', 'm', 'g', 0}));
    EXPECT_FALSE(TwoIMG::isPossibly2IMG(Bytes{'2', 'I', 'M'}));
    EXPECT_EQ(TwoIMG().descriptiveName(), "2MG");
}

TEST(TwoIMGTest, TheDataIsWhereTheHeaderSaysWhateverFollows) {
    const Bytes disk = blankDOS33();
    const Bytes file = twoIMG(disk, 0, 64, -1, Bytes(300, 'c'));
    EXPECT_EQ(TwoIMG::extractedImage(ImageBytes(file)), disk);

    // A file of exactly offset + length bytes is enough; one byte less is not.
    const Bytes exact = twoIMG(disk, 0);
    EXPECT_EQ(TwoIMG::extractedImage(ImageBytes(exact)).size(), disk.size());
    const Bytes cut(exact.begin(), exact.end() - 1);
    expectError<ImageWrapperRepresentableError>(ImageWrapperRepresentableError::Case::invalidImageLength,
                                                [&] { TwoIMG::extractedImage(ImageBytes(cut)); });
    // An offset into the header is taken as it is.
    EXPECT_EQ(TwoIMG::extractedImage(ImageBytes(twoIMG(disk, 0, 4, 4))).toBytes(), (Bytes{'C', 'd', 'r', 'P'}));
}

TEST(TwoIMGTest, AHeaderShorterThan48BytesIsTooShort) {
    const Bytes file = twoIMG({}, 1, 0, 0);
    expectError<ImageWrapperRepresentableError>(ImageWrapperRepresentableError::Case::invalidImageLength,
                                                [&] { TwoIMG::extractedImage(ImageBytes(Bytes(file.begin(), file.begin() + 47))); });
    EXPECT_TRUE(TwoIMG::extractedImage(ImageBytes(Bytes(file.begin(), file.begin() + 48))).empty());
}

// The format field plays no part: the inner detection finds the volume and
// its order again.
TEST(TwoIMGTest, DetectionFindsTheVolumeInsideWhateverTheFormatField) {
    for (const uint32_t format : {0U, 1U, 2U}) {
        SCOPED_TRACE(format);
        const ImageParser dos(ImageBytes(twoIMG(blankDOS33(), format)));
        EXPECT_EQ(dos.imageFormat(), ImageFormat::dos33);
        EXPECT_EQ(dos.imageSizeInBytes(), 143360);
        EXPECT_EQ(dos.volume()->wrapper(), nullptr);  // DOS 3.3 disks keep none

        const ImageParser proDOS(ImageBytes(twoIMG(blankProDOS(), format)));
        EXPECT_EQ(proDOS.imageFormat(), ImageFormat::prodos);
        ASSERT_NE(proDOS.volume()->wrapper(), nullptr);
        EXPECT_EQ(proDOS.volume()->wrapper()->descriptiveName(), "2MG");
        EXPECT_EQ(proDOS.codableResult(false).wrapper, "2MG");
    }
}

// Containers that hold no readable volume end detection with a clear error.
TEST(TwoIMGTest, DamagedContainersEndWithAnError) {
    // A nibble image (format 2): 35 tracks of 6,656 bytes of disk bytes.
    const Bytes nibbles(35 * 6656, 0xFF);
    expectError<ImageParserError>(ImageParserError::Case::unknownVolumeType,
                                  [&] { ImageParser(ImageBytes(twoIMG(nibbles, 2))); });
    // A data length of 0: nothing to detect.
    expectError<ImageParserError>(ImageParserError::Case::nonParseableImage,
                                  [&] { ImageParser(ImageBytes(twoIMG(blankDOS33(), 0, 64, 0))); });
    // The data runs past the end of the file.
    Bytes truncated = twoIMG(blankDOS33(), 0);
    truncated.resize(100000);
    expectError<ImageWrapperRepresentableError>(ImageWrapperRepresentableError::Case::invalidImageLength,
                                                [&] { ImageParser(ImageBytes(truncated)); });
    // The data is the whole file, header included: it would hold itself.
    const Bytes itself = twoIMG(blankDOS33(), 0, 0, 143360 + 64);
    expectError<ImageWrapperRepresentableError>(ImageWrapperRepresentableError::Case::invalidImageLength,
                                                [&] { ImageParser(ImageBytes(itself)); });
    // The data is the file less its last byte: the inner file, read as a
    // 2IMG again, then runs short.
    const Bytes lessOne = twoIMG(blankDOS33(), 0, 0, 143360 + 63);
    expectError<ImageWrapperRepresentableError>(ImageWrapperRepresentableError::Case::invalidImageLength,
                                                [&] { ImageParser(ImageBytes(lessOne)); });
}

}  // namespace
}  // namespace zorv
