// Blank Apple II image files: a DOS 3.3 floppy and ProDOS volumes of several
// sizes reopen as what was asked for; sizes that cannot be made are refused
// before anything is written.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "disk_image/formats/apple2/AppleIIImageCreator.hpp"
#include "disk_image/formats/apple2/AppleIIImageCreatorError.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDiskError.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using Mode = AppleIIImageCreator::Mode;

// DOS 3.3: the blank disk, Volume 254 with HELLO. ProDOS: a blank volume
// over the file's whole blocks, at most 65,535; the file keeps the size
// asked for.
TEST(AppleIIImageCreatorTest, ImagesReopenAsWhatWasAskedFor) {
    struct Case {
        Mode mode;
        int64_t sizeInBytes;
        ImageFormat format;
        const char* volumeName;
        int64_t files;
        int64_t capacity;
    };
    for (const Case& c : std::vector<Case>{{Mode::DOS33, 143360, ImageFormat::dos33, "Volume 254", 1, 143360},
                                           {Mode::ProDOS, 143360, ImageFormat::prodos, "UNTITLED", 0, 280 * 512},
                                           {Mode::ProDOS, 143871, ImageFormat::prodos, "UNTITLED", 0, 280 * 512},
                                           {Mode::ProDOS, 7 * 512, ImageFormat::prodos, "UNTITLED", 0, 7 * 512},
                                           {Mode::ProDOS, 65536 * 512 + 100, ImageFormat::prodos, "UNTITLED", 0,
                                            65535 * 512}}) {
        SCOPED_TRACE(c.sizeInBytes);
        const testing::TemporaryDirectory folder;
        const std::string path = folder.file("blank.img");
        AppleIIImageCreator(c.sizeInBytes, URL::fileURLWithPath(path), c.mode).create(false);

        EXPECT_EQ(static_cast<int64_t>(std::filesystem::file_size(path)), c.sizeInBytes);
        const ImageBytes written = fs::readWholeFile(path);
        if (c.mode == Mode::DOS33) {
            EXPECT_EQ(written, DOS33Disk::dos33AsData());
        }
        const ImageParser parser(written);
        EXPECT_EQ(parser.imageFormat(), c.format);
        ASSERT_NE(parser.volume(), nullptr);
        EXPECT_EQ(parser.volume()->volumeName(), c.volumeName);
        EXPECT_EQ(parser.volume()->numberOfChildrenOfItem(nullptr), c.files);
        EXPECT_EQ(parser.volume()->totalCapacityInBytes(), c.capacity);
    }
}

TEST(AppleIIImageCreatorTest, SizesThatCannotBeMadeAreRefusedWithNothingWritten) {
    const testing::TemporaryDirectory folder;
    const URL file = URL::fileURLWithPath(folder.file("refused.img"));
    testing::expectError<AppleIIImageCreatorError>(AppleIIImageCreatorError::Case::unsupportedDOS33Size,
                                                    [&] { AppleIIImageCreator(143871, file, Mode::DOS33); });
    testing::expectError<AppleIIImageCreatorError>(AppleIIImageCreatorError::Case::unsupportedDOS33Size,
                                                    [&] { AppleIIImageCreator(819200, file, Mode::DOS33); });
    testing::expectError<ProDOSDiskError>(ProDOSDiskError::Case::volumeTooSmall,
                                          [&] { AppleIIImageCreator(7 * 512 - 1, file, Mode::ProDOS); });
    testing::expectError<ProDOSDiskError>(ProDOSDiskError::Case::volumeTooSmall,
                                          [&] { AppleIIImageCreator(-512, file, Mode::ProDOS); });
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace zorv
