#include <gtest/gtest.h>

#include "disk_image/vocabulary/macintosh/classic_types/FinderFlag.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/OSType.hpp"

namespace zorv {
namespace {

TEST(ClassicTypes, OSTypeNamesAndValue) {
    const OSType text(Bytes{0x54, 0x45, 0x58, 0x54});
    EXPECT_EQ(text.string(), "TEXT");
    EXPECT_EQ(text.typeName(), "Stream of ASCII characters");
    EXPECT_EQ(text.uint32(), 0x54455854u);
    EXPECT_EQ(text.dataBlock(), (Bytes{0x54, 0x45, 0x58, 0x54}));

    const OSType unknown(Bytes{'z', 'z', 'z', 'z'});
    EXPECT_EQ(unknown.typeName(), "Unknown type");
    EXPECT_EQ(unknown.creatorName(), "Unknown creator");

    // Mac OS Roman 0x83 is É: the creator key holds it.
    const OSType tattle(Bytes{0x54, 0x74, 0x83, 0x6B});
    EXPECT_EQ(tattle.string(), "Tt\u00C9k");
    EXPECT_EQ(tattle.creatorName(), "TattleTech");
    EXPECT_EQ(tattle.dataBlock(), (Bytes{0x54, 0x74, 0x83, 0x6B}));

    EXPECT_EQ(OSType(Bytes{'P', 'D', 'F', ' '}).typeName(), "PDF");
    EXPECT_EQ(OSType(Bytes{'p', 'd', 'f', ' '}).typeName(), "Unknown type") << "codes match in their case only";
    EXPECT_EQ(OSType(Bytes{'A', 'B'}).uint32(), 0u);
}

TEST(ClassicTypes, FinderFlags) {
    EXPECT_EQ(finderFlagFromRawValue(14), FinderFlag::kColor);
    EXPECT_EQ(finderFlagFromRawValue(-3), FinderFlag::fTrash);
    EXPECT_EQ(finderFlagFromRawValue(2), std::nullopt);
    EXPECT_EQ(finderFlagFromRawValue(0), std::nullopt);
    EXPECT_EQ(finderFlagFromRawValue(-1), std::nullopt);
    ASSERT_EQ(allFinderFlags().size(), 13u);
    EXPECT_EQ(allFinderFlags().front(), FinderFlag::kIsOnDesk);
    EXPECT_EQ(allFinderFlags().back(), FinderFlag::fDesktop);
    EXPECT_STREQ(stringValue(FinderFlag::kIsInvisible), "Is invisible");
    EXPECT_STREQ(stringValue(FinderFlag::fDesktop), "Is on the Desktop");
}

}  // namespace
}  // namespace zorv
