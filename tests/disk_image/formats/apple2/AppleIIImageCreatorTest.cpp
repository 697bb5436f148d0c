// Blank Apple II image files: a DOS 3.3 floppy and ProDOS volumes of several
// sizes reopen as what was asked for; sizes that cannot be made are refused
// before anything is written.

#include <gtest/gtest.h>

#include <filesystem>

#include "disk_image/blocks/PhysicalBlockFileError.hpp"
#include "disk_image/formats/apple2/AppleIIImageCreator.hpp"
#include "disk_image/formats/apple2/AppleIIImageCreatorError.hpp"
#include "disk_image/formats/apple2/dos33/DOS33Disk.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSDiskError.hpp"
#include "disk_image/formats/apple2/prodos/ProDOSVolume.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/ErrorExpectations.hpp"
#include "support/TemporaryDirectory.hpp"

namespace zorv {
namespace {

using Mode = AppleIIImageCreator::Mode;

TEST(AppleIIImageCreatorTest, ADOS33ImageReopensAsVolume254WithHello) {
    const testing::TemporaryDirectory folder;
    const std::string path = folder.file("blank.do");
    AppleIIImageCreator(143360, URL::fileURLWithPath(path), Mode::DOS33).create(false);

    const ImageBytes written = fs::readWholeFile(path);
    EXPECT_EQ(written, DOS33Disk::dos33AsData());
    const ImageParser parser(written);
    EXPECT_EQ(parser.imageFormat(), ImageFormat::dos33);
    ASSERT_NE(parser.volume(), nullptr);
    EXPECT_EQ(parser.volume()->volumeName(), "Volume 254");
    ASSERT_EQ(parser.volume()->numberOfChildrenOfItem(nullptr), 1);
    EXPECT_EQ(parser.volume()->child(0, nullptr)->name(), "HELLO");
}

struct ProDOSSizeCase {
    int64_t sizeInBytes;
    int64_t volumeBlocks;
};

class AppleIIImageCreatorProDOSTest : public ::testing::TestWithParam<ProDOSSizeCase> {};

// The volume covers the file's whole blocks, at most 65,535; the file keeps
// the size asked for.
TEST_P(AppleIIImageCreatorProDOSTest, FormatsTheWholeBlocksUpTo65535) {
    const ProDOSSizeCase& c = GetParam();
    const testing::TemporaryDirectory folder;
    const std::string path = folder.file("blank.po");
    AppleIIImageCreator(c.sizeInBytes, URL::fileURLWithPath(path), Mode::ProDOS).create(false);

    EXPECT_EQ(static_cast<int64_t>(std::filesystem::file_size(path)), c.sizeInBytes);
    const auto volume = ProDOSVolume::fromImageData(fs::readWholeFile(path));
    ASSERT_TRUE(volume.has_value());
    EXPECT_EQ(volume->volumeDirectoryHeader().totalBlocks, c.volumeBlocks);
    EXPECT_EQ(volume->volumeName(), "UNTITLED");
    EXPECT_EQ(volume->numberOfChildrenOfItem(nullptr), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, AppleIIImageCreatorProDOSTest,
                         ::testing::Values(ProDOSSizeCase{143360, 280}, ProDOSSizeCase{143871, 280},
                                           ProDOSSizeCase{7 * 512, 7},
                                           ProDOSSizeCase{65536 * 512 + 100, 65535}));

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
    testing::expectError<PhysicalBlockFileError>(PhysicalBlockFileError::Case::invalidFileURL, [&] {
        AppleIIImageCreator(143360, URL::fileURLWithPath(folder.path().string() + "/"), Mode::DOS33);
    });
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace zorv
