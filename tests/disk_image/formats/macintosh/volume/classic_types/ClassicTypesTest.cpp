#include <gtest/gtest.h>

#include "disk_image/vocabulary/macintosh/classic_types/FinderFlag.hpp"
#include "disk_image/vocabulary/macintosh/classic_types/OSType.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Point.hpp"
#include "disk_image/formats/macintosh/volume/classic_types/Rect.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/CreatorList.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/TypeExtensionList.hpp"
#include "disk_image/vocabulary/macintosh/types_and_creators/TypeList.hpp"

namespace zorv {
namespace {

TEST(ClassicTypes, PointAndRectRoundTrip) {
    EXPECT_EQ(Point(10, 20).dataBlock(), (Bytes{0, 10, 0, 20}));
    EXPECT_EQ(Point(65535, 0).dataBlock(), (Bytes{0xFF, 0xFF, 0, 0})) << "a stored -1 is held as 65535";

    const Bytes stored = {0, 1, 0, 2, 0, 3, 0, 4};
    const Rect rect{ImageBytes(stored)};
    EXPECT_EQ(rect, Rect(1, 2, 3, 4));
    EXPECT_EQ(rect.dataBlock(), stored);
}

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

TEST(TypeTables, SizesAndLookups) {
    EXPECT_EQ(TypeList::shared().list.size(), 117u);
    EXPECT_EQ(CreatorList::shared().list.size(), 73u);
    EXPECT_EQ(TypeExtensionList::shared().list.size(), 77u);

    EXPECT_EQ(TypeList::extensionForType("TEXT"), "txt");
    EXPECT_EQ(TypeList::extensionForType("PDF "), "pdf");
    EXPECT_EQ(TypeList::extensionForType("PDF"), std::nullopt);
    EXPECT_EQ(TypeList::extensionForType("APPL"), std::nullopt) << "a type without an extension";
    EXPECT_EQ(TypeList::extensionForType(std::nullopt), std::nullopt);
    EXPECT_EQ(TypeList::extensionForType("MooV"), "mpv");
    EXPECT_EQ(TypeList::extensionForType("FFIL"), "FFIL");

    EXPECT_EQ(TypeList::shared().list.at("Mp3 "), "MP3");
    EXPECT_EQ(TypeList::shared().list.at("MP3 "), "MP3");
    EXPECT_EQ(CreatorList::shared().list.at("ttxt"), "SimpleText");
    EXPECT_EQ(CreatorList::shared().list.count("TTXT"), 0u);
    EXPECT_EQ(CreatorList::shared().list.at("????"), "Any creator");
}

}  // namespace
}  // namespace zorv
