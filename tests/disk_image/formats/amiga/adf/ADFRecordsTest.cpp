// The Amiga records on their own: dates, the boot block checksum, the bitmap
// of a large new volume and a damaged root block name. Where the root block
// lies is read back from real and blank volumes (ADFCorpusTest, ADFDiskTest)
// and partitions (AmigaHardDiskTest).

#include <gtest/gtest.h>

#include "data_access/TextEncoding.hpp"
#include "disk_image/formats/amiga/AmigaChecksum.hpp"
#include "disk_image/formats/amiga/AmigaDateComponents.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskBitmap.hpp"
#include "disk_image/formats/amiga/adf/ADFDiskRootBlock.hpp"
#include "support/AmigaTestImages.hpp"
#include "support/ScopedTimeZone.hpp"

namespace zorv {
namespace {

using testing::longAt;

TEST(AmigaDates, LocalEpochAndRoundTrip) {
    const testing::ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(AmigaDateComponents{}.date()->secondsSince1970, 252460800 - 3600);
    // A summer date: calendar days, then minutes of the local day.
    const AmigaDateComponents summer{7554, 935, 1600};
    EXPECT_EQ(AmigaDateComponents::fromDate(*summer.date()), summer);
}

// A day count or a minute count that no calendar date up to the year 9999
// takes is no date, not the time of reading.
TEST(AmigaDates, PastTheYear9999IsNoDate) {
    const testing::ScopedTimeZone zone("UTC");
    constexpr int64_t lastDay = 2929974;  // 9999-12-31
    const std::optional<Date> last = AmigaDateComponents{lastDay, 1439, 2999}.date();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->secondsSince1970, 253402300799);
    for (const AmigaDateComponents& components :
         {AmigaDateComponents{lastDay + 1, 0, 0}, AmigaDateComponents{lastDay, 1440, 0},
          AmigaDateComponents{0x7FFFFFFF, 0, 0}, AmigaDateComponents{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
          AmigaDateComponents{0, 0xFFFFFFFF, 0}}) {
        const std::optional<Date> date = components.date();
        EXPECT_FALSE(date.has_value()) << components.days << " " << components.minutes;
    }
}

TEST(AmigaChecksum, OfARealBootBlock) {
    auto boot = testing::corpusBytes("adf/arccsh.adf");
    if (!boot) GTEST_SKIP() << "adf/arccsh.adf is not in the corpus";
    boot->resize(1024);
    const uint32_t stored = longAt(*boot, 4);
    testing::putLong(*boot, 4, 0);
    EXPECT_EQ(AmigaChecksum::bootBlockChecksum(*boot), stored);
}

// Above 25 bitmap blocks (101,600 blocks), extension blocks list the rest;
// every bitmap and extension block is in use, so AmigaDOS never allocates
// over them.
TEST(ADFDiskBitmap, ExtensionBlocksAreWrittenAndInUse) {
    const ADFDiskGeometry geometry{20000, 32, 1, 512};  // 640,000 blocks: 158 bitmap blocks
    const ADFDiskBitmap bitmap(geometry);
    EXPECT_EQ(bitmap.bitmapBlocks.size(), 158u);
    for (const auto& [key, block] : bitmap.bitmapBlocks) EXPECT_FALSE(bitmap.isFree(key)) << "bitmap block " << key;
    for (const auto& [key, listed] : bitmap.extensionBlocks) EXPECT_FALSE(bitmap.isFree(key)) << "extension " << key;
    EXPECT_FALSE(bitmap.isFree(geometry.rootBlock()));
    EXPECT_TRUE(bitmap.isFree(geometry.rootBlock() + 161));

    // Each extension block follows the bitmap blocks it lists and names the
    // next one in its last long.
    const auto groups = bitmap.bitmapLocationGroups();
    ASSERT_EQ(groups.size(), 3u);
    const auto written = bitmap.extensionBlockData();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(bitmap.firstExtension(), written[0].first);
    EXPECT_EQ(written[0].first, groups[1].back() + 1);
    EXPECT_EQ(longAt(written[0].second, 0), groups[1].front());
    EXPECT_EQ(longAt(written[0].second, 508), written[1].first);
    EXPECT_EQ(longAt(written[1].second, 5 * 4), groups[2].back());
    EXPECT_EQ(longAt(written[1].second, 508), 0u);
}

TEST(ADFDiskRootBlock, NameLengthPastTheBlockIsCutAtItsEnd) {
    Bytes bytes = ADFDiskRootBlock("Empty", ADFDiskBitmap(ADFDiskGeometry::DDFloppy)).dataBlock();
    bytes[432] = 255;
    // Offsets 433 to 511: 79 characters.
    EXPECT_EQ(characterCount(ADFDiskRootBlock{ImageBytes(bytes)}.diskName), 79u);
}

}  // namespace
}  // namespace zorv
