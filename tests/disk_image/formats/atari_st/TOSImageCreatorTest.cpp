// Blank Atari ST floppies written by the creator, opened by mtools and by
// the reader.

#include <gtest/gtest.h>

#include <string>

#include "disk_image/formats/atari_st/tos/TOSDisk.hpp"
#include "disk_image/formats/atari_st/tos/TOSImageCreator.hpp"
#include "disk_image/parser/ImageParser.hpp"
#include "platform/FileSystem.hpp"
#include "support/MtoolsFloppy.hpp"
#include "support/TemporaryDirectory.hpp"
#include "support/TestCaseNames.hpp"

namespace zorv {
namespace {

struct BlankCase {
    const char* name;
    TOSMedia media;
    int64_t sizeInBytes;
    int64_t freeBytes;
    int64_t sides;
    int64_t sectors;
};

class TOSBlankFloppies : public ::testing::TestWithParam<BlankCase> {};

TEST_P(TOSBlankFloppies, OpenInMtoolsAndInTheReader) {
    const BlankCase& c = GetParam();
    const testing::TemporaryDirectory folder;
    const std::string path = folder.file("blank.st");
    TOSImageCreator(c.media, URL::fileURLWithPath(path)).create(false);

    const ImageBytes image = fs::readWholeFile(path);
    const ImageParser parser(image);
    EXPECT_EQ(parser.imageFormat(), ImageFormat::tosVolume);
    EXPECT_EQ(parser.imageSizeInBytes(), c.sizeInBytes);
    const auto& disk = dynamic_cast<const TOSDisk&>(*parser.volume());
    const int64_t fatSize = disk.bootSector().spf * 512;
    EXPECT_EQ(image.slice(512, fatSize), image.slice(512 + fatSize, fatSize)) << "the two FAT copies";
    EXPECT_EQ(disk.freeCapacityInBytes(), c.freeBytes);
    EXPECT_EQ(disk.numberOfChildrenOfItem(nullptr), 0);
    EXPECT_EQ(disk.trackCount(), 80);
    EXPECT_EQ(disk.sideCount(), c.sides);
    EXPECT_EQ(disk.sectorCount(), c.sectors);
    EXPECT_NE(parser.textualDescription(false).find("Volume: \"Untitled\", " + std::to_string(c.freeBytes) +
                                                   " bytes free out of " + std::to_string(c.sizeInBytes)),
              std::string::npos);

    if (!testing::MtoolsFloppy::isAvailable()) return;
    const testing::MdirListing listing = testing::MtoolsFloppy::existing(path).listing();
    EXPECT_TRUE(listing.items.empty());
    EXPECT_EQ(listing.freeBytes, c.freeBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Media, TOSBlankFloppies,
    ::testing::Values(BlankCase{"SSDD", TOSMedia::SSDDFloppy, 368640, 359424, 1, 9},
                      BlankCase{"DSDD", TOSMedia::DSDDFloppy, 737280, 728064, 2, 9},
                      BlankCase{"DSHD", TOSMedia::DSHDFloppy, 1474560, 1457152, 2, 18}),
    testing::namedBy(&BlankCase::name));

}  // namespace
}  // namespace zorv
