// 2IMG containers: the signature, the disk data the header points at, and
// detection of what they hold, damaged containers included.

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

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

// The data lies where the header says, whatever follows it; an offset into
// the header is taken as it is.
TEST(TwoIMGTest, TheDataIsWhereTheHeaderSays) {
    const Bytes disk = blankDOS33();
    EXPECT_EQ(TwoIMG::extractedImage(ImageBytes(twoIMG(disk, 0, 64, -1, Bytes(300, 'c')))), disk);
    EXPECT_EQ(TwoIMG::extractedImage(ImageBytes(twoIMG(disk, 0, 4, 4))), (Bytes{'C', 'd', 'r', 'P'}));
    // 48 bytes are header enough.
    EXPECT_TRUE(TwoIMG::extractedImage(ImageBytes(twoIMG({}, 1, 0, 0)).slice(0, 48)).empty());
}

// The format field plays no part: the inner detection finds the volume and
// its order again (the corpus holds a ProDOS and a DOS 3.3 file as made).
TEST(TwoIMGTest, DetectionFindsTheVolumeInsideWhateverTheFormatField) {
    for (const uint32_t format : {0U, 1U, 2U}) {
        const ImageParser dos(ImageBytes(twoIMG(blankDOS33(), format)));
        EXPECT_EQ(dos.imageFormat(), ImageFormat::dos33) << format;
        EXPECT_EQ(dos.imageSizeInBytes(), 143360) << format;
        EXPECT_EQ(dos.volume()->wrapper(), nullptr) << "DOS 3.3 disks keep none";
        const ImageParser proDOS(ImageBytes(twoIMG(blankProDOS(), format)));
        EXPECT_EQ(proDOS.imageFormat(), ImageFormat::prodos) << format;
        EXPECT_EQ(proDOS.codableResult(false).wrapper, "2MG") << format;
    }
}

// Containers that hold no readable volume end detection with a clear error.
TEST(TwoIMGTest, DamagedContainersEndWithAnError) {
    using WrapperError = ImageWrapperRepresentableError;
    // A header shorter than 48 bytes (detection refuses such a file before).
    expectError<WrapperError>(WrapperError::Case::invalidImageLength,
                              [&] { TwoIMG::extractedImage(ImageBytes(twoIMG({}, 1, 0, 0)).slice(0, 47)); });
    Bytes cut = twoIMG(blankDOS33(), 0);
    cut.pop_back();
    const std::vector<std::pair<const char*, Bytes>> tooShort{
        {"data running one byte past the end", cut},
        {"data that is the whole file, which would hold itself", twoIMG(blankDOS33(), 0, 0, 143360 + 64)},
        {"data that is the file less a byte, which runs short read again", twoIMG(blankDOS33(), 0, 0, 143360 + 63)},
    };
    for (const auto& [what, file] : tooShort) {
        SCOPED_TRACE(what);
        expectError<WrapperError>(WrapperError::Case::invalidImageLength, [&] { ImageParser{ImageBytes(file)}; });
    }
    // A nibble image (format 2): 35 tracks of 6,656 disk bytes.
    expectError<ImageParserError>(ImageParserError::Case::unknownVolumeType,
                                  [&] { ImageParser(ImageBytes(twoIMG(Bytes(35 * 6656, 0xFF), 2))); });
    expectError<ImageParserError>(ImageParserError::Case::nonParseableImage,
                                  [&] { ImageParser(ImageBytes(twoIMG(blankDOS33(), 0, 64, 0))); });
}

}  // namespace
}  // namespace zorv
